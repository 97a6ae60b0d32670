// What a person can do about a port that would not open: the operating
// system's reason and a hint, shown under the console's own error text.
#pragma once

#include <QString>

#include "port_error.h"

namespace talveno::console {

[[nodiscard]] QString PortFailureDetail(const link::PortError& error);

}  // namespace talveno::console
