// How the link sets up a terminal line, as a pure change of a termios record,
// so the rules can be checked on any record (a pseudo-terminal cannot show
// parity: Linux forces it off there).
#pragma once

#include <termios.h>

#include <cstdint>

#include "serial_port.h"

namespace talveno::link {

// Raw 8 data bits, one stop bit, no handshake, parity neither checked nor
// marked, the parity mode itself (PARENB, PARODD, CMSPAR) left alone; reads
// return at once (the port waits through poll()); `baud` as SupportedBaud gives.
void MakeLinkTermios(termios& tio, std::uint32_t baud);

[[nodiscard]] LineSettings DescribeTermios(const termios& tio);

}  // namespace talveno::link
