#include "frame_assembler.h"

namespace talveno::link {

bool FrameAssembler::feed(std::uint8_t byte) {
    // rxCount_ stays below kMaxFrameSize: a frame completes at length + 8 bytes
    // and no length above kMaxLengthField is ever taken.
    rxBuf_[rxCount_] = byte;
    if (rxBuf_[kStartOffset] == kStartByte) {
        ++rxCount_;
    } else {
        rxCount_ = 0;
    }
    if (rxCount_ == kHeaderSize && rxBuf_[kHeaderEndOffset] == kHeaderEnd) {
        const auto announced =
            static_cast<std::uint16_t>(rxBuf_[kLengthLowOffset] | (rxBuf_[kLengthHighOffset] << 8));
        if (announced > kMaxLengthField) {
            // Too long to hold: forget this frame; the next byte is tested
            // as a possible start again.
            rxCount_ = 0;
            return false;
        }
        expectedLength_ = announced;
    }
    if (rxCount_ == static_cast<std::size_t>(expectedLength_) + kHeaderSize) {
        rxCount_ = 0;
        return true;
    }
    return false;
}

std::span<const std::uint8_t> FrameAssembler::frame() const {
    return {rxBuf_.data(), static_cast<std::size_t>(expectedLength_) + kHeaderSize};
}

}  // namespace talveno::link
