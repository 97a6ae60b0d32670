// The main window against the simulated device on a pseudo-terminal, headless.
// COM1..COM3 are pointed at a missing device or the simulator's line.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>

#include "clock_text.h"
#include "load_form.h"
#include "main_form.h"
#include "page_control.h"
#include "qt_pump.h"
#include "scripted_dialogs.h"
#include "serial_port.h"
#include "shape.h"
#include "simulator.h"
#include "single_instance.h"
#include "status_page.h"

namespace talveno::console {
namespace {

using namespace std::chrono_literals;
using testing_support::PumpFor;
using testing_support::PumpUntil;
using testing_support::ScriptedDialogs;

const std::string kMissing = "/dev/talveno-test-no-such-port";

struct Console {
    explicit Console(const std::string& com1, const std::string& com3 = {}) {
        ConsoleOptions options;
        options.portPaths = {{"COM1", com1}, {"COM2", kMissing}, {"COM3", com3}};
        form = std::make_unique<TMainForm>(dialogs, options);
        form->show();
    }
    ~Console() {
        if (form->grandPressed()) {
            form->findChild<QPushButton*>(QStringLiteral("btGrand"))->setChecked(false);
        }
        form->close();
    }
    QAction* action(const char* name) { return form->findChild<QAction*>(QLatin1String(name)); }
    PageControl* pages() { return form->findChild<PageControl*>(QStringLiteral("PageControl")); }

