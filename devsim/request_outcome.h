// What became of one request the device received.
#pragma once

#include <string_view>

namespace talveno::devsim {

enum class RequestOutcome {
    Answered,        // the reply went out whole
    Corrupted,       // the reply went out with one byte changed (fault)
    Dropped,         // the device made a reply that was never sent (fault)
    Silenced,        // the device no longer answers anything (fault)
    BadChecksum,     // the frame's checksum did not match; ignored
    UnknownCommand,  // no such command; ignored
    NotInFlashMode,  // erase or page write outside flash mode; ignored
    BadPayload,      // too short, or a sector that does not exist; ignored
    BadRecord,       // configuration record with a wrong checksum; ignored
    LineFailed,      // the line did not take the reply
};

[[nodiscard]] std::string_view OutcomeName(RequestOutcome outcome);

// True when the console got a reply (whole or damaged).
[[nodiscard]] inline bool ReplySent(RequestOutcome outcome) {
    return outcome == RequestOutcome::Answered || outcome == RequestOutcome::Corrupted;
}

}  // namespace talveno::devsim
