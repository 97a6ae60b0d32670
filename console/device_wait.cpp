#include "device_wait.h"

#include "pumping.h"

namespace talveno::console {

bool WaitForReply(ExchangeFlags& flags, Flag request, Flag reply, const WaitSetting& setting) {
    // The reply to a request taken late in one try is handed over only in the
    // next try's pumping. Asking again in that try would send the request a
    // second time for every answered one, and a second flash mode request
    // undoes the first; so a request goes out again only after a whole try
    // without its reply.
    bool takenInLastTry = false;
    for (int attempt = 0; attempt < setting.tries && flags.*reply == 0; ++attempt) {
        if (setting.repeatRequest && flags.*request == 0 && !takenInLastTry) {
            flags.*request = 1;
        }
        const bool pendingBefore = flags.*request != 0;
        PumpEvents();
        SleepPlain(setting.sleepMs);
        if (setting.repeatRequest) {
            PumpEvents();
        }
        takenInLastTry = pendingBefore && flags.*request == 0;
    }
    return flags.*reply != 0;
}

}  // namespace talveno::console
