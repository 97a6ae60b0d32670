// Reading and writing the configuration record on the simulated device.
#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>
#include <atomic>
#include <thread>

#include "config_console.h"
#include "config_file.h"
#include "link_frame.h"
#include "pseudo_terminal.h"
#include "qt_pump.h"
#include "simulator.h"

namespace talveno::console {
namespace {

using namespace std::chrono_literals;
using testing_support::PumpUntil;

ConfigRecord DeviceRecord(const devsim::Simulator& device) {
    const auto bytes = device.config();
    ConfigRecord record{};
    std::copy(bytes.begin(), bytes.end(), record.begin());
    return record;
}

int Count(const devsim::Simulator& device, std::uint8_t command) {
    int n = 0;
    for (const auto& r : device.requests()) {
        n += r.command == command ? 1 : 0;
    }
    return n;
}

// What stState showed while the handler ran, each text once in its order.
class StateWatch {
public:
    explicit StateWatch(QLabel* label) {
        QObject::connect(&timer_, &QTimer::timeout, label, [this, label] {
            const QString text = label->isVisible() ? label->text() : QString();
            if (!text.isEmpty() && (seen.empty() || seen.back() != text)) {
                seen.push_back(text);
            }
        });
        timer_.start(10);
    }
    std::vector<QString> seen;

private:
    QTimer timer_;
};

TEST(ConfigExchange, ReadEditWriteAndReadBack) {
    devsim::Simulator device;
    ASSERT_TRUE(device.ok());
    ConfigConsole c(device.portPath());
    ConfigPage& p = *c.page;
    const ConfigRecord factory = DeviceRecord(device);
    device.clearRequests();

    {
        StateWatch watch(p.stState);
        QTest::mouseClick(p.btLoadConf, Qt::LeftButton);
        EXPECT_EQ(watch.seen, (std::vector<QString>{QStringLiteral("Передача ... "),
                                                    QStringLiteral("   OK   ")}));
    }
    EXPECT_TRUE(c.dialogs.boxes.empty());
    EXPECT_FALSE(p.stState->isVisible());
    EXPECT_TRUE(p.stState->text().isEmpty());
    EXPECT_EQ(c.state().configEdited, factory);
    EXPECT_EQ(p.edMess1[0]->text(), QStringLiteral("1"));
    EXPECT_EQ(p.edMess2[14]->text(), QStringLiteral("15"));
    EXPECT_TRUE(p.cbSenseEn[14]->isChecked());
    EXPECT_TRUE(p.cbSenseAct[2][1]->isChecked());
    EXPECT_EQ(p.edADC[1]->text(), QStringLiteral("128"));

    // Edit, with the four bytes no control owns set as a loaded record may
    // hold them.
    p.edMess1[0]->setText(QStringLiteral("7"));
    p.edADC[1]->setText(QStringLiteral("-1"));
    QTest::mouseClick(p.cbSenseAct[2][0], Qt::LeftButton);
    p.cbSenseEn[5]->setChecked(false);
    for (std::size_t at : {16U, 32U, 48U, 64U}) {
        c.state().configEdited[at] = static_cast<std::uint8_t>(at + 1);
    }
    QTest::mouseClick(p.btSendConf, Qt::LeftButton);
    EXPECT_TRUE(c.dialogs.boxes.empty());

    ConfigRecord expected = factory;
    expected[kMessSensor1Offset] = 7;
    expected[kAdcThresholdOffset + 1] = 255;
    expected[kSenseActOffset + 2] = 0;
    expected[kSenseEnOffset + 5] = 0;
    for (std::size_t at : {16U, 32U, 48U, 64U}) {
        expected[at] = static_cast<std::uint8_t>(at + 1);
    }
    StoreRecordCrc(expected);
    EXPECT_EQ(DeviceRecord(device), expected);
    EXPECT_EQ(c.state().configEdited, expected);

    // Read back onto a cleared page.
    c.state().configEdited = {};
    p.ConfigToPage();
    QTest::mouseClick(p.btLoadConf, Qt::LeftButton);
    EXPECT_EQ(c.state().configEdited, expected);
    EXPECT_EQ(p.edMess1[0]->text(), QStringLiteral("7"));
    EXPECT_EQ(p.edADC[1]->text(), QStringLiteral("255"));
    EXPECT_TRUE(p.cbSenseAct[2][0]->isChecked());
    EXPECT_FALSE(p.cbSenseEn[5]->isChecked());

    EXPECT_EQ(Count(device, link::CMD_CONFIG_READ), 2);
    EXPECT_EQ(Count(device, link::CMD_CONFIG_WRITE), 1);
}

TEST(ConfigExchange, AConversionErrorSendsNothing) {
    devsim::Simulator device;
    ASSERT_TRUE(device.ok());
    ConfigConsole c(device.portPath());
    const ConfigRecord factory = DeviceRecord(device);
    c.page->edMess2[14]->setText(QStringLiteral("a"));
    device.clearRequests();

    QTest::mouseClick(c.page->btSendConf, Qt::LeftButton);
    ASSERT_EQ(c.dialogs.boxes.size(), 1U);
    EXPECT_EQ(c.dialogs.boxes[0].title, QStringLiteral("TALVENO"));
    EXPECT_EQ(c.dialogs.boxes[0].text, QStringLiteral("'a' is not a valid integer value."));
    EXPECT_EQ(c.state().flags.configWritePending, 0);
    EXPECT_EQ(c.state().configEdited, ConfigRecord{});
    EXPECT_FALSE(c.page->stState->isVisible());
    // The line stays open long enough for a staged request to have gone out.
    testing_support::PumpFor(300ms);
    EXPECT_EQ(Count(device, link::CMD_CONFIG_WRITE), 0);
    EXPECT_EQ(DeviceRecord(device), factory);
}

struct Silence {
    const char* name;
    std::uint8_t command;
    bool write;
};

class ConfigNoAnswer : public ::testing::TestWithParam<Silence> {};

TEST_P(ConfigNoAnswer, EndsInTheFailureMessage) {
    devsim::Simulator device;
    ASSERT_TRUE(device.ok());
    device.setFaults(devsim::DropReplies(GetParam().command, 0));
    ConfigConsole c(device.portPath());
    c.page->edMess1[4]->setText(QStringLiteral("4"));
    const ConfigRecord before = GetParam().write ? ConfigRecord{} : c.state().configEdited;
    QString shownDuringBox;
    bool visibleDuringBox = false;
    c.dialogs.onBox = [&](const testing_support::ShownBox&) {
        shownDuringBox = c.page->stState->text();
        visibleDuringBox = c.page->stState->isVisible();
    };
    device.clearRequests();

    QTest::mouseClick(GetParam().write ? c.page->btSendConf : c.page->btLoadConf, Qt::LeftButton);
    ASSERT_EQ(c.dialogs.boxes.size(), 1U);
    EXPECT_EQ(c.dialogs.boxes[0].title, QStringLiteral("WARNING..."));
    EXPECT_EQ(c.dialogs.boxes[0].text, QStringLiteral("Устройство не отвечает!"));
    EXPECT_EQ(c.dialogs.boxes[0].icon, BoxIcon::Error);
    EXPECT_EQ(shownDuringBox, QStringLiteral("  ОШИБКА  "));
    EXPECT_TRUE(visibleDuringBox);
    EXPECT_FALSE(c.page->stState->isVisible());
    EXPECT_TRUE(c.page->stState->text().isEmpty());
    EXPECT_EQ(c.page->edMess1[4]->text(), QStringLiteral("4"));
    if (!GetParam().write) {
        EXPECT_EQ(c.state().configEdited, before);
    }
    // Asked once: the wait does not repeat the request.
    EXPECT_EQ(Count(device, GetParam().command), 1);
}

INSTANTIATE_TEST_SUITE_P(Config, ConfigNoAnswer,
                         ::testing::Values(Silence{"Read", link::CMD_CONFIG_READ, false},
                                           Silence{"Write", link::CMD_CONFIG_WRITE, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// A request raised while another page is active waits, and goes out once the
// configuration page is shown again. (The handlers are called with the page
// already left: a test cannot place a real page change between the click and
// the link's next hand-off, and the state is the same.)
TEST(ConfigExchange, ARequestLeftPendingGoesOutOnReturn) {
    devsim::Simulator device;
    ASSERT_TRUE(device.ok());
    ConfigConsole c(device.portPath());
    const ConfigRecord factory = DeviceRecord(device);
    c.pages->setCurrentIndex(1);
    device.clearRequests();

    c.page->btLoadConfClick();
    ASSERT_EQ(c.dialogs.boxes.size(), 1U);
    EXPECT_EQ(c.dialogs.boxes[0].text, QStringLiteral("Устройство не отвечает!"));
    EXPECT_EQ(c.state().flags.configReadPending, 1);
    EXPECT_EQ(Count(device, link::CMD_CONFIG_READ), 0);

    c.pages->setCurrentIndex(2);
    ASSERT_TRUE(PumpUntil([&] { return c.state().flags.configReadDone == 1; }, 5s));
    EXPECT_EQ(c.state().configIncoming, factory);
    EXPECT_EQ(c.state().configEdited, ConfigRecord{});  // a late read leaves the page alone
    EXPECT_EQ(c.page->edMess1[0]->text(), QStringLiteral("0"));

    // A late write sends the record of the moment it goes out.
    c.pages->setCurrentIndex(1);
    c.page->btSendConfClick();
    ASSERT_EQ(c.dialogs.boxes.size(), 2U);
    EXPECT_EQ(c.state().flags.configWritePending, 1);
    ConfigRecord later{};
    later[kMessSensor1Offset + 2] = 3;
    const QString path = c.file("later.klc");
    const ConfigFileBytes file = EncodeConfigFile(later, "");
    WriteBytes(path, {file.begin(), file.end()});
    c.answer(path);
    c.page->btOpenClick();
    EXPECT_EQ(Count(device, link::CMD_CONFIG_WRITE), 0);

    c.pages->setCurrentIndex(2);
    ASSERT_TRUE(PumpUntil([&] { return c.state().flags.configWriteAcked == 1; }, 5s));
    EXPECT_EQ(DeviceRecord(device), OutgoingRecord(c.state().configEdited));
    EXPECT_EQ(DeviceRecord(device)[kMessSensor1Offset + 2], 3);
}

// A device that answers a read with too short a record: the reply arrives and
// is counted, but the page never takes half a record.
TEST(ConfigExchange, AShortReadReplyIsNotTaken) {
    link::PseudoTerminal line;
    ASSERT_TRUE(line.ok());
    std::atomic<bool> stop{false};
    std::atomic<int> answered{0};
    std::thread device([&] {
        std::vector<std::uint8_t> heard;
        while (!stop.load()) {
            const auto bytes = line.read(50ms);
            heard.insert(heard.end(), bytes.begin(), bytes.end());
            const auto at = std::search(heard.begin(), heard.end(), std::begin("wui\x60"),
                                        std::begin("wui\x60") + 4);
            if (at == heard.end()) {
                continue;
            }
            heard.clear();
            link::TxStaging reply;
            const std::vector<std::uint8_t> half(40, 0x33);
            if (link::SendCommand(reply, link::CMD_CONFIG_READ, 0, half.data(), 40) &&
                line.write(std::span(reply.txFrame.data(), reply.txLength))) {
                ++answered;
            }
        }
    });

    {
        ConfigConsole c(line.slavePath());
        const std::int32_t repliesBefore = c.state().ioCount;
        QTest::mouseClick(c.page->btLoadConf, Qt::LeftButton);
        EXPECT_EQ(answered.load(), 1);
        EXPECT_EQ(c.state().ioCount, repliesBefore + 1);  // it did arrive
        ASSERT_EQ(c.dialogs.boxes.size(), 1U);
        EXPECT_EQ(c.dialogs.boxes[0].text, QStringLiteral("Устройство не отвечает!"));
        EXPECT_EQ(c.state().flags.configReadDone, 0);
        EXPECT_EQ(c.state().configIncoming, ConfigRecord{});
        EXPECT_EQ(c.state().configEdited, ConfigRecord{});
        EXPECT_EQ(c.page->edMess1[0]->text(), QStringLiteral("0"));
    }
    stop = true;
    device.join();
}

}  // namespace
}  // namespace talveno::console
