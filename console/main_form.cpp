#include "main_form.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSerialPortInfo>
#include <QStatusBar>

#include "about_form.h"
#include "builtin_simulator.h"
#include "clock_text.h"
#include "config_page.h"
#include "klcom.h"
#include "load_form.h"
#include "load_page.h"
#include "page_control.h"
#include "port_hint.h"
#include "pumping.h"
#include "status_page.h"
#include "user_dialogs.h"

namespace talveno::console {

namespace {

constexpr std::int32_t kBaudRate = 57600;
constexpr int kClientWidth = 810;
constexpr int kClientHeight = 570;
constexpr int kPanelWidths[4] = {200, 200, 265, 150};
constexpr int kPortChangePauseMs = 250;

const QString kSimulatorName = QStringLiteral("Имитатор");
const QString kRemoteControlWarning =
    QStringLiteral(" Внимание! \n\n Отмени УДАЛЕННОЕ УПРАВЛЕНИЕ! \n");
const QString kLinkOk = QStringLiteral("СВЯЗЬ - ОК");
const QString kLinkDown = QStringLiteral("СВЯЗЬ - НЕТ!");

// The three menu ports; on POSIX the link maps them to /dev/ttyS0..2.
const char* const kFixedPortNames[3] = {"COM1", "COM2", "COM3"};

bool IsFixedPort(const QSerialPortInfo& info) {
    for (const char* name : kFixedPortNames) {
        if (QString::fromStdString(link::SystemPortName(name)) == info.systemLocation() ||
            info.portName() == QLatin1String(name)) {
            return true;
        }
    }
    return false;
}

}  // namespace

TMainForm::TMainForm(UserDialogs& dialogs, const ConsoleOptions& options)
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                               Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      dialogs_(dialogs) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(kCaption);
    buildMenu();
    buildStatusBar();
    buildPages();
    setFixedSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    loadForm_ = std::make_unique<TLoadForm>();

    Tm_.setObjectName(QStringLiteral("Tm"));
    Tm_.setInterval(100);
    connect(&Tm_, &QTimer::timeout, this, &TMainForm::TmTimer);

    if (options.simulator) {
        QString why;
        simulator_ = BuiltInSimulator::Start(why);
        if (!simulator_) {
            dialogs_.showMessage(QStringLiteral("TALVENO"), QStringLiteral("Имитатор не запущен."),
                                 BoxIcon::Error, why);
        }
    }

    // The window's own start-up, in this order.
    lastClockTime_ = QDateTime();
    klcom_ =
        std::make_unique<link::TKLCOM>(*this, [paths = options.portPaths](const std::string& name) {
            const auto found = paths.find(name);
            return found != paths.end() ? found->second : link::SystemPortName(name);
        });
    PortItem& first = startItem(options);
    currentPort_ = first.action;
    first.action->setChecked(true);
    if (openPort(first)) {
        SetStatusText(kPortPanel, (first.display + QStringLiteral(" - OK")).toStdString());
    } else {
        showOpenFailure();
        SetStatusText(kPortPanel, (first.display + QStringLiteral(" - ERROR")).toStdString());
    }
    Tm_.start();
    const bool linked = klcom_->EnableLink(true);
    SetStatusText(kLinkPanel, (linked ? kLinkOk : kLinkDown).toStdString());
    pDebug_->trackTemperaturaChange();
    pDebug_->trackFuelChange();
    PageControl_->setCurrentIndex(2);
    pConfigEnter();
    pConfig_->ConfigToPage();
}

TMainForm::~TMainForm() {
    // A window that never went through FormClose (a test, a failed start)
    // still stops the link before its state goes.
    Tm_.stop();
    klcom_.reset();
}

