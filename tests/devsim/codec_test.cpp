// The device's payload codecs, the WAV export and the fault arithmetic.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>

#include "config_record.h"
#include "faults.h"
#include "flash_memory.h"
#include "frames.h"
#include "status_block.h"
#include "wav_export.h"

namespace talveno::devsim {
namespace {

using namespace std::chrono_literals;
using testing::Bytes;

// --- Decoders refuse short input with a reason ------------------------------------

TEST(Decoders, RefuseShortPayloadsWithAReason) {
    const Bytes nine(9, 0xFF);
    const auto sim = DecodeSimulationBlock(nine);
    EXPECT_FALSE(sim.ok());
    EXPECT_FALSE(sim.reason().empty());
    const auto page = DecodePagePayload(Bytes(257, 0));
    EXPECT_FALSE(page.ok());
    EXPECT_FALSE(page.reason().empty());
    const auto record = DecodeConfigRecord(Bytes(71, 0));
    EXPECT_FALSE(record.ok());
    EXPECT_FALSE(record.reason().empty());
}

TEST(Decoders, RecordChecksumIsOverBytes0To69LowByteFirst) {
    // The console's start-up record: 0x77, zeros, FF FF 01, then its checksum.
    Bytes record(72, 0);
    record[0] = 0x77;
    record[67] = 0xFF;
    record[68] = 0xFF;
    record[69] = 0x01;
    record[70] = 0x6A;
    record[71] = 0x9D;
    EXPECT_TRUE(DecodeConfigRecord(record).ok());
    std::swap(record[70], record[71]);
    EXPECT_FALSE(DecodeConfigRecord(record).ok());
}

TEST(Decoders, PagePayloadGivesSectorPageAndImage) {
    Bytes payload(256);
    for (std::size_t i = 0; i < payload.size(); ++i) {
        payload[i] = static_cast<std::uint8_t>(255 - i);
    }
    payload.push_back(14);
    payload.push_back(255);
    const auto page = DecodePagePayload(payload);
    ASSERT_TRUE(page.ok());
    EXPECT_EQ(page->sector, 14);
    EXPECT_EQ(page->page, 255);
    EXPECT_TRUE(std::equal(page->image.begin(), page->image.end(), payload.begin()));
}

// --- WAV export -------------------------------------------------------------------------

struct TrimCase {
    std::string name;
    Bytes image;    // start of a sector; the rest is erased
    Bytes samples;  // expected, little-endian
};

void PrintTo(const TrimCase& row, std::ostream* out) {
    *out << row.name;
}

class StoredSamplesOf : public ::testing::TestWithParam<TrimCase> {};

TEST_P(StoredSamplesOf, SwapsPairsBackAndCutsTheTail) {
    Bytes sector = GetParam().image;
    sector.resize(kSectorSize, 0xFF);
    EXPECT_EQ(StoredSamples(sector), GetParam().samples);
}

INSTANTIATE_TEST_SUITE_P(
    Export, StoredSamplesOf,
    ::testing::Values(
        TrimCase{"ErasedSectorIsEmpty", {}, {}},
        TrimCase{
            "HighByteFirstBecomesLittleEndian", {0x02, 0x01, 0x04, 0x03}, {0x01, 0x02, 0x03, 0x04}},
        TrimCase{"ZeroPaddingIsCut", {0x02, 0x01, 0x00, 0x00, 0x00, 0x00}, {0x01, 0x02}},
        TrimCase{"LowByteZeroOfTheLastSampleStays", {0x12, 0x00, 0x00, 0x00}, {0x00, 0x12}},
        TrimCase{"ZerosInsideStay", {0x00, 0x00, 0x05, 0x06}, {0x00, 0x00, 0x06, 0x05}}),
    [](const auto& info) { return info.param.name; });

TEST(Export, WholeSectorOfDataIsKept) {
    Bytes sector(kSectorSize, 0x11);
    EXPECT_EQ(StoredSamples(sector).size(), kSectorSize);
}

TEST(Export, CanonicalHeader) {
    const Bytes samples = {1, 2, 3, 4};
    const Bytes wav = MessageWav(samples);
    ASSERT_EQ(wav.size(), 48U);
    const auto u16 = [&](std::size_t at) { return wav[at] | (wav[at + 1] << 8); };
    const auto u32 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(u16(at)) |
               (static_cast<std::uint32_t>(u16(at + 2)) << 16);
    };
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    EXPECT_EQ(u32(4), 40U);
    EXPECT_EQ(std::string(wav.begin() + 8, wav.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(u32(16), 16U);
    EXPECT_EQ(u16(20), 1);
    EXPECT_EQ(u16(22), 1);
    EXPECT_EQ(u32(24), 8000U);
    EXPECT_EQ(u32(28), 16000U);
    EXPECT_EQ(u16(32), 2);
    EXPECT_EQ(u16(34), 16);
    EXPECT_EQ(std::string(wav.begin() + 36, wav.begin() + 40), "data");
    EXPECT_EQ(u32(40), 4U);
    EXPECT_EQ(Bytes(wav.begin() + 44, wav.end()), samples);
}

// --- Fault arithmetic ----------------------------------------------------------------------

struct FaultCase {
    std::string name;
    Faults faults;
    std::uint8_t command;
    std::string dropped;  // per reply: 'd' dropped, 'c' corrupted, '.' whole
};

void PrintTo(const FaultCase& row, std::ostream* out) {
    *out << row.name;
}

class FaultCounts : public ::testing::TestWithParam<FaultCase> {};

TEST_P(FaultCounts, PickTheRightReplies) {
    const FaultCase& c = GetParam();
    FaultInjector injector(c.faults);
    std::string seen;
    for (std::size_t i = 0; i < c.dropped.size(); ++i) {
        const ReplyPlan plan = injector.onReply(c.command);
        seen += plan.drop ? 'd' : plan.corrupt ? 'c' : '.';
    }
    EXPECT_EQ(seen, c.dropped);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultCounts,
    ::testing::Values(FaultCase{"None", {}, 0x20, "......"},
                      FaultCase{"DropEveryThird",
                                testing::MakeFaults([](Faults& f) { f.dropEvery = 3; }), 0x20,
                                "..d..d"},
                      FaultCase{"CorruptEverySecond",
                                testing::MakeFaults([](Faults& f) { f.corruptEvery = 2; }), 0x20,
                                ".c.c.c"},
                      FaultCase{"DropTheFifthPageWrite", DropReplies(0x30, 5), 0x30, "....d..."},
                      FaultCase{"DropEveryFlashMode", DropReplies(0x70, 0), 0x70, "dddd"},
                      FaultCase{"OtherCommandsUntouched", DropReplies(0x70, 0), 0x20, "...."}),
    [](const auto& info) { return info.param.name; });

TEST(FaultCounts, SilenceAndHangUpCountRequests) {
    FaultInjector injector(testing::MakeFaults([](Faults& f) {
        f.silentAfter = 2;
        f.hangUpAfter = 3;
    }));
    std::string seen;
    for (int i = 0; i < 4; ++i) {
        const RequestFate fate = injector.onRequest();
        seen += fate.silent ? (fate.hangUp ? 'H' : 's') : (fate.hangUp ? 'h' : '.');
    }
    EXPECT_EQ(seen, "..HH");
}

TEST(Faults, CorruptionBreaksTheChecksumOrTheCommand) {
    Bytes withPayload = testing::Request(link::CMD_STATUS, 0, Bytes(186, 0x11));
    CorruptReply(withPayload);
    const auto info = link::ParseFrame(withPayload);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->command, link::CMD_STATUS);
    EXPECT_FALSE(info->checksumOk);

    Bytes headerOnly = testing::Request(link::CMD_PAGE_WRITE);
    CorruptReply(headerOnly);
    EXPECT_EQ(headerOnly[link::kCommandOffset], static_cast<std::uint8_t>(~link::CMD_PAGE_WRITE));
    EXPECT_EQ(headerOnly[link::kStartOffset], 'w');
}

TEST(Faults, NoiseNeverHoldsAFrameStart) {
    for (std::uint32_t seed = 0; seed < 50; ++seed) {
        const Bytes noise = NoiseBytes(200, seed);
        ASSERT_EQ(noise.size(), 200U);
        EXPECT_EQ(std::count(noise.begin(), noise.end(), 'w'), 0) << "seed " << seed;
    }
}

TEST(Faults, SplitGivesPiecesThatMakeTheWhole) {
    const Bytes frame = testing::Request(link::CMD_STATUS, 0, Bytes(186, 0x22));
    for (const int pieces : {1, 3, 7, 500}) {
        const auto runs = SplitReply(frame, pieces);
        EXPECT_EQ(runs.size(), static_cast<std::size_t>(std::min<int>(pieces, 196)));
        Bytes joined;
        for (const auto run : runs) {
            EXPECT_FALSE(run.empty());
            joined.insert(joined.end(), run.begin(), run.end());
        }
        EXPECT_EQ(joined, frame);
    }
}

}  // namespace
}  // namespace talveno::devsim
