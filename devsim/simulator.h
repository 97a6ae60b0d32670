// A simulated device on a pseudo-terminal, served on its own thread, for a
// console or a test in the same process: the console opens portPath() as its
// serial port. POSIX only.
//
// Every member is thread-safe. The destructor stops the serving thread and
// waits for it; that never takes long, whether or not anybody still reads
// the console's side (every write of the device is bounded).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "device_server.h"
#include "pseudo_terminal.h"
#include "pty_line.h"
#include "simulator_options.h"

namespace talveno::devsim {

class Simulator {
public:
    explicit Simulator(SimulatorOptions options = {});
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // False when the pseudo-terminal or the state folder could not be set up;
    // error() then tells why, and nothing is served.
    [[nodiscard]] bool ok() const { return error_.empty(); }
    [[nodiscard]] std::string error() const { return error_; }
    // The path of the console's side of the line.
    [[nodiscard]] const std::string& portPath() const { return pty_.slavePath(); }
    // False once serving ended (the hang-up fault, or a failure of the line).
    [[nodiscard]] bool serving() const { return serving_.load(); }

    void setFaults(const Faults& faults) { server_.setFaults(faults); }

    // Snapshots of the device.
    [[nodiscard]] std::vector<std::uint8_t> sector(int n) const { return server_.sector(n); }
    [[nodiscard]] std::array<std::uint8_t, kConfigRecordSize> config() const {
        return server_.config();
    }
    [[nodiscard]] bool flashMode() const { return server_.flashMode(); }
    [[nodiscard]] bool remoteMode() const { return server_.remoteMode(); }
    [[nodiscard]] InputSnapshot inputs() const { return server_.inputs(); }
    [[nodiscard]] std::vector<LoggedRequest> requests() const { return server_.requests(); }
    void clearRequests() { server_.clearRequests(); }
    [[nodiscard]] bool hungUp() const { return server_.hungUp(); }

private:
    link::PseudoTerminal pty_;
    PtyLine line_{pty_};
    DeviceServer server_;
    std::string error_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> serving_{false};
    std::thread thread_;
};

}  // namespace talveno::devsim
