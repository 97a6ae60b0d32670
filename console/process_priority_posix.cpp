#include <sys/resource.h>

#include "process_priority.h"

namespace talveno::console {

void RaiseProcessPriority() {
    // A negative nice value needs privileges; without them this fails and the
    // priority stays as it is.
    (void)::setpriority(PRIO_PROCESS, 0, -10);
}

}  // namespace talveno::console
