// The serial port as the link needs it, over the operating system's own
// interface (termios on POSIX, the Win32 comm API on Windows). One
// implementation file per platform; nothing here names an OS header.
//
// Thread use: the owner opens, configures and closes on its thread; the link
// worker reads and writes on its own. Calls are serialised inside, so a close
// never races a read, but the owner is expected to close only while the worker
// leaves the port alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "port_error.h"

namespace talveno::link {

enum class Parity { None, Odd, Even, Mark, Space };

// The line as the port reports it, for checks and diagnostics.
struct LineSettings {
    std::uint32_t baud = 0;
    int dataBits = 0;
    int stopBits = 0;
    Parity parity = Parity::None;
    bool parityChecked = false;  // received parity errors are detected
    bool rtsCts = false;         // hardware handshake
    bool xonXoff = false;        // software handshake in either direction
    bool raw = false;            // bytes pass unchanged in both directions
};

// 9600, 19200, 38400, 57600 and 115200 pass; anything else gives 57600.
[[nodiscard]] std::uint32_t SupportedBaud(std::int64_t requested);

// The name the operating system knows a port by. On Windows every name passes
// unchanged; on POSIX "COM1".."COM3" stand for /dev/ttyS0../dev/ttyS2 and any
// other name is taken as a path.
[[nodiscard]] std::string SystemPortName(const std::string& name);

class SerialPort {
public:
    SerialPort();
    ~SerialPort();  // closes a held port without putting its settings back
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Opens an existing device for reading and writing, held by nobody else
    // while it is open here. On failure lastError() tells why.
    [[nodiscard]] bool open(const std::string& systemName);
    [[nodiscard]] bool isOpen() const;
    void close();

    // Aborts transfers under way and empties both driver queues.
    void purge();

    // Keeps the port's present settings, to be put back by restoreSettings().
    void saveSettings();
    void restoreSettings();

    // Raw 8 data bits, one stop bit, the parity mode left as the port had it
    // but not checked, no hardware or software handshake, DTR and RTS held
    // inactive, and the given rate (see SupportedBaud). False when the port
    // refused the settings; lastError() tells why.
    [[nodiscard]] bool applyLineSettings(std::int64_t baud);

    // Reads return after at most about 1 ms when nothing is waiting.
    void setTimeouts();
    // Asks the driver for queues of that size; a hint only, where the system
    // sizes them itself.
    void setQueueSizes(std::size_t receive, std::size_t transmit);

    // Bytes waiting in the receive queue; nothing when the query failed.
    [[nodiscard]] std::optional<std::size_t> queuedBytes();
    // One byte, or nothing when none came within the read time-out or the read
    // failed.
    [[nodiscard]] std::optional<std::uint8_t> readByte();
    // Writes all bytes; false when the port refused them or did not take them
    // within a bound far above the line time of a full frame.
    [[nodiscard]] bool write(std::span<const std::uint8_t> bytes);
    // Waits until the driver has sent everything written.
    [[nodiscard]] bool drain();

    // The line as the port now has it; nothing when no port is open or the
    // query failed.
    [[nodiscard]] std::optional<LineSettings> currentSettings() const;

    // Why the last open() or applyLineSettings() failed.
    [[nodiscard]] PortError lastError() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace talveno::link
