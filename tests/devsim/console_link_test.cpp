// The console's own link object (TKLCOM and its worker) talking to the
// simulator, one request per exchange cycle, as the console will.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "config_record.h"
#include "frames.h"
#include "klcom.h"
#include "qt_pump.h"
#include "simulator.h"
#include "status_block.h"

namespace talveno::devsim {
namespace {

using namespace std::chrono_literals;
using testing::Bytes;
using testing::PagePayload;
using testing::PayloadOf;
using testing::SimulationBlock;
using testing_support::PumpFor;
using testing_support::PumpUntil;

// Stages one request when told to and keeps every frame it is handed.
class ScriptedConsole : public link::ExchangeClient {
public:
    struct Request {
        std::uint8_t command = 0;
        std::uint8_t argument = 0;
        Bytes payload;
    };

    void ReplyDispatcher(std::span<const std::uint8_t> frame) override {
        frames.emplace_back(frame.begin(), frame.end());
    }
    void ExchangeScheduler(link::TxStaging& staging) override {
        if (next) {
            EXPECT_TRUE(link::SendCommand(staging, next->command, next->argument,
                                          next->payload.empty() ? nullptr : next->payload.data(),
                                          static_cast<std::uint16_t>(next->payload.size())));
            next.reset();
        }
    }

    std::optional<Request> next;
    std::vector<Bytes> frames;
};

class ConsoleLink : public ::testing::Test {
protected:
    explicit ConsoleLink(SimulatorOptions options = {}) : sim_(std::move(options)) {}

    void SetUp() override {
        ASSERT_TRUE(sim_.ok()) << sim_.error();
        ASSERT_TRUE(klcom_.Open(sim_.portPath(), 57600)) << klcom_.LastError();
        ASSERT_TRUE(klcom_.EnableLink(true));
    }

    // Sends one request in the next cycle; the reply frame, or nothing when
    // the device recorded the request as unanswered.
    std::optional<Bytes> ask(std::uint8_t command, std::uint8_t argument = 0, Bytes payload = {}) {
        const std::size_t logged = sim_.requests().size();
        const std::size_t received = console_.frames.size();
        console_.next = ScriptedConsole::Request{command, argument, std::move(payload)};
        if (!PumpUntil([&] { return sim_.requests().size() > logged; }, 3s)) {
            ADD_FAILURE() << "the device never got request " << int{command};
            return std::nullopt;
        }
        if (!sim_.requests().back().answered) {
            PumpFor(150ms);  // the device sent nothing; the console must see nothing
            EXPECT_EQ(console_.frames.size(), received);
            return std::nullopt;
        }
        if (!PumpUntil([&] { return console_.frames.size() > received; }, 3s)) {
            ADD_FAILURE() << "the reply to " << int{command} << " never arrived";
            return std::nullopt;
        }
        return console_.frames.back();
    }

    static std::uint8_t CommandOf(const std::optional<Bytes>& frame) {
        return frame ? (*frame)[link::kCommandOffset] : 0;
    }

