// How a simulated device is set up, for the program and for in-process use.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "faults.h"

namespace talveno::devsim {

// Receives the device's log lines (messages played, state saved, hang-up,
// and with `verbose` one line per request and per reply). May be called from
// the serving thread.
using LogSink = std::function<void(std::string_view line)>;

struct SimulatorOptions {
    Faults faults;
    // Take and send bytes at the line rate (57600 baud, 10 bits per byte), so
    // that a load takes as long as on a real line.
    bool pace = false;
    std::chrono::milliseconds eraseTime{300};
    // Folder that keeps FLASH and configuration across runs; empty: nothing kept.
    std::string stateDir;
    LogSink log;
    bool verbose = false;
};

}  // namespace talveno::devsim
