#include "status_block.h"

namespace talveno::console {

namespace {

std::uint8_t PackEight(const SimulationState& sim, std::size_t first) {
    std::uint8_t packed = 0;
    for (std::size_t k = 0; k < 8; ++k) {
        if (sim.simToggles[first + k] != 0) {
            packed = static_cast<std::uint8_t>(packed | (0x80U >> k));
        }
    }
    return packed;
}

}  // namespace

SimulationBlock BuildSimulationBlock(const SimulationState& sim) {
    SimulationBlock block{};
    block[kSimTogglesLowOffset] = PackEight(sim, 0);
    block[kSimTogglesHighOffset] = PackEight(sim, 8);
    block[kSimFuelOffset] = static_cast<std::uint8_t>(sim.simFuel & 0xFF);
    block[kSimTemperaturaOffset] = static_cast<std::uint8_t>(sim.simTemperatura & 0xFF);
    return block;
}

InputReading ReadInput(const StatusBlock& block, std::size_t i) {
    InputReading r;
    if (i >= kInputCount) {
        return r;
    }
    r.state = block[kStateOffset + i];
    r.activeLevel = block[kActiveLevelOffset + i];
    r.enabled = block[kEnableOffset + i] != 0;
    const auto raw = static_cast<std::uint16_t>(block[kCounterOffset + 2 * i] |
                                                (block[kCounterOffset + 2 * i + 1] << 8));
    r.counter = static_cast<std::int16_t>(raw);
    return r;
}

void PrimeToggles(const StatusBlock& block, SimulationState& sim) {
    for (std::size_t i = 0; i < sim.simToggles.size(); ++i) {
        sim.simToggles[i] = block[kActiveLevelOffset + i] == 0 ? 1 : 0;
    }
}

}  // namespace talveno::console
