// The command line of talveno-devsim, read into settings without acting on
// them, so that it can be checked on its own.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "simulator_options.h"

namespace talveno::devsim {

enum class ProgramMode { Link, Port, ExportWav, Help };

struct ProgramOptions {
    ProgramMode mode = ProgramMode::Help;
    std::string linkPath;   // --link PATH
    std::string portName;   // --port NAME
    int exportMessage = 0;  // --export-wav N FILE
    std::string exportFile;
    SimulatorOptions simulator;  // everything but the log sink
};

struct ParsedCommandLine {
    std::optional<ProgramOptions> options;
    std::string error;  // set when options is empty
};

// `args` without the program name.
[[nodiscard]] ParsedCommandLine ParseCommandLine(std::span<const std::string_view> args);

[[nodiscard]] std::string UsageText();

}  // namespace talveno::devsim
