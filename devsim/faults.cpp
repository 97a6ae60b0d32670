#include "faults.h"

#include <algorithm>

#include "link_frame.h"

namespace talveno::devsim {

Faults DropReplies(std::uint8_t command, int nth) {
    Faults faults;
    faults.dropCommand = command;
    faults.dropCommandNth = nth;
    return faults;
}

namespace {

bool IsNth(int count, int every) {
    return every > 0 && count % every == 0;
}

}  // namespace

RequestFate FaultInjector::onRequest() {
    ++requests_;
    RequestFate fate;
    fate.silent = faults_.silentAfter > 0 && requests_ > faults_.silentAfter;
    fate.hangUp = faults_.hangUpAfter > 0 && requests_ >= faults_.hangUpAfter;
    return fate;
}

ReplyPlan FaultInjector::onReply(std::uint8_t command) {
    ++replies_;
    ReplyPlan plan;
    plan.drop = IsNth(replies_, faults_.dropEvery);
    if (faults_.dropCommand && *faults_.dropCommand == command) {
        ++repliesToDropCommand_;
        plan.drop = plan.drop || faults_.dropCommandNth == 0 ||
                    repliesToDropCommand_ == faults_.dropCommandNth;
    }
    plan.corrupt = IsNth(replies_, faults_.corruptEvery);
    plan.delay = faults_.delay;
    plan.noiseBytes = std::max(0, faults_.noiseBytes);
    plan.pieces = std::max(1, faults_.splitPieces);
    plan.gap = faults_.splitGap;
    return plan;
}

void CorruptReply(std::vector<std::uint8_t>& frame) {
    if (frame.size() < link::kHeaderSize) {
        return;
    }
    const std::size_t at =
        frame.size() > link::kHeaderSize ? link::kPayloadOffset : link::kCommandOffset;
    frame[at] = static_cast<std::uint8_t>(~frame[at]);
}

std::vector<std::uint8_t> NoiseBytes(int count, std::uint32_t seed) {
    std::vector<std::uint8_t> noise;
    std::uint32_t state = seed | 1U;
    for (int i = 0; i < count; ++i) {
        state = state * 1664525U + 1013904223U;
        auto byte = static_cast<std::uint8_t>(state >> 24);
        if (byte == link::kStartByte) {
            byte = static_cast<std::uint8_t>(byte + 1);
        }
        noise.push_back(byte);
    }
    return noise;
}

std::vector<std::span<const std::uint8_t>> SplitReply(std::span<const std::uint8_t> frame,
                                                      int pieces) {
    std::vector<std::span<const std::uint8_t>> runs;
    const std::size_t count = std::clamp<std::size_t>(static_cast<std::size_t>(std::max(pieces, 1)),
                                                      1, std::max<std::size_t>(frame.size(), 1));
    std::size_t start = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t end = frame.size() * (i + 1) / count;
        runs.push_back(frame.subspan(start, end - start));
        start = end;
    }
    return runs;
}

}  // namespace talveno::devsim
