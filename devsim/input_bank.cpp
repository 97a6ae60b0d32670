#include "input_bank.h"

namespace talveno::devsim {

InputBank::InputBank(const ConfigRecord& config) {
    last_ = judge(config);
}

std::array<std::uint8_t, kInputCount> InputBank::states(const ConfigRecord& config) const {
    std::array<std::uint8_t, kInputCount> result{};
    for (std::size_t i = 0; i < kDiscreteInputCount; ++i) {
        result[i] = levels_.discrete[i] != 0 ? 1 : 0;
    }
    for (int ch = 0; ch < kAnalogChannelCount; ++ch) {
        const auto at = static_cast<std::size_t>(ch);
        result[kFirstAnalogInput + at] = levels_.analog[at] > AnalogThreshold(config, ch) ? 1 : 0;
    }
    return result;
}

InputBank::Judgement InputBank::judge(const ConfigRecord& config) const {
    Judgement j;
    const auto state = states(config);
    for (int i = 0; i < kInputCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        j.active[at] = InputEnabled(config, i) && state[at] == ActiveLevel(config, i);
    }
    for (int m = 0; m < kMessageCount; ++m) {
        const MessageSensors sensors = SensorsOfMessage(config, m);
        j.sounding[static_cast<std::size_t>(m)] =
            sensors.first && sensors.second && j.active[static_cast<std::size_t>(*sensors.first)] &&
            j.active[static_cast<std::size_t>(*sensors.second)];
    }
    return j;
}

std::vector<int> InputBank::update(const InputLevels& levels, const ConfigRecord& config) {
    levels_ = levels;
    const Judgement now = judge(config);
    for (std::size_t i = 0; i < kInputCount; ++i) {
        if (now.active[i] && !last_.active[i]) {
            ++counters_[i];
        }
    }
    std::vector<int> started;
    for (std::size_t m = 0; m < kMessageCount; ++m) {
        if (now.sounding[m] && !last_.sounding[m]) {
            ++plays_[m];
            started.push_back(static_cast<int>(m));
        }
    }
    last_ = now;
    return started;
}

void InputBank::reconfigure(const ConfigRecord& config) {
    last_ = judge(config);
}

StatusReport InputBank::report(const ConfigRecord& config) const {
    StatusReport r;
    r.levels = levels_;
    r.states = states(config);
    r.counters = counters_;
    return r;
}

}  // namespace talveno::devsim
