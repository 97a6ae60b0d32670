#include "state_store.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "atomic_file.h"
#include "device.h"

namespace talveno::devsim {

namespace {

// Reads at most `limit + 1` bytes, enough to tell a file of the wrong size.
std::optional<std::vector<std::uint8_t>> ReadUpTo(const std::filesystem::path& path,
                                                  std::size_t limit) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(limit + 1);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

}  // namespace

std::string StateStore::prepare() const {
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    if (error) {
        return "cannot create " + folder_.string() + ": " + error.message();
    }
    return {};
}

std::filesystem::path StateStore::sectorFile(int sector) const {
    char name[32];
    std::snprintf(name, sizeof name, "sector-%02d.bin", sector);
    return folder_ / name;
}

std::optional<std::vector<std::uint8_t>> StateStore::loadSector(int sector) const {
    auto bytes = ReadUpTo(sectorFile(sector), kSectorSize);
    if (!bytes || bytes->size() != kSectorSize) {
        return std::nullopt;
    }
    return bytes;
}

std::vector<std::string> StateStore::restore(Device& device) const {
    std::vector<std::string> notes;
    for (int s = 0; s < kSectorCount; ++s) {
        if (!std::filesystem::exists(sectorFile(s))) {
            continue;
        }
        const auto image = loadSector(s);
        if (!image || !device.flash().restore(s, *image)) {
            notes.push_back(sectorFile(s).string() + " is not a 65536-byte sector; left erased");
        }
    }
    if (std::filesystem::exists(configFile())) {
        const auto bytes = ReadUpTo(configFile(), kConfigRecordSize);
        if (bytes && bytes->size() == kConfigRecordSize) {
            ConfigRecord record{};
            std::copy(bytes->begin(), bytes->end(), record.begin());
            device.setConfig(record);
        } else {
            notes.push_back(configFile().string() +
                            " is not a 72-byte record; using the default configuration");
        }
    }
    // What was just restored is what the files hold: nothing to save back.
    (void)device.flash().takeChangedSectors();
    (void)device.takeConfigChanged();
    return notes;
}

std::string StateStore::saveSector(int sector, std::span<const std::uint8_t> image) const {
    return WriteFileAtomically(sectorFile(sector), image);
}

std::string StateStore::saveConfig(const ConfigRecord& record) const {
    return WriteFileAtomically(configFile(), record);
}

}  // namespace talveno::devsim
