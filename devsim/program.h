// What talveno-devsim does with its command line, apart from reading it and
// catching Ctrl+C.
#pragma once

#include <atomic>

#include "program_options.h"

namespace talveno::devsim {

// Runs the program until it is done or `stop` is set; the exit status.
// Lines for the user go to `options.simulator.log` (which must be set).
[[nodiscard]] int RunProgram(const ProgramOptions& options, const std::atomic<bool>& stop);

}  // namespace talveno::devsim
