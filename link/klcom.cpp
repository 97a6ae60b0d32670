#include "klcom.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QThread>

#include "comport.h"

namespace talveno::link {

namespace {
constexpr int kSyncPauseMs = 200;
constexpr int kEnablePauseMs = 100;
constexpr int kShutdownPauseMs = 200;
constexpr std::size_t kQueueSize = 4096;
}  // namespace

void TKLCOM::Pause(int milliseconds) {
    QThread::msleep(static_cast<unsigned long>(milliseconds));
}

TKLCOM::TKLCOM(ExchangeClient& client, PortNameMap names)
    : client_(client),
      names_(names ? std::move(names) : PortNameMap(SystemPortName)),
      worker_(std::make_unique<TCOMport>(*this)) {
    SyncWorker();
    errorText_ = " COM-port has NO Errors ";
}

TKLCOM::~TKLCOM() {
    closing_ = true;
    linkEnabled_ = false;
    Pause(kShutdownPauseMs);
    SyncWorker();
    Pause(kShutdownPauseMs);
    worker_->requestStop();
    Pause(kShutdownPauseMs);
    // The worker ends after the cycle it is in, and that cycle ends with a
    // hand-off that only the main thread can run: serve this object's
    // hand-offs (and nothing else) until the thread is gone. A cycle that was
    // active when the link went off may still write its request; the port is
    // closed only after the thread has ended.
    while (!worker_->wait(QDeadlineTimer(5))) {
        QCoreApplication::sendPostedEvents(&handOffContext_, QEvent::MetaCall);
    }
    worker_.reset();
    if (isOpen_ && port_.isOpen()) {
        port_.restoreSettings();
        port_.close();
        isOpen_ = false;
    }
    // A port held after a failed set-up is closed by port_'s destructor, its
    // settings untouched.
}

bool TKLCOM::Open(const std::string& portName, std::int32_t baudRate) {
    isOpen_ = false;
    SyncWorker();
    if (port_.isOpen()) {
        port_.close();
    }
    if (!port_.open(names_(portName))) {
        errorText_ = "  Can't open " + portName + "   ";
        errorDetail_ = port_.lastError();
        return false;
    }
    port_.purge();
    port_.saveSettings();
    if (!port_.applyLineSettings(baudRate)) {
        errorText_ = " Error configuration COM-port ! ";
        errorDetail_ = port_.lastError();
        return false;
    }
    port_.setTimeouts();
    port_.setQueueSizes(kQueueSize, kQueueSize);
    isOpen_ = true;
    SyncWorker();
    return true;
}

bool TKLCOM::EnableLink(bool state) {
    linkEnabled_ = state;
    PublishLinkState();
    Pause(kEnablePauseMs);
    return worker_->active() == state;
}

void TKLCOM::SyncWorker() {
    worker_->hold();
    Pause(kSyncPauseMs);
    worker_->setActive(isOpen_ && linkEnabled_);
    Pause(kSyncPauseMs);
    worker_->release();
}

void TKLCOM::PublishLinkState() {
    worker_->setActive(linkEnabled_);
}

bool TKLCOM::workerActive() const {
    return worker_->active();
}

void TKLCOM::DeliverFrame() {
    const auto frame = worker_->assembledFrame();
    std::copy(frame.begin(), frame.end(), rxFrame_.begin());
    rxLength_ = frame.size();
    if (!closing_) {
        client_.ReplyDispatcher(rxFrame());
    }
}

void TKLCOM::CollectRequest() {
    if (!closing_) {
        client_.ExchangeScheduler(staging_);
    }
    if (staging_.txPending != 0) {
        // SendCommand never stages more than a frame can hold.
        worker_->takeRequest({staging_.txFrame.data(), staging_.txLength});
        staging_.txPending = 0;
        staging_.txLength = 0;
    }
}

}  // namespace talveno::link
