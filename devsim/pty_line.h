// The device's end of a pseudo-terminal pair (POSIX only).
#pragma once

#include "device_line.h"
#include "pseudo_terminal.h"

namespace talveno::devsim {

class PtyLine final : public DeviceLine {
public:
    // `pty` must outlive this object. Create it before the console opens
    // its side: the console's port may refuse later opens.
    explicit PtyLine(link::PseudoTerminal& pty);
    ~PtyLine() override;
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;

    [[nodiscard]] bool receive(std::vector<std::uint8_t>& into,
                               std::chrono::milliseconds wait) override;
    [[nodiscard]] bool send(std::span<const std::uint8_t> bytes) override;
    // Waits (bounded) until the console has taken what was sent, as it would
    // have on a wire, then closes the device's end.
    void hangUp() override;
    [[nodiscard]] bool up() const override { return pty_.ok(); }

private:
    link::PseudoTerminal& pty_;
    // A descriptor of the console's side, only to ask how much it has not
    // read yet; -1 when it could not be opened.
    int watcher_ = -1;
};

}  // namespace talveno::devsim
