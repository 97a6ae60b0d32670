#include <windows.h>

#include "process_priority.h"

namespace talveno::console {

void RaiseProcessPriority() {
    (void)::SetPriorityClass(::GetCurrentProcess(), HIGH_PRIORITY_CLASS);
}

}  // namespace talveno::console
