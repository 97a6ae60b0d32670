// talveno-devsim: reads the command line, turns Ctrl+C into a clean stop, and
// leaves the rest to the library.
#include <atomic>
#include <csignal>
#include <iostream>
#include <mutex>
#include <string_view>
#include <vector>

#include "program.h"

namespace {

std::atomic<bool> stopRequested{false};

extern "C" void RequestStop(int) {
    stopRequested = true;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace talveno::devsim;
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    auto parsed = ParseCommandLine(args);
    if (!parsed.options) {
        std::cerr << "talveno-devsim: " << parsed.error << "\n\n" << UsageText();
        return 2;
    }
    static std::mutex outputMutex;  // the serving thread logs too
    parsed.options->simulator.log = [](std::string_view line) {
        std::lock_guard lock(outputMutex);
        std::cout << line << std::endl;
    };
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
    return RunProgram(*parsed.options, stopRequested);
}
