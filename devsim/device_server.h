// Serves a Device on a serial line: assembles request frames from the bytes
// that arrive, lets the device act on each, and sends its reply after the
// device's working time, through the fault settings and at the line's pace.
// Keeps the request record and saves the device's memory when a state folder
// is set.
//
// Threads: serve() runs on one thread (the serving thread); every other
// member may be called from any thread while it runs.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "device.h"
#include "device_line.h"
#include "faults.h"
#include "request_log.h"
#include "simulator_options.h"
#include "state_store.h"

namespace talveno::devsim {

// What the inputs show at one moment, for tests and diagnostics.
struct InputSnapshot {
    StatusReport report;
    std::array<std::uint16_t, kMessageCount> plays{};
};

class DeviceServer {
public:
    // Restores the kept state when `options.stateDir` is set; check error().
    explicit DeviceServer(SimulatorOptions options);
    // Saves what is not yet saved.
    ~DeviceServer();
    DeviceServer(const DeviceServer&) = delete;
    DeviceServer& operator=(const DeviceServer&) = delete;

    // Empty when the server can serve; else why not (state folder unusable).
    [[nodiscard]] std::string error() const { return error_; }

    // Serves until `stop` is set or the line goes away (also by the hang-up
    // fault). Every wait inside is bounded and watches `stop`.
    void serve(DeviceLine& line, const std::atomic<bool>& stop);

    // Takes effect for the requests that follow; every fault count restarts.
    void setFaults(const Faults& faults);

    [[nodiscard]] std::vector<std::uint8_t> sector(int n) const;
    [[nodiscard]] ConfigRecord config() const;
    [[nodiscard]] bool flashMode() const;
    [[nodiscard]] bool remoteMode() const;
    [[nodiscard]] InputSnapshot inputs() const;
    [[nodiscard]] std::vector<LoggedRequest> requests() const;
    void clearRequests();
    // True once the line was hung up by the fault.
    [[nodiscard]] bool hungUp() const { return hungUp_.load(); }

private:
    void serveFrame(DeviceLine& line, std::span<const std::uint8_t> frame,
                    const std::atomic<bool>& stop);
    [[nodiscard]] RequestOutcome deliver(DeviceLine& line, std::vector<std::uint8_t> reply,
                                         const ReplyPlan& plan, const std::atomic<bool>& stop);
    [[nodiscard]] bool sendPaced(DeviceLine& line, std::span<const std::uint8_t> bytes,
                                 const std::atomic<bool>& stop);
    void letTimePass(std::chrono::steady_clock::time_point now);
    void saveChanges();
    void record(const LoggedRequest& entry);
    void log(const std::string& line) const;
    [[nodiscard]] std::chrono::duration<double> sinceStart() const;

    const SimulatorOptions options_;
    std::optional<StateStore> store_;
    std::string error_;
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point lastAdvance_ = start_;
    std::atomic<bool> hungUp_{false};
    std::uint32_t repliesMade_ = 0;

    mutable std::mutex mutex_;  // guards everything below
    Device device_;
    FaultInjector injector_;
    std::deque<LoggedRequest> requests_;
};

}  // namespace talveno::devsim
