// The console's side of the line played directly with the real serial layer:
// requests go out whole, replies are assembled as the console's worker does,
// with no exchange cycle in between.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "serial_port.h"

namespace talveno::devsim::testing {

struct ReceivedFrame {
    std::vector<std::uint8_t> frame;
    std::size_t skipped = 0;     // bytes before the frame that started none
    std::size_t firstBurst = 0;  // bytes at hand when the first one came
};

class RawConsole {
public:
    // Opens `path` and sets the console's line settings; check ok().
    explicit RawConsole(const std::string& path);

    [[nodiscard]] bool ok() const { return ok_; }
    [[nodiscard]] bool send(std::span<const std::uint8_t> bytes) { return port_.write(bytes); }
    [[nodiscard]] bool request(std::uint8_t command, std::uint8_t argument = 0,
                               std::span<const std::uint8_t> payload = {});
    // The next complete frame within `wait`.
    [[nodiscard]] std::optional<ReceivedFrame> readFrame(std::chrono::milliseconds wait);
    // A request and its reply frame within `wait`.
    [[nodiscard]] std::optional<std::vector<std::uint8_t>> exchange(
        std::uint8_t command, std::uint8_t argument = 0, std::span<const std::uint8_t> payload = {},
        std::chrono::milliseconds wait = std::chrono::milliseconds(3000));

private:
    link::SerialPort port_;
    bool ok_ = false;
};

// Waits, polling, until `done` holds or `limit` passed; whether it held.
template <class Predicate>
[[nodiscard]] bool WaitUntil(Predicate done, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

}  // namespace talveno::devsim::testing
