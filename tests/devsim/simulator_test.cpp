// The simulator on its pseudo-terminal, with the console's side played by the
// real serial layer.
#include <gtest/gtest.h>

#include <chrono>

#include "frames.h"
#include "raw_console.h"
#include "simulator.h"
#include "status_block.h"

namespace talveno::devsim {
namespace {

using namespace std::chrono_literals;
using testing::Bytes;
using testing::PagePayload;
using testing::PayloadOf;
using testing::RawConsole;
using testing::SimulationBlock;
using testing::WaitUntil;

using Clock = std::chrono::steady_clock;

TEST(Simulator, AnswersOverItsPseudoTerminalAndLogsEachRequest) {
    Simulator sim;
    ASSERT_TRUE(sim.ok()) << sim.error();
    RawConsole console(sim.portPath());
    ASSERT_TRUE(console.ok());

    const auto status = console.exchange(link::CMD_STATUS, 0, SimulationBlock(0, 0, 0, 0));
    ASSERT_TRUE(status);
    EXPECT_EQ((*status)[link::kCommandOffset], link::CMD_STATUS);
    EXPECT_EQ(PayloadOf(*status).size(), kStatusBlockSize);

    const auto config = console.exchange(link::CMD_CONFIG_READ);
    ASSERT_TRUE(config);
    const auto record = sim.config();
    EXPECT_EQ(PayloadOf(*config), Bytes(record.begin(), record.end()));

    ASSERT_TRUE(console.request(link::CMD_SECTOR_ERASE, 1));  // not in flash mode: ignored
    ASSERT_TRUE(WaitUntil([&] { return sim.requests().size() == 3; }, 3s));
    const auto log = sim.requests();
    EXPECT_EQ(log[0].command, link::CMD_STATUS);
    EXPECT_EQ(log[0].payloadSize, 10U);
    EXPECT_TRUE(log[0].answered);
    EXPECT_EQ(log[2].command, link::CMD_SECTOR_ERASE);
    EXPECT_EQ(log[2].argument, 1);
    EXPECT_FALSE(log[2].answered);
    EXPECT_EQ(log[2].outcome, RequestOutcome::NotInFlashMode);
    EXPECT_LE(log[0].at, log[1].at);

    sim.clearRequests();
    EXPECT_TRUE(sim.requests().empty());
}

TEST(Simulator, GarbageBetweenFramesIsSkipped) {
    Simulator sim;
    ASSERT_TRUE(sim.ok()) << sim.error();
    RawConsole console(sim.portPath());
    ASSERT_TRUE(console.ok());
    ASSERT_TRUE(console.send(Bytes{0x00, 0x41, 0x0A, 0xFF, 0x13}));
    // A header that announces more than a frame may hold is forgotten.
    ASSERT_TRUE(console.send(Bytes{'w', 'u', 'i', 0x20, 0xFF, 0x7F, 0, 0x0A, 1, 2, 3}));
    const auto reply = console.exchange(link::CMD_REMOTE_MODE);
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)[link::kCommandOffset], link::CMD_REMOTE_MODE);
    EXPECT_TRUE(sim.remoteMode());
}

TEST(Simulator, RequestCutShortIsForgottenAfterASilence) {
    Simulator sim;
    ASSERT_TRUE(sim.ok()) << sim.error();
    RawConsole console(sim.portPath());
    ASSERT_TRUE(console.ok());
    const Bytes status = testing::Request(link::CMD_STATUS, 0, SimulationBlock(0, 0, 0, 0));
    ASSERT_TRUE(console.send(std::span(status).first(12)));
    std::this_thread::sleep_for(400ms);
    const auto reply = console.exchange(link::CMD_CONFIG_READ);
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)[link::kCommandOffset], link::CMD_CONFIG_READ);
}

// Lower bounds only: the device may always be slower than its line.
TEST(Simulator, PacedLineTakesTheLineTimeOfEveryByte) {
    SimulatorOptions options;
    options.pace = true;
    Simulator sim(options);
    ASSERT_TRUE(sim.ok()) << sim.error();
    RawConsole console(sim.portPath());
    ASSERT_TRUE(console.ok());
    ASSERT_TRUE(console.exchange(link::CMD_FLASH_MODE));
    const auto began = Clock::now();
    constexpr int kPages = 8;
    for (int p = 0; p < kPages; ++p) {
        ASSERT_TRUE(console.exchange(link::CMD_PAGE_WRITE, 0,
                                     PagePayload(Bytes(256, 0), 0, static_cast<std::uint8_t>(p))));
    }
    // 268 bytes in and 8 out per page, 10 bits each at 57600 baud.
    const auto lineTime = std::chrono::microseconds(kPages * 276 * 10 * 1'000'000LL / 57600);
    EXPECT_GE(Clock::now() - began, lineTime);
}

TEST(Simulator, EraseAnswersAfterItsWorkingTime) {
    SimulatorOptions options;
    options.eraseTime = 250ms;
    Simulator sim(options);
    ASSERT_TRUE(sim.ok()) << sim.error();
    RawConsole console(sim.portPath());
    ASSERT_TRUE(console.ok());
    ASSERT_TRUE(console.exchange(link::CMD_FLASH_MODE));
    const auto began = Clock::now();
    const auto reply = console.exchange(link::CMD_SECTOR_ERASE, 4);
    ASSERT_TRUE(reply);
    EXPECT_GE(Clock::now() - began, 250ms);
    EXPECT_EQ((*reply)[link::kCommandOffset], link::CMD_SECTOR_ERASE);
}

TEST(Simulator, StopsPromptlyWhenNobodyReadsItsReplies) {
    std::optional<Simulator> sim(std::in_place);
    ASSERT_TRUE(sim->ok()) << sim->error();
    RawConsole console(sim->portPath());
    ASSERT_TRUE(console.ok());
    // Far more reply bytes than the line buffers while the console reads none.
    const Bytes request = testing::Request(link::CMD_STATUS, 0, SimulationBlock(0, 0, 0, 0));
    Bytes batch;
    for (int i = 0; i < 50; ++i) {
        batch.insert(batch.end(), request.begin(), request.end());
    }
    const auto lineFailed = [&] {
        for (const auto& r : sim->requests()) {
            if (r.outcome == RequestOutcome::LineFailed) {
                return true;
            }
        }
        return false;
    };
    // Once the device blocks on the full line it stops taking requests too,
    // so some of these sends fail; that is part of the picture.
    ASSERT_TRUE(WaitUntil(
        [&] {
            (void)console.send(batch);
            return lineFailed();
        },
        30s));
    sim.reset();  // returns within a bounded write, with the line still full
    EXPECT_FALSE(sim);
}

}  // namespace
}  // namespace talveno::devsim
