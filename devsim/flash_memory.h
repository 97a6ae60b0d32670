// The device's message FLASH: 15 sectors of 256 pages of 256 bytes, one sector
// per voice message. It behaves as NOR flash does: erasing sets every byte of
// a sector to 0xFF, programming can only clear bits, so a page written twice
// without an erase holds the AND of both writes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "decoded.h"

namespace talveno::devsim {

inline constexpr int kSectorCount = 15;
inline constexpr int kPagesPerSector = 256;
inline constexpr std::size_t kPageSize = 256;
inline constexpr std::size_t kSectorSize = kPageSize * kPagesPerSector;  // 65536
inline constexpr std::uint8_t kErasedByte = 0xFF;

// Payload of a page write request.
inline constexpr std::size_t kPageImageOffset = 0;
inline constexpr std::size_t kPageSectorOffset = 256;
inline constexpr std::size_t kPageNumberOffset = 257;
inline constexpr std::size_t kPagePayloadSize = 258;

struct PageWrite {
    int sector = 0;
    int page = 0;
    std::array<std::uint8_t, kPageSize> image{};
};

// Fails on fewer than 258 bytes or a sector number above 14. Never reads past
// `payload`.
[[nodiscard]] Decoded<PageWrite> DecodePagePayload(std::span<const std::uint8_t> payload);

class FlashMemory {
public:
    FlashMemory();

    // False, changing nothing, for a sector outside 0..14.
    bool erase(int sector);
    bool program(const PageWrite& write);
    // Replaces a whole sector (restoring saved state); false unless `image`
    // is exactly one sector long.
    bool restore(int sector, std::span<const std::uint8_t> image);

    // Empty for a sector outside 0..14.
    [[nodiscard]] std::span<const std::uint8_t> sector(int sector) const;

    // Sectors changed since the last call, for saving.
    [[nodiscard]] std::vector<int> takeChangedSectors();

private:
    std::vector<std::uint8_t> bytes_;
    std::array<bool, kSectorCount> changed_{};
};

}  // namespace talveno::devsim
