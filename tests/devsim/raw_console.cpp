#include "raw_console.h"

#include "frame_assembler.h"
#include "frames.h"

namespace talveno::devsim::testing {

RawConsole::RawConsole(const std::string& path) {
    ok_ = port_.open(path) && port_.applyLineSettings(57600);
    port_.setTimeouts();
}

bool RawConsole::request(std::uint8_t command, std::uint8_t argument,
                         std::span<const std::uint8_t> payload) {
    return send(Request(command, argument, payload));
}

std::optional<ReceivedFrame> RawConsole::readFrame(std::chrono::milliseconds wait) {
    link::FrameAssembler assembler;
    ReceivedFrame received;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    bool first = true;
    while (std::chrono::steady_clock::now() < deadline) {
        const auto byte = port_.readByte();
        if (!byte) {
            continue;
        }
        if (first) {
            received.firstBurst = 1 + port_.queuedBytes().value_or(0);
            first = false;
        }
        if (assembler.held() == 0 && *byte != link::kStartByte) {
            ++received.skipped;
        }
        if (assembler.feed(*byte)) {
            const auto frame = assembler.frame();
            received.frame.assign(frame.begin(), frame.end());
            return received;
        }
    }
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> RawConsole::exchange(std::uint8_t command,
                                                              std::uint8_t argument,
                                                              std::span<const std::uint8_t> payload,
                                                              std::chrono::milliseconds wait) {
    if (!request(command, argument, payload)) {
        return std::nullopt;
    }
    auto received = readFrame(wait);
    if (!received) {
        return std::nullopt;
    }
    return received->frame;
}

}  // namespace talveno::devsim::testing