void TMainForm::buildMenu() {
    QMenu* menu = menuBar()->addMenu(QStringLiteral("Меню"));
    menu->setObjectName(QStringLiteral("MainMenu1"));
    portMenu_ = menu->addMenu(QStringLiteral("Связь..."));
    portMenu_->setObjectName(QStringLiteral("mnPort"));
    portGroup_ = new QActionGroup(this);
    portGroup_->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);

    const char* objectNames[3] = {"mnPort1", "mnPort2", "mnPort3"};
    for (int i = 0; i < 3; ++i) {
        QAction* action = portMenu_->addAction(QString::fromLatin1(kFixedPortNames[i]));
        action->setObjectName(QString::fromLatin1(objectNames[i]));
        action->setCheckable(true);
        portGroup_->addAction(action);
        fixedPorts_.push_back(
            {action, QString::fromLatin1(kFixedPortNames[i]), kFixedPortNames[i]});
    }
    connect(fixedPorts_[0].action, &QAction::triggered, this, &TMainForm::mnPort1Click);
    connect(fixedPorts_[1].action, &QAction::triggered, this, &TMainForm::mnPort2Click);
    connect(fixedPorts_[2].action, &QAction::triggered, this, &TMainForm::mnPort3Click);
    otherPortsSeparator_ = portMenu_->addSeparator();
    connect(portMenu_, &QMenu::aboutToShow, this, &TMainForm::refreshOtherPorts);

    QAction* about = menu->addAction(QStringLiteral("О программе..."));
    about->setObjectName(QStringLiteral("mnAbout"));
    connect(about, &QAction::triggered, this, &TMainForm::mnAboutClick);
    menu->addSeparator();
    QAction* exit = menu->addAction(QStringLiteral("Выход"));
    exit->setObjectName(QStringLiteral("mnExit"));
    connect(exit, &QAction::triggered, this, &TMainForm::mnExitClick);
}

void TMainForm::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("stBar"));
    bar->setSizeGripEnabled(false);
    // The panels' widths are fixed; the clock's twelve blanks need the small
    // font the window was laid out for.
    QFont small = bar->font();
    small.setPointSize(7);
    bar->setFont(small);
    for (int i = 0; i < 4; ++i) {
        panels_[i] = new QLabel(bar);
        panels_[i]->setObjectName(QStringLiteral("stBarPanel%1").arg(i));
        panels_[i]->setFixedWidth(kPanelWidths[i]);
        panels_[i]->setFrameShape(QFrame::Panel);
        panels_[i]->setFrameShadow(QFrame::Sunken);
        bar->addWidget(panels_[i]);
    }
}

void TMainForm::buildPages() {
    auto* client = new QWidget(this);
    setCentralWidget(client);
    PageControl_ = new PageControl(client);
    PageControl_->setObjectName(QStringLiteral("PageControl"));
    PageControl_->setGeometry(8, 6, 793, 539);
    pDebug_ = new StatusPage(PageControl_, state_);
    pLoad_ = new LoadPage(PageControl_, *this);
    pConfig_ = new ConfigPage(PageControl_, *this);
    PageControl_->addTab(pDebug_, QStringLiteral("       Отладка     "));
    PageControl_->addTab(pLoad_, QStringLiteral("       Загрузка      "));
    PageControl_->addTab(pConfig_, QStringLiteral("       Конфигурация      "));
    PageControl_->setChangingGuard([this] { return PageControlChanging(); });
    connect(PageControl_, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == 0) {
            pDebugEnter();
        } else if (index == 1) {
            pLoadEnter();
        } else if (index == 2) {
            pConfigEnter();
        }
    });
}

