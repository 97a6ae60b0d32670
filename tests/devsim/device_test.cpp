// The device model alone: one request frame in, its reply (or none) out.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>

#include "config_record.h"
#include "device.h"
#include "frame_assembler.h"
#include "frames.h"
#include "input_bank.h"
#include "status_block.h"

namespace talveno::devsim {
namespace {

using namespace std::chrono_literals;
using testing::Bytes;
using testing::PagePayload;
using testing::PayloadOf;
using testing::Request;
using testing::SimulationBlock;

Bytes ReplyTo(Device& device, const Bytes& request) {
    return device.handle(request).reply;
}

void EnterFlashMode(Device& device) {
    ASSERT_FALSE(ReplyTo(device, Request(link::CMD_FLASH_MODE)).empty());
    ASSERT_TRUE(device.flashMode());
}

Bytes WithBadChecksum(Bytes frame) {
    frame.back() ^= 0x01;
    return frame;
}

ConfigRecord RecordWith(std::size_t offset, std::uint8_t value) {
    ConfigRecord record = DefaultConfigRecord();
    record[offset] = value;
    SealConfigRecord(record);
    return record;
}

// --- Each request and what the device answers -------------------------------

struct CommandCase {
    std::string name;
    bool inFlashMode;
    Bytes request;
    bool answered;
    RequestOutcome outcome;
    std::size_t replyPayload;  // payload bytes of the reply (checksum not counted)
};

void PrintTo(const CommandCase& row, std::ostream* out) {
    *out << row.name;
}

class DeviceCommand : public ::testing::TestWithParam<CommandCase> {};

TEST_P(DeviceCommand, AnswersAsTheDeviceDoes) {
    const CommandCase& c = GetParam();
    Device device;
    if (c.inFlashMode) {
        EnterFlashMode(device);
    }
    const Handled handled = device.handle(c.request);
    EXPECT_EQ(handled.outcome, c.outcome);
    ASSERT_EQ(!handled.reply.empty(), c.answered) << handled.reason;
    if (!c.answered) {
        return;
    }
    const auto info = link::ParseFrame(handled.reply);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->command, c.request[link::kCommandOffset]);
    EXPECT_EQ(info->argument, 0);
    EXPECT_TRUE(info->checksumOk);
    EXPECT_EQ(info->payload.size(), c.replyPayload);
    EXPECT_EQ(handled.reply.size(),
              link::kHeaderSize + c.replyPayload + (c.replyPayload > 0 ? link::kCrcSize : 0));
}

const Bytes kPage(256, 0x5A);
const ConfigRecord kGoodRecord = RecordWith(kAnalogThresholdOffset, 77);
ConfigRecord BadRecord() {
    ConfigRecord r = kGoodRecord;
    r[kRecordCrcOffset] ^= 0xFF;
    return r;
}
const ConfigRecord kBadRecord = BadRecord();
const Bytes kShortRecord(kGoodRecord.begin(), kGoodRecord.begin() + 60);

INSTANTIATE_TEST_SUITE_P(
    Requests, DeviceCommand,
    ::testing::Values(
        CommandCase{"StatusGivesStatusBlock", false,
                    Request(link::CMD_STATUS, 0, SimulationBlock(0, 0, 0, 0)), true,
                    RequestOutcome::Answered, kStatusBlockSize},
        CommandCase{"StatusWithoutBlock", false, Request(link::CMD_STATUS), true,
                    RequestOutcome::Answered, kStatusBlockSize},
        CommandCase{"ConfigReadGivesRecord", false, Request(link::CMD_CONFIG_READ), true,
                    RequestOutcome::Answered, kConfigRecordSize},
        CommandCase{"ConfigWrite", false, Request(link::CMD_CONFIG_WRITE, 0, kGoodRecord), true,
                    RequestOutcome::Answered, 0},
        CommandCase{"ConfigWriteBadRecordCrc", false,
                    Request(link::CMD_CONFIG_WRITE, 0, kBadRecord), false,
                    RequestOutcome::BadRecord, 0},
        CommandCase{"ConfigWriteShortRecord", false,
                    Request(link::CMD_CONFIG_WRITE, 0, kShortRecord), false,
                    RequestOutcome::BadRecord, 0},
        CommandCase{"FlashMode", false, Request(link::CMD_FLASH_MODE), true,
                    RequestOutcome::Answered, 0},
        CommandCase{"RemoteMode", false, Request(link::CMD_REMOTE_MODE), true,
                    RequestOutcome::Answered, 0},
        CommandCase{"EraseInFlashMode", true, Request(link::CMD_SECTOR_ERASE, 14), true,
                    RequestOutcome::Answered, 0},
        CommandCase{"EraseOutsideFlashMode", false, Request(link::CMD_SECTOR_ERASE, 3), false,
                    RequestOutcome::NotInFlashMode, 0},
        CommandCase{"EraseOfNoSector", true, Request(link::CMD_SECTOR_ERASE, 15), false,
                    RequestOutcome::BadPayload, 0},
        CommandCase{"PageWriteInFlashMode", true,
                    Request(link::CMD_PAGE_WRITE, 0, PagePayload(kPage, 14, 255)), true,
                    RequestOutcome::Answered, 0},
        CommandCase{"PageWriteOutsideFlashMode", false,
                    Request(link::CMD_PAGE_WRITE, 0, PagePayload(kPage, 0, 0)), false,
                    RequestOutcome::NotInFlashMode, 0},
        CommandCase{"PageWriteToNoSector", true,
                    Request(link::CMD_PAGE_WRITE, 0, PagePayload(kPage, 15, 0)), false,
                    RequestOutcome::BadPayload, 0},
        CommandCase{"PageWriteShortPayload", true, Request(link::CMD_PAGE_WRITE, 0, kPage), false,
                    RequestOutcome::BadPayload, 0},
        CommandCase{"UnknownCommand", false, Request(0x42), false, RequestOutcome::UnknownCommand,
                    0},
        CommandCase{"CommandZero", false, Request(0x00), false, RequestOutcome::UnknownCommand, 0},
        CommandCase{"WrongFrameChecksum", false,
                    WithBadChecksum(Request(link::CMD_STATUS, 0, SimulationBlock(0, 0, 0, 0))),
                    false, RequestOutcome::BadChecksum, 0},
        CommandCase{"LengthFieldOne", false, Bytes{'w', 'u', 'i', 0x20, 1, 0, 0, 0x0A, 0}, false,
                    RequestOutcome::BadChecksum, 0}),
    [](const auto& info) { return info.param.name; });

// --- Modes -------------------------------------------------------------------

TEST(Device, FlashAndRemoteModeToggleOnEachRequest) {
    Device device;
    EXPECT_FALSE(device.flashMode());
    EXPECT_FALSE(device.remoteMode());
    for (const bool expected : {true, false, true}) {
        EXPECT_FALSE(ReplyTo(device, Request(link::CMD_FLASH_MODE)).empty());
        EXPECT_EQ(device.flashMode(), expected);
        EXPECT_FALSE(device.remoteMode());
    }
    for (const bool expected : {true, false}) {
        EXPECT_FALSE(ReplyTo(device, Request(link::CMD_REMOTE_MODE)).empty());
        EXPECT_EQ(device.remoteMode(), expected);
        EXPECT_TRUE(device.flashMode());
    }
}

// --- FLASH ---------------------------------------------------------------------

TEST(Device, PageWriteLandsInItsSectorAndPage) {
    Device device;
    EnterFlashMode(device);
    ASSERT_FALSE(ReplyTo(device, Request(link::CMD_SECTOR_ERASE, 9)).empty());
    Bytes image(256);
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(i);
    }
    ASSERT_FALSE(
        ReplyTo(device, Request(link::CMD_PAGE_WRITE, 0, PagePayload(image, 9, 200))).empty());

