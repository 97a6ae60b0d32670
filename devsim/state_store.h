// The device's memory kept in a folder across runs: one file per FLASH sector
// ("sector-00.bin" .. "sector-14.bin", 65536 bytes each) and the configuration
// record ("config.bin", 72 bytes). A sector without its file reads erased; a
// missing configuration gives the default one.
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "config_record.h"

namespace talveno::devsim {

class Device;

class StateStore {
public:
    explicit StateStore(std::filesystem::path folder) : folder_(std::move(folder)) {}

    // Creates the folder when missing. Empty on success, else why not.
    [[nodiscard]] std::string prepare() const;

    // Puts what was kept into `device`. Returns notes about files that were
    // there but could not be used (wrong size, unreadable); those parts stay
    // as a new device has them.
    [[nodiscard]] std::vector<std::string> restore(Device& device) const;

    // Empty on success, else why not.
    [[nodiscard]] std::string saveSector(int sector, std::span<const std::uint8_t> image) const;
    [[nodiscard]] std::string saveConfig(const ConfigRecord& record) const;

    // The kept image of a sector: nothing when there is no file; a file of
    // the wrong size is not taken.
    [[nodiscard]] std::optional<std::vector<std::uint8_t>> loadSector(int sector) const;

    [[nodiscard]] std::filesystem::path sectorFile(int sector) const;
    [[nodiscard]] std::filesystem::path configFile() const { return folder_ / "config.bin"; }

private:
    std::filesystem::path folder_;
};

}  // namespace talveno::devsim
