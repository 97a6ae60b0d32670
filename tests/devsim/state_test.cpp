// Keeping FLASH and configuration across runs, the WAV export of a written
// message, and the program's --link mode.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "config_record.h"
#include "frames.h"
#include "program.h"
#include "raw_console.h"
#include "simulator.h"
#include "state_store.h"
#include "wav_export.h"

namespace talveno::devsim {
namespace {

using namespace std::chrono_literals;
using testing::Bytes;
using testing::PagePayload;
using testing::RawConsole;
using testing::WaitUntil;
namespace fs = std::filesystem;

// A folder of its own for each test, removed afterwards.
class StateFolder : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("talveno-devsim-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    fs::path folder_;
};

Bytes ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Little-endian 16-bit samples of a rising tone, none of them 0 or -1.
Bytes TestSamples(std::size_t bytes) {
    Bytes samples(bytes);
    for (std::size_t i = 0; i + 1 < bytes; i += 2) {
        const auto value = static_cast<std::uint16_t>(0x1234 + 37 * i);
        samples[i] = static_cast<std::uint8_t>(value & 0xFF);
        samples[i + 1] = static_cast<std::uint8_t>(value >> 8);
    }
    return samples;
}

// Loads `samples` into `sector` as the console does: erase, then 256 pages
// of the image stored high byte first, zeros past the data.
void LoadMessage(RawConsole& console, std::uint8_t sector, const Bytes& samples) {
    Bytes image(65536, 0);
    for (std::size_t i = 0; i + 1 < samples.size(); i += 2) {
        image[i] = samples[i + 1];
        image[i + 1] = samples[i];
    }
    ASSERT_TRUE(console.exchange(link::CMD_SECTOR_ERASE, sector));
    for (int p = 0; p < 256; ++p) {
        const auto page = std::span(image).subspan(static_cast<std::size_t>(p) * 256, 256);
        ASSERT_TRUE(console.exchange(link::CMD_PAGE_WRITE, 0,
                                     PagePayload(page, sector, static_cast<std::uint8_t>(p))))
            << "page " << p;
    }
}

TEST_F(StateFolder, FlashAndConfigurationSurviveARestartAndTheMessageExportsAsWritten) {
    const Bytes samples = TestSamples(20000);
    ConfigRecord record = DefaultConfigRecord();
    record[kAnalogThresholdOffset] = 42;
    SealConfigRecord(record);
    {
        SimulatorOptions options;
        options.stateDir = folder_.string();
        options.eraseTime = 1ms;
        Simulator sim(options);
        ASSERT_TRUE(sim.ok()) << sim.error();
        RawConsole console(sim.portPath());
        ASSERT_TRUE(console.ok());
        ASSERT_TRUE(console.exchange(link::CMD_FLASH_MODE));
        LoadMessage(console, 7, samples);
        ASSERT_TRUE(console.exchange(link::CMD_FLASH_MODE));
        ASSERT_TRUE(console.exchange(link::CMD_CONFIG_WRITE, 0, record));
    }
    // Written whole, no temporary left behind.
    for (const auto& entry : fs::directory_iterator(folder_)) {
        EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
    }
    EXPECT_EQ(fs::file_size(StateStore(folder_).sectorFile(7)), 65536U);

    SimulatorOptions options;
    options.stateDir = folder_.string();
    Simulator again(options);
    ASSERT_TRUE(again.ok()) << again.error();
    EXPECT_EQ(again.config(), record);
    const Bytes sector = again.sector(7);
    EXPECT_EQ(sector[0], samples[1]);
    EXPECT_EQ(sector[1], samples[0]);
    EXPECT_EQ(sector[65535], 0);
    EXPECT_EQ(again.sector(6), Bytes(65536, 0xFF));

    const fs::path wav = folder_ / "message-07.wav";
    ASSERT_EQ(ExportMessageWav(folder_, 7, wav), "");
    const Bytes file = ReadFile(wav);
    ASSERT_EQ(file.size(), 44 + samples.size());
    EXPECT_EQ(Bytes(file.begin() + 44, file.end()), samples);
    const Bytes expected = MessageWav(samples);
    EXPECT_EQ(file, expected);
}

TEST_F(StateFolder, UnusableFilesAreReportedAndLeftAside) {
    fs::create_directories(folder_);
    std::ofstream(StateStore(folder_).sectorFile(3), std::ios::binary) << "short";
    std::ofstream(StateStore(folder_).configFile(), std::ios::binary) << "short";
    std::vector<std::string> notes;
    SimulatorOptions options;
    options.stateDir = folder_.string();
    options.log = [&](std::string_view line) { notes.emplace_back(line); };
    Simulator sim(options);
    ASSERT_TRUE(sim.ok()) << sim.error();
    EXPECT_EQ(notes.size(), 2U);
    EXPECT_EQ(sim.sector(3), Bytes(65536, 0xFF));
    EXPECT_EQ(sim.config(), DefaultConfigRecord());
}

TEST_F(StateFolder, ExportOfANeverWrittenMessageIsEmpty) {
    const fs::path wav = folder_ / "empty.wav";
    fs::create_directories(folder_);
    ASSERT_EQ(ExportMessageWav(folder_, 0, wav), "");
    EXPECT_EQ(ReadFile(wav).size(), 44U);
    EXPECT_NE(ExportMessageWav(folder_, 15, wav), "");
}

TEST_F(StateFolder, LinkModeServesThroughTheLinkAndRemovesItOnStop) {
    fs::create_directories(folder_);
    const fs::path link = folder_ / "port";
    ProgramOptions options;
    options.mode = ProgramMode::Link;
    options.linkPath = link.string();
    std::vector<std::string> lines;
    std::mutex linesMutex;
    options.simulator.log = [&](std::string_view line) {
        std::lock_guard lock(linesMutex);
        lines.emplace_back(line);
    };
    options.simulator.verbose = true;
    std::atomic<bool> stop{false};
    int status = -1;
    std::thread program([&] { status = RunProgram(options, stop); });

    const bool linked = WaitUntil([&] { return fs::is_symlink(fs::symlink_status(link)); }, 3s);
    if (linked) {
        RawConsole console(link.string());
        EXPECT_TRUE(console.ok());
        EXPECT_TRUE(console.exchange(link::CMD_REMOTE_MODE));
    }
    stop = true;
    program.join();
    ASSERT_TRUE(linked);
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
    std::lock_guard lock(linesMutex);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), link.string());
    // -v: a line for the request and one for its reply.
    const auto mentions = [&](const std::string& text) {
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::string& l) { return l.find(text) != std::string::npos; });
    };
    EXPECT_TRUE(mentions("<- 0x80 remote mode"));
    EXPECT_TRUE(mentions("-> 0x80 remote mode, 8 bytes, answered"));
}

}  // namespace
}  // namespace talveno::devsim