    const auto sector = device.flash().sector(9);
    ASSERT_EQ(sector.size(), kSectorSize);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), sector.begin() + 200 * 256));
    // Everything else of the sector, and every other sector, is still erased.
    EXPECT_TRUE(std::all_of(sector.begin(), sector.begin() + 200 * 256,
                            [](std::uint8_t b) { return b == 0xFF; }));
    EXPECT_TRUE(std::all_of(sector.begin() + 201 * 256, sector.end(),
                            [](std::uint8_t b) { return b == 0xFF; }));
    for (int s = 0; s < kSectorCount; ++s) {
        if (s != 9) {
            const auto other = device.flash().sector(s);
            EXPECT_TRUE(
                std::all_of(other.begin(), other.end(), [](std::uint8_t b) { return b == 0xFF; }))
                << "sector " << s;
        }
    }
}

TEST(Device, PageWriteWithoutEraseOnlyClearsBits) {
    Device device;
    EnterFlashMode(device);
    ASSERT_FALSE(
        ReplyTo(device, Request(link::CMD_PAGE_WRITE, 0, PagePayload(Bytes(256, 0xF0), 2, 0)))
            .empty());
    ASSERT_FALSE(
        ReplyTo(device, Request(link::CMD_PAGE_WRITE, 0, PagePayload(Bytes(256, 0x3C), 2, 0)))
            .empty());
    EXPECT_EQ(device.flash().sector(2)[0], 0x30);
    EXPECT_EQ(device.flash().sector(2)[255], 0x30);

    ASSERT_FALSE(ReplyTo(device, Request(link::CMD_SECTOR_ERASE, 2)).empty());
    EXPECT_EQ(device.flash().sector(2)[0], 0xFF);
    ASSERT_FALSE(
        ReplyTo(device, Request(link::CMD_PAGE_WRITE, 0, PagePayload(Bytes(256, 0x3C), 2, 0)))
            .empty());
    EXPECT_EQ(device.flash().sector(2)[0], 0x3C);
}

