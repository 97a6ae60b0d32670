#include "termios_settings_posix.h"

namespace talveno::link {

namespace {

speed_t SpeedFor(std::uint32_t baud) {
    switch (baud) {
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 115200:
            return B115200;
        default:
            return B57600;
    }
}

std::uint32_t BaudFor(speed_t speed) {
    switch (speed) {
        case B9600:
            return 9600;
        case B19200:
            return 19200;
        case B38400:
            return 38400;
        case B57600:
            return 57600;
        case B115200:
            return 115200;
        default:
            return 0;
    }
}

}  // namespace

void MakeLinkTermios(termios& tio, std::uint32_t baud) {
    tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR |
                                          ICRNL | IXON | IXOFF | IXANY | INPCK);
    tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CREAD | CLOCAL;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    const speed_t speed = SpeedFor(SupportedBaud(baud));
    (void)::cfsetispeed(&tio, speed);
    (void)::cfsetospeed(&tio, speed);
}

LineSettings DescribeTermios(const termios& tio) {
    LineSettings s;
    s.baud = BaudFor(::cfgetospeed(&tio));
    switch (tio.c_cflag & CSIZE) {
        case CS5:
            s.dataBits = 5;
            break;
        case CS6:
            s.dataBits = 6;
            break;
        case CS7:
            s.dataBits = 7;
            break;
        default:
            s.dataBits = 8;
            break;
    }
    s.stopBits = (tio.c_cflag & CSTOPB) != 0 ? 2 : 1;
    if ((tio.c_cflag & PARENB) == 0) {
        s.parity = Parity::None;
    } else if ((tio.c_cflag & CMSPAR) != 0) {
        s.parity = (tio.c_cflag & PARODD) != 0 ? Parity::Mark : Parity::Space;
    } else {
        s.parity = (tio.c_cflag & PARODD) != 0 ? Parity::Odd : Parity::Even;
    }
    s.parityChecked = (tio.c_iflag & INPCK) != 0;
    s.rtsCts = (tio.c_cflag & CRTSCTS) != 0;
    s.xonXoff = (tio.c_iflag & (IXON | IXOFF)) != 0;
    s.raw = (tio.c_lflag & (ICANON | ECHO | ISIG)) == 0 && (tio.c_oflag & OPOST) == 0 &&
            (tio.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP)) == 0;
    return s;
}

}  // namespace talveno::link