    ScriptedDialogs dialogs;
    std::unique_ptr<TMainForm> form;
};

TEST(MainForm, StartsOnTheConfigurationPageWhenComOneIsMissing) {
    Console c(kMissing);
    EXPECT_EQ(c.form->windowTitle(), QStringLiteral(" TALVENO v1.0"));
    ASSERT_EQ(c.dialogs.boxes.size(), 1U);
    EXPECT_EQ(c.dialogs.boxes[0].text, QStringLiteral("  Can't open COM1   "));
    EXPECT_TRUE(c.dialogs.boxes[0].detail.contains(QStringLiteral("Порт не найден")));
    EXPECT_EQ(c.form->statusText(kPortPanel), QStringLiteral("COM1 - ERROR"));
    // The link runs on the unopened port all the same.
    EXPECT_EQ(c.form->statusText(kLinkPanel), QStringLiteral("СВЯЗЬ - ОК"));
    EXPECT_EQ(c.pages()->currentIndex(), 2);
    EXPECT_EQ(c.form->state().flags.onConfigPage, 1);
    EXPECT_EQ(c.form->state().flags.onStatusPage + c.form->state().flags.onLoadPage, 0);
    EXPECT_TRUE(c.action("mnPort1")->isChecked());
    EXPECT_EQ(c.pages()->tabText(0), QStringLiteral("       Отладка     "));
    EXPECT_EQ(c.pages()->tabText(1), QStringLiteral("       Загрузка      "));
    EXPECT_EQ(c.pages()->tabText(2), QStringLiteral("       Конфигурация      "));
    EXPECT_FALSE(c.form->loadForm().isVisible());
}

TEST(MainForm, PortChangesAndTheClock) {
    devsim::Simulator device;
    ASSERT_TRUE(device.ok());
    Console c(kMissing, device.portPath());
    c.dialogs.boxes.clear();

    c.action("mnPort2")->trigger();
    ASSERT_EQ(c.dialogs.boxes.size(), 1U);
    EXPECT_EQ(c.dialogs.boxes[0].text, QStringLiteral("  Can't open COM2   "));
    EXPECT_EQ(c.form->statusText(kPortPanel), QStringLiteral("COM2 - ERROR"));
    EXPECT_EQ(c.form->statusText(kLinkPanel), QStringLiteral("СВЯЗЬ - НЕТ!"));
    EXPECT_TRUE(c.action("mnPort2")->isChecked());
    EXPECT_FALSE(c.action("mnPort1")->isChecked());

    // The ticked item again: nothing happens.
    c.action("mnPort2")->trigger();
    EXPECT_EQ(c.dialogs.boxes.size(), 1U);
    EXPECT_TRUE(c.action("mnPort2")->isChecked());

    c.action("mnPort3")->trigger();
    EXPECT_EQ(c.dialogs.boxes.size(), 1U);
    EXPECT_EQ(c.form->statusText(kPortPanel), QStringLiteral("COM3 - OK"));
    EXPECT_EQ(c.form->statusText(kLinkPanel), QStringLiteral("СВЯЗЬ - ОК"));

    // The exchange runs: the status page polls the device and counts replies.
    c.pages()->setCurrentIndex(0);
    EXPECT_EQ(c.form->state().flags.onStatusPage, 1);
    ASSERT_TRUE(PumpUntil([&] { return c.form->state().ioCount >= 2; }, 5s));
    EXPECT_TRUE(c.form->statusText(kIoCountPanel).startsWith(QStringLiteral(" I/O count: 0000")));

    // The clock shows once a second.
    ASSERT_TRUE(PumpUntil([&] { return !c.form->statusText(kClockPanel).isEmpty(); }, 3s));
    const QRegularExpression clock(
        QStringLiteral("^ \\d\\d.\\d\\d.\\d{4} {12}\\d\\d.\\d\\d.\\d\\d$"));
    EXPECT_TRUE(clock.match(c.form->statusText(kClockPanel)).hasMatch())
        << c.form->statusText(kClockPanel).toStdString();
    EXPECT_LT(std::abs(c.form->lastClockTime().secsTo(QDateTime::currentDateTime())), 3);
}

TEST(MainForm, RemoteControlHoldsThePageAndTheWindow) {
    devsim::Simulator device;
    ASSERT_TRUE(device.ok());
    Console c(device.portPath());
    c.pages()->setCurrentIndex(0);
    auto* grand = c.form->findChild<QPushButton*>(QStringLiteral("btGrand"));
    auto* lamp = c.form->findChild<Shape*>(QStringLiteral("shapeGrand"));
    ASSERT_TRUE(grand && lamp);

    QTest::mouseClick(grand, Qt::LeftButton);
    ASSERT_TRUE(PumpUntil([&] { return c.form->state().flags.remoteActive == 1; }, 5s));
    EXPECT_TRUE(device.remoteMode());
    EXPECT_EQ(lamp->brushColor(), clLime);

    c.dialogs.boxes.clear();
    QTabBar* tabs = c.pages()->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
    EXPECT_EQ(c.pages()->currentIndex(), 0);
    c.action("mnExit")->trigger();
    EXPECT_TRUE(c.form->isVisible());
    EXPECT_NE(c.form->klcom(), nullptr);
    ASSERT_EQ(c.dialogs.boxes.size(), 2U);
    for (const auto& box : c.dialogs.boxes) {
        EXPECT_EQ(box.title, QStringLiteral("Confirm"));
        EXPECT_EQ(box.text, QStringLiteral(" Внимание! \n\n Отмени УДАЛЕННОЕ УПРАВЛЕНИЕ! \n"));
        EXPECT_EQ(box.icon, BoxIcon::Question);
    }

    QTest::mouseClick(grand, Qt::LeftButton);
    ASSERT_TRUE(PumpUntil([&] { return c.form->state().flags.remoteActive == 0; }, 5s));
    EXPECT_FALSE(device.remoteMode());
    EXPECT_EQ(lamp->brushColor(), clSilver);
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
    EXPECT_EQ(c.pages()->currentIndex(), 2);

    // Closing now goes through and lets go of the port.
    EXPECT_TRUE(c.form->close());
    EXPECT_EQ(c.form->klcom(), nullptr);
    link::SerialPort port;
    EXPECT_TRUE(port.open(device.portPath()));
}

// A close asked for while a handler pumps events (here the port change) is
// refused with a message; the handler finishes and a later close works.
TEST(MainForm, CloseWhileAHandlerWaitsIsRefused) {
    devsim::Simulator device;
    ASSERT_TRUE(device.ok());
    Console c(device.portPath(), device.portPath());
    int refused = 0;
    const char* ports[] = {"mnPort2", "mnPort3", "mnPort2", "mnPort1"};
    const int delays[] = {0, 240, 520, 790};
    for (int i = 0; i < 4; ++i) {
        c.dialogs.boxes.clear();
        bool closed = true;
        QTimer::singleShot(delays[i], c.form.get(), [&] { closed = c.form->close(); });
        c.action(ports[i])->trigger();
        PumpFor(50ms);
        EXPECT_FALSE(closed) << "delay " << delays[i];
        EXPECT_NE(c.form->klcom(), nullptr);
        for (const auto& box : c.dialogs.boxes) {
            refused += box.title == QStringLiteral("WARNING...") ? 1 : 0;
        }
    }
    EXPECT_EQ(refused, 4);
    EXPECT_EQ(c.form->statusText(kPortPanel), QStringLiteral("COM1 - OK"));
    EXPECT_TRUE(c.form->close());
}

TEST(MainForm, AboutClosesOnAClick) {
    Console c(kMissing);
    bool shown = false;
    QTimer::singleShot(100, c.form.get(), [&] {
        QWidget* about = QApplication::activeModalWidget();
        ASSERT_NE(about, nullptr);
        shown = about->objectName() == QStringLiteral("FormAbout");
        QTest::mouseClick(about->findChild<QLabel*>(QStringLiteral("lbVersion")), Qt::LeftButton);
    });
    c.form->mnAboutClick();
    EXPECT_TRUE(shown);
}

TEST(ClockText, LocaleSeparatorsAndBlanks) {
    const QDateTime when(QDate(2026, 3, 4), QTime(5, 6, 7));
    EXPECT_EQ(ClockText(when, {QLatin1Char('.'), QLatin1Char(':')}),
              QStringLiteral(" 04.03.2026            05:06:07"));
    EXPECT_EQ(SeparatorsOf(QLocale(QLocale::Russian, QLocale::Russia)).date, QLatin1Char('.'));
    EXPECT_EQ(SeparatorsOf(QLocale(QLocale::English, QLocale::UnitedStates)).date,
              QLatin1Char('/'));
}

// A running console holds the per-user lock that refuses a second start; a
// copy that crashed leaves nothing in the way.
TEST(SingleInstance, HeldByARunningConsoleAndFreedByItsCrash) {
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());

    QProcess first;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    first.setProcessEnvironment(env);
    first.start(QStringLiteral(TALVENO_BINARY), {QStringLiteral("--simulator")});
    ASSERT_TRUE(first.waitForStarted());
    SingleInstance second(kCaption);
    // The lock names its holder once the first console is past its start.
    ASSERT_TRUE(PumpUntil(
        [&] {
            QFile lock(second.lockPath());
            return lock.open(QIODevice::ReadOnly) && lock.readAll().count('\n') >= 3;
        },
        10s));
    EXPECT_FALSE(second.acquire());

    ::kill(static_cast<pid_t>(first.processId()), SIGKILL);
    ASSERT_TRUE(first.waitForFinished());
    EXPECT_TRUE(second.acquire());
    qputenv("XDG_RUNTIME_DIR", savedRuntime);
}

}  // namespace
}  // namespace talveno::console