TEST(Device, WorkingTimesOfEraseAndPageProgram) {
    DeviceTiming timing;
    timing.sectorErase = 450ms;
    Device device(timing);
    EnterFlashMode(device);
    EXPECT_EQ(device.handle(Request(link::CMD_SECTOR_ERASE, 0)).workTime, 450ms);
    EXPECT_EQ(device.handle(Request(link::CMD_PAGE_WRITE, 0, PagePayload(kPage, 0, 0))).workTime,
              1ms);
    EXPECT_EQ(device.handle(Request(link::CMD_CONFIG_READ)).workTime, 0ms);
}

// --- Configuration ---------------------------------------------------------------

TEST(Device, DefaultConfigurationIsASealedRecord) {
    Device device;
    const ConfigRecord& record = device.config();
    EXPECT_EQ(record[kRecordTagOffset], 0x77);
    EXPECT_TRUE(DecodeConfigRecord(record).ok());
    EXPECT_EQ(record[kAnalogThresholdOffset], 128);
    EXPECT_EQ(record[kAnalogThresholdOffset + 1], 128);
    EXPECT_EQ((Bytes{record[67], record[68], record[69]}), (Bytes{0xFF, 0xFF, 0x01}));
    for (int m = 0; m < kMessageCount; ++m) {
        const auto sensors = SensorsOfMessage(record, m);
        EXPECT_EQ(sensors.first, m);
        EXPECT_EQ(sensors.second, m);
        EXPECT_TRUE(InputEnabled(record, m));
        EXPECT_EQ(ActiveLevel(record, m), 1);
    }
}

TEST(Device, ConfigWriteReplacesTheRecordAndABadOneIsRefused) {
    Device device;
    ASSERT_FALSE(ReplyTo(device, Request(link::CMD_CONFIG_WRITE, 0, kGoodRecord)).empty());
    EXPECT_EQ(device.config(), kGoodRecord);
    EXPECT_EQ(PayloadOf(ReplyTo(device, Request(link::CMD_CONFIG_READ))),
              Bytes(kGoodRecord.begin(), kGoodRecord.end()));

    EXPECT_TRUE(ReplyTo(device, Request(link::CMD_CONFIG_WRITE, 0, kBadRecord)).empty());
    EXPECT_EQ(device.config(), kGoodRecord);
}

// --- Status and inputs ---------------------------------------------------------------

