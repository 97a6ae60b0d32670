// Turns received bytes, one at a time, into complete frames.
//
// A frame begins with 'w'; every later byte is appended whatever its value.
// Once eight bytes are held and byte 7 is 0x0A, bytes 4 and 5 give the length;
// otherwise the length of the previous header stays in force. The frame is
// complete when length + 8 bytes are held. Neither the checksum nor the
// signature bytes are examined: a damaged frame is delivered like any other.
//
// Never stores past its 1024 bytes: a header announcing more than 1016 bytes
// after it drops the partial frame, and the assembler waits for the next 'w'.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "link_frame.h"

namespace talveno::link {

class FrameAssembler {
public:
    // Feeds one received byte. Returns true when it completed a frame, which
    // frame() then shows until the next feed.
    [[nodiscard]] bool feed(std::uint8_t byte);

    // The frame completed by the last feed: length + 8 bytes from byte 0.
    [[nodiscard]] std::span<const std::uint8_t> frame() const;

    // Drops a partly received frame (after a long silence on the line). The
    // length in force is kept.
    void dropPartial() { rxCount_ = 0; }

    [[nodiscard]] std::size_t held() const { return rxCount_; }
    [[nodiscard]] std::uint16_t expectedLength() const { return expectedLength_; }

private:
    std::array<std::uint8_t, kMaxFrameSize> rxBuf_{};
    std::size_t rxCount_ = 0;
    std::uint16_t expectedLength_ = 0;
};

}  // namespace talveno::link
