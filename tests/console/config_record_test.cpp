// The configuration record and the page model: PageToConfig and ConfigToPage.
#include <gtest/gtest.h>

#include <string>

#include "config_record.h"
#include "link_frame.h"

namespace talveno::console {
namespace {

using Pair = ConfigPageModel::LevelPair;

// What the operator sees at start: configEdited all zero, shown.
ConfigPageModel StartUpPage() {
    return ConfigToPage(ConfigRecord{});
}

ConfigRecord Converted(const ConfigPageModel& page, const ConfigRecord& base = {}) {
    const PageConversion conversion = PageToConfig(page, base);
    EXPECT_TRUE(conversion.ok) << conversion.badText;
    return conversion.record;
}

TEST(ConfigRecord, StartUpPageGivesTheKnownRecord) {
    const ConfigPageModel page = StartUpPage();
    for (std::size_t m = 0; m < kConfigMessages; ++m) {
        EXPECT_EQ(page.messSensor1[m], "0");
        EXPECT_EQ(page.messSensor2[m], "0");
    }
    for (std::size_t s = 0; s < kConfigSensors; ++s) {
        EXPECT_FALSE(page.senseEn[s]);
        EXPECT_EQ(page.senseAct[s], (Pair{true, false}));
    }
    EXPECT_EQ(page.adcThreshold[0], "0");
    EXPECT_EQ(page.adcThreshold[1], "0");

    ConfigRecord expected{};
    expected[0] = 0x77;
    expected[67] = 0xFF;
    expected[68] = 0xFF;
    expected[69] = 0x01;
    expected[70] = 0x6A;
    expected[71] = 0x9D;
    EXPECT_EQ(Converted(page), expected);
    EXPECT_EQ(link::Crc16(expected.data(), 70), 0x9D6A);
}

struct ValueCase {
    const char* name;
    std::string text;
    std::uint8_t stored;
};

class ConfigValues : public ::testing::TestWithParam<ValueCase> {};

// Every typed number keeps its low eight bits, in sensor and threshold edits.
TEST_P(ConfigValues, StoreTheLowByte) {
    ConfigPageModel page = StartUpPage();
    page.messSensor2[4] = GetParam().text;
    page.adcThreshold[1] = GetParam().text;
    const ConfigRecord record = Converted(page);
    EXPECT_EQ(record[kMessSensor2Offset + 4], GetParam().stored);
    EXPECT_EQ(record[kAdcThresholdOffset + 1], GetParam().stored);
    EXPECT_EQ(record[kMessSensor1Offset + 4], 0);
}

INSTANTIATE_TEST_SUITE_P(
    Console, ConfigValues,
    ::testing::Values(ValueCase{"MinusOne", "-1", 255}, ValueCase{"ThreeHundred", "300", 44},
                      ValueCase{"NineNineNine", "999", 231}, ValueCase{"MinusNine", "-9", 247},
                      ValueCase{"TwoFiftySix", "256", 0}, ValueCase{"Hex", "$FF", 255},
                      ValueCase{"Blanks", "  15", 15}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefusalCase {
    const char* name;
    void (*spoil)(ConfigPageModel&);
    std::string badText;
};

class ConfigRefusals : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(ConfigRefusals, NameTheFirstBadText) {
    ConfigPageModel page = StartUpPage();
    GetParam().spoil(page);
    ConfigRecord base{};
    base[kMessSensor1Offset] = 9;
    const PageConversion conversion = PageToConfig(page, base);
    EXPECT_FALSE(conversion.ok);
    EXPECT_EQ(conversion.badText, GetParam().badText);
}

INSTANTIATE_TEST_SUITE_P(
    Console, ConfigRefusals,
    ::testing::Values(
        RefusalCase{"EmptyFirstSensor", [](ConfigPageModel& p) { p.messSensor1[0].clear(); }, ""},
        RefusalCase{"LetterInLastSensor", [](ConfigPageModel& p) { p.messSensor2[14] = "a"; }, "a"},
        RefusalCase{"LetterInThreshold", [](ConfigPageModel& p) { p.adcThreshold[1] = "a"; }, "a"},
        RefusalCase{"LoneSign", [](ConfigPageModel& p) { p.adcThreshold[0] = "-"; }, "-"},
        // The second sensor of message 3 comes before the first of message 4.
        RefusalCase{"FirstInPageOrder",
                    [](ConfigPageModel& p) {
                        p.messSensor1[4] = "x";
                        p.messSensor2[3] = "b";
                        p.adcThreshold[0] = "c";
                    },
                    "b"}),
    [](const auto& info) { return std::string(info.param.name); });

struct PairCase {
    const char* name;
    Pair shown;
    std::uint8_t stored;
};

class ConfigLevelPairs : public ::testing::TestWithParam<PairCase> {};

// Only "-0-" is read: a pair with neither box ticked is level 1.
TEST_P(ConfigLevelPairs, StoreLevelFromTheZeroBox) {
    ConfigPageModel page = StartUpPage();
    page.senseAct[7] = GetParam().shown;
    const ConfigRecord record = Converted(page);
    EXPECT_EQ(record[kSenseActOffset + 7], GetParam().stored);
    EXPECT_EQ(record[kSenseActOffset + 6], 0);
}

INSTANTIATE_TEST_SUITE_P(Console, ConfigLevelPairs,
                         ::testing::Values(PairCase{"Zero", {true, false}, 0},
                                           PairCase{"One", {false, true}, 15},
                                           PairCase{"Neither", {false, false}, 15},
                                           PairCase{"Both", {true, true}, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ConfigRecord, NonZeroFlagsShowSetAndGoBackAsFifteen) {
    ConfigRecord record{};
    record[kSenseActOffset + 2] = 7;
    record[kSenseEnOffset + 5] = 1;
    const ConfigPageModel page = ConfigToPage(record);
    EXPECT_EQ(page.senseAct[2], (Pair{false, true}));
    EXPECT_EQ(page.senseAct[3], (Pair{true, false}));
    EXPECT_TRUE(page.senseEn[5]);
    EXPECT_FALSE(page.senseEn[4]);

    const ConfigRecord back = Converted(page, record);
    EXPECT_EQ(back[kSenseActOffset + 2], 15);
    EXPECT_EQ(back[kSenseEnOffset + 5], 15);
}

TEST(ConfigRecord, BytesWithoutControlPassThrough) {
    ConfigRecord base{};
    for (std::size_t at : {16U, 32U, 48U, 64U}) {
        base[at] = static_cast<std::uint8_t>(0xA0 + at);
    }
    const ConfigRecord record = Converted(ConfigToPage(base), base);
    for (std::size_t at : {16U, 32U, 48U, 64U}) {
        EXPECT_EQ(record[at], 0xA0 + at) << at;
    }
}

TEST(ConfigRecord, WholeValuesShowAndComeBack) {
    ConfigRecord record{};
    record[kMessSensor1Offset] = 255;
    record[kMessSensor2Offset + 14] = 100;
    record[kAdcThresholdOffset] = 200;
    const ConfigPageModel page = ConfigToPage(record);
    EXPECT_EQ(page.messSensor1[0], "255");
    EXPECT_EQ(page.messSensor2[14], "100");
    EXPECT_EQ(page.adcThreshold[0], "200");
    const ConfigRecord back = Converted(page);
    EXPECT_EQ(back[kMessSensor1Offset], 255);
    EXPECT_EQ(back[kMessSensor2Offset + 14], 100);
    EXPECT_EQ(back[kAdcThresholdOffset], 200);
}

// A record from elsewhere (any tag, any bytes 67..69, any CRC) comes back
// sealed: every byte the page owns rewritten, the rest kept.
TEST(ConfigRecord, ShowAndConvertSealsAnyRecord) {
    ConfigRecord record{};
    for (std::size_t i = 0; i < record.size(); ++i) {
        record[i] = static_cast<std::uint8_t>(i * 37 + 5);
    }
    ConfigRecord expected = record;
    expected[0] = 0x77;
    for (std::size_t s = 0; s < kConfigSensors; ++s) {
        expected[kSenseEnOffset + s] = record[kSenseEnOffset + s] != 0 ? 15 : 0;
        expected[kSenseActOffset + s] = record[kSenseActOffset + s] != 0 ? 15 : 0;
    }
    expected[67] = 0xFF;
    expected[68] = 0xFF;
    expected[69] = 0x01;
    StoreRecordCrc(expected);
    EXPECT_EQ(Converted(ConfigToPage(record), record), expected);
}

}  // namespace
}  // namespace talveno::console
