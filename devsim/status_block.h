// The two payloads of the status exchange: the 186-byte StatusBlock the device
// answers with, and the 10-byte SimulationBlock every status request carries.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "config_record.h"
#include "decoded.h"
#include "input_levels.h"

namespace talveno::devsim {

inline constexpr std::size_t kStatusBlockSize = 186;
using StatusBlock = std::array<std::uint8_t, kStatusBlockSize>;

inline constexpr std::size_t kStateOffset = 0;            // + input: 0 or 1
inline constexpr std::size_t kActiveLevelOffset = 32;     // + input: 0 or 1
inline constexpr std::size_t kEnableOffset = 64;          // + input: 1 enabled, 0 not
inline constexpr std::size_t kCounterOffset = 96;         // + 2 * input, low byte first
inline constexpr std::size_t kAnalogReadingOffset = 178;  // + channel

inline constexpr std::size_t kSimulationBlockSize = 10;
inline constexpr std::size_t kSimInputs0To7Offset = 0;   // input 0 in bit 7 .. input 7 in bit 0
inline constexpr std::size_t kSimInputs8To15Offset = 1;  // input 8 in bit 7 .. input 15 in bit 0
inline constexpr std::size_t kSimAnalogOffset = 2;       // + channel

// Everything a status reply reports.
struct StatusReport {
    InputLevels levels;
    std::array<std::uint8_t, kInputCount> states{};  // 0/1; analog: reading above threshold
    std::array<std::uint16_t, kInputCount> counters{};
};

// Lays out a status reply; bytes the layout does not name are zero. Active
// levels and enables come from `config`.
[[nodiscard]] StatusBlock EncodeStatusBlock(const StatusReport& report, const ConfigRecord& config);

// The input levels a status request asks for in remote mode. The bits of the
// analog inputs (13, 14) and of the unused bit 15 are ignored: the analog
// channels take the readings of bytes 2 and 3. Fails on fewer than 10 bytes.
// Never reads past `payload`.
[[nodiscard]] Decoded<InputLevels> DecodeSimulationBlock(std::span<const std::uint8_t> payload);

}  // namespace talveno::devsim
