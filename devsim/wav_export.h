// A message written back as a WAV file: canonical 44-byte header, PCM, mono,
// 8000 Hz, 16 bits, the samples as the FLASH sector holds them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace talveno::devsim {

inline constexpr std::size_t kRiffIdOffset = 0;
inline constexpr std::size_t kRiffSizeOffset = 4;
inline constexpr std::size_t kWaveIdOffset = 8;
inline constexpr std::size_t kFmtIdOffset = 12;
inline constexpr std::size_t kFmtSizeOffset = 16;
inline constexpr std::size_t kAudioFormatOffset = 20;
inline constexpr std::size_t kChannelsOffset = 22;
inline constexpr std::size_t kSampleRateOffset = 24;
inline constexpr std::size_t kByteRateOffset = 28;
inline constexpr std::size_t kBlockAlignOffset = 32;
inline constexpr std::size_t kBitsPerSampleOffset = 34;
inline constexpr std::size_t kDataIdOffset = 36;
inline constexpr std::size_t kDataSizeOffset = 40;
inline constexpr std::size_t kWavHeaderSize = 44;

inline constexpr std::uint32_t kSampleRate = 8000;
inline constexpr std::uint16_t kBitsPerSample = 16;

// The samples a sector image holds, little-endian as a WAV file wants them:
// the image is cut after its last byte that is neither 0xFF (erased) nor 0x00
// (padding), rounded up to whole samples, and every byte pair is swapped
// back (the device stores each sample high byte first). A message that ends
// in silence (0x0000) or in -1 (0xFFFF) samples loses them.
[[nodiscard]] std::vector<std::uint8_t> StoredSamples(std::span<const std::uint8_t> sectorImage);

// Header and samples of a WAV file holding `samples` (little-endian, whole).
[[nodiscard]] std::vector<std::uint8_t> MessageWav(std::span<const std::uint8_t> samples);

// Writes message `message` (0..14) as kept in the state folder to `file`.
// Empty on success, else why not. A sector never written gives a WAV
// without samples.
[[nodiscard]] std::string ExportMessageWav(const std::filesystem::path& stateFolder, int message,
                                           const std::filesystem::path& file);

}  // namespace talveno::devsim
