// The console state that handlers, the exchange scheduler and the reply
// dispatcher share. Main thread only; zero at start.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "config_record.h"
#include "status_block.h"

namespace talveno::console {

// One-byte 0/1 flags coupling handlers, scheduler and dispatcher. A handler
// clears the acknowledgement, raises the request and waits; the scheduler
// consumes the request, the dispatcher raises the acknowledgement.
struct ExchangeFlags {
    std::uint8_t onStatusPage = 0;
    std::uint8_t onLoadPage = 0;
    std::uint8_t onConfigPage = 0;
    std::uint8_t remoteActive = 0;  // the device confirmed remote control
    std::uint8_t erasePending = 0;
    std::uint8_t eraseAcked = 0;
    std::uint8_t pageWritePending = 0;
    std::uint8_t pageWriteAcked = 0;
    std::uint8_t flashModePending = 0;
    std::uint8_t flashModeAcked = 0;
    std::uint8_t configReadPending = 0;
    std::uint8_t configReadDone = 0;
    std::uint8_t configWritePending = 0;
    std::uint8_t configWriteAcked = 0;
    std::uint8_t togglesPrimed = 0;  // simToggles taken from a status reply
};

// PagePayload: 256 image bytes, then the sector number, then the page number.
inline constexpr std::size_t kPageDataSize = 256;
inline constexpr std::size_t kPageSectorOffset = 256;
inline constexpr std::size_t kPageNumberOffset = 257;
inline constexpr std::size_t kPagePayloadSize = 258;
using PagePayload = std::array<std::uint8_t, kPagePayloadSize>;

// Passes between two status requests while the status page is shown.
inline constexpr std::uint16_t kStatusPollPasses = 6;

struct ExchangeState {
    ExchangeFlags flags;
    std::uint16_t statusCountdown = 0;
    std::int32_t ioCount = 0;  // counted replies, never reset
    std::uint8_t sectorNo = 0;
    StatusBlock statusBlock{};
    SimulationState sim;
    PagePayload pagePayload{};
    ConfigRecord configEdited{};
    ConfigRecord configIncoming{};
    ConfigRecord configOutgoing{};
};

}  // namespace talveno::console
