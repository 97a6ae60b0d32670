// The bounded wait of a handler for the device's reply: raise the request,
// then pump events and sleep until the dispatcher raises the reply flag or
// the tries run out. The pumping is what lets the link's hand-offs run.
#pragma once

#include <cstdint>

#include "exchange_state.h"

namespace talveno::console {

struct WaitSetting {
    int tries;
    int sleepMs;
    // Raise the request again on each try that finds it taken (a request with
    // no reply yet goes out again), and pump once more after the sleep.
    bool repeatRequest;
};

inline constexpr WaitSetting kFlashModeInWait{8, 500, true};
inline constexpr WaitSetting kFlashModeOutWait{10, 500, true};
inline constexpr WaitSetting kSectorEraseWait{20, 500, false};
inline constexpr WaitSetting kPageWriteWait{20, 50, false};
inline constexpr WaitSetting kConfigWait{10, 500, false};

using Flag = std::uint8_t ExchangeFlags::*;

// Waits as `setting` says. The caller has cleared `reply` and, where the
// request is sent once, raised `request`. True when the reply came, also in
// the last try.
[[nodiscard]] bool WaitForReply(ExchangeFlags& flags, Flag request, Flag reply,
                                const WaitSetting& setting);

}  // namespace talveno::console