TMainForm::PortItem& TMainForm::startItem(const ConsoleOptions& options) {
    if (options.simulator && simulator_) {
        QAction* action = new QAction(kSimulatorName, this);
        action->setObjectName(QStringLiteral("mnSimulator"));
        action->setCheckable(true);
        portGroup_->addAction(action);
        portMenu_->insertAction(otherPortsSeparator_, action);
        fixedPorts_.push_back({action, kSimulatorName, simulator_->portPath()});
        connect(action, &QAction::triggered, this, [this] { choosePort(fixedPorts_[3]); });
        return fixedPorts_.back();
    }
    for (auto& item : fixedPorts_) {
        if (item.display == options.port) {
            return item;
        }
    }
    // A port named at start that the menu does not list stays in it.
    QAction* action = new QAction(options.port, this);
    action->setObjectName(QStringLiteral("mnStartPort"));
    action->setCheckable(true);
    portGroup_->addAction(action);
    portMenu_->insertAction(otherPortsSeparator_, action);
    fixedPorts_.push_back({action, options.port, options.port.toStdString()});
    const std::size_t index = fixedPorts_.size() - 1;
    connect(action, &QAction::triggered, this, [this, index] { choosePort(fixedPorts_[index]); });
    return fixedPorts_.back();
}

void TMainForm::refreshOtherPorts() {
    for (auto& item : otherPorts_) {
        if (item.action == currentPort_) {
            continue;  // the port in use stays listed and ticked
        }
        portGroup_->removeAction(item.action);
        delete item.action;
        item.action = nullptr;
    }
    std::erase_if(otherPorts_, [](const PortItem& item) { return item.action == nullptr; });

    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        if (IsFixedPort(info)) {
            continue;
        }
        const QString name = info.systemLocation();
        const bool listed =
            std::any_of(otherPorts_.begin(), otherPorts_.end(),
                        [&](const PortItem& item) { return item.display == name; }) ||
            std::any_of(fixedPorts_.begin(), fixedPorts_.end(),
                        [&](const PortItem& item) { return item.display == name; });
        if (listed) {
            continue;
        }
        QAction* action = portMenu_->addAction(name);
        action->setCheckable(true);
        portGroup_->addAction(action);
        otherPorts_.push_back({action, name, name.toStdString()});
        connect(action, &QAction::triggered, this, [this, action] {
            if (PortItem* item = findItem(action)) {
                choosePort(*item);
            }
        });
    }
}

TMainForm::PortItem* TMainForm::findItem(QAction* action) {
    for (auto* list : {&fixedPorts_, &otherPorts_}) {
        for (auto& item : *list) {
            if (item.action == action) {
                return &item;
            }
        }
    }
    return nullptr;
}

bool TMainForm::openPort(const PortItem& item) {
    return klcom_->Open(item.systemName, kBaudRate);
}

void TMainForm::showOpenFailure() {
    dialogs_.showMessage(QStringLiteral("TALVENO"), QString::fromStdString(klcom_->LastError()),
                         BoxIcon::None, PortFailureDetail(klcom_->LastErrorDetail()));
}

void TMainForm::mnPort1Click() {
    choosePort(fixedPorts_[0]);
}

void TMainForm::mnPort2Click() {
    choosePort(fixedPorts_[1]);
}

void TMainForm::mnPort3Click() {
    choosePort(fixedPorts_[2]);
}

void TMainForm::choosePort(const PortItem& chosen) {
    if (chosen.action == currentPort_) {
        chosen.action->setChecked(true);
        return;
    }
    if (changingPort_ || closing_ || !klcom_) {
        // One change at a time; the group already ticked the item, undo that.
        if (currentPort_ != nullptr) {
            currentPort_->setChecked(true);
        }
        return;
    }
    // Copies: the port lists may change while events are pumped.
    const PortItem item = chosen;
    changingPort_ = true;
    BusyScope busy(*this);

    Tm_.stop();
    PumpEvents();
    SleepPlain(kPortChangePauseMs);
    PumpEvents();
    PumpEvents();
    SleepPlain(kPortChangePauseMs);
    PumpEvents();
    (void)klcom_->EnableLink(false);
    PumpEvents();
    SleepPlain(kPortChangePauseMs);
    PumpEvents();

    currentPort_ = item.action;
    item.action->setChecked(true);
    if (openPort(item)) {
        SetStatusText(kPortPanel, (item.display + QStringLiteral(" - OK")).toStdString());
        SetStatusText(kLinkPanel, kLinkOk.toStdString());
        (void)klcom_->EnableLink(true);
    } else {
        showOpenFailure();
        SetStatusText(kPortPanel, (item.display + QStringLiteral(" - ERROR")).toStdString());
        SetStatusText(kLinkPanel, kLinkDown.toStdString());
    }
    Tm_.start();
    changingPort_ = false;
}

