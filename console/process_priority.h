// Raises the process's scheduling priority where the system permits, so the
// link keeps its pace on a busy laptop; silently keeps it where it does not.
#pragma once

namespace talveno::console {

void RaiseProcessPriority();

}  // namespace talveno::console
