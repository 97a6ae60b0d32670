// TKLCOM: the console's one connection to the device. It owns the serial port
// and its line settings, the switch that lets the exchange cycle run, the area
// received frames are handed into, the staging area for the next request, and
// the link worker it creates and stops.
//
// All of it is called on the main thread, the thread that created it; that
// thread must handle Qt events (an event loop or handlers that pump) for the
// worker's hand-offs to run. Its pauses are part of the behaviour and do not
// handle events.
#pragma once

#include <QObject>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "exchange_client.h"
#include "link_frame.h"
#include "port_error.h"
#include "serial_port.h"

namespace talveno::link {

class TCOMport;

// Turns the name a person gives a port into the name the system opens.
using PortNameMap = std::function<std::string(const std::string&)>;

class TKLCOM {
public:
    // Creates the worker (idle) and leaves the port closed and the link
    // disabled. `client` receives frames and is asked for requests; it must
    // outlive this object. Port names go through `names` (SystemPortName
    // unless given). Takes about 400 ms.
    explicit TKLCOM(ExchangeClient& client, PortNameMap names = {});
    // Disables the link, stops the worker and waits for it, serving its last
    // hand-offs without calling the client, then puts back the settings the
    // port had before Open and closes it. Takes about 1 s. Must not be called
    // from inside one of this object's hand-offs.
    ~TKLCOM();
    TKLCOM(const TKLCOM&) = delete;
    TKLCOM& operator=(const TKLCOM&) = delete;

    // Opens and sets up the named port (any port held before is closed first,
    // its settings not put back). False when it cannot be opened or set up;
    // LastError() then tells why. Only call while the link is disabled.
    [[nodiscard]] bool Open(const std::string& portName, std::int32_t baudRate);

    // The text of the most recent failure (a later success keeps it).
    [[nodiscard]] std::string LastError() const { return errorText_; }
    // The operating system's reason for that failure, for showing beside it.
    [[nodiscard]] PortError LastErrorDetail() const { return errorDetail_; }

    // Switches the exchange cycle on or off; pauses 100 ms and reports whether
    // the worker has taken the requested state.
    bool EnableLink(bool state);
    // Holds the worker still, sets it active exactly when the port is open and
    // the link enabled, and lets it go on (about 400 ms).
    void SyncWorker();
    // The worker's state := the link switch (end of every worker cycle).
    void PublishLinkState();

    // Hand-offs, run on the main thread while the worker waits.
    void DeliverFrame();
    void CollectRequest();

    [[nodiscard]] bool isOpen() const { return isOpen_; }
    [[nodiscard]] bool linkEnabled() const { return linkEnabled_; }
    [[nodiscard]] bool workerActive() const;
    [[nodiscard]] SerialPort& port() { return port_; }
    [[nodiscard]] TxStaging& staging() { return staging_; }
    [[nodiscard]] std::span<const std::uint8_t> rxFrame() const {
        return {rxFrame_.data(), rxLength_};
    }

    // The QObject in the main thread through which the worker's hand-offs run.
    [[nodiscard]] QObject* handOffContext() { return &handOffContext_; }

private:
    static void Pause(int milliseconds);

    ExchangeClient& client_;
    PortNameMap names_;
    QObject handOffContext_;
    std::unique_ptr<TCOMport> worker_;
    std::string errorText_;
    PortError errorDetail_;
    SerialPort port_;
    bool isOpen_ = false;
    bool linkEnabled_ = false;
    // Set once destruction starts: hand-offs that still run no longer reach
    // the client, whose window may be going away.
    bool closing_ = false;
    std::array<std::uint8_t, kStagingSize> rxFrame_{};
    std::size_t rxLength_ = 0;
    TxStaging staging_;
};

}  // namespace talveno::link
