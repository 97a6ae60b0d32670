#include "comport.h"

#include <QMetaObject>

#include "klcom.h"

namespace talveno::link {

TCOMport::TCOMport(TKLCOM& owner) : owner_(owner) {
    start();
}

TCOMport::~TCOMport() {
    // The owner stops and waits for the thread before it lets go of us; this
    // is only a last guard.
    requestInterruption();
    release();
    wait();
}

void TCOMport::hold() {
    std::lock_guard lock(gateMutex_);
    held_ = true;
}

void TCOMport::release() {
    {
        std::lock_guard lock(gateMutex_);
        held_ = false;
    }
    gateOpen_.notify_all();
}

void TCOMport::passGate() {
    std::unique_lock lock(gateMutex_);
    gateOpen_.wait(lock, [this] { return !held_; });
}

void TCOMport::handOff(const std::function<void()>& onMainThread) {
    passGate();
    // Runs on the main thread when it next handles events; the worker waits
    // until it has run. The owner's destructor keeps serving these until the
    // thread has ended, so the context outlives every call made here.
    QMetaObject::invokeMethod(owner_.handOffContext(), onMainThread, Qt::BlockingQueuedConnection);
}

void TCOMport::takeRequest(std::span<const std::uint8_t> frame) {
    const std::size_t n = std::min(frame.size(), txBuf_.size());
    std::copy_n(frame.begin(), n, txBuf_.begin());
    txCount_ = static_cast<std::uint32_t>(n);
}

void TCOMport::run() {
    SerialPort& port = owner_.port();
    for (;;) {
        passGate();
        if (active_.load()) {
            setPriority(QThread::TimeCriticalPriority);
            QThread::msleep(kCycleMs);
            passGate();
            ++idleCycles_;
            // A port that fails to say what it holds is taken to hold nothing:
            // a vanished adapter must not make us read stale bytes.
            queued_ = static_cast<std::uint32_t>(port.queuedBytes().value_or(0));
            if (queued_ == 0 && idleCycles_ > kSilentCyclesBeforeDrop) {
                idleCycles_ = 0;
                assembler_.dropPartial();
            }
            while (queued_ != 0) {
                passGate();
                idleCycles_ = 0;
                const auto byte = port.readByte();
                --queued_;
                if (!byte) {
                    // The count was wrong or the port went away; what was not
                    // read waits for the next cycle's count.
                    queued_ = 0;
                    break;
                }
                if (assembler_.feed(*byte)) {
                    handOff([this] { owner_.DeliverFrame(); });
                }
            }
            handOff([this] { owner_.CollectRequest(); });
            if (txCount_ != 0) {
                passGate();
                if (port.write({txBuf_.data(), txCount_})) {
                    (void)port.drain();
                }
                txCount_ = 0;
            }
        } else {
            setPriority(QThread::NormalPriority);
            QThread::msleep(kCycleMs);
        }
        handOff([this] { owner_.PublishLinkState(); });
        if (isInterruptionRequested()) {
            return;
        }
    }
}

}  // namespace talveno::link
