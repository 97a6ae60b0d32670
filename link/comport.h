// TCOMport: the link worker, the one thread besides the main thread. It runs
// the exchange cycle of about 50 ms: read what the port received, assemble
// frames, hand each to the console, collect the next request and write it.
//
// The worker never touches console state. Everything that reads or writes the
// serial port object's areas or the console runs on the main thread through
// three hand-offs (DeliverFrame, CollectRequest, PublishLinkState) that the
// worker waits for. They run whenever the main thread handles events.
#pragma once

#include <QThread>
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

#include "frame_assembler.h"
#include "link_frame.h"

namespace talveno::link {

class TKLCOM;

class TCOMport final : public QThread {
public:
    // A partial frame is dropped after this many active cycles in a row
    // without a byte received (about 5 s).
    static constexpr std::uint32_t kSilentCyclesBeforeDrop = 100;
    static constexpr int kCycleMs = 50;

    // Starts the thread at once, idle. `owner` must outlive the thread.
    explicit TCOMport(TKLCOM& owner);
    ~TCOMport() override;

    // Main thread: whether the next cycle exchanges (true) or only sleeps.
    void setActive(bool active) { active_.store(active); }
    [[nodiscard]] bool active() const { return active_.load(); }

    // Main thread: holds the worker at its next step until release(). Never
    // waits for the worker to get there.
    void hold();
    void release();

    // Main thread, inside a hand-off only (the worker waits meanwhile).
    [[nodiscard]] std::span<const std::uint8_t> assembledFrame() const {
        return assembler_.frame();
    }
    void takeRequest(std::span<const std::uint8_t> frame);

    // Main thread, between cycles: asks the thread to end after the cycle it
    // is in; ask before release() so a held worker leaves at once.
    void requestStop() { requestInterruption(); }

protected:
    void run() override;

private:
    void passGate();
    void handOff(const std::function<void()>& onMainThread);

    TKLCOM& owner_;
    std::uint32_t txCount_ = 0;
    std::uint32_t queued_ = 0;
    std::uint32_t idleCycles_ = 0;
    FrameAssembler assembler_;
    std::array<std::uint8_t, kMaxFrameSize> txBuf_{};
    std::atomic<bool> active_{false};

    std::mutex gateMutex_;
    std::condition_variable gateOpen_;
    bool held_ = false;
};

}  // namespace talveno::link
