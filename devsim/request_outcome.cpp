#include "request_outcome.h"

namespace talveno::devsim {

std::string_view OutcomeName(RequestOutcome outcome) {
    switch (outcome) {
        case RequestOutcome::Answered:
            return "answered";
        case RequestOutcome::Corrupted:
            return "answered, corrupted";
        case RequestOutcome::Dropped:
            return "reply dropped";
        case RequestOutcome::Silenced:
            return "silent";
        case RequestOutcome::BadChecksum:
            return "bad checksum, ignored";
        case RequestOutcome::UnknownCommand:
            return "unknown command, ignored";
        case RequestOutcome::NotInFlashMode:
            return "not in flash mode, ignored";
        case RequestOutcome::BadPayload:
            return "bad payload, ignored";
        case RequestOutcome::BadRecord:
            return "bad record checksum, ignored";
        case RequestOutcome::LineFailed:
            return "line did not take the reply";
    }
    return "?";
}

}  // namespace talveno::devsim
