// Leaves a terminal device in a given state, as another program might have.
#pragma once

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

namespace testing_support {

// Sets the given c_cflag and c_iflag bits, a cooked line and the speed.
inline void PresetSlave(const std::string& path, tcflag_t setC, tcflag_t setI, speed_t speed) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    termios tio{};
    ASSERT_EQ(::tcgetattr(fd, &tio), 0);
    tio.c_cflag |= setC;
    tio.c_iflag |= setI;
    tio.c_lflag |= ICANON | ECHO;
    tio.c_oflag |= OPOST;
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    ASSERT_EQ(::tcsetattr(fd, TCSANOW, &tio), 0);
    ::close(fd);
}

}  // namespace testing_support