    Simulator sim_;
    ScriptedConsole console_;
    link::TKLCOM klcom_{console_};
};

TEST_F(ConsoleLink, EachCommandIsAnsweredAsTheDeviceDoes) {
    const auto status = ask(link::CMD_STATUS, 0, SimulationBlock(0, 0, 0, 0));
    EXPECT_EQ(CommandOf(status), link::CMD_STATUS);
    ASSERT_TRUE(status);
    EXPECT_EQ(PayloadOf(*status).size(), kStatusBlockSize);
    EXPECT_TRUE(link::ParseFrame(*status)->checksumOk);

    const auto config = ask(link::CMD_CONFIG_READ);
    ASSERT_TRUE(config);
    EXPECT_EQ(CommandOf(config), link::CMD_CONFIG_READ);
    const ConfigRecord defaults = DefaultConfigRecord();
    EXPECT_EQ(PayloadOf(*config), Bytes(defaults.begin(), defaults.end()));

    ConfigRecord record = DefaultConfigRecord();
    record[kSenseEnableOffset + 5] = 0;
    SealConfigRecord(record);
    ConfigRecord damaged = record;
    damaged[kAnalogThresholdOffset] = 1;  // the checksum no longer fits
    EXPECT_FALSE(ask(link::CMD_CONFIG_WRITE, 0, Bytes(damaged.begin(), damaged.end())));
    EXPECT_EQ(sim_.config(), defaults);
    EXPECT_EQ(sim_.requests().back().outcome, RequestOutcome::BadRecord);
    const auto written = ask(link::CMD_CONFIG_WRITE, 0, Bytes(record.begin(), record.end()));
    EXPECT_EQ(CommandOf(written), link::CMD_CONFIG_WRITE);
    ASSERT_TRUE(written);
    EXPECT_EQ(written->size(), link::kHeaderSize);
    EXPECT_EQ(sim_.config(), record);

    // Remote mode toggles; while on, the status request drives the inputs.
    EXPECT_EQ(CommandOf(ask(link::CMD_REMOTE_MODE)), link::CMD_REMOTE_MODE);
    EXPECT_TRUE(sim_.remoteMode());
    const auto driven = ask(link::CMD_STATUS, 0, SimulationBlock(0x80, 0x08, 201, 7));
    ASSERT_TRUE(driven);
    const Bytes block = PayloadOf(*driven);
    ASSERT_EQ(block.size(), kStatusBlockSize);
    EXPECT_EQ(block[0], 1);
    EXPECT_EQ(block[12], 1);
    EXPECT_EQ(block[64 + 5], 0);  // the enable just written
    EXPECT_EQ(block[178], 201);
    EXPECT_EQ(block[179], 7);
    EXPECT_EQ(sim_.inputs().report.counters[0], 1);
    EXPECT_EQ(CommandOf(ask(link::CMD_REMOTE_MODE)), link::CMD_REMOTE_MODE);
    EXPECT_FALSE(sim_.remoteMode());

    EXPECT_EQ(CommandOf(ask(0x42)), 0);
    EXPECT_EQ(sim_.requests().back().outcome, RequestOutcome::UnknownCommand);
}

TEST_F(ConsoleLink, FlashModeGuardsEraseAndPageWritesWhichLandInTheirPage) {
    const Bytes first(256, 0x11);
    Bytes last(256);
    for (std::size_t i = 0; i < last.size(); ++i) {
        last[i] = static_cast<std::uint8_t>(i ^ 0xA5);
    }
    EXPECT_FALSE(ask(link::CMD_SECTOR_ERASE, 14));
    EXPECT_FALSE(ask(link::CMD_PAGE_WRITE, 0, PagePayload(first, 14, 0)));
    EXPECT_EQ(sim_.sector(14), Bytes(65536, 0xFF));

    EXPECT_EQ(CommandOf(ask(link::CMD_FLASH_MODE)), link::CMD_FLASH_MODE);
    EXPECT_TRUE(sim_.flashMode());
    EXPECT_EQ(CommandOf(ask(link::CMD_SECTOR_ERASE, 14)), link::CMD_SECTOR_ERASE);
    EXPECT_EQ(CommandOf(ask(link::CMD_PAGE_WRITE, 0, PagePayload(first, 14, 0))),
              link::CMD_PAGE_WRITE);
    EXPECT_EQ(CommandOf(ask(link::CMD_PAGE_WRITE, 0, PagePayload(last, 14, 255))),
              link::CMD_PAGE_WRITE);
    EXPECT_EQ(CommandOf(ask(link::CMD_FLASH_MODE)), link::CMD_FLASH_MODE);
    EXPECT_FALSE(sim_.flashMode());

    const Bytes sector = sim_.sector(14);
    EXPECT_EQ(Bytes(sector.begin(), sector.begin() + 256), first);
    EXPECT_EQ(Bytes(sector.end() - 256, sector.end()), last);
    EXPECT_TRUE(std::all_of(sector.begin() + 256, sector.end() - 256,
                            [](std::uint8_t b) { return b == 0xFF; }));
    EXPECT_EQ(sim_.sector(13), Bytes(65536, 0xFF));
}

// The console's assembler finds replies behind noise and across pieces; a
// device that never answers flash mode leaves the rest answered.
SimulatorOptions NoisySplitRepliesAndNoFlashMode() {
    SimulatorOptions options;
    options.faults.noiseBytes = 30;
    options.faults.splitPieces = 3;
    options.faults.splitGap = 40ms;
    options.faults = DropReplies(link::CMD_FLASH_MODE, 0);
    return options;
}

class ConsoleLinkThroughFaults : public ConsoleLink {
protected:
    ConsoleLinkThroughFaults() : ConsoleLink(NoisySplitRepliesAndNoFlashMode()) {}
};

TEST_F(ConsoleLinkThroughFaults, RepliesStillArriveWhole) {
    for (int i = 0; i < 3; ++i) {
        const auto status = ask(link::CMD_STATUS, 0, SimulationBlock(0, 0, 0, 0));
        ASSERT_TRUE(status);
        EXPECT_TRUE(link::ParseFrame(*status)->checksumOk);
        EXPECT_EQ(PayloadOf(*status).size(), kStatusBlockSize);
    }
    EXPECT_FALSE(ask(link::CMD_FLASH_MODE));
    EXPECT_EQ(sim_.requests().back().outcome, RequestOutcome::Dropped);
    EXPECT_TRUE(sim_.flashMode());  // the device acted; only its reply was lost
}

}  // namespace
}  // namespace talveno::devsim
