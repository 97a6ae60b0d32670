// Each fault setting as the console's side of the line sees it.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <ostream>
#include <string>

#include "frames.h"
#include "raw_console.h"
#include "simulator.h"

namespace talveno::devsim {
namespace {

using namespace std::chrono_literals;
using testing::Bytes;
using testing::RawConsole;
using testing::SimulationBlock;
using testing::WaitUntil;

using Clock = std::chrono::steady_clock;

// What came back for one status request.
struct Seen {
    char kind = '-';  // '+' whole reply, 'x' damaged reply, '-' none
    Clock::duration took{};
    std::size_t skipped = 0;
    std::size_t firstBurst = 0;
    std::size_t size = 0;
};

struct FaultRow {
    std::string name;
    Faults faults;
    std::string expected;  // one character per status request, as in Seen::kind
    std::function<void(const std::vector<Seen>&, const Simulator&)> alsoCheck;
};

void PrintTo(const FaultRow& row, std::ostream* out) {
    *out << row.name;
}

class FaultOnTheLine : public ::testing::TestWithParam<FaultRow> {};

TEST_P(FaultOnTheLine, DoesWhatItSays) {
    const FaultRow& row = GetParam();
    Simulator sim;
    ASSERT_TRUE(sim.ok()) << sim.error();
    RawConsole console(sim.portPath());
    ASSERT_TRUE(console.ok());
    // Faults set while serving count from then on.
    ASSERT_TRUE(console.exchange(link::CMD_CONFIG_READ));
    sim.setFaults(row.faults);
    sim.clearRequests();

    const Bytes block = SimulationBlock(0, 0, 0, 0);
    std::vector<Seen> seen;
    for (std::size_t i = 0; i < row.expected.size(); ++i) {
        Seen s;
        const auto began = Clock::now();
        ASSERT_TRUE(console.request(link::CMD_STATUS, 0, block));
        // A reply is read as it comes (pieces and all); for none, wait until
        // the device has recorded the request: any reply would be on the line.
        std::optional<testing::ReceivedFrame> received;
        if (row.expected[i] != '-') {
            received = console.readFrame(3000ms);
            ASSERT_TRUE(WaitUntil([&] { return sim.requests().size() > i; }, 3s));
        } else {
            ASSERT_TRUE(WaitUntil([&] { return sim.requests().size() > i; }, 3s));
            received = console.readFrame(100ms);
        }
        if (received) {
            const auto info = link::ParseFrame(received->frame);
            s.kind = info && info->checksumOk && info->command == link::CMD_STATUS ? '+' : 'x';
            s.skipped = received->skipped;
            s.firstBurst = received->firstBurst;
            s.size = received->frame.size();
        }
        s.took = Clock::now() - began;
        seen.push_back(s);
    }
    std::string kinds;
    for (const Seen& s : seen) {
        kinds += s.kind;
    }
    EXPECT_EQ(kinds, row.expected);
    if (row.alsoCheck) {
        row.alsoCheck(seen, sim);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultOnTheLine,
    ::testing::Values(
        FaultRow{"NoFaults", {}, "+++", {}},
        FaultRow{"DropEveryThirdReply", testing::MakeFaults([](Faults& f) { f.dropEvery = 3; }),
                 "++-++-",
                 [](const auto&, const Simulator& sim) {
                     EXPECT_EQ(sim.requests()[2].outcome, RequestOutcome::Dropped);
                 }},
        FaultRow{"DelayEachReply", testing::MakeFaults([](Faults& f) { f.delay = 150ms; }), "++",
                 [](const std::vector<Seen>& seen, const Simulator&) {
                     for (const Seen& s : seen) {
                         EXPECT_GE(s.took, 150ms);
                     }
                 }},
        FaultRow{"NoiseBeforeEachReply", testing::MakeFaults([](Faults& f) { f.noiseBytes = 25; }),
                 "++",
                 [](const std::vector<Seen>& seen, const Simulator&) {
                     for (const Seen& s : seen) {
                         EXPECT_EQ(s.skipped, 25U);
                     }
                 }},
        FaultRow{"SplitIntoPieces", testing::MakeFaults([](Faults& f) {
                     f.splitPieces = 4;
                     f.splitGap = 120ms;
                 }),
                 "++",
                 [](const std::vector<Seen>& seen, const Simulator&) {
                     for (const Seen& s : seen) {
                         EXPECT_LT(s.firstBurst, s.size);
                         EXPECT_GE(s.took, 3 * 120ms);
                     }
                 }},
        FaultRow{"CorruptEverySecondReply",
                 testing::MakeFaults([](Faults& f) { f.corruptEvery = 2; }), "+x+x",
                 [](const auto&, const Simulator& sim) {
                     EXPECT_EQ(sim.requests()[1].outcome, RequestOutcome::Corrupted);
                     EXPECT_TRUE(sim.requests()[1].answered);
                 }},
        FaultRow{"SilentAfterTwoRequests",
                 testing::MakeFaults([](Faults& f) { f.silentAfter = 2; }), "++--",
                 [](const auto&, const Simulator& sim) {
                     EXPECT_EQ(sim.requests()[3].outcome, RequestOutcome::Silenced);
                     EXPECT_TRUE(sim.serving());
                 }},
        FaultRow{"HangUpAfterTwoRequests",
                 testing::MakeFaults([](Faults& f) { f.hangUpAfter = 2; }), "++",
                 [](const auto&, const Simulator& sim) {
                     EXPECT_TRUE(WaitUntil([&] { return !sim.serving(); }, 3s));
                     EXPECT_TRUE(sim.hungUp());
                 }},
        FaultRow{"DropTheSecondStatusReply", DropReplies(link::CMD_STATUS, 2), "+-++", {}},
        FaultRow{"DropEveryStatusReply", DropReplies(link::CMD_STATUS, 0), "---", {}},
        FaultRow{
            "DropOfAnotherCommandLeavesStatus", DropReplies(link::CMD_FLASH_MODE, 0), "++", {}}),
    [](const auto& info) { return info.param.name; });

TEST(FaultOnTheLine, HungUpLineAnswersNothingMore) {
    SimulatorOptions options;
    options.faults.hangUpAfter = 1;
    Simulator sim(options);
    ASSERT_TRUE(sim.ok()) << sim.error();
    RawConsole console(sim.portPath());
    ASSERT_TRUE(console.ok());
    ASSERT_TRUE(console.exchange(link::CMD_CONFIG_READ));
    ASSERT_TRUE(WaitUntil([&] { return !sim.serving(); }, 3s));
    (void)console.request(link::CMD_CONFIG_READ);
    EXPECT_FALSE(console.readFrame(300ms));
    EXPECT_EQ(sim.requests().size(), 1U);
}

}  // namespace
}  // namespace talveno::devsim
