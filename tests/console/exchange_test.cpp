// ExchangeScheduler and ReplyDispatcher without a window: the window's few
// reads and writes are played by a small stand-in.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <vector>

#include "exchange.h"

namespace talveno::console {
namespace {

using Bytes = std::vector<std::uint8_t>;

class WindowStandIn : public ExchangeView {
public:
    bool grandPressed() const override { return grand; }
    void showRemoteActive(bool active) override { shapeGrandLime = active; }
    void RefreshStatusPage() override { ++refreshes; }
    void SetStatusText(int panel, const std::string& text) override { panels[panel] = text; }

    bool grand = false;
    std::optional<bool> shapeGrandLime;
    int refreshes = 0;
    std::map<int, std::string> panels;
};

struct Fixture {
    ExchangeState state;
    WindowStandIn window;
    Exchange exchange{state, window};

    // One scheduler pass; the frame it leaves staged, empty when none.
    Bytes pass() {
        link::TxStaging staging;
        exchange.ExchangeScheduler(staging);
        if (staging.txPending == 0) {
            return {};
        }
        return Bytes(staging.txFrame.begin(), staging.txFrame.begin() + staging.txLength);
    }

    void reply(std::uint8_t command, const Bytes& payload = {}) {
        link::TxStaging s;
        ASSERT_TRUE(link::SendCommand(s, command, 0, payload.data(),
                                      static_cast<std::uint16_t>(payload.size())));
        exchange.ReplyDispatcher({s.txFrame.data(), s.txLength});
    }
};

std::uint8_t CommandOf(const Bytes& frame) {
    return frame.empty() ? 0 : frame[link::kCommandOffset];
}

TEST(ExchangeScheduler, StatusPollEverySixthPassOnTheStatusPageOnly) {
    Fixture f;
    f.state.flags.onStatusPage = 1;
    std::vector<int> polled;
    for (int pass = 1; pass <= 13; ++pass) {
        const Bytes frame = f.pass();
        if (!frame.empty()) {
            EXPECT_EQ(CommandOf(frame), link::CMD_STATUS);
            EXPECT_EQ(frame.size(), 20U);
            polled.push_back(pass);
        }
    }
    EXPECT_EQ(polled, (std::vector<int>{1, 7, 13}));

    f.state.flags.onStatusPage = 0;
    f.state.flags.onConfigPage = 1;
    for (int pass = 0; pass < 12; ++pass) {
        EXPECT_TRUE(f.pass().empty());
    }
}

TEST(ExchangeScheduler, RemoteModeReconciliationComesFirstAndSkipsTheRest) {
    Fixture f;
    f.state.flags.onStatusPage = 1;
    f.state.flags.configWritePending = 1;  // of another page: untouched throughout
    f.window.grand = true;
    for (int pass = 0; pass < 8; ++pass) {
        EXPECT_EQ(CommandOf(f.pass()), link::CMD_REMOTE_MODE) << pass;
    }
    // The countdown still ran down meanwhile; no status request went out.
    EXPECT_EQ(f.state.statusCountdown, 0);

    f.reply(link::CMD_REMOTE_MODE);
    EXPECT_EQ(f.state.flags.remoteActive, 1);
    EXPECT_EQ(f.window.shapeGrandLime, true);
    EXPECT_EQ(CommandOf(f.pass()), link::CMD_STATUS);

    // Released: asked again until a reply clears it; two replies in a row
    // toggle back.
    f.window.grand = false;
    EXPECT_EQ(CommandOf(f.pass()), link::CMD_REMOTE_MODE);
    f.reply(link::CMD_REMOTE_MODE);
    f.reply(link::CMD_REMOTE_MODE);
    EXPECT_EQ(f.state.flags.remoteActive, 1);
    f.reply(link::CMD_REMOTE_MODE);
    EXPECT_EQ(f.state.flags.remoteActive, 0);
    EXPECT_EQ(f.window.shapeGrandLime, false);
    EXPECT_EQ(f.state.flags.configWritePending, 1);
}

struct LastStagingCase {
    const char* name;
    ExchangeFlags flags;
    std::uint8_t sent;
};

class LastStagingWins : public ::testing::TestWithParam<LastStagingCase> {};

TEST_P(LastStagingWins, EveryDueFlagClearedOnlyTheLastSent) {
    Fixture f;
    f.state.flags = GetParam().flags;
    f.state.flags.configReadDone = 1;
    f.state.flags.configWriteAcked = 1;
    EXPECT_EQ(CommandOf(f.pass()), GetParam().sent);
    const auto& g = f.state.flags;
    EXPECT_EQ(g.erasePending + g.pageWritePending + g.flashModePending + g.configReadPending +
                  g.configWritePending,
              0);
    if (GetParam().flags.configReadPending != 0) {
        EXPECT_EQ(g.configReadDone, 0);
    }
    if (GetParam().flags.configWritePending != 0) {
        EXPECT_EQ(g.configWriteAcked, 0);
    }
}

ExchangeFlags LoadFlags(bool erase, bool page, bool flash) {
    ExchangeFlags flags;
    flags.onLoadPage = 1;
    flags.erasePending = erase ? 1 : 0;
    flags.pageWritePending = page ? 1 : 0;
    flags.flashModePending = flash ? 1 : 0;
    return flags;
}

ExchangeFlags ConfigFlags(bool read, bool write) {
    ExchangeFlags flags;
    flags.onConfigPage = 1;
    flags.configReadPending = read ? 1 : 0;
    flags.configWritePending = write ? 1 : 0;
    return flags;
}

INSTANTIATE_TEST_SUITE_P(
    Console, LastStagingWins,
    ::testing::Values(
        LastStagingCase{"Erase", LoadFlags(true, false, false), link::CMD_SECTOR_ERASE},
        LastStagingCase{"EraseAndPage", LoadFlags(true, true, false), link::CMD_PAGE_WRITE},
        LastStagingCase{"PageAndFlash", LoadFlags(false, true, true), link::CMD_FLASH_MODE},
        LastStagingCase{"AllThree", LoadFlags(true, true, true), link::CMD_FLASH_MODE},
        LastStagingCase{"ConfigRead", ConfigFlags(true, false), link::CMD_CONFIG_READ},
        LastStagingCase{"ReadAndWrite", ConfigFlags(true, true), link::CMD_CONFIG_WRITE}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ExchangeScheduler, RequestsOfAnInactivePageWaitForIt) {
    Fixture f;
    f.state.flags.onStatusPage = 1;
    f.state.flags.configWritePending = 1;
    f.state.flags.erasePending = 1;
    for (int pass = 0; pass < 7; ++pass) {
        const Bytes frame = f.pass();
        EXPECT_TRUE(frame.empty() || CommandOf(frame) == link::CMD_STATUS);
    }
    EXPECT_EQ(f.state.flags.configWritePending, 1);
    EXPECT_EQ(f.state.flags.erasePending, 1);
    f.state.flags.onStatusPage = 0;
    f.state.flags.onConfigPage = 1;
    EXPECT_EQ(CommandOf(f.pass()), link::CMD_CONFIG_WRITE);
    EXPECT_EQ(f.state.flags.erasePending, 1);
}

TEST(ExchangeScheduler, SectorEraseCarriesTheSectorAndPageWriteThePayload) {
    Fixture f;
    f.state.flags.onLoadPage = 1;
    f.state.sectorNo = 14;
    f.state.flags.erasePending = 1;
    EXPECT_EQ(f.pass(), (Bytes{0x77, 0x75, 0x69, 0x88, 0, 0, 14, 0x0A}));

    for (std::size_t i = 0; i < kPagePayloadSize; ++i) {
        f.state.pagePayload[i] = static_cast<std::uint8_t>(i);
    }
    f.state.flags.pageWritePending = 1;
    const Bytes frame = f.pass();
    ASSERT_EQ(frame.size(), 268U);
    EXPECT_TRUE(std::equal(f.state.pagePayload.begin(), f.state.pagePayload.end(),
                           frame.begin() + link::kPayloadOffset));
}

TEST(ExchangeScheduler, ConfigWriteSendsTheEditedRecordSealed) {
    Fixture f;
    f.state.flags.onConfigPage = 1;
    for (std::size_t i = 0; i < kConfigRecordSize; ++i) {
        f.state.configEdited[i] = static_cast<std::uint8_t>(0xA0 + i);
    }
    const ConfigRecord edited = f.state.configEdited;
    f.state.flags.configWritePending = 1;
    const Bytes frame = f.pass();
    ASSERT_EQ(frame.size(), 82U);
    const Bytes payload(frame.begin() + 8, frame.begin() + 80);
    EXPECT_TRUE(std::equal(edited.begin(), edited.begin() + 69, payload.begin()));
    EXPECT_EQ(payload[69], 1);
    const std::uint16_t crc = link::Crc16(payload.data(), 70);
    EXPECT_EQ(payload[70], crc & 0xFF);
    EXPECT_EQ(payload[71], crc >> 8);
    EXPECT_EQ(f.state.configEdited, edited);
    EXPECT_TRUE(
        std::equal(f.state.configOutgoing.begin(), f.state.configOutgoing.end(), payload.begin()));
}

struct ReplyCase {
    const char* name;
    std::uint8_t command;
    std::uint8_t ExchangeFlags::*raised;  // nullptr when none
    bool counted;
};

class DispatcherReplies : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(DispatcherReplies, RaiseTheirFlagAndCount) {
    Fixture f;
    f.state.ioCount = 41;
    const auto& c = GetParam();
    f.reply(c.command, c.command == link::CMD_STATUS        ? Bytes(186, 1)
                       : c.command == link::CMD_CONFIG_READ ? Bytes(72, 2)
                                                            : Bytes{});
    if (c.raised != nullptr) {
        EXPECT_EQ(f.state.flags.*c.raised, 1);
    }
    EXPECT_EQ(f.state.ioCount, c.counted ? 42 : 41);
    EXPECT_EQ(f.window.panels[kIoCountPanel],
              c.counted ? " I/O count: 000042 " : " I/O count: 000041 ");
}

INSTANTIATE_TEST_SUITE_P(
    Console, DispatcherReplies,
    ::testing::Values(
        ReplyCase{"Status", link::CMD_STATUS, nullptr, true},
        ReplyCase{"Zero", 0x00, nullptr, true},
        ReplyCase{"Remote", link::CMD_REMOTE_MODE, &ExchangeFlags::remoteActive, true},
        ReplyCase{"FlashMode", link::CMD_FLASH_MODE, &ExchangeFlags::flashModeAcked, false},
        ReplyCase{"Erase", link::CMD_SECTOR_ERASE, &ExchangeFlags::eraseAcked, true},
        ReplyCase{"PageWrite", link::CMD_PAGE_WRITE, &ExchangeFlags::pageWriteAcked, true},
        ReplyCase{"ConfigRead", link::CMD_CONFIG_READ, &ExchangeFlags::configReadDone, true},
        ReplyCase{"ConfigWrite", link::CMD_CONFIG_WRITE, &ExchangeFlags::configWriteAcked, true},
        ReplyCase{"Unknown", 0x41, nullptr, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReplyDispatcher, StoresWholePayloadsOnly) {
    Fixture f;
    Bytes status(186);
    for (std::size_t i = 0; i < status.size(); ++i) {
        status[i] = static_cast<std::uint8_t>(i);
    }
    f.reply(link::CMD_STATUS, status);
    EXPECT_TRUE(std::equal(status.begin(), status.end(), f.state.statusBlock.begin()));
    EXPECT_EQ(f.window.refreshes, 1);

    // Short replies: counted, never stored or shown.
    f.reply(link::CMD_STATUS, Bytes(100, 0xEE));
    EXPECT_TRUE(std::equal(status.begin(), status.end(), f.state.statusBlock.begin()));
    EXPECT_EQ(f.window.refreshes, 1);
    f.reply(link::CMD_CONFIG_READ, Bytes(71, 0xEE));
    EXPECT_EQ(f.state.flags.configReadDone, 0);
    EXPECT_EQ(f.state.configIncoming, ConfigRecord{});
    EXPECT_EQ(f.state.ioCount, 3);

    Bytes record(72);
    record[0] = 0x77;
    record[71] = 0x99;
    f.reply(link::CMD_CONFIG_READ, record);
    EXPECT_EQ(f.state.flags.configReadDone, 1);
    EXPECT_TRUE(std::equal(record.begin(), record.end(), f.state.configIncoming.begin()));
}

TEST(IoCountText, SixDigitsAtLeast) {
    EXPECT_EQ(IoCountText(42), " I/O count: 000042 ");
    EXPECT_EQ(IoCountText(1234567), " I/O count: 1234567 ");
    EXPECT_EQ(IoCountText(0), " I/O count: 000000 ");
}

TEST(SimulationBlock, BitOrderAndAnalogBytes) {
    SimulationState sim;
    sim.simToggles[0] = 1;   // byte 0 bit 7
    sim.simToggles[4] = 1;   // byte 0 bit 3
    sim.simToggles[8] = 1;   // byte 1 bit 7
    sim.simToggles[15] = 1;  // byte 1 bit 0
    sim.simToggles[16] = 1;  // never sent
    sim.simFuel = 200;
    sim.simTemperatura = 0x1FF;
    const SimulationBlock block = BuildSimulationBlock(sim);
    EXPECT_EQ(block, (SimulationBlock{0x88, 0x81, 200, 0xFF, 0, 0, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace talveno::console
