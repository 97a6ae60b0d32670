// The live status page: its rules on a crafted StatusBlock, then live against
// the simulated device.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include "main_form.h"
#include "page_control.h"
#include "qt_pump.h"
#include "scripted_dialogs.h"
#include "simulator.h"
#include "status_page.h"

namespace talveno::console {
namespace {

using namespace std::chrono_literals;
using testing_support::PumpFor;
using testing_support::PumpUntil;

struct Console {
    explicit Console(const std::string& com1) {
        ConsoleOptions options;
        options.portPaths = {{"COM1", com1}};
        form = std::make_unique<TMainForm>(dialogs, options);
        form->show();
        page = form->findChild<StatusPage*>(QStringLiteral("pDebug"));
        form->findChild<PageControl*>(QStringLiteral("PageControl"))->setCurrentIndex(0);
    }
    ~Console() {
        page->btGrand->setChecked(false);
        (void)PumpUntil([&] { return form->state().flags.remoteActive == 0; }, 3s);
        form->close();
    }
    int statusRequests(const devsim::Simulator& device) const {
        int n = 0;
        for (const auto& r : device.requests()) {
            n += r.command == link::CMD_STATUS ? 1 : 0;
        }
        return n;
    }

    testing_support::ScriptedDialogs dialogs;
    std::unique_ptr<TMainForm> form;
    StatusPage* page = nullptr;
};

TEST(StatusPage, StartsEmpty) {
    Console c("/dev/talveno-test-no-such-port");
    EXPECT_EQ(c.page->stsl[0]->text(), QStringLiteral("0"));
    EXPECT_EQ(c.page->lamp[0]->brushColor(), clGray);
    EXPECT_EQ(c.page->st[13]->text(), QStringLiteral("Датчик 14 аналог. ( АД1 )"));
    EXPECT_EQ(c.page->st[0]->text(), QStringLiteral("Датчик 01"));
    EXPECT_EQ(c.page->stADC0->text(), QStringLiteral("0"));  // the constructor's slider calls
    EXPECT_EQ(c.page->BitBtn[4]->toolTip(), QStringLiteral("Включить/Выключить"));
    EXPECT_EQ(c.page->BitBtn[4]->property("Tag").toInt(), 4);
    EXPECT_EQ(c.form->state().flags.togglesPrimed, 0);
}

TEST(StatusPage, RefreshRules) {
    Console c("/dev/talveno-test-no-such-port");
    StatusPage& p = *c.page;
    ExchangeState& s = c.form->state();
    s.statusBlock = {};
    s.statusBlock[3] = 1;
    s.statusBlock[35] = 1;
    s.statusBlock[4] = 0;
    s.statusBlock[36] = 1;
    s.statusBlock[96] = 0x34;
    s.statusBlock[97] = 0x12;
    s.statusBlock[98] = 0xFF;
    s.statusBlock[99] = 0xFF;
    s.statusBlock[64] = 5;
    s.statusBlock[178] = 230;
    s.statusBlock[179] = 17;
    p.RefreshStatusPage();

    EXPECT_EQ(p.lamp[3]->brushColor(), clLime);
    EXPECT_EQ(p.lamp[4]->brushColor(), clSilver);
    EXPECT_EQ(p.sttsl[0]->text(), QStringLiteral("4660"));
    EXPECT_EQ(p.sttsl[1]->text(), QStringLiteral("-1"));
    EXPECT_EQ(p.sttsl[2]->text(), QStringLiteral("0"));
    EXPECT_TRUE(p.st[0]->styleSheet().contains(clYellow.name()));
    EXPECT_TRUE(p.st[1]->styleSheet().contains(clYellow.name()));
    EXPECT_TRUE(p.st[2]->styleSheet().contains(clWhite.name()));
    EXPECT_EQ(p.stesl[0]->text(), QStringLiteral("1"));
    EXPECT_EQ(p.stasl[3]->text(), QStringLiteral("1"));
    // Released: the sliders follow the readings, limited to their range.
    EXPECT_EQ(p.trackFuel->value(), 200);
    EXPECT_EQ(s.sim.simFuel, 200);
    EXPECT_EQ(p.stADC0->text(), QStringLiteral("200"));
    EXPECT_EQ(s.sim.simTemperatura, 17);
    // The first reply primed the toggles from the active levels.
    EXPECT_EQ(s.flags.togglesPrimed, 1);
    EXPECT_EQ(s.sim.simToggles[3], 0);
    EXPECT_EQ(s.sim.simToggles[4], 0);
    EXPECT_EQ(s.sim.simToggles[0], 1);

    // Later replies do not prime again, until btRefresh asks for it.
    s.statusBlock[32] = 1;
    p.RefreshStatusPage();
    EXPECT_EQ(s.sim.simToggles[0], 1);
    QTest::mouseClick(p.btRefresh, Qt::LeftButton);
    EXPECT_EQ(s.flags.togglesPrimed, 0);
    p.RefreshStatusPage();
    EXPECT_EQ(s.sim.simToggles[0], 0);

    // Pressed: the read-out shows the device, the slider keeps the operator's value.
    p.btGrand->setChecked(true);
    p.trackFuel->setValue(150);
    s.statusBlock[178] = 120;
    p.RefreshStatusPage();
    EXPECT_EQ(p.stADC0->text(), QStringLiteral("120"));
    EXPECT_EQ(p.trackFuel->value(), 150);
    EXPECT_EQ(s.sim.simFuel, 150);

    // Toggles work only while the device confirms remote control.
    const auto before = s.sim.simToggles;
    QTest::mouseClick(p.BitBtn[4], Qt::LeftButton);
    EXPECT_EQ(s.sim.simToggles, before);
    s.flags.remoteActive = 1;
    QTest::mouseClick(p.BitBtn[4], Qt::LeftButton);
    EXPECT_NE(s.sim.simToggles[4], before[4]);
    s.flags.remoteActive = 0;
    p.btGrand->setChecked(false);
}

TEST(StatusPage, PollsWhileShownAndDrivesTheDevice) {
    devsim::Simulator device;
    ASSERT_TRUE(device.ok());
    Console c(device.portPath());
    StatusPage& p = *c.page;
    ExchangeState& s = c.form->state();

    ASSERT_TRUE(PumpUntil([&] { return s.flags.togglesPrimed == 1; }, 3s));
    EXPECT_NE(p.lamp[0]->brushColor(), clGray);
    // About every 300 ms while shown.
    device.clearRequests();
    PumpFor(2000ms);
    const int polls = c.statusRequests(device);
    EXPECT_GE(polls, 4);
    EXPECT_LE(polls, 8);

    // Remote control: the device's inputs follow the toggles and the sliders.
    QTest::mouseClick(p.btGrand, Qt::LeftButton);
    ASSERT_TRUE(PumpUntil([&] { return s.flags.remoteActive == 1 && device.remoteMode(); }, 3s));
    const std::uint8_t wanted = s.sim.simToggles[4] != 0 ? 0 : 1;
    QTest::mouseClick(p.BitBtn[4], Qt::LeftButton);
    EXPECT_EQ(s.sim.simToggles[4], wanted);
    p.trackFuel->setValue(150);
    ASSERT_TRUE(PumpUntil(
        [&] {
            const auto levels = device.inputs().report.levels;
            return levels.discrete[4] == wanted && levels.analog[0] == 150;
        },
        3s));
    ASSERT_TRUE(PumpUntil([&] { return p.stsl[4]->text() == QString::number(wanted); }, 3s));

    // Released: remote control ends, and the page stops polling elsewhere.
    QTest::mouseClick(p.btGrand, Qt::LeftButton);
    ASSERT_TRUE(PumpUntil([&] { return s.flags.remoteActive == 0 && !device.remoteMode(); }, 3s));
    c.form->findChild<PageControl*>(QStringLiteral("PageControl"))->setCurrentIndex(2);
    PumpFor(100ms);
    device.clearRequests();
    PumpFor(1000ms);
    EXPECT_EQ(c.statusRequests(device), 0);
}

}  // namespace
}  // namespace talveno::console
