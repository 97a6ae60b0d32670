// The record the device keeps of the requests it received, and the lines it
// prints about them with -v.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "request_outcome.h"

namespace talveno::devsim {

struct LoggedRequest {
    std::uint8_t command = 0;
    std::uint8_t argument = 0;
    std::size_t payloadSize = 0;  // payload bytes, checksum not counted
    bool answered = false;        // a reply went out, whole or damaged
    RequestOutcome outcome = RequestOutcome::Answered;
    std::chrono::steady_clock::time_point at;  // when the frame was complete
};

// "status", "page write", ... or "0x42" for a code the device does not know.
[[nodiscard]] std::string CommandName(std::uint8_t command);

// "   12.345 <- 0x30 page write, arg 0, 268 bytes"
[[nodiscard]] std::string RequestLine(std::chrono::duration<double> sinceStart,
                                      std::uint8_t command, std::uint8_t argument,
                                      std::size_t frameSize);
// "   12.347 -> 0x30 page write, 8 bytes, answered" (the size is 0 when nothing
// was sent; a reason follows an ignored request).
[[nodiscard]] std::string ReplyLine(std::chrono::duration<double> sinceStart, std::uint8_t command,
                                    std::size_t frameSize, RequestOutcome outcome,
                                    std::string_view reason);

}  // namespace talveno::devsim
