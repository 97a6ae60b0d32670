#include <memory>

#include "builtin_simulator.h"
#include "simulator.h"

namespace talveno::console {

namespace {

class PseudoTerminalSimulator final : public BuiltInSimulator {
public:
    explicit PseudoTerminalSimulator(std::unique_ptr<devsim::Simulator> device)
        : device_(std::move(device)) {}
    [[nodiscard]] std::string portPath() const override { return device_->portPath(); }

private:
    std::unique_ptr<devsim::Simulator> device_;
};

}  // namespace

std::unique_ptr<BuiltInSimulator> BuiltInSimulator::Start(QString& error) {
    auto device = std::make_unique<devsim::Simulator>(devsim::SimulatorOptions{});
    if (!device->ok()) {
        error = QString::fromStdString(device->error());
        return nullptr;
    }
    return std::make_unique<PseudoTerminalSimulator>(std::move(device));
}

}  // namespace talveno::console
