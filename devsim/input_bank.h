// The device's inputs as it judges them: which are at their active level while
// enabled, how often each got there (16-bit counters that wrap), and which
// messages that starts.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "config_record.h"
#include "input_levels.h"
#include "status_block.h"

namespace talveno::devsim {

class InputBank {
public:
    // Every level 0, judged under `config`, no counts.
    explicit InputBank(const ConfigRecord& config);

    // Takes new levels. An input that becomes active (enabled and at its
    // active level, having not been) counts once; a message whose two inputs
    // both become active starts playing. Returns the messages started.
    [[nodiscard]] std::vector<int> update(const InputLevels& levels, const ConfigRecord& config);

    // Judges the present levels under a new configuration. Inputs that become
    // active this way do not count and start no message: the configuration
    // changed, not the input.
    void reconfigure(const ConfigRecord& config);

    [[nodiscard]] const InputLevels& levels() const { return levels_; }
    [[nodiscard]] StatusReport report(const ConfigRecord& config) const;
    [[nodiscard]] const std::array<std::uint16_t, kInputCount>& counters() const {
        return counters_;
    }
    // How often each message started since power-up (wraps at 65536).
    [[nodiscard]] const std::array<std::uint16_t, kMessageCount>& plays() const { return plays_; }

private:
    struct Judgement {
        std::array<bool, kInputCount> active{};
        std::array<bool, kMessageCount> sounding{};
    };
    [[nodiscard]] Judgement judge(const ConfigRecord& config) const;
    [[nodiscard]] std::array<std::uint8_t, kInputCount> states(const ConfigRecord& config) const;

    InputLevels levels_;
    Judgement last_;
    std::array<std::uint16_t, kInputCount> counters_{};
    std::array<std::uint16_t, kMessageCount> plays_{};
};

}  // namespace talveno::devsim
