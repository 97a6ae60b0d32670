// The link's small vocabulary of port failures. The operating system's code
// and wording are captured in the failing call and travel as values.
#pragma once

#include <string>

namespace talveno::link {

enum class PortErrorKind {
    None,
    NotFound,    // no device of that name
    Permission,  // the user may not open it
    Busy,        // another program holds it
    Io,          // the device refused a request or went away
    Closed,      // no port is open
};

struct PortError {
    PortErrorKind kind = PortErrorKind::None;
    int osCode = 0;      // errno, or GetLastError() on Windows
    std::string osText;  // the operating system's own wording
};

}  // namespace talveno::link
