#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "pty_line.h"

namespace talveno::devsim {

namespace {

constexpr auto kSendBound = std::chrono::milliseconds(1000);
constexpr auto kHangUpDrainBound = std::chrono::milliseconds(1000);
constexpr auto kPtyDeliverySettle = std::chrono::milliseconds(30);

}  // namespace

PtyLine::PtyLine(link::PseudoTerminal& pty) : pty_(pty) {
    if (pty_.ok()) {
        watcher_ = ::open(pty_.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    }
}

PtyLine::~PtyLine() {
    if (watcher_ >= 0) {
        ::close(watcher_);
    }
}

bool PtyLine::receive(std::vector<std::uint8_t>& into, std::chrono::milliseconds wait) {
    const int fd = pty_.masterFd();
    if (fd < 0) {
        return false;
    }
    pollfd pfd{fd, POLLIN, 0};
    const int ready = ::poll(&pfd, 1, static_cast<int>(wait.count()));
    if (ready <= 0) {
        return true;
    }
    if ((pfd.revents & POLLIN) == 0) {
        // The master reports a hang-up while no slave descriptor is open; the
        // pseudo-terminal keeps one, so this is short-lived. Do not spin.
        std::this_thread::sleep_for(wait);
        return true;
    }
    std::uint8_t chunk[1024];
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n > 0) {
        into.insert(into.end(), chunk, chunk + n);
    } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
        std::this_thread::sleep_for(wait);
    }
    return true;
}

bool PtyLine::send(std::span<const std::uint8_t> bytes) {
    return pty_.write(bytes, kSendBound);
}

void PtyLine::hangUp() {
    // Closing the master discards what the console has not read yet; a reply
    // sent just before the hang-up would never have been seen. Bytes written
    // to the master reach the console's queue a moment later, so an empty
    // queue right after a write proves nothing.
    std::this_thread::sleep_for(kPtyDeliverySettle);
    const auto deadline = std::chrono::steady_clock::now() + kHangUpDrainBound;
    int unread = 0;
    while (watcher_ >= 0 && ::ioctl(watcher_, FIONREAD, &unread) == 0 && unread > 0 &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    pty_.closeMaster();
    if (watcher_ >= 0) {
        ::close(watcher_);
        watcher_ = -1;
    }
}

}  // namespace talveno::devsim
