#include <gtest/gtest.h>

#include <filesystem>

#include "wav_files.h"
#include "wav_message.h"

namespace talveno::console {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing_support::WavBytes;
using testing_support::WavFields;

WavVerdict Judge(const Bytes& file) {
    WavHeader header;
    const WavVerdict read = ReadWavHeader(file, header);
    return read == WavVerdict::Accepted ? JudgeWavHeader(header) : read;
}

struct HeaderCase {
    const char* name;
    WavFields fields;
    WavVerdict verdict;
};

class WavHeaders : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(WavHeaders, JudgedByFourFields) {
    EXPECT_EQ(Judge(WavBytes({}, GetParam().fields)), GetParam().verdict);
}

INSTANTIATE_TEST_SUITE_P(
    Console, WavHeaders,
    ::testing::Values(HeaderCase{"Canonical", {}, WavVerdict::Accepted},
                      HeaderCase{"Largest", {1, 8000, 16, 65532}, WavVerdict::Accepted},
                      HeaderCase{"OneByteTooMany", {1, 8000, 16, 65533}, WavVerdict::TooLong},
                      HeaderCase{"Stereo", {2, 8000, 16, 100}, WavVerdict::NotMono},
                      HeaderCase{"EightBit", {1, 8000, 8, 100}, WavVerdict::NotSixteenBit},
                      HeaderCase{
                          "SixteenKilohertz", {1, 16000, 16, 100}, WavVerdict::NotEightKilohertz}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WavHeader, OnlyTheFourOffsetsCount) {
    Bytes file = WavBytes(Bytes(10, 0));
    for (std::size_t i = 0; i < 44; ++i) {
        const bool judged = (i >= 22 && i < 28) || (i >= 34 && i < 36) || (i >= 40 && i < 44);
        if (!judged) {
            file[i] = 0xA5;  // identifiers, format code, byte rate: not examined
        }
    }
    EXPECT_EQ(Judge(file), WavVerdict::Accepted);
    EXPECT_EQ(Judge(Bytes(file.begin(), file.begin() + 43)), WavVerdict::TooShort);
}

TEST(SectorImage, PairsSwappedZeroPastTheData) {
    const auto even = BuildSectorImage(Bytes{1, 2, 3, 4});
    EXPECT_EQ(Bytes(even->begin(), even->begin() + 6), (Bytes{2, 1, 4, 3, 0, 0}));
    // Odd size: the last byte becomes the second of its pair, after a zero.
    const auto odd = BuildSectorImage(Bytes{1, 2, 3});
    EXPECT_EQ(Bytes(odd->begin(), odd->begin() + 4), (Bytes{2, 1, 0, 3}));
    EXPECT_TRUE(std::all_of(odd->begin() + 4, odd->end(), [](auto b) { return b == 0; }));
}

TEST(PagePayload, CarriesSectorAndPage) {
    const auto image = BuildSectorImage(testing_support::Ramp(kSectorSize));
    const PagePayload first = BuildPagePayload(*image, 14, 0);
    EXPECT_EQ(first[256], 14);
    EXPECT_EQ(first[257], 0);
    EXPECT_TRUE(std::equal(first.begin(), first.begin() + 256, image->begin()));
    const PagePayload last = BuildPagePayload(*image, 14, 255);
    EXPECT_EQ(last[256], 14);
    EXPECT_EQ(last[257], 255);
    EXPECT_TRUE(std::equal(last.begin(), last.begin() + 256, image->begin() + 255 * 256));
}

TEST(MessageFile, ReadAgainAndBounded) {
    const auto dir = std::filesystem::temp_directory_path() / "talveno-wav-test";
    std::filesystem::create_directories(dir);
    const auto path = (dir / "m.wav").string();

    // A file shorter than its data size: the rest stays zero.
    testing_support::WriteFile(path, WavBytes(Bytes{1, 2, 3, 4}, {1, 8000, 16, 1000}));
    MessageFile short_ = ReadMessageFile(path);
    ASSERT_EQ(short_.verdict, WavVerdict::Accepted);
    EXPECT_EQ(Bytes(short_.image->begin(), short_.image->begin() + 6), (Bytes{2, 1, 4, 3, 0, 0}));

    // Bytes past the data size are never read, whatever the file holds.
    Bytes data = testing_support::Ramp(kMaxMessageBytes + 100);
    testing_support::WriteFile(path, WavBytes(data, {1, 8000, 16, kMaxMessageBytes}));
    MessageFile full = ReadMessageFile(path);
    ASSERT_EQ(full.verdict, WavVerdict::Accepted);
    EXPECT_EQ((*full.image)[kMaxMessageBytes - 1], data[kMaxMessageBytes - 2]);
    EXPECT_EQ((*full.image)[kMaxMessageBytes], 0);
    EXPECT_EQ((*full.image)[kSectorSize - 1], 0);

    // Changed since it was chosen, now too long: refused, nothing built.
    testing_support::WriteFile(path, WavBytes(data, {1, 8000, 16, 70000}));
    MessageFile changed = ReadMessageFile(path);
    EXPECT_EQ(changed.verdict, WavVerdict::TooLong);
    EXPECT_EQ(changed.image, nullptr);

    testing_support::WriteFile(path, Bytes(30, 0));
    EXPECT_EQ(ReadMessageFile(path).verdict, WavVerdict::TooShort);
    EXPECT_TRUE(ReadMessageFile(path).opened);
    EXPECT_FALSE(ReadMessageFile(dir / "missing.wav").opened);
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace talveno::console
