// Building request frames and status payloads in tests.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "faults.h"
#include "link_frame.h"

namespace talveno::devsim::testing {

using Bytes = std::vector<std::uint8_t>;

inline Bytes Request(std::uint8_t command, std::uint8_t argument = 0,
                     std::span<const std::uint8_t> payload = {}) {
    link::TxStaging staging;
    const bool built =
        link::SendCommand(staging, command, argument, payload.empty() ? nullptr : payload.data(),
                          static_cast<std::uint16_t>(payload.size()));
    if (!built) {
        return {};
    }
    return {staging.txFrame.begin(), staging.txFrame.begin() + staging.txLength};
}

// The 258-byte payload of a page write: `image` (256 bytes), sector, page.
inline Bytes PagePayload(std::span<const std::uint8_t> image, std::uint8_t sector,
                         std::uint8_t page) {
    Bytes payload(image.begin(), image.end());
    payload.resize(256, 0);
    payload.push_back(sector);
    payload.push_back(page);
    return payload;
}

// A SimulationBlock: inputs as bits (input 0 in bit 7 of byte 0), readings.
inline Bytes SimulationBlock(std::uint8_t inputs0to7, std::uint8_t inputs8to15,
                             std::uint8_t analog1, std::uint8_t analog2) {
    return {inputs0to7, inputs8to15, analog1, analog2, 0, 0, 0, 0, 0, 0};
}

// Faults with only the fields `set` changes.
template <class Set>
Faults MakeFaults(Set set) {
    Faults faults;
    set(faults);
    return faults;
}

// Payload bytes of a reply frame (without the checksum).
inline Bytes PayloadOf(std::span<const std::uint8_t> frame) {
    const auto info = link::ParseFrame(frame);
    if (!info) {
        return {};
    }
    return {info->payload.begin(), info->payload.end()};
}

}  // namespace talveno::devsim::testing
