// The simulated device, started inside the console for `--simulator`: a
// pseudo-terminal whose other side answers as the device would.
#pragma once

#include <QString>
#include <memory>
#include <string>

namespace talveno::console {

class BuiltInSimulator {
public:
    virtual ~BuiltInSimulator() = default;

    // Starts it; on failure returns nothing and says why in `error`.
    [[nodiscard]] static std::unique_ptr<BuiltInSimulator> Start(QString& error);

    // The port the console opens to reach it.
    [[nodiscard]] virtual std::string portPath() const = 0;
};

}  // namespace talveno::console
