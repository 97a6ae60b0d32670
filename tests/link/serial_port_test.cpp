// The POSIX serial layer on pseudo-terminal pairs.
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "pseudo_terminal.h"
#include "serial_port.h"
#include "termios_settings_posix.h"
#include "tty_preset.h"

namespace talveno {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

TEST(SerialPort, MissingPortIsNotFound) {
    link::SerialPort port;
    EXPECT_FALSE(port.open("/dev/talveno-no-such-port"));
    EXPECT_EQ(port.lastError().kind, link::PortErrorKind::NotFound);
    EXPECT_FALSE(port.lastError().osText.empty());
    EXPECT_FALSE(port.isOpen());
}

TEST(SerialPort, SecondOpenerIsRefusedAsBusy) {
    link::PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    link::SerialPort first;
    link::SerialPort second;
    ASSERT_TRUE(first.open(pty.slavePath()));
    EXPECT_FALSE(second.open(pty.slavePath()));
    EXPECT_EQ(second.lastError().kind, link::PortErrorKind::Busy);
    first.close();
    EXPECT_TRUE(second.open(pty.slavePath()));
}

// The parity mode stays as the port had it; only its checking goes. Shown on
// termios records, since a pseudo-terminal forces parity off.
TEST(SerialPort, LinkSettingsKeepTheParityMode) {
    const std::vector<std::pair<tcflag_t, link::Parity>> modes = {
        {0, link::Parity::None},
        {PARENB | PARODD, link::Parity::Odd},
        {PARENB, link::Parity::Even},
        {PARENB | PARODD | CMSPAR, link::Parity::Mark},
        {PARENB | CMSPAR, link::Parity::Space}};
    for (const auto& [bits, parity] : modes) {
        termios tio{};
        tio.c_cflag = bits | CS7 | CSTOPB | CRTSCTS;
        tio.c_iflag = INPCK | PARMRK | IXON | IXOFF | ICRNL;
        tio.c_lflag = ICANON | ECHO | ISIG;
        tio.c_oflag = OPOST;
        link::MakeLinkTermios(tio, 115200);
        const auto s = link::DescribeTermios(tio);
        EXPECT_EQ(s.parity, parity);
        EXPECT_FALSE(s.parityChecked);
        EXPECT_EQ(tio.c_iflag & PARMRK, 0U);
        EXPECT_EQ(s.dataBits, 8);
        EXPECT_EQ(s.stopBits, 1);
        EXPECT_FALSE(s.rtsCts);
        EXPECT_FALSE(s.xonXoff);
        EXPECT_TRUE(s.raw);
        EXPECT_EQ(s.baud, 115200U);
    }
}

TEST(SerialPort, LineSettingsOnARealTerminalDevice) {
    link::PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    testing_support::PresetSlave(pty.slavePath(), CRTSCTS | CSTOPB, IXON | IXOFF | INPCK, B9600);

    link::SerialPort port;
    ASSERT_TRUE(port.open(pty.slavePath()));
    ASSERT_TRUE(port.applyLineSettings(57600));
    const auto s = port.currentSettings();
    ASSERT_TRUE(s);
    EXPECT_EQ(s->baud, 57600U);
    EXPECT_EQ(s->dataBits, 8);
    EXPECT_EQ(s->stopBits, 1);
    EXPECT_FALSE(s->parityChecked);
    EXPECT_FALSE(s->rtsCts);
    EXPECT_FALSE(s->xonXoff);
    EXPECT_TRUE(s->raw);
}

TEST(SerialPort, BaudTable) {
    const std::vector<std::pair<std::int64_t, std::uint32_t>> table = {
        {9600, 9600},  {19200, 19200}, {38400, 38400}, {57600, 57600}, {115200, 115200},
        {4800, 57600}, {0, 57600},     {-1, 57600},    {230400, 57600}};
    link::PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    link::SerialPort port;
    ASSERT_TRUE(port.open(pty.slavePath()));
    for (const auto& [asked, runs] : table) {
        EXPECT_EQ(link::SupportedBaud(asked), runs) << asked;
        ASSERT_TRUE(port.applyLineSettings(asked));
        EXPECT_EQ(port.currentSettings()->baud, runs) << asked;
    }
}

TEST(SerialPort, SavedSettingsComeBack) {
    link::PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    testing_support::PresetSlave(pty.slavePath(), CRTSCTS, IXON, B19200);

    link::SerialPort port;
    ASSERT_TRUE(port.open(pty.slavePath()));
    const auto before = port.currentSettings();
    port.saveSettings();
    ASSERT_TRUE(port.applyLineSettings(115200));
    port.restoreSettings();
    const auto after = port.currentSettings();
    ASSERT_TRUE(before && after);
    EXPECT_EQ(after->baud, 19200U);
    EXPECT_TRUE(after->rtsCts);
    EXPECT_TRUE(after->xonXoff);
    EXPECT_FALSE(after->raw);
}

TEST(SerialPort, BytesBothWays) {
    link::PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    link::SerialPort port;
    ASSERT_TRUE(port.open(pty.slavePath()));
    ASSERT_TRUE(port.applyLineSettings(57600));
    port.setTimeouts();

    // Bytes that a cooked line would change (CR, NL, ^C, XOFF) pass unchanged.
    const Bytes out = {0x77, 0x0D, 0x0A, 0x03, 0x13, 0x00, 0xFF};
    ASSERT_TRUE(port.write(out));
    ASSERT_TRUE(port.drain());
    EXPECT_EQ(pty.readExactly(out.size(), 1000ms), out);

    EXPECT_EQ(port.queuedBytes().value_or(99), 0U);
    EXPECT_FALSE(port.readByte());  // nothing waiting: back after the short time-out
    ASSERT_TRUE(pty.write(out));
    for (int i = 0; i < 100 && port.queuedBytes().value_or(0) < out.size(); ++i) {
        ::usleep(1000);
    }
    EXPECT_EQ(port.queuedBytes().value_or(0), out.size());
    Bytes in;
    while (auto b = port.readByte()) {
        in.push_back(*b);
    }
    EXPECT_EQ(in, out);
}

TEST(SerialPort, VanishedLineFailsFastAndFeedsNothing) {
    link::PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    link::SerialPort port;
    ASSERT_TRUE(port.open(pty.slavePath()));
    ASSERT_TRUE(port.applyLineSettings(57600));
    pty.releaseSlave();
    pty.closeMaster();

    for (int i = 0; i < 50; ++i) {
        EXPECT_FALSE(port.readByte());
        EXPECT_EQ(port.queuedBytes().value_or(0), 0U);
    }
    EXPECT_FALSE(port.write(Bytes{1, 2, 3}));
    (void)port.drain();
}

}  // namespace
}  // namespace talveno
