#include "input_drift.h"

namespace talveno::devsim {

namespace {

constexpr std::array<int, kAnalogChannelCount> kAnalogStep{3, 2};

}  // namespace

int InputDrift::nextInputToFlip() {
    // xorshift32: cheap, and the same sequence every run.
    random_ ^= random_ << 13;
    random_ ^= random_ >> 17;
    random_ ^= random_ << 5;
    return static_cast<int>(random_ % kDiscreteInputCount);
}

InputLevels InputDrift::advance(InputLevels levels, std::chrono::milliseconds elapsed) {
    pending_ += elapsed;
    while (pending_ >= kStep) {
        pending_ -= kStep;
        for (std::size_t ch = 0; ch < kAnalogChannelCount; ++ch) {
            int next = levels.analog[ch] + direction_[ch] * kAnalogStep[ch];
            if (next > 255 || next < 0) {
                direction_[ch] = -direction_[ch];
                next = levels.analog[ch] + direction_[ch] * kAnalogStep[ch];
            }
            levels.analog[ch] = static_cast<std::uint8_t>(next);
        }
        if (--stepsToFlip_ == 0) {
            stepsToFlip_ = kStepsPerFlip;
            const auto input = static_cast<std::size_t>(nextInputToFlip());
            levels.discrete[input] = levels.discrete[input] != 0 ? 0 : 1;
        }
    }
    return levels;
}

}  // namespace talveno::devsim