TEST(Device, StatusBlockCarriesStatesLevelsEnablesCountersAndReadings) {
    Device device;
    ConfigRecord record = DefaultConfigRecord();
    record[kSenseActiveOffset + 1] = 0;    // input 1 active at level 0
    record[kSenseActiveOffset + 2] = 7;    // any nonzero value is level 1
    record[kSenseEnableOffset + 3] = 0;    // input 3 disabled
    record[kAnalogThresholdOffset] = 100;  // АД1 active above 100
    record[kAnalogThresholdOffset + 1] = 200;
    SealConfigRecord(record);
    device.setConfig(record);
    ASSERT_FALSE(ReplyTo(device, Request(link::CMD_REMOTE_MODE)).empty());

    // Inputs 0 and 2 high, АД1 at 150 (above), АД2 at 50 (below).
    const Bytes reply =
        ReplyTo(device, Request(link::CMD_STATUS, 0, SimulationBlock(0xA0, 0x00, 150, 50)));
    const Bytes block = PayloadOf(reply);
    ASSERT_EQ(block.size(), kStatusBlockSize);
    EXPECT_EQ(block[0], 1);
    EXPECT_EQ(block[1], 0);
    EXPECT_EQ(block[2], 1);
    EXPECT_EQ(block[13], 1);  // АД1 above its threshold
    EXPECT_EQ(block[14], 0);
    EXPECT_EQ(block[32 + 1], 0);
    EXPECT_EQ(block[32 + 2], 1);
    EXPECT_EQ(block[64 + 3], 0);
    EXPECT_EQ(block[64 + 4], 1);
    EXPECT_EQ(block[178], 150);
    EXPECT_EQ(block[179], 50);
    // Inputs 0 and 2 and АД1 became active (1 at level 0 is active too: it
    // rests at 0 from power-up, which is no activation of its own).
    EXPECT_EQ((Bytes{block[96], block[97]}), (Bytes{1, 0}));
    EXPECT_EQ((Bytes{block[98], block[99]}), (Bytes{0, 0}));
    EXPECT_EQ((Bytes{block[100], block[101]}), (Bytes{1, 0}));
    EXPECT_EQ((Bytes{block[96 + 26], block[97 + 26]}), (Bytes{1, 0}));
    // Bytes the layout does not name are zero.
    for (const std::size_t at : {15U, 31U, 47U, 63U, 79U, 95U, 126U, 177U, 180U, 185U}) {
        EXPECT_EQ(block[at], 0) << "byte " << at;
    }
}

struct SimulationCase {
    std::string name;
    std::uint8_t byte0;
    std::uint8_t byte1;
    std::vector<int> high;  // discrete inputs expected at 1
};

void PrintTo(const SimulationCase& row, std::ostream* out) {
    *out << row.name;
}

class SimulationBits : public ::testing::TestWithParam<SimulationCase> {};

