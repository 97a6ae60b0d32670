// Voice message files and their image in the device FLASH.
//
// A message file is a PCM WAV file with the canonical 44-byte header; the
// samples begin at offset 44. Only four header fields are judged: channels
// (22), sample rate (24), bits per sample (34) and data size (40). The device
// keeps a message in one 64 KiB sector of 256 pages of 256 bytes, each 16-bit
// sample high byte first, zero past the data.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

#include "exchange_state.h"

namespace talveno::console {

inline constexpr std::size_t kWavHeaderSize = 44;
inline constexpr std::size_t kWavChannelsOffset = 22;       // 16 bits
inline constexpr std::size_t kWavSampleRateOffset = 24;     // 32 bits
inline constexpr std::size_t kWavBitsPerSampleOffset = 34;  // 16 bits
inline constexpr std::size_t kWavDataSizeOffset = 40;       // 32 bits
inline constexpr std::size_t kWavDataOffset = 44;

inline constexpr std::uint32_t kMaxMessageBytes = 65532;  // just over four seconds
inline constexpr std::size_t kSectorSize = 65536;
inline constexpr std::size_t kPagesPerSector = 256;

struct WavHeader {
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint32_t dataSize = 0;
};

enum class WavVerdict {
    Accepted,
    TooShort,  // fewer than 44 bytes: no header to judge
    NotMono,
    TooLong,  // more than 65532 data bytes
    NotSixteenBit,
    NotEightKilohertz,
};

// Reads the four fields; TooShort when `bytes` holds fewer than 44 bytes.
// Never reads past `bytes`.
[[nodiscard]] WavVerdict ReadWavHeader(std::span<const std::uint8_t> bytes, WavHeader& header);

// The acceptance rule, tested in this order: mono, at most 65532 data bytes,
// 16 bits, 8000 Hz.
[[nodiscard]] WavVerdict JudgeWavHeader(const WavHeader& header);

using SectorImage = std::array<std::uint8_t, kSectorSize>;

// The sector as the device stores it: from `raw` (the sample data, zero past
// its end), every byte pair swapped. Bytes past `raw` count as zero.
[[nodiscard]] std::unique_ptr<SectorImage> BuildSectorImage(std::span<const std::uint8_t> raw);

// Page p of sector n: image bytes 256p..256p+255, then n, then p.
[[nodiscard]] PagePayload BuildPagePayload(const SectorImage& image, std::uint8_t sector,
                                           std::uint8_t page);

struct MessageFile {
    WavVerdict verdict = WavVerdict::TooShort;
    bool opened = false;
    WavHeader header;
    std::unique_ptr<SectorImage> image;  // set when opened and accepted
};

// Opens a message file, judges its header and builds its sector image. Reads
// at most the data size the header gives and never past the 65536-byte
// sector; data the file does not hold stays zero.
[[nodiscard]] MessageFile ReadMessageFile(const std::filesystem::path& path);

// Judges a file's header only, as when the operator chooses it.
[[nodiscard]] MessageFile JudgeMessageFile(const std::filesystem::path& path);

}  // namespace talveno::console
