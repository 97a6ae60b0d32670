// The serial port object and its worker against a pseudo-terminal, with the
// test playing the device on the master side.
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <QThread>

#include "klcom.h"
#include "pseudo_terminal.h"
#include "qt_pump.h"
#include "tty_preset.h"

namespace talveno {
namespace {

using namespace std::chrono_literals;
using testing_support::PumpFor;
using testing_support::PumpUntil;
using Bytes = std::vector<std::uint8_t>;

class RecordingClient : public link::ExchangeClient {
public:
    void ReplyDispatcher(std::span<const std::uint8_t> frame) override {
        frames.emplace_back(frame.begin(), frame.end());
        events.push_back('D');
    }
    void ExchangeScheduler(link::TxStaging& staging) override {
        ++passes;
        events.push_back('C');
        if (onPass) {
            onPass(passes, staging);
        }
    }

    std::vector<Bytes> frames;
    std::string events;  // 'D' per delivered frame, 'C' per scheduler pass
    int passes = 0;
    std::function<void(int pass, link::TxStaging&)> onPass;
};

Bytes Reply(std::uint8_t command, const Bytes& payload) {
    link::TxStaging s;
    EXPECT_TRUE(link::SendCommand(s, command, 0, payload.data(),
                                  static_cast<std::uint16_t>(payload.size())));
    return Bytes(s.txFrame.begin(), s.txFrame.begin() + s.txLength);
}

double ProcessCpuSeconds() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

TEST(TKLCOM, ErrorTextsOfOpen) {
    link::PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    RecordingClient client;
    link::TKLCOM klcom(client);
    EXPECT_EQ(klcom.LastError(), " COM-port has NO Errors ");

    EXPECT_FALSE(klcom.Open("COM9", 57600));
    EXPECT_EQ(klcom.LastError(), "  Can't open COM9   ");
    EXPECT_EQ(klcom.LastErrorDetail().kind, link::PortErrorKind::NotFound);
    EXPECT_FALSE(klcom.isOpen());

    // A later success keeps the failure's text.
    ASSERT_TRUE(klcom.Open(pty.slavePath(), 57600));
    EXPECT_TRUE(klcom.isOpen());
    EXPECT_EQ(klcom.LastError(), "  Can't open COM9   ");

    // Opening the port already held closes it first, so the exclusive open works.
    EXPECT_TRUE(klcom.Open(pty.slavePath(), 57600));

    // A device that is no terminal opens but cannot be set up.
    EXPECT_FALSE(klcom.Open("/dev/null", 57600));
    EXPECT_EQ(klcom.LastError(), " Error configuration COM-port ! ");
    EXPECT_FALSE(klcom.isOpen());
}

TEST(TKLCOM, LineSettingsWhileOpenAndPutBackAfter) {
    link::PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    testing_support::PresetSlave(pty.slavePath(), CRTSCTS, IXON, B9600);
    {
        RecordingClient client;
        link::TKLCOM klcom(client);
        ASSERT_TRUE(klcom.Open(pty.slavePath(), 4800));
        const auto s = klcom.port().currentSettings();
        ASSERT_TRUE(s);
        EXPECT_EQ(s->baud, 57600U);
        EXPECT_EQ(s->dataBits, 8);
        EXPECT_EQ(s->stopBits, 1);
        EXPECT_FALSE(s->rtsCts);
        EXPECT_FALSE(s->xonXoff);
    }
    link::SerialPort after;
    ASSERT_TRUE(after.open(pty.slavePath()));  // released by the destructor
    const auto s = after.currentSettings();
    ASSERT_TRUE(s);
    EXPECT_EQ(s->baud, 9600U);
    EXPECT_TRUE(s->rtsCts);
    EXPECT_TRUE(s->xonXoff);
    EXPECT_FALSE(s->raw);
}

TEST(TKLCOM, RequestGoesOutInItsCycleAndTheReplyComesBack) {
    link::PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    RecordingClient client;
    client.onPass = [](int pass, link::TxStaging& s) {
        if (pass == 3) {
            ASSERT_TRUE(link::SendCommand(s, link::CMD_FLASH_MODE, 0, nullptr, 0));
            // The last staging of a pass is the one that goes out.
            ASSERT_TRUE(link::SendCommand(s, link::CMD_CONFIG_READ, 0, nullptr, 0));
        }
    };
    link::TKLCOM klcom(client);
    ASSERT_TRUE(klcom.Open(pty.slavePath(), 57600));
    ASSERT_TRUE(klcom.EnableLink(true));

    ASSERT_TRUE(PumpUntil([&] { return client.passes >= 3; }, 2s));
    PumpFor(20ms);
    EXPECT_EQ(pty.read(200ms), (Bytes{0x77, 0x75, 0x69, 0x60, 0x00, 0x00, 0x00, 0x0A}));

    Bytes record(72);
    for (std::size_t i = 0; i < record.size(); ++i) {
        record[i] = static_cast<std::uint8_t>(i);
    }
    const Bytes reply = Reply(link::CMD_CONFIG_READ, record);
    ASSERT_TRUE(pty.write(reply));
    ASSERT_TRUE(PumpUntil([&] { return client.frames.size() == 1; }, 2s));
    EXPECT_EQ(client.frames[0], reply);
    EXPECT_EQ(Bytes(klcom.rxFrame().begin(), klcom.rxFrame().end()), reply);

    // Passes that stage nothing write nothing.
    PumpFor(300ms);
    EXPECT_TRUE(pty.read(100ms).empty());
}

TEST(TKLCOM, FramesOfACycleComeBeforeItsCollectRequest) {
    link::PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    RecordingClient client;
    link::TKLCOM klcom(client);
    ASSERT_TRUE(klcom.Open(pty.slavePath(), 57600));
    ASSERT_TRUE(klcom.EnableLink(true));
    ASSERT_TRUE(PumpUntil([&] { return client.passes >= 2; }, 2s));

    // Two frames queued together: both delivered, in order, in one cycle.
    const Bytes first = Reply(link::CMD_PAGE_WRITE, {});
    const Bytes second = Reply(link::CMD_STATUS, Bytes(186, 0x5A));
    Bytes both = first;
    both.insert(both.end(), second.begin(), second.end());
    client.events.clear();
    ASSERT_TRUE(pty.write(both));
    ASSERT_TRUE(PumpUntil([&] { return client.frames.size() == 2; }, 2s));
    (void)PumpUntil([&] { return client.events.find("DDC") != std::string::npos; }, 500ms);
    EXPECT_NE(client.events.find("DDC"), std::string::npos) << client.events;
    EXPECT_EQ(client.frames[0], first);
    EXPECT_EQ(client.frames[1], second);

    // A 196-byte frame spread over three cycles is delivered once, in the last.
    client.frames.clear();
    const std::size_t third = second.size() / 3;
    ASSERT_TRUE(pty.write({second.data(), third}));
    PumpFor(150ms);
    ASSERT_TRUE(pty.write({second.data() + third, third}));
    PumpFor(150ms);
    EXPECT_TRUE(client.frames.empty());
    ASSERT_TRUE(pty.write({second.data() + 2 * third, second.size() - 2 * third}));
    ASSERT_TRUE(PumpUntil([&] { return client.frames.size() == 1; }, 2s));
    PumpFor(150ms);
    ASSERT_EQ(client.frames.size(), 1U);
    EXPECT_EQ(client.frames[0], second);
}

TEST(TKLCOM, EnableLinkSwitchesTheCycle) {
    RecordingClient client;
    link::TKLCOM klcom(client);
    // No port open: the scheduler still runs once the link is enabled.
    PumpFor(200ms);
    EXPECT_EQ(client.passes, 0);
    EXPECT_TRUE(klcom.EnableLink(true));
    ASSERT_TRUE(PumpUntil([&] { return client.passes >= 3; }, 2s));

    // Off in mid-cycle: the cycle under way may finish, then nothing more.
    EXPECT_TRUE(klcom.EnableLink(false));
    EXPECT_FALSE(klcom.workerActive());
    PumpFor(150ms);
    const int settled = client.passes;
    PumpFor(400ms);
    EXPECT_EQ(client.passes, settled);
}

TEST(TKLCOM, AVanishedLineNeitherCrashesNorSpins) {
    auto pty = std::make_unique<link::PseudoTerminal>();
    ASSERT_TRUE(pty->ok());
    RecordingClient client;
    client.onPass = [](int, link::TxStaging& s) {
        const Bytes sim(10, 0);
        ASSERT_TRUE(link::SendCommand(s, link::CMD_STATUS, 0, sim.data(), 10));
    };
    link::TKLCOM klcom(client);
    ASSERT_TRUE(klcom.Open(pty->slavePath(), 57600));
    ASSERT_TRUE(klcom.EnableLink(true));
    ASSERT_TRUE(pty->write(Reply(link::CMD_STATUS, Bytes(186, 1))));
    ASSERT_TRUE(PumpUntil([&] { return client.frames.size() == 1; }, 2s));

    // Pull the line out from under the worker, bytes still in flight.
    ASSERT_TRUE(pty->write(Bytes{0x77, 0x75, 0x69, 0x20}));
    pty.reset();

    const int passesBefore = client.passes;
    const double cpuBefore = ProcessCpuSeconds();
    PumpFor(1000ms);
    const double cpuUsed = ProcessCpuSeconds() - cpuBefore;
    EXPECT_GT(client.passes, passesBefore + 5);  // the cycle goes on
    EXPECT_EQ(client.frames.size(), 1U);         // and feeds nothing stale
    // A spinning worker would take a whole core; pumping here takes little.
    EXPECT_LT(cpuUsed, 0.5);
}

TEST(TKLCOM, APartialFrameIsDroppedAfterLongSilence) {
    link::PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    RecordingClient client;
    link::TKLCOM klcom(client);
    ASSERT_TRUE(klcom.Open(pty.slavePath(), 57600));
    ASSERT_TRUE(klcom.EnableLink(true));
    ASSERT_TRUE(pty.write(Bytes{0x77, 0x75, 0x69, 0x20}));
    PumpFor(200ms);
    // More than 100 active cycles without a byte.
    ASSERT_TRUE(PumpUntil([&] { return client.passes > 110; }, 15s));
    const Bytes frame = Reply(link::CMD_REMOTE_MODE, {});
    ASSERT_TRUE(pty.write(frame));
    ASSERT_TRUE(PumpUntil([&] { return !client.frames.empty(); }, 2s));
    EXPECT_EQ(client.frames[0], frame);
}

// The object goes away while the worker is mid-cycle or waits in a hand-off,
// with the device talking; under the sanitizer build any touch of freed memory
// shows. Afterwards the client is never called again.
TEST(TKLCOM, DestructionDuringTrafficIsClean) {
    for (const int pumpMs : {0, 35, 120, 260}) {
        link::PseudoTerminal pty;
        ASSERT_TRUE(pty.ok());
        std::atomic<bool> stop{false};
        std::thread device([&] {
            const Bytes status = Reply(link::CMD_STATUS, Bytes(186, 3));
            while (!stop.load()) {
                (void)pty.write(status);
                (void)pty.read(15ms);
            }
        });
        RecordingClient client;
        client.onPass = [](int, link::TxStaging& s) {
            const Bytes sim(10, 0);
            ASSERT_TRUE(link::SendCommand(s, link::CMD_STATUS, 0, sim.data(), 10));
        };
        auto klcom = std::make_unique<link::TKLCOM>(client);
        ASSERT_TRUE(klcom->Open(pty.slavePath(), 57600));
        ASSERT_TRUE(klcom->EnableLink(true));
        PumpFor(std::chrono::milliseconds(pumpMs));
        // Without pumping, the worker soon waits in a hand-off.
        QThread::msleep(static_cast<unsigned long>(pumpMs % 100));
        klcom.reset();
        const auto passes = client.passes;
        const auto frames = client.frames.size();
        PumpFor(200ms);
        EXPECT_EQ(client.passes, passes);
        EXPECT_EQ(client.frames.size(), frames);
        stop = true;
        device.join();
    }
}

}  // namespace
}  // namespace talveno
