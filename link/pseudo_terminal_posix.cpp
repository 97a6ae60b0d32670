#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "pseudo_terminal.h"

namespace talveno::link {

namespace {

PortError ErrorNow() {
    const int code = errno;
    return {PortErrorKind::Io, code, std::strerror(code)};
}

int Remaining(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

PseudoTerminal::PseudoTerminal() {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) {
        error_ = ErrorNow();
        return;
    }
    char name[128] = {};
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 ||
        ::ptsname_r(master, name, sizeof name) != 0) {
        error_ = ErrorNow();
        ::close(master);
        return;
    }
    const int keeper = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (keeper < 0) {
        error_ = ErrorNow();
        ::close(master);
        return;
    }
    termios tio{};
    if (::tcgetattr(keeper, &tio) == 0) {
        ::cfmakeraw(&tio);
        (void)::tcsetattr(keeper, TCSANOW, &tio);
    }
    // Writes must never hang on a slave side nobody reads.
    (void)::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    master_ = master;
    slaveKeeper_ = keeper;
    slavePath_ = name;
}

PseudoTerminal::~PseudoTerminal() {
    releaseSlave();
    closeMaster();
}

void PseudoTerminal::closeMaster() {
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
}

void PseudoTerminal::releaseSlave() {
    if (slaveKeeper_ >= 0) {
        ::close(slaveKeeper_);
        slaveKeeper_ = -1;
    }
}

bool PseudoTerminal::write(std::span<const std::uint8_t> bytes, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::size_t done = 0;
    while (done < bytes.size()) {
        if (master_ < 0) {
            return false;
        }
        const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            return false;
        }
        const int left = Remaining(deadline);
        if (left == 0) {
            return false;
        }
        pollfd pfd{master_, POLLOUT, 0};
        (void)::poll(&pfd, 1, left);
    }
    return true;
}

std::vector<std::uint8_t> PseudoTerminal::read(std::chrono::milliseconds wait) {
    std::vector<std::uint8_t> got;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    int timeout = Remaining(deadline);
    while (master_ >= 0) {
        pollfd pfd{master_, POLLIN, 0};
        if (::poll(&pfd, 1, timeout) <= 0 || (pfd.revents & POLLIN) == 0) {
            break;
        }
        std::uint8_t chunk[512];
        const ssize_t n = ::read(master_, chunk, sizeof chunk);
        if (n <= 0) {
            break;
        }
        got.insert(got.end(), chunk, chunk + n);
        // Once bytes flow, stop at the first short gap rather than the deadline.
        timeout = std::min(Remaining(deadline), 20);
    }
    return got;
}

std::vector<std::uint8_t> PseudoTerminal::readExactly(std::size_t count,
                                                      std::chrono::milliseconds wait) {
    std::vector<std::uint8_t> got;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (master_ >= 0 && got.size() < count) {
        const int timeout = Remaining(deadline);
        pollfd pfd{master_, POLLIN, 0};
        if (::poll(&pfd, 1, timeout) <= 0 || (pfd.revents & POLLIN) == 0) {
            break;
        }
        std::uint8_t chunk[512];
        const std::size_t want = std::min(sizeof chunk, count - got.size());
        const ssize_t n = ::read(master_, chunk, want);
        if (n <= 0) {
            break;
        }
        got.insert(got.end(), chunk, chunk + n);
    }
    return got;
}

}  // namespace talveno::link
