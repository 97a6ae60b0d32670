// The program's command line.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "program_options.h"

namespace talveno::devsim {
namespace {

using namespace std::chrono_literals;

ParsedCommandLine Parse(const std::vector<std::string_view>& args) {
    return ParseCommandLine(args);
}

TEST(CommandLine, LinkWithEveryOption) {
    const auto parsed = Parse({"--link",
                               "/tmp/talveno-port",
                               "--state",
                               "/tmp/st",
                               "--pace",
                               "--erase-ms",
                               "500",
                               "-v",
                               "--drop-every",
                               "4",
                               "--delay",
                               "30",
                               "--noise",
                               "12",
                               "--split",
                               "3",
                               "--split-gap",
                               "40",
                               "--corrupt-every",
                               "5",
                               "--silent-after",
                               "100",
                               "--hang-up-after",
                               "200",
                               "--drop",
                               "0x30:5"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    const ProgramOptions& o = *parsed.options;
    EXPECT_EQ(o.mode, ProgramMode::Link);
    EXPECT_EQ(o.linkPath, "/tmp/talveno-port");
    EXPECT_EQ(o.simulator.stateDir, "/tmp/st");
    EXPECT_TRUE(o.simulator.pace);
    EXPECT_TRUE(o.simulator.verbose);
    EXPECT_EQ(o.simulator.eraseTime, 500ms);
    Faults expected;
    expected.dropEvery = 4;
    expected.delay = 30ms;
    expected.noiseBytes = 12;
    expected.splitPieces = 3;
    expected.splitGap = 40ms;
    expected.corruptEvery = 5;
    expected.silentAfter = 100;
    expected.hangUpAfter = 200;
    expected.dropCommand = 0x30;
    expected.dropCommandNth = 5;
    EXPECT_EQ(o.simulator.faults, expected);
}

TEST(CommandLine, PortAndExport) {
    const auto port = Parse({"--port", "/dev/ttyUSB0"});
    ASSERT_TRUE(port.options) << port.error;
    EXPECT_EQ(port.options->mode, ProgramMode::Port);
    EXPECT_EQ(port.options->portName, "/dev/ttyUSB0");

    const auto wav = Parse({"--state", "st", "--export-wav", "14", "out.wav"});
    ASSERT_TRUE(wav.options) << wav.error;
    EXPECT_EQ(wav.options->mode, ProgramMode::ExportWav);
    EXPECT_EQ(wav.options->exportMessage, 14);
    EXPECT_EQ(wav.options->exportFile, "out.wav");

    const auto never = Parse({"--link", "p", "--drop", "112:0"});
    ASSERT_TRUE(never.options) << never.error;
    EXPECT_EQ(never.options->simulator.faults.dropCommand, 0x70);
    EXPECT_EQ(never.options->simulator.faults.dropCommandNth, 0);
}

struct BadCase {
    std::string name;
    std::vector<std::string_view> args;
};

void PrintTo(const BadCase& row, std::ostream* out) {
    *out << row.name;
}

class BadCommandLine : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadCommandLine, IsRefusedWithAReason) {
    const auto parsed = Parse(GetParam().args);
    EXPECT_FALSE(parsed.options);
    EXPECT_FALSE(parsed.error.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Refused, BadCommandLine,
    ::testing::Values(BadCase{"Nothing", {}}, BadCase{"LinkWithoutPath", {"--link"}},
                      BadCase{"LinkAndPort", {"--link", "a", "--port", "b"}},
                      BadCase{"UnknownOption", {"--link", "a", "--frobnicate"}},
                      BadCase{"NegativeCount", {"--link", "a", "--drop-every", "-1"}},
                      BadCase{"CountWithJunk", {"--link", "a", "--delay", "5ms"}},
                      BadCase{"DropWithoutColon", {"--link", "a", "--drop", "0x30"}},
                      BadCase{"DropCommandTooLarge", {"--link", "a", "--drop", "0x130:1"}},
                      BadCase{"ExportWithoutState", {"--export-wav", "1", "x.wav"}},
                      BadCase{"ExportOfMessage15", {"--state", "s", "--export-wav", "15", "x.wav"}},
                      BadCase{"ExportWithoutFile", {"--state", "s", "--export-wav", "1"}}),
    [](const auto& info) { return info.param.name; });

TEST(CommandLine, HelpNeedsNothingElse) {
    const auto parsed = Parse({"--help"});
    ASSERT_TRUE(parsed.options);
    EXPECT_EQ(parsed.options->mode, ProgramMode::Help);
    EXPECT_NE(UsageText().find("--export-wav"), std::string::npos);
}

}  // namespace
}  // namespace talveno::devsim
