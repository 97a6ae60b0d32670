// A pseudo-terminal pair (POSIX only): the slave side looks like a serial port
// to whoever opens it by path; the master side plays the other end of the line.
// The simulated device serves on the master; tests use it as a line to a device.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "port_error.h"

namespace talveno::link {

class PseudoTerminal {
public:
    // Creates the pair and holds one descriptor of the slave side in raw mode,
    // so that the master never sees a hang-up while the port's user closes and
    // reopens it. Check ok().
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    [[nodiscard]] bool ok() const { return master_ >= 0; }
    [[nodiscard]] const PortError& error() const { return error_; }
    [[nodiscard]] const std::string& slavePath() const { return slavePath_; }
    [[nodiscard]] int masterFd() const { return master_; }

    // Writes all bytes to the master side. False on failure, or when the
    // line did not take them within `limit` (nobody reads the slave side).
    [[nodiscard]] bool write(std::span<const std::uint8_t> bytes,
                             std::chrono::milliseconds limit = std::chrono::milliseconds(1000));
    // Reads what the master side receives within `wait` (returns as soon as
    // something came, after collecting what follows within a short gap).
    [[nodiscard]] std::vector<std::uint8_t> read(std::chrono::milliseconds wait);
    // Reads until `count` bytes came or `wait` passed.
    [[nodiscard]] std::vector<std::uint8_t> readExactly(std::size_t count,
                                                        std::chrono::milliseconds wait);

    // Closes the master side: the slave's user sees its line go away.
    void closeMaster();
    // Drops the held slave descriptor (the master then sees a hang-up once the
    // port's user closes its side too).
    void releaseSlave();

private:
    int master_ = -1;
    int slaveKeeper_ = -1;
    std::string slavePath_;
    PortError error_;
};

}  // namespace talveno::link
