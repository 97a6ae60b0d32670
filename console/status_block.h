// The two payloads of the status exchange: the 186-byte StatusBlock the device
// reports, and the 10-byte SimulationBlock sent with every status request.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace talveno::console {

inline constexpr std::size_t kInputCount = 15;  // 13 discrete, then two analog

// StatusBlock, offsets from the first payload byte; input i = 0..14.
inline constexpr std::size_t kStatusBlockSize = 186;
inline constexpr std::size_t kStateOffset = 0;         // + i, unsigned
inline constexpr std::size_t kActiveLevelOffset = 32;  // + i, unsigned
inline constexpr std::size_t kEnableOffset = 64;       // + i, nonzero = enabled
inline constexpr std::size_t kCounterOffset = 96;      // + 2i, 16 bits, low byte first
inline constexpr std::size_t kAnalog1Offset = 178;     // АД1 reading, 0..255
inline constexpr std::size_t kAnalog2Offset = 179;     // АД2 reading, 0..255

using StatusBlock = std::array<std::uint8_t, kStatusBlockSize>;

// The operator's simulated inputs, sent to the device with each status request.
struct SimulationState {
    std::array<std::uint8_t, 32> simToggles{};  // 0 or 1; entries 0..15 are sent
    std::uint16_t simFuel = 0;                  // АД1 slider, 0..200
    std::uint16_t simTemperatura = 0;           // АД2 slider, 0..200
};

// SimulationBlock: toggles 0..7 in byte 0 (entry 0 in bit 7 down to entry 7 in
// bit 0), toggles 8..15 in byte 1 likewise, the low bytes of the two analog
// values in bytes 2 and 3, bytes 4..9 zero.
inline constexpr std::size_t kSimulationBlockSize = 10;
inline constexpr std::size_t kSimTogglesLowOffset = 0;
inline constexpr std::size_t kSimTogglesHighOffset = 1;
inline constexpr std::size_t kSimFuelOffset = 2;
inline constexpr std::size_t kSimTemperaturaOffset = 3;

using SimulationBlock = std::array<std::uint8_t, kSimulationBlockSize>;

[[nodiscard]] SimulationBlock BuildSimulationBlock(const SimulationState& sim);

// What the status page shows of input i.
struct InputReading {
    std::uint8_t state = 0;
    std::uint8_t activeLevel = 0;
    std::int16_t counter = 0;  // 16 bits read as signed: 0xFFFF shows as -1
    bool enabled = false;
    [[nodiscard]] bool atActiveLevel() const { return state == activeLevel; }
};

// Input i of 0..14; the block is whole, so nothing is read past it.
[[nodiscard]] InputReading ReadInput(const StatusBlock& block, std::size_t i);

// Each simulated input starts at the level opposite to the device's active
// level: entry i := 1 when byte 32 + i is zero, else 0, for all 32 entries.
void PrimeToggles(const StatusBlock& block, SimulationState& sim);

}  // namespace talveno::console
