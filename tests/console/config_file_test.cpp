// Configuration files: the 200-byte layout and what a loader accepts.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "config_file.h"
#include "link_frame.h"

namespace talveno::console {
namespace {

using Bytes = std::vector<std::uint8_t>;

ConfigRecord Pattern() {
    ConfigRecord record{};
    for (std::size_t i = 0; i < record.size(); ++i) {
        record[i] = static_cast<std::uint8_t>(i * 11 + 3);
    }
    return record;
}

Bytes Whole(const ConfigFileBytes& file) {
    return {file.begin(), file.end()};
}

TEST(ConfigFile, SavedLayout) {
    const ConfigRecord edited = Pattern();
    const ConfigFileBytes file = EncodeConfigFile(edited, "24.06.2013");

    const std::string signature(file.begin(), file.begin() + 61);
    EXPECT_EQ(signature, "TALVENO voice annunciator configuration file      (format v1)");
    EXPECT_EQ(file[59], '1');
    for (std::size_t at : {61U, 62U, 63U}) {
        EXPECT_EQ(file[at], 0) << at;
    }
    EXPECT_EQ(std::string(file.begin() + 64, file.begin() + 74), "24.06.2013");
    for (std::size_t at = 74; at < 127; ++at) {
        EXPECT_EQ(file[at], 0) << at;
    }
    EXPECT_EQ(file[127], 'M');

    // The record as saved: the edited one with tag, byte 69 and CRC set.
    ConfigRecord saved = edited;
    saved[0] = 0x77;
    saved[69] = 0x01;
    const std::uint16_t crc = link::Crc16(saved.data(), 70);
    saved[70] = static_cast<std::uint8_t>(crc & 0xFF);
    saved[71] = static_cast<std::uint8_t>(crc >> 8);
    EXPECT_TRUE(std::equal(saved.begin(), saved.end(), file.begin() + 128));
    EXPECT_EQ(file[128 + 67], edited[67]);  // bytes 67, 68 as the record holds them
}

TEST(ConfigFile, DateTextIsCutToSixtyTwoCharacters) {
    const std::string longDate(100, '7');
    const ConfigFileBytes file = EncodeConfigFile({}, longDate);
    EXPECT_EQ(std::string(file.begin() + 64, file.begin() + 126), std::string(62, '7'));
    EXPECT_EQ(file[126], 0);
    EXPECT_EQ(file[127], 'M');

    // No date known yet: the date field stays zero.
    const ConfigFileBytes undated = EncodeConfigFile({}, "");
    EXPECT_TRUE(std::all_of(undated.begin() + 64, undated.begin() + 127,
                            [](std::uint8_t b) { return b == 0; }));
}

struct DecodeCase {
    const char* name;
    void (*shape)(Bytes&);
    ConfigFileVerdict verdict;
};

class ConfigFileDecoding : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(ConfigFileDecoding, JudgesTwoMarksAndTheLength) {
    Bytes file = Whole(EncodeConfigFile(Pattern(), "1.1.2000"));
    GetParam().shape(file);
    const ConfigFileContent content = DecodeConfigFile(file);
    EXPECT_EQ(content.verdict, GetParam().verdict);
    if (content.verdict == ConfigFileVerdict::Accepted) {
        EXPECT_TRUE(std::equal(content.record.begin(), content.record.end(), file.begin() + 128));
    } else {
        EXPECT_EQ(content.record, ConfigRecord{});
    }
}

INSTANTIATE_TEST_SUITE_P(
    Console, ConfigFileDecoding,
    ::testing::Values(
        DecodeCase{"AsSaved", [](Bytes&) {}, ConfigFileVerdict::Accepted},
        // Another program's file: only bytes 59 and 127 are looked at.
        DecodeCase{"Foreign",
                   [](Bytes& f) {
                       for (std::size_t i = 0; i < f.size(); ++i) {
                           f[i] = static_cast<std::uint8_t>(0xC3 ^ i);
                       }
                       f[59] = '1';
                       f[127] = 'M';
                   },
                   ConfigFileVerdict::Accepted},
        DecodeCase{"LongerFile", [](Bytes& f) { f.resize(260, 0xEE); },
                   ConfigFileVerdict::Accepted},
        DecodeCase{"WrongFormatMark", [](Bytes& f) { f[127] = 'N'; },
                   ConfigFileVerdict::WrongMarks},
        DecodeCase{"WrongVersion", [](Bytes& f) { f[59] = '2'; }, ConfigFileVerdict::WrongMarks},
        DecodeCase{"OneByteShort", [](Bytes& f) { f.pop_back(); }, ConfigFileVerdict::TooShort},
        DecodeCase{"HeaderOnly", [](Bytes& f) { f.resize(128); }, ConfigFileVerdict::TooShort},
        DecodeCase{"Empty", [](Bytes& f) { f.clear(); }, ConfigFileVerdict::TooShort}),
    [](const auto& info) { return std::string(info.param.name); });

class ConfigFileReading : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("talveno-config-file-" +
                   std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::filesystem::path write(const char* name, const Bytes& bytes) {
        const auto path = folder_ / name;
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    std::filesystem::path folder_;
};

TEST_F(ConfigFileReading, ReadsTheFirstTwoHundredBytes) {
    Bytes bytes = Whole(EncodeConfigFile(Pattern(), ""));
    bytes.resize(1000, 0x55);
    const ConfigFileRead read = ReadConfigFile(write("long.klc", bytes));
    EXPECT_TRUE(read.opened);
    EXPECT_EQ(read.content.verdict, ConfigFileVerdict::Accepted);
    EXPECT_TRUE(
        std::equal(read.content.record.begin(), read.content.record.end(), bytes.begin() + 128));
}

TEST_F(ConfigFileReading, ShortMissingAndFolders) {
    Bytes bytes = Whole(EncodeConfigFile(Pattern(), ""));
    bytes.resize(150);
    const ConfigFileRead shortFile = ReadConfigFile(write("short.klc", bytes));
    EXPECT_TRUE(shortFile.opened);
    EXPECT_EQ(shortFile.content.verdict, ConfigFileVerdict::TooShort);

    EXPECT_FALSE(ReadConfigFile(folder_ / "missing.klc").opened);
    EXPECT_FALSE(ReadConfigFile(folder_).opened);
}

}  // namespace
}  // namespace talveno::console
