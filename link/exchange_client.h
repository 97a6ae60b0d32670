// What the link asks of the console: act on a received frame, and stage the
// next request. Both run on the main thread while the link worker waits.
#pragma once

#include <cstdint>
#include <span>

#include "link_frame.h"

namespace talveno::link {

class ExchangeClient {
public:
    virtual ~ExchangeClient() = default;

    // One complete frame as assembled (header from byte 0). The bytes lie in
    // the serial port object's received-frame area and stay there until the
    // next frame.
    virtual void ReplyDispatcher(std::span<const std::uint8_t> frame) = 0;

    // Stage the next request with SendCommand, or nothing; the frame staged
    // last when this returns is the one written in this cycle.
    virtual void ExchangeScheduler(TxStaging& staging) = 0;
};

}  // namespace talveno::link
