// The Win32 serial layer on a COM port served by the simulated device.
//
// Runs under Wine, where scripts/test-windows links COM ports to the
// devices' pseudo-terminals and names them in TALVENO_TEST_COM_PORT (a device
// that answers) and TALVENO_TEST_HANGUP_PORT (one started with
// --hang-up-after 1); or on a Windows machine with talveno-devsim on the far
// end of real ports of those names. Tests that need a port it was not given
// are skipped, saying so.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "frame_assembler.h"
#include "link_frame.h"
#include "serial_port.h"

namespace talveno {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kQueueSize = 4096;
constexpr std::size_t kConfigRecordSize = 72;
constexpr std::size_t kStatusBlockSize = 186;
constexpr std::size_t kSimulationBlockSize = 10;

// A port that is not there: Wine knows only the COM ports its prefix links,
// and no machine of ours has this many.
constexpr const char* kMissingPort = "COM87";

// Sets the port as some other program might have left it, through the
// system's own calls rather than ours. Not 7 data bits or a parity: a
// pseudo-terminal forces 8 bits without parity.
void PresetAsAnotherProgramLeftIt(const std::string& name) {
    const HANDLE h = ::CreateFileA(("\\\\.\\" + name).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                   nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << ::GetLastError();
    DCB dcb{};
    dcb.DCBlength = sizeof(DCB);
    const bool read = ::GetCommState(h, &dcb) != FALSE;
    dcb.BaudRate = 19200;
    dcb.StopBits = TWOSTOPBITS;
    dcb.fOutX = 1;
    dcb.fInX = 1;
    dcb.fOutxCtsFlow = 1;
    dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
    const bool written = read && ::SetCommState(h, &dcb) != FALSE;
    const DWORD why = written ? 0 : ::GetLastError();
    ::CloseHandle(h);
    ASSERT_TRUE(written) << why;
}

bool RunningUnderWine() {
    const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string PortNamedBy(const char* variable) {
    const char* name = std::getenv(variable);
    return name != nullptr ? name : "";
}

// Set up as the console sets up its port after opening it.
void Configure(link::SerialPort& port) {
    port.purge();
    port.saveSettings();
    ASSERT_TRUE(port.applyLineSettings(57600)) << port.lastError().osText;
    port.setTimeouts();
    port.setQueueSizes(kQueueSize, kQueueSize);
}

// Sends a request and reads the reply byte by byte as the link worker does:
// per cycle only as many bytes as the port reported queued. Gives up after a
// few seconds without a complete frame.
std::optional<Bytes> Exchange(link::SerialPort& port, std::uint8_t command, const Bytes& payload) {
    link::TxStaging staging;
    if (!link::SendCommand(staging, command, 0, payload.data(),
                           static_cast<std::uint16_t>(payload.size()))) {
        ADD_FAILURE() << "request not built";
        return std::nullopt;
    }
    if (!port.write({staging.txFrame.data(), staging.txLength}) || !port.drain()) {
        ADD_FAILURE() << "request not written";
        return std::nullopt;
    }
    link::FrameAssembler assembler;
    for (int cycle = 0; cycle < 500; ++cycle) {
        const std::size_t queued = port.queuedBytes().value_or(0);
        for (std::size_t i = 0; i < queued; ++i) {
            const auto byte = port.readByte();
            if (!byte) {
                ADD_FAILURE() << "a queued byte could not be read";
                return std::nullopt;
            }
            if (assembler.feed(*byte)) {
                const auto frame = assembler.frame();
                return Bytes(frame.begin(), frame.end());
            }
        }
        ::Sleep(10);
    }
    ADD_FAILURE() << "no reply frame; " << assembler.held() << " bytes held";
    return std::nullopt;
}

// The device's port, opened. scripts/test-windows always names it; on a
// Windows machine the device is on the far end of a cable, if anywhere.
class DevicePortTest : public testing::Test {
protected:
    void SetUp() override {
        name_ = PortNamedBy("TALVENO_TEST_COM_PORT");
        if (name_.empty()) {
            GTEST_SKIP() << "TALVENO_TEST_COM_PORT names no port with the device on it";
        }
        ASSERT_TRUE(port_.open(link::SystemPortName(name_)))
            << name_ << ": " << port_.lastError().osText;
    }

    void configure() { Configure(port_); }
    std::optional<Bytes> exchange(std::uint8_t command, const Bytes& payload) {
        return Exchange(port_, command, payload);
    }

    std::string name_;
    link::SerialPort port_;
};

TEST(Win32SerialPort, MissingPortIsNotFound) {
    link::SerialPort port;
    EXPECT_FALSE(port.open(link::SystemPortName(kMissingPort)));
    const auto error = port.lastError();
    EXPECT_EQ(error.kind, link::PortErrorKind::NotFound);
    EXPECT_TRUE(error.osCode == ERROR_FILE_NOT_FOUND || error.osCode == ERROR_PATH_NOT_FOUND)
        << error.osCode;
    EXPECT_FALSE(error.osText.empty());
    EXPECT_FALSE(port.isOpen());
}

// The refusal that a held COM port gives on Windows, shown on a file, where
// Wine keeps the sharing rules too: the layer opens without sharing, and a
// name held that way by another opener is busy.
TEST(Win32SerialPort, HeldFileIsBusy) {
    char folder[MAX_PATH] = {};
    char path[MAX_PATH] = {};
    ASSERT_NE(::GetTempPathA(MAX_PATH, folder), 0U);
    ASSERT_NE(::GetTempFileNameA(folder, "tlv", 0, path), 0U);
    const HANDLE held = ::CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE) << ::GetLastError();

    link::SerialPort port;
    EXPECT_FALSE(port.open(path));
    const auto error = port.lastError();
    EXPECT_EQ(error.kind, link::PortErrorKind::Busy) << error.osText;
    EXPECT_EQ(error.osCode, static_cast<int>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(error.osText.empty());
    ::CloseHandle(held);
}

TEST(Win32SerialPort, MissingFolderIsNotFound) {
    link::SerialPort port;
    EXPECT_FALSE(port.open("C:\\talveno-no-such-folder\\COM1"));
    EXPECT_EQ(port.lastError().kind, link::PortErrorKind::NotFound);
    EXPECT_EQ(port.lastError().osCode, static_cast<int>(ERROR_PATH_NOT_FOUND));
}

TEST(Win32SerialPort, EveryNamePassesUnchanged) {
    for (const char* name : {"COM1", "COM10", "COM255", "\\\\.\\COM3", "/dev/ttyS0"}) {
        EXPECT_EQ(link::SystemPortName(name), name);
    }
}

TEST(Win32SerialPort, NoPortHeldGivesNothing) {
    link::SerialPort port;
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(port.queuedBytes());
    EXPECT_FALSE(port.readByte());
    const Bytes bytes = {0x77};
    EXPECT_FALSE(port.write(bytes));
    EXPECT_FALSE(port.drain());
    EXPECT_FALSE(port.currentSettings());
    EXPECT_FALSE(port.applyLineSettings(57600));
    EXPECT_EQ(port.lastError().kind, link::PortErrorKind::Closed);
    // The rest are quiet without a port.
    port.purge();
    port.saveSettings();
    port.restoreSettings();
    port.setTimeouts();
    port.setQueueSizes(kQueueSize, kQueueSize);
}

// Windows itself refuses a second opener of a COM port (access denied). Wine
// does not: it keeps the sharing rules for files only.
TEST_F(DevicePortTest, SecondOpenerIsRefusedAsBusy) {
    if (RunningUnderWine()) {
        GTEST_SKIP() << "Wine lets a second opener share a COM port; see HeldFileIsBusy";
    }
    link::SerialPort second;
    EXPECT_FALSE(second.open(link::SystemPortName(name_)));
    EXPECT_EQ(second.lastError().kind, link::PortErrorKind::Busy) << second.lastError().osText;
    port_.close();
    EXPECT_TRUE(second.open(link::SystemPortName(name_))) << second.lastError().osText;
}

TEST_F(DevicePortTest, LinkSettingsApplied) {
    configure();
    const auto s = port_.currentSettings();
    ASSERT_TRUE(s);
    EXPECT_EQ(s->baud, 57600U);
    EXPECT_EQ(s->dataBits, 8);
    EXPECT_EQ(s->stopBits, 1);
    EXPECT_FALSE(s->parityChecked);
    EXPECT_FALSE(s->rtsCts);
    EXPECT_FALSE(s->xonXoff);
    EXPECT_TRUE(s->raw);
}

TEST_F(DevicePortTest, BaudTable) {
    const std::vector<std::pair<std::int64_t, std::uint32_t>> table = {
        {9600, 9600},  {19200, 19200}, {38400, 38400}, {57600, 57600}, {115200, 115200},
        {4800, 57600}, {0, 57600},     {-1, 57600},    {230400, 57600}};
    for (const auto& [asked, runs] : table) {
        ASSERT_TRUE(port_.applyLineSettings(asked)) << asked;
        const auto s = port_.currentSettings();
        ASSERT_TRUE(s);
        EXPECT_EQ(s->baud, runs) << asked;
    }
}

TEST_F(DevicePortTest, ConfigurationRecordComesBack) {
    configure();
    const auto reply = exchange(link::CMD_CONFIG_READ, {});
    ASSERT_TRUE(reply);
    const auto info = link::ParseFrame(*reply);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->command, link::CMD_CONFIG_READ);
    EXPECT_TRUE(info->checksumOk);
    ASSERT_EQ(info->payload.size(), kConfigRecordSize);
    EXPECT_EQ(info->payload[0], 0x77);  // the record's own marker

    // Everything queued was read; an empty line gives nothing, fast.
    EXPECT_EQ(port_.queuedBytes().value_or(99), 0U);
    EXPECT_FALSE(port_.readByte());
}

TEST_F(DevicePortTest, StatusRequestWithPayload) {
    configure();
    const Bytes simulation(kSimulationBlockSize, 0);
    for (int round = 0; round < 3; ++round) {
        const auto reply = exchange(link::CMD_STATUS, simulation);
        ASSERT_TRUE(reply) << "round " << round;
        const auto info = link::ParseFrame(*reply);
        ASSERT_TRUE(info);
        EXPECT_EQ(info->command, link::CMD_STATUS);
        EXPECT_TRUE(info->checksumOk);
        EXPECT_EQ(info->payload.size(), kStatusBlockSize);
    }
}

TEST_F(DevicePortTest, HeaderOnlyReply) {
    configure();
    // Remote mode toggles; two requests leave the device as it was.
    for (int round = 0; round < 2; ++round) {
        const auto reply = exchange(link::CMD_REMOTE_MODE, {});
        ASSERT_TRUE(reply);
        ASSERT_EQ(reply->size(), link::kHeaderSize);
        EXPECT_EQ((*reply)[link::kCommandOffset], link::CMD_REMOTE_MODE);
    }
}

// What the console does at shutdown: the settings found at open go back
// before the port is closed, and the next opener finds them.
TEST_F(DevicePortTest, SavedSettingsComeBackOnClose) {
    port_.close();
    PresetAsAnotherProgramLeftIt(name_);

    ASSERT_TRUE(port_.open(link::SystemPortName(name_)));
    configure();
    const auto during = port_.currentSettings();
    port_.restoreSettings();
    port_.close();

    ASSERT_TRUE(port_.open(link::SystemPortName(name_)));
    const auto after = port_.currentSettings();
    ASSERT_TRUE(during && after);
    EXPECT_EQ(during->baud, 57600U);
    EXPECT_EQ(during->dataBits, 8);
    EXPECT_FALSE(during->xonXoff);
    EXPECT_FALSE(during->rtsCts);
    EXPECT_EQ(after->baud, 19200U);
    EXPECT_EQ(after->stopBits, 2);
    EXPECT_TRUE(after->xonXoff);
    EXPECT_TRUE(after->rtsCts);

    // The device still answers once the link's settings are back.
    configure();
    EXPECT_TRUE(exchange(link::CMD_CONFIG_READ, {}));
}

// A second device that hangs up after its first reply, as a pulled USB
// adapter would: from then on the port answers nothing, fast, so the worker,
// which reads only as many bytes as were reported queued, never spins.
TEST(Win32SerialPort, VanishedLineGivesNothing) {
    const std::string name = PortNamedBy("TALVENO_TEST_HANGUP_PORT");
    if (name.empty()) {
        GTEST_SKIP() << "TALVENO_TEST_HANGUP_PORT names no port with a device that hangs up";
    }
    link::SerialPort port;
    ASSERT_TRUE(port.open(link::SystemPortName(name))) << name << ": " << port.lastError().osText;
    Configure(port);
    ASSERT_TRUE(Exchange(port, link::CMD_CONFIG_READ, {}));

    // The device closes its side once its reply has been taken.
    bool gone = false;
    for (int cycle = 0; cycle < 500 && !gone; ++cycle) {
        gone = !port.queuedBytes().has_value();
        ::Sleep(10);
    }
    ASSERT_TRUE(gone) << "the port still reports a queue after the device hung up";
    for (int cycle = 0; cycle < 3; ++cycle) {
        EXPECT_FALSE(port.queuedBytes());
        EXPECT_FALSE(port.readByte());
        const Bytes request = {0x77, 0x75, 0x69, link::CMD_CONFIG_READ, 0, 0, 0, 0x0A};
        EXPECT_FALSE(port.write(request));
        EXPECT_FALSE(port.currentSettings());
    }
    EXPECT_TRUE(port.isOpen());  // held until the owner closes it
}

}  // namespace
}  // namespace talveno
