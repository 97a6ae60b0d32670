// What the device's inputs read at one moment: thirteen discrete sensors and
// the two analog channels (inputs 13 and 14, "АД1" and "АД2").
#pragma once

#include <array>
#include <cstdint>

namespace talveno::devsim {

inline constexpr int kDiscreteInputCount = 13;
inline constexpr int kAnalogChannelCount = 2;
inline constexpr int kFirstAnalogInput = kDiscreteInputCount;

struct InputLevels {
    std::array<std::uint8_t, kDiscreteInputCount> discrete{};  // 0 or 1
    std::array<std::uint8_t, kAnalogChannelCount> analog{};    // ADC units 0..255

    friend bool operator==(const InputLevels&, const InputLevels&) = default;
};

}  // namespace talveno::devsim
