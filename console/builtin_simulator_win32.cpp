#include "builtin_simulator.h"

namespace talveno::console {

std::unique_ptr<BuiltInSimulator> BuiltInSimulator::Start(QString& error) {
    // The simulated device serves on a pseudo-terminal, which Windows lacks;
    // there it runs as talveno-devsim on a port pair (a null-modem cable or a
    // virtual pair) and the console opens the other end.
    error = QStringLiteral("The built-in simulator needs a POSIX system.");
    return nullptr;
}

}  // namespace talveno::console
