// The serial line as the device uses it: a pseudo-terminal for a console on
// the same machine, or a real port for one at the end of a cable.
#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <vector>

namespace talveno::devsim {

class DeviceLine {
public:
    virtual ~DeviceLine() = default;

    // Appends to `into` what arrived within `wait` (returns as soon as
    // something came). False once the line is gone.
    [[nodiscard]] virtual bool receive(std::vector<std::uint8_t>& into,
                                       std::chrono::milliseconds wait) = 0;
    // Sends all of `bytes`; false when the line did not take them within a
    // bound of about a second (nobody reads the other end), so the device
    // never hangs on a console that went away.
    [[nodiscard]] virtual bool send(std::span<const std::uint8_t> bytes) = 0;
    // Drops the line: the console sees its port go away.
    virtual void hangUp() = 0;
    [[nodiscard]] virtual bool up() const = 0;
};

}  // namespace talveno::devsim
