#include "program.h"

#include <filesystem>
#include <system_error>
#include <thread>

#include "device_server.h"
#include "serial_port.h"
#include "serial_port_line.h"
#include "simulator.h"
#include "wav_export.h"

namespace talveno::devsim {

namespace {

namespace fs = std::filesystem;

// Makes `link` point at `target`. A link left behind by an earlier run is
// replaced; anything else at that path is left alone.
std::string MakeLink(const fs::path& link, const std::string& target) {
    std::error_code error;
    const auto status = fs::symlink_status(link, error);
    if (fs::is_symlink(status)) {
        fs::remove(link, error);
    } else if (fs::exists(status)) {
        return link.string() + " exists and is not a symbolic link; not replaced";
    }
    fs::create_symlink(target, link, error);
    if (error) {
        return "cannot create " + link.string() + ": " + error.message();
    }
    return {};
}

// Removes the link only while it still points at our side of the line.
void RemoveLink(const fs::path& link, const std::string& target) {
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(link, error)) &&
        fs::read_symlink(link, error) == target) {
        fs::remove(link, error);
    }
}

int RunLink(const ProgramOptions& options, const std::atomic<bool>& stop) {
    const LogSink& log = options.simulator.log;
    Simulator simulator(options.simulator);
    if (!simulator.ok()) {
        log(simulator.error());
        return 1;
    }
    if (const auto error = MakeLink(options.linkPath, simulator.portPath()); !error.empty()) {
        log(error);
        return 1;
    }
    log(options.linkPath);
    log("serving on " + simulator.portPath() + "; Ctrl+C ends");
    while (!stop.load() && simulator.serving()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    RemoveLink(options.linkPath, simulator.portPath());
    return 0;
}

int RunPort(const ProgramOptions& options, const std::atomic<bool>& stop) {
    const LogSink& log = options.simulator.log;
    link::SerialPort port;
    const std::string name = link::SystemPortName(options.portName);
    if (!port.open(name) || !port.applyLineSettings(57600)) {
        log("cannot use " + name + ": " + port.lastError().osText);
        return 1;
    }
    port.setTimeouts();
    DeviceServer server(options.simulator);
    if (!server.error().empty()) {
        log(server.error());
        return 1;
    }
    SerialPortLine line(port);
    log("serving on " + name + " at 57600 baud; Ctrl+C ends");
    server.serve(line, stop);
    return 0;
}

}  // namespace

int RunProgram(const ProgramOptions& options, const std::atomic<bool>& stop) {
    switch (options.mode) {
        case ProgramMode::Help:
            options.simulator.log(UsageText());
            return 0;
        case ProgramMode::ExportWav: {
            const auto error = ExportMessageWav(options.simulator.stateDir, options.exportMessage,
                                                options.exportFile);
            if (!error.empty()) {
                options.simulator.log(error);
                return 1;
            }
            return 0;
        }
        case ProgramMode::Link:
            return RunLink(options, stop);
        case ProgramMode::Port:
            return RunPort(options, stop);
    }
    return 1;
}

}  // namespace talveno::devsim
