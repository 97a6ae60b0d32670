// An enabled link on an idle pseudo-terminal: how much CPU the exchange cycle
// costs and how regular its period is.
#include <sys/resource.h>

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "klcom.h"
#include "pseudo_terminal.h"

namespace {

using Clock = std::chrono::steady_clock;

class PassClock : public talveno::link::ExchangeClient {
public:
    void ReplyDispatcher(std::span<const std::uint8_t>) override {}
    void ExchangeScheduler(talveno::link::TxStaging&) override { passes.push_back(Clock::now()); }
    std::vector<Clock::time_point> passes;
};

double CpuSeconds() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;

    talveno::link::PseudoTerminal pty;
    if (!pty.ok()) {
        std::fprintf(stderr, "no pseudo-terminal: %s\n", pty.error().osText.c_str());
        return 1;
    }
    PassClock client;
    talveno::link::TKLCOM klcom(client);
    if (!klcom.Open(pty.slavePath(), 57600) || !klcom.EnableLink(true)) {
        std::fprintf(stderr, "cannot open %s\n", pty.slavePath().c_str());
        return 1;
    }
    client.passes.clear();
    const double cpuStart = CpuSeconds();
    const auto wallStart = Clock::now();
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    app.exec();
    const double cpu = CpuSeconds() - cpuStart;
    const double wall = std::chrono::duration<double>(Clock::now() - wallStart).count();

    std::vector<double> periods;
    for (std::size_t i = 1; i < client.passes.size(); ++i) {
        periods.push_back(
            std::chrono::duration<double, std::milli>(client.passes[i] - client.passes[i - 1])
                .count());
    }
    if (periods.empty()) {
        std::fprintf(stderr, "the exchange cycle did not run\n");
        return 1;
    }
    std::sort(periods.begin(), periods.end());
    const double median = periods[periods.size() / 2];
    std::printf("link idle on a pseudo-terminal, %.1f s\n", wall);
    std::printf("  cycles:            %zu\n", periods.size() + 1);
    std::printf("  CPU used:          %.3f s = %.2f %% of one core (goal <= 1 %%)\n", cpu,
                100.0 * cpu / wall);
    std::printf(
        "  cycle period:      median %.2f ms (goal 50 +- 2 ms), best %.2f ms, worst %.2f ms\n",
        median, periods.front(), periods.back());
    return 0;
}
