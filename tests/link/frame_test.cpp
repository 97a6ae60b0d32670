#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "link_frame.h"

namespace talveno {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Staged(const link::TxStaging& s) {
    return Bytes(s.txFrame.begin(), s.txFrame.begin() + s.txLength);
}

TEST(Crc16, CheckValues) {
    const std::string_view digits = "123456789";
    EXPECT_EQ(link::Crc16(reinterpret_cast<const std::uint8_t*>(digits.data()), 9), 0x2189);
    EXPECT_EQ(link::Crc16(nullptr, 0), 0x0000);
    const std::uint8_t zero = 0;
    EXPECT_EQ(link::Crc16(&zero, 1), 0x0000);
    const Bytes abc = {0x61, 0x62, 0x63};
    EXPECT_EQ(link::Crc16(abc), 0x58E9);
}

struct RequestCase {
    const char* name;
    std::uint8_t command;
    std::uint8_t argument;
    Bytes payload;
    Bytes expected;
};

class SendCommandVectors : public ::testing::TestWithParam<RequestCase> {};

TEST_P(SendCommandVectors, BuildsTheFrameOnTheLine) {
    const auto& c = GetParam();
    link::TxStaging staging;
    ASSERT_TRUE(link::SendCommand(staging, c.command, c.argument,
                                  c.payload.empty() ? nullptr : c.payload.data(),
                                  static_cast<std::uint16_t>(c.payload.size())));
    EXPECT_EQ(staging.txPending, 1);
    EXPECT_EQ(Staged(staging), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Link, SendCommandVectors,
    ::testing::Values(RequestCase{"ConfigRead",
                                  link::CMD_CONFIG_READ,
                                  0,
                                  {},
                                  {0x77, 0x75, 0x69, 0x60, 0x00, 0x00, 0x00, 0x0A}},
                      RequestCase{"EraseSector3",
                                  link::CMD_SECTOR_ERASE,
                                  3,
                                  {},
                                  {0x77, 0x75, 0x69, 0x88, 0x00, 0x00, 0x03, 0x0A}},
                      RequestCase{"ThreeBytePayload",
                                  link::CMD_STATUS,
                                  0,
                                  {0x61, 0x62, 0x63},
                                  {0x77, 0x75, 0x69, 0x20, 0x05, 0x00, 0x00, 0x0A, 0x61, 0x62, 0x63,
                                   0xE9, 0x58}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SendCommand, PageWriteAndStatusSizes) {
    link::TxStaging staging;
    Bytes page(258);
    for (std::size_t i = 0; i < page.size(); ++i) {
        page[i] = static_cast<std::uint8_t>(i * 7 + 1);
    }
    ASSERT_TRUE(link::SendCommand(staging, link::CMD_PAGE_WRITE, 0, page.data(), 258));
    ASSERT_EQ(staging.txLength, 268);
    EXPECT_EQ(staging.txFrame[4], 0x04);
    EXPECT_EQ(staging.txFrame[5], 0x01);
    const std::uint16_t crc = link::Crc16(staging.txFrame.data() + 8, 258);
    EXPECT_EQ(staging.txFrame[266], crc & 0xFF);
    EXPECT_EQ(staging.txFrame[267], crc >> 8);

    const Bytes sim(10, 0);
    ASSERT_TRUE(link::SendCommand(staging, link::CMD_STATUS, 0, sim.data(), 10));
    EXPECT_EQ(staging.txLength, 20);
    EXPECT_EQ(staging.txFrame[4], 0x0C);
    EXPECT_EQ(staging.txFrame[5], 0x00);
}

TEST(SendCommand, LastCallWinsAndLeavesTheOldTailUnsent) {
    link::TxStaging staging;
    const Bytes config(72, 0xAB);
    ASSERT_TRUE(link::SendCommand(staging, link::CMD_CONFIG_WRITE, 0, config.data(), 72));
    ASSERT_TRUE(link::SendCommand(staging, link::CMD_FLASH_MODE, 0, nullptr, 0));
    EXPECT_EQ(staging.txPending, 1);
    EXPECT_EQ(Staged(staging), (Bytes{0x77, 0x75, 0x69, 0x70, 0x00, 0x00, 0x00, 0x0A}));
    EXPECT_EQ(staging.txFrame[8], 0xAB);  // the earlier frame's tail, never sent
}

TEST(SendCommand, RefusesAPayloadNoFrameCanCarry) {
    link::TxStaging staging;
    const Bytes largest(link::kMaxPayload, 1);
    ASSERT_TRUE(link::SendCommand(staging, 0x20, 0, largest.data(), link::kMaxPayload));
    EXPECT_EQ(staging.txLength, link::kMaxFrameSize);

    link::TxStaging fresh;
    const Bytes tooLong(4096, 2);
    EXPECT_FALSE(link::SendCommand(fresh, 0x20, 0, tooLong.data(), link::kMaxPayload + 1));
    EXPECT_FALSE(link::SendCommand(fresh, 0x20, 0, tooLong.data(), 4096));
    EXPECT_EQ(fresh.txPending, 0);
    EXPECT_EQ(fresh.txLength, 0);
    EXPECT_EQ(fresh.txFrame[0], 0);
}

TEST(ParseFrame, ReportsPayloadAndChecksum) {
    link::TxStaging staging;
    const Bytes payload = {1, 2, 3, 4};
    ASSERT_TRUE(link::SendCommand(staging, 0x60, 0, payload.data(), 4));
    Bytes frame = Staged(staging);

    auto info = link::ParseFrame(frame);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->command, 0x60);
    EXPECT_EQ(info->lengthField, 6);
    EXPECT_EQ(Bytes(info->payload.begin(), info->payload.end()), payload);
    EXPECT_TRUE(info->checksumOk);

    frame[9] ^= 0xFF;
    info = link::ParseFrame(frame);
    ASSERT_TRUE(info);
    EXPECT_FALSE(info->checksumOk);

    // Cut short: only the bytes present are shown, and no checksum is there.
    frame.resize(10);
    info = link::ParseFrame(frame);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->payload.size(), 2U);
    EXPECT_FALSE(info->checksumOk);

    EXPECT_FALSE(link::ParseFrame(Bytes{0x77, 0x75, 0x69}));
    const auto bare = link::ParseFrame(Bytes{0x77, 0x75, 0x69, 0x70, 0, 0, 0, 0x0A});
    ASSERT_TRUE(bare);
    EXPECT_TRUE(bare->payload.empty());
    EXPECT_TRUE(bare->checksumOk);
}

}  // namespace
}  // namespace talveno
