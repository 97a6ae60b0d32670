#include "serial_port.h"

namespace talveno::link {

std::uint32_t SupportedBaud(std::int64_t requested) {
    switch (requested) {
        case 9600:
        case 19200:
        case 38400:
        case 57600:
        case 115200:
            return static_cast<std::uint32_t>(requested);
        default:
            return 57600;
    }
}

}  // namespace talveno::link
