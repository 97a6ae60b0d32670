#include "status_block.h"

namespace talveno::devsim {

StatusBlock EncodeStatusBlock(const StatusReport& report, const ConfigRecord& config) {
    StatusBlock block{};
    for (int i = 0; i < kInputCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        block[kStateOffset + at] = report.states[at] != 0 ? 1 : 0;
        block[kActiveLevelOffset + at] = ActiveLevel(config, i);
        block[kEnableOffset + at] = InputEnabled(config, i) ? 1 : 0;
        block[kCounterOffset + 2 * at] = static_cast<std::uint8_t>(report.counters[at] & 0xFF);
        block[kCounterOffset + 2 * at + 1] = static_cast<std::uint8_t>(report.counters[at] >> 8);
    }
    for (std::size_t ch = 0; ch < kAnalogChannelCount; ++ch) {
        block[kAnalogReadingOffset + ch] = report.levels.analog[ch];
    }
    return block;
}

Decoded<InputLevels> DecodeSimulationBlock(std::span<const std::uint8_t> payload) {
    if (payload.size() < kSimulationBlockSize) {
        return Decoded<InputLevels>::failure("simulation block shorter than 10 bytes");
    }
    InputLevels levels;
    for (std::size_t i = 0; i < kDiscreteInputCount; ++i) {
        const std::uint8_t byte = payload[i < 8 ? kSimInputs0To7Offset : kSimInputs8To15Offset];
        const unsigned bit = 7U - static_cast<unsigned>(i % 8);
        levels.discrete[i] = static_cast<std::uint8_t>((byte >> bit) & 1U);
    }
    for (std::size_t ch = 0; ch < kAnalogChannelCount; ++ch) {
        levels.analog[ch] = payload[kSimAnalogOffset + ch];
    }
    return Decoded<InputLevels>::success(levels);
}

}  // namespace talveno::devsim
