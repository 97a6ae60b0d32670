#include "serial_port_line.h"

namespace talveno::devsim {

bool SerialPortLine::receive(std::vector<std::uint8_t>& into, std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    bool got = false;
    do {
        if (!port_.isOpen()) {
            return false;
        }
        // readByte waits about 1 ms when nothing is there, which paces this loop.
        if (const auto byte = port_.readByte()) {
            into.push_back(*byte);
            got = true;
            const std::size_t waiting = port_.queuedBytes().value_or(0);
            for (std::size_t i = 0; i < waiting; ++i) {
                if (const auto more = port_.readByte()) {
                    into.push_back(*more);
                }
            }
        }
    } while (!got && std::chrono::steady_clock::now() < deadline);
    return true;
}

bool SerialPortLine::send(std::span<const std::uint8_t> bytes) {
    // The port bounds its own writes; drain so that pacing and split pieces
    // leave the wire when the device means them to.
    return port_.write(bytes) && port_.drain();
}

}  // namespace talveno::devsim
