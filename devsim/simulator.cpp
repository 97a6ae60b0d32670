#include "simulator.h"

namespace talveno::devsim {

Simulator::Simulator(SimulatorOptions options) : server_(std::move(options)) {
    if (!pty_.ok()) {
        error_ = "cannot create a pseudo-terminal: " + pty_.error().osText;
        return;
    }
    if (!server_.error().empty()) {
        error_ = server_.error();
        return;
    }
    serving_ = true;
    thread_ = std::thread([this] {
        server_.serve(line_, stop_);
        serving_ = false;
    });
}

Simulator::~Simulator() {
    // The thread sees the flag within one poll slice or one bounded write.
    stop_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
}

}  // namespace talveno::devsim
