// The frame that travels on the serial line in both directions, its checksum,
// and the builder of request frames.
//
// Layout: 8-byte header ('w', 'u', 'i', command, length low, length high,
// argument, 0x0A), then the payload and its Crc16 (low byte first). The length
// field counts every byte after the header, so a frame is length + 8 bytes long;
// a frame without payload carries no checksum and has length 0.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace talveno::link {

inline constexpr std::size_t kStartOffset = 0;
inline constexpr std::size_t kSignature1Offset = 1;
inline constexpr std::size_t kSignature2Offset = 2;
inline constexpr std::size_t kCommandOffset = 3;
inline constexpr std::size_t kLengthLowOffset = 4;
inline constexpr std::size_t kLengthHighOffset = 5;
inline constexpr std::size_t kArgumentOffset = 6;
inline constexpr std::size_t kHeaderEndOffset = 7;
inline constexpr std::size_t kHeaderSize = 8;
inline constexpr std::size_t kPayloadOffset = kHeaderSize;
inline constexpr std::size_t kCrcSize = 2;

inline constexpr std::uint8_t kStartByte = 'w';
inline constexpr std::uint8_t kSignature1 = 'u';
inline constexpr std::uint8_t kSignature2 = 'i';
inline constexpr std::uint8_t kHeaderEnd = 0x0A;

// The worker's transmit buffer and receive assembler hold this much; no frame
// on the line may be longer, in either direction.
inline constexpr std::size_t kMaxFrameSize = 1024;
inline constexpr std::size_t kMaxLengthField = kMaxFrameSize - kHeaderSize;  // 1016
inline constexpr std::size_t kMaxPayload = kMaxLengthField - kCrcSize;       // 1014
// The staging area is larger than any frame; that does not raise the limit.
inline constexpr std::size_t kStagingSize = 4096;

// Command codes. A reply carries the code of the request it answers.
inline constexpr std::uint8_t CMD_STATUS = 0x20;
inline constexpr std::uint8_t CMD_PAGE_WRITE = 0x30;
inline constexpr std::uint8_t CMD_CONFIG_WRITE = 0x50;
inline constexpr std::uint8_t CMD_CONFIG_READ = 0x60;
inline constexpr std::uint8_t CMD_FLASH_MODE = 0x70;
inline constexpr std::uint8_t CMD_REMOTE_MODE = 0x80;
inline constexpr std::uint8_t CMD_SECTOR_ERASE = 0x88;

// CRC-16/KERMIT: polynomial 0x1021 reflected (0x8408), initial value 0, no
// final XOR. Zero bytes give 0. "123456789" gives 0x2189.
[[nodiscard]] std::uint16_t Crc16(const std::uint8_t* data, std::uint16_t count);
[[nodiscard]] std::uint16_t Crc16(std::span<const std::uint8_t> data);

// Where SendCommand builds the next request and the worker collects it from.
struct TxStaging {
    std::array<std::uint8_t, kStagingSize> txFrame{};
    std::uint16_t txLength = 0;  // bytes of the staged frame; 0 when none
    std::uint8_t txPending = 0;  // 1 while a built frame waits to be collected
};

// Builds a request frame from byte 0 of staging.txFrame and marks it pending;
// the last frame built before the worker collects is the one sent. Bytes of an
// earlier, longer frame may stay behind the new one; they are never sent.
// Returns false and stages nothing when the payload exceeds kMaxPayload, so
// nothing is ever written past the staging area or the worker's buffer.
[[nodiscard]] bool SendCommand(TxStaging& staging, std::uint8_t command, std::uint8_t argument,
                               const std::uint8_t* payload, std::uint16_t length);

// What a complete frame says about itself, for whoever must check it (the
// device checks the checksum; the console looks at how much payload came).
struct FrameInfo {
    std::uint8_t command = 0;
    std::uint8_t argument = 0;
    std::uint16_t lengthField = 0;
    // Payload bytes present in the frame: lengthField - 2 when the frame holds
    // them all, fewer when it was cut short; empty for a header-only frame.
    std::span<const std::uint8_t> payload;
    // True for a header-only frame, or when the checksum bytes are present and
    // match the payload.
    bool checksumOk = false;
};

// Reads a frame from byte 0 of `frame`. Returns nothing when `frame` is
// shorter than a header. Never reads past `frame`.
[[nodiscard]] std::optional<FrameInfo> ParseFrame(std::span<const std::uint8_t> frame);

}  // namespace talveno::link
