// Faults the device can be told to show, to try the console against a line
// and a device that misbehave. Every count starts when the faults are set.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace talveno::devsim {

struct Faults {
    int dropEvery = 0;                       // drop every Nth reply (0: off)
    std::chrono::milliseconds delay{0};      // extra wait before each reply
    int noiseBytes = 0;                      // bytes of noise sent before each reply
    int splitPieces = 0;                     // send each reply in this many pieces (0, 1: whole)
    std::chrono::milliseconds splitGap{20};  // pause between two pieces
    int corruptEvery = 0;                    // change one byte of every Nth reply (0: off)
    int silentAfter = 0;                     // answer only the first N requests (0: off)
    int hangUpAfter = 0;                     // hang up the line after the Nth request (0: off)
    // Drop the reply to the Nth request of one command; N = 0 drops every
    // reply to that command (a device that never answers it).
    std::optional<std::uint8_t> dropCommand;
    int dropCommandNth = 0;

    friend bool operator==(const Faults&, const Faults&) = default;
};

// Faults that drop the reply to the Nth request of `command` (every reply
// when `nth` is 0) and nothing else.
[[nodiscard]] Faults DropReplies(std::uint8_t command, int nth);

// What happens to a request when it arrives.
struct RequestFate {
    bool silent = false;  // ignore it: the device answers nothing any more
    bool hangUp = false;  // hang up once it was dealt with
};

// What happens to a reply the device made.
struct ReplyPlan {
    bool drop = false;
    bool corrupt = false;
    std::chrono::milliseconds delay{0};
    int noiseBytes = 0;
    int pieces = 1;
    std::chrono::milliseconds gap{0};
};

// Keeps the counts the faults need. Not thread-safe.
class FaultInjector {
public:
    explicit FaultInjector(const Faults& faults = {}) : faults_(faults) {}

    [[nodiscard]] const Faults& faults() const { return faults_; }

    // Once per complete request frame, whatever its content.
    [[nodiscard]] RequestFate onRequest();
    // Once per reply the device made to a request of `command`.
    [[nodiscard]] ReplyPlan onReply(std::uint8_t command);

private:
    Faults faults_;
    int requests_ = 0;
    int replies_ = 0;
    int repliesToDropCommand_ = 0;
};

// Inverts one byte of a reply frame: the first payload byte when there is a
// payload (the checksum then no longer matches), else the command byte (the
// console sees a reply to something it never asked). Frames shorter than a
// header are left alone.
void CorruptReply(std::vector<std::uint8_t>& frame);

// `count` bytes of line noise. They never hold the start byte 'w', so a
// receiver that skips bytes before a frame start still finds the reply after
// them; `seed` makes them differ from reply to reply.
[[nodiscard]] std::vector<std::uint8_t> NoiseBytes(int count, std::uint32_t seed);

// `frame` cut into `pieces` runs as even as possible (at most one per byte).
[[nodiscard]] std::vector<std::span<const std::uint8_t>> SplitReply(
    std::span<const std::uint8_t> frame, int pieces);

}  // namespace talveno::devsim