void TMainForm::mnAboutClick() {
    TFormAbout about(this);
    about.exec();
}

void TMainForm::mnExitClick() {
    close();
}

void TMainForm::ReplyDispatcher(std::span<const std::uint8_t> frame) {
    exchange_.ReplyDispatcher(frame);
}

void TMainForm::ExchangeScheduler(link::TxStaging& staging) {
    exchange_.ExchangeScheduler(staging);
}

bool TMainForm::grandPressed() const {
    return pDebug_->btGrand->isChecked();
}

void TMainForm::showRemoteActive(bool active) {
    pDebug_->shapeGrand->setBrushColor(active ? clLime : clSilver);
}

void TMainForm::RefreshStatusPage() {
    pDebug_->RefreshStatusPage();
}

void TMainForm::SetStatusText(int panel, const std::string& text) {
    if (panel >= 0 && panel < 4) {
        panels_[panel]->setText(QString::fromStdString(text));
    }
}

QString TMainForm::statusText(int panel) const {
    return panel >= 0 && panel < 4 ? panels_[panel]->text() : QString();
}

void TMainForm::pDebugEnter() {
    state_.flags.onStatusPage = 1;
    state_.flags.onLoadPage = 0;
    state_.flags.onConfigPage = 0;
}

void TMainForm::pLoadEnter() {
    state_.flags.onStatusPage = 0;
    state_.flags.onLoadPage = 1;
    state_.flags.onConfigPage = 0;
}

void TMainForm::pConfigEnter() {
    state_.flags.onStatusPage = 0;
    state_.flags.onLoadPage = 0;
    state_.flags.onConfigPage = 1;
}

void TMainForm::showRemoteControlWarning() {
    dialogs_.showMessage(QStringLiteral("Confirm"), kRemoteControlWarning, BoxIcon::Question);
}

bool TMainForm::PageControlChanging() {
    if (grandPressed()) {
        showRemoteControlWarning();
        return false;
    }
    return true;
}

void TMainForm::TmTimer() {
    ++clockTicks_;
    if (clockTicks_ >= 10) {
        clockTicks_ = 0;
        lastClockTime_ = QDateTime::currentDateTime();
        SetStatusText(kClockPanel,
                      ClockText(lastClockTime_, SeparatorsOf(QLocale::system())).toStdString());
    }
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (closing_) {
        event->ignore();  // a close asked again while the first one runs
        return;
    }
    if (grandPressed()) {
        showRemoteControlWarning();
        event->ignore();
        return;
    }
    if (busy()) {
        // A handler below us waits for the device; tearing the link down
        // under it would pull its state away.
        dialogs_.showMessage(QStringLiteral("WARNING..."),
                             QStringLiteral(" Идёт обмен с устройством. \n\n Дождитесь его "
                                            "окончания и закройте программу снова. \n"),
                             BoxIcon::Warning);
        event->ignore();
        return;
    }
    closing_ = true;
    PageControl_->setEnabled(false);
    Tm_.stop();
    for (int i = 0; i < 2; ++i) {
        SleepPlain(100);
        PumpEvents();
    }
    for (int i = 0; i < 2; ++i) {
        SleepPlain(50);
        PumpEvents();
    }
    (void)klcom_->EnableLink(false);
    for (int i = 0; i < 4; ++i) {
        SleepPlain(50);
        PumpEvents();
    }
    klcom_.reset();
    loadForm_->hide();
    event->accept();
}

}  // namespace talveno::console
