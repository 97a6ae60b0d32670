#include "flash_memory.h"

#include <algorithm>

namespace talveno::devsim {

namespace {

bool ValidSector(int sector) {
    return sector >= 0 && sector < kSectorCount;
}

std::size_t SectorStart(int sector) {
    return static_cast<std::size_t>(sector) * kSectorSize;
}

}  // namespace

Decoded<PageWrite> DecodePagePayload(std::span<const std::uint8_t> payload) {
    if (payload.size() < kPagePayloadSize) {
        return Decoded<PageWrite>::failure("page payload shorter than 258 bytes");
    }
    PageWrite write;
    write.sector = payload[kPageSectorOffset];
    write.page = payload[kPageNumberOffset];
    if (!ValidSector(write.sector)) {
        return Decoded<PageWrite>::failure("no such sector");
    }
    std::copy_n(payload.begin() + kPageImageOffset, kPageSize, write.image.begin());
    return Decoded<PageWrite>::success(write);
}

FlashMemory::FlashMemory() : bytes_(SectorStart(kSectorCount), kErasedByte) {}

bool FlashMemory::erase(int sector) {
    if (!ValidSector(sector)) {
        return false;
    }
    std::fill_n(bytes_.begin() + static_cast<std::ptrdiff_t>(SectorStart(sector)), kSectorSize,
                kErasedByte);
    changed_[static_cast<std::size_t>(sector)] = true;
    return true;
}

bool FlashMemory::program(const PageWrite& write) {
    if (!ValidSector(write.sector) || write.page < 0 || write.page >= kPagesPerSector) {
        return false;
    }
    const std::size_t start =
        SectorStart(write.sector) + static_cast<std::size_t>(write.page) * kPageSize;
    for (std::size_t i = 0; i < kPageSize; ++i) {
        bytes_[start + i] &= write.image[i];
    }
    changed_[static_cast<std::size_t>(write.sector)] = true;
    return true;
}

bool FlashMemory::restore(int sector, std::span<const std::uint8_t> image) {
    if (!ValidSector(sector) || image.size() != kSectorSize) {
        return false;
    }
    std::copy(image.begin(), image.end(),
              bytes_.begin() + static_cast<std::ptrdiff_t>(SectorStart(sector)));
    return true;
}

std::span<const std::uint8_t> FlashMemory::sector(int sector) const {
    if (!ValidSector(sector)) {
        return {};
    }
    return std::span<const std::uint8_t>(bytes_).subspan(SectorStart(sector), kSectorSize);
}

std::vector<int> FlashMemory::takeChangedSectors() {
    std::vector<int> sectors;
    for (int s = 0; s < kSectorCount; ++s) {
        if (changed_[static_cast<std::size_t>(s)]) {
            sectors.push_back(s);
            changed_[static_cast<std::size_t>(s)] = false;
        }
    }
    return sectors;
}

}  // namespace talveno::devsim
