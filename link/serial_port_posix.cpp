// termios implementation of the serial port.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>

#include "serial_port.h"
#include "termios_settings_posix.h"

namespace talveno::link {

namespace {

// A reply byte is either there or not; waiting longer than this for one only
// slows the worker's cycle.
constexpr int kReadTimeoutMs = 1;
// A full 1024-byte frame takes under 200 ms at 57600 baud. A line that takes
// nothing for this long is stuck (a pseudo-terminal nobody reads, an adapter
// gone); the frame is lost as any failed write is, and the worker goes on.
constexpr auto kWriteBound = std::chrono::milliseconds(2000);

PortError ErrorFromErrno(int code) {
    PortError error;
    error.osCode = code;
    error.osText = std::strerror(code);
    switch (code) {
        case ENOENT:
        case ENXIO:
        case ENODEV:
        case ENOTDIR:
            error.kind = PortErrorKind::NotFound;
            break;
        case EACCES:
        case EPERM:
        case EROFS:
            error.kind = PortErrorKind::Permission;
            break;
        case EBUSY:
        case EWOULDBLOCK:
            error.kind = PortErrorKind::Busy;
            break;
        default:
            error.kind = PortErrorKind::Io;
            break;
    }
    return error;
}

}  // namespace

std::string SystemPortName(const std::string& name) {
    if (name == "COM1") {
        return "/dev/ttyS0";
    }
    if (name == "COM2") {
        return "/dev/ttyS1";
    }
    if (name == "COM3") {
        return "/dev/ttyS2";
    }
    return name;
}

struct SerialPort::Impl {
    mutable std::mutex mutex;
    int fd = -1;
    bool haveSaved = false;
    termios saved{};
    PortError lastError;

    void closeLocked() {
        if (fd >= 0) {
            ::flock(fd, LOCK_UN);
            ::close(fd);
            fd = -1;
        }
        haveSaved = false;
    }
};

SerialPort::SerialPort() : impl_(std::make_unique<Impl>()) {}

SerialPort::~SerialPort() {
    std::lock_guard lock(impl_->mutex);
    impl_->closeLocked();
}

bool SerialPort::open(const std::string& systemName) {
    std::lock_guard lock(impl_->mutex);
    impl_->closeLocked();
    // Non-blocking, so that opening never waits for a modem line and writes can
    // be bounded; reads wait through poll().
    const int fd = ::open(systemName.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        impl_->lastError = ErrorFromErrno(errno);
        return false;
    }
    // Two guards against sharing: TIOCEXCL refuses later opens of the device
    // (except to root), the lock refuses other programs that lock as we do,
    // root included.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        impl_->lastError = ErrorFromErrno(EBUSY);
        ::close(fd);
        return false;
    }
    if (::isatty(fd) == 1) {
        (void)::ioctl(fd, TIOCEXCL);
    }
    impl_->fd = fd;
    impl_->lastError = {};
    return true;
}

bool SerialPort::isOpen() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->fd >= 0;
}

void SerialPort::close() {
    std::lock_guard lock(impl_->mutex);
    impl_->closeLocked();
}

void SerialPort::purge() {
    std::lock_guard lock(impl_->mutex);
    if (impl_->fd >= 0) {
        (void)::tcflush(impl_->fd, TCIOFLUSH);
    }
}

void SerialPort::saveSettings() {
    std::lock_guard lock(impl_->mutex);
    if (impl_->fd >= 0) {
        impl_->haveSaved = ::tcgetattr(impl_->fd, &impl_->saved) == 0;
    }
}

void SerialPort::restoreSettings() {
    std::lock_guard lock(impl_->mutex);
    if (impl_->fd >= 0 && impl_->haveSaved) {
        (void)::tcsetattr(impl_->fd, TCSANOW, &impl_->saved);
    }
}

bool SerialPort::applyLineSettings(std::int64_t baud) {
    std::lock_guard lock(impl_->mutex);
    if (impl_->fd < 0) {
        impl_->lastError = {PortErrorKind::Closed, EBADF, std::strerror(EBADF)};
        return false;
    }
    termios tio{};
    if (::tcgetattr(impl_->fd, &tio) != 0) {
        impl_->lastError = ErrorFromErrno(errno);
        return false;
    }
    MakeLinkTermios(tio, SupportedBaud(baud));
    if (::tcsetattr(impl_->fd, TCSANOW, &tio) != 0) {
        impl_->lastError = ErrorFromErrno(errno);
        return false;
    }
    // Both modem lines inactive. A pseudo-terminal has none and says so; that
    // is no reason to refuse the port.
    int lines = TIOCM_DTR | TIOCM_RTS;
    (void)::ioctl(impl_->fd, TIOCMBIC, &lines);
    return true;
}

void SerialPort::setTimeouts() {
    // Reads wait through poll() with kReadTimeoutMs; writes are bounded by
    // kWriteBound. Nothing to tell the driver.
}

void SerialPort::setQueueSizes(std::size_t /*receive*/, std::size_t /*transmit*/) {
    // The kernel sizes its tty buffers itself (4 KiB and more).
}

std::optional<std::size_t> SerialPort::queuedBytes() {
    std::lock_guard lock(impl_->mutex);
    if (impl_->fd < 0) {
        return std::nullopt;
    }
    int count = 0;
    if (::ioctl(impl_->fd, FIONREAD, &count) != 0 || count < 0) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(count);
}

std::optional<std::uint8_t> SerialPort::readByte() {
    std::lock_guard lock(impl_->mutex);
    if (impl_->fd < 0) {
        return std::nullopt;
    }
    pollfd pfd{impl_->fd, POLLIN, 0};
    const int ready = ::poll(&pfd, 1, kReadTimeoutMs);
    if (ready <= 0 || (pfd.revents & POLLIN) == 0) {
        return std::nullopt;
    }
    std::uint8_t byte = 0;
    if (::read(impl_->fd, &byte, 1) != 1) {
        return std::nullopt;
    }
    return byte;
}

bool SerialPort::write(std::span<const std::uint8_t> bytes) {
    std::lock_guard lock(impl_->mutex);
    if (impl_->fd < 0) {
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + kWriteBound;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(impl_->fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            return false;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd pfd{impl_->fd, POLLOUT, 0};
        if (::poll(&pfd, 1, static_cast<int>(left.count())) < 0 && errno != EINTR) {
            return false;
        }
        if ((pfd.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
            return false;
        }
    }
    return true;
}

bool SerialPort::drain() {
    std::lock_guard lock(impl_->mutex);
    if (impl_->fd < 0) {
        return false;
    }
    return ::tcdrain(impl_->fd) == 0;
}

std::optional<LineSettings> SerialPort::currentSettings() const {
    std::lock_guard lock(impl_->mutex);
    termios tio{};
    if (impl_->fd < 0 || ::tcgetattr(impl_->fd, &tio) != 0) {
        return std::nullopt;
    }
    return DescribeTermios(tio);
}

PortError SerialPort::lastError() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->lastError;
}

}  // namespace talveno::link
