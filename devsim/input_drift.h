// How the inputs change on their own when nobody drives them, so that a status
// page shows life: every 2 s one discrete input flips (a fixed pseudo-random
// sequence, the same on every run), and the two analog readings sweep up and
// down between 0 and 255, АД1 by 3 and АД2 by 2 units every 250 ms.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>

#include "input_levels.h"

namespace talveno::devsim {

class InputDrift {
public:
    static constexpr std::chrono::milliseconds kStep{250};
    static constexpr int kStepsPerFlip = 8;

    // The levels after `elapsed` more time, starting from `levels`. Time below
    // one step is kept for the next call.
    [[nodiscard]] InputLevels advance(InputLevels levels, std::chrono::milliseconds elapsed);

private:
    [[nodiscard]] int nextInputToFlip();

    std::chrono::milliseconds pending_{0};
    int stepsToFlip_ = kStepsPerFlip;
    std::uint32_t random_ = 0x2545F491;
    std::array<int, kAnalogChannelCount> direction_{1, 1};
};

}  // namespace talveno::devsim