TEST_P(SimulationBits, DriveTheDiscreteInputsInRemoteMode) {
    const SimulationCase& c = GetParam();
    Device device;
    ASSERT_FALSE(ReplyTo(device, Request(link::CMD_REMOTE_MODE)).empty());
    const Bytes block = PayloadOf(
        ReplyTo(device, Request(link::CMD_STATUS, 0, SimulationBlock(c.byte0, c.byte1, 0, 0))));
    ASSERT_EQ(block.size(), kStatusBlockSize);
    for (int i = 0; i < kDiscreteInputCount; ++i) {
        const bool high = std::find(c.high.begin(), c.high.end(), i) != c.high.end();
        EXPECT_EQ(block[static_cast<std::size_t>(i)], high ? 1 : 0) << "input " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Remote, SimulationBits,
                         ::testing::Values(SimulationCase{"Input0IsBit7OfByte0", 0x80, 0x00, {0}},
                                           SimulationCase{"Input7IsBit0OfByte0", 0x01, 0x00, {7}},
                                           SimulationCase{"Input8IsBit7OfByte1", 0x00, 0x80, {8}},
                                           SimulationCase{"Input12IsBit3OfByte1", 0x00, 0x08, {12}},
                                           SimulationCase{
                                               "AnalogAndSpareBitsIgnored", 0x00, 0x07, {}},
                                           SimulationCase{"Mixed", 0x41, 0x90, {1, 7, 8, 11}}),
                         [](const auto& info) { return info.param.name; });

TEST(Device, CountsActivationsAndPlaysTheMessageOfTwoActiveSensors) {
    Device device;
    ConfigRecord record = DefaultConfigRecord();
    record[kFirstSensorOffset + 4] = 2;  // message 4: sensors #2 and #6 (inputs 1 and 5)
    record[kSecondSensorOffset + 4] = 6;
    record[kFirstSensorOffset + 1] = 0;  // message 1: no sensor, never plays
    record[kSenseEnableOffset + 9] = 0;  // input 9 disabled: never counts
    SealConfigRecord(record);
    device.setConfig(record);
    ASSERT_FALSE(ReplyTo(device, Request(link::CMD_REMOTE_MODE)).empty());
    const auto drive = [&](std::uint8_t byte0, std::uint8_t byte1) {
        (void)ReplyTo(device, Request(link::CMD_STATUS, 0, SimulationBlock(byte0, byte1, 0, 0)));
    };

    drive(0x40, 0x00);  // input 1 only
    EXPECT_TRUE(device.takeStartedMessages().empty());
    drive(0x44, 0x40);                                                  // inputs 1, 5 and 9
    EXPECT_EQ(device.takeStartedMessages(), (std::vector<int>{4, 5}));  // 4; 5 is input 5 alone
    drive(0x44, 0x40);  // unchanged: nothing counts again
    EXPECT_TRUE(device.takeStartedMessages().empty());
    drive(0x00, 0x00);
    drive(0x44, 0x00);
    EXPECT_EQ(device.takeStartedMessages(), (std::vector<int>{4, 5}));

    const auto& counters = device.inputs().counters();
    EXPECT_EQ(counters[1], 2);
    EXPECT_EQ(counters[5], 2);
    EXPECT_EQ(counters[9], 0);
    EXPECT_EQ(counters[0], 0);
    EXPECT_EQ(device.inputs().plays()[4], 2);
    EXPECT_EQ(device.inputs().plays()[1], 0);
}

TEST(InputBank, CountersWrapAtSixteenBits) {
    const ConfigRecord record = DefaultConfigRecord();
    InputBank bank(record);
    InputLevels high;
    high.discrete[0] = 1;
    for (int i = 0; i < 65537; ++i) {
        (void)bank.update(high, record);
        (void)bank.update(InputLevels{}, record);
    }
    EXPECT_EQ(bank.counters()[0], 1);
    const StatusBlock block = EncodeStatusBlock(bank.report(record), record);
    EXPECT_EQ((Bytes{block[96], block[97]}), (Bytes{1, 0}));
}

TEST(Device, InputsDriftOnTheirOwnButHoldStillInRemoteMode) {
    Device device;
    const InputLevels start = device.inputs().levels();
    device.advance(10s);
    const InputLevels drifted = device.inputs().levels();
    EXPECT_NE(drifted.analog, start.analog);
    EXPECT_NE(drifted.discrete, start.discrete);

    ASSERT_FALSE(ReplyTo(device, Request(link::CMD_REMOTE_MODE)).empty());
    device.advance(10s);
    EXPECT_EQ(device.inputs().levels(), drifted);
}

TEST(Device, GarbageAndOversizedHeadersNeverCrashIt) {
    Device device;
    link::FrameAssembler assembler;
    Bytes line;
    std::uint32_t state = 12345;
    for (int i = 0; i < 20000; ++i) {
        state = state * 1103515245U + 12345U;
        line.push_back(static_cast<std::uint8_t>(state >> 16));
        if (i % 997 == 0) {
            // A header that announces far more than a frame may hold.
            line.insert(line.end(), {'w', 'u', 'i', 0x20, 0xFF, 0xFF, 0, 0x0A});
        }
    }
    // After a pause the console's next request must still be understood.
    const Bytes request = Request(link::CMD_CONFIG_READ);
    int frames = 0;
    for (const std::uint8_t byte : line) {
        if (assembler.feed(byte)) {
            ++frames;
            (void)device.handle(assembler.frame());
        }
    }
    assembler.dropPartial();
    Bytes reply;
    for (const std::uint8_t byte : request) {
        if (assembler.feed(byte)) {
            reply = device.handle(assembler.frame()).reply;
        }
    }
    EXPECT_GT(frames, 0);
    EXPECT_EQ(PayloadOf(reply).size(), kConfigRecordSize);
}

}  // namespace
}  // namespace talveno::devsim
