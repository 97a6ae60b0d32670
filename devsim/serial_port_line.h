// The device on a real serial port (a null-modem cable to the console).
#pragma once

#include "device_line.h"
#include "serial_port.h"

namespace talveno::devsim {

class SerialPortLine final : public DeviceLine {
public:
    // `port` must be open and set up, and outlive this object.
    explicit SerialPortLine(link::SerialPort& port) : port_(port) {}

    [[nodiscard]] bool receive(std::vector<std::uint8_t>& into,
                               std::chrono::milliseconds wait) override;
    [[nodiscard]] bool send(std::span<const std::uint8_t> bytes) override;
    void hangUp() override { port_.close(); }
    [[nodiscard]] bool up() const override { return port_.isOpen(); }

private:
    link::SerialPort& port_;
};

}  // namespace talveno::devsim
