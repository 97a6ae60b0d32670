// TMainForm: the main window. It holds all console state, owns the serial
// port object, and carries the window-level behaviour: the three pages and
// their flags, the status bar and clock, the port menu, About, and the
// orderly shutdown. The exchange logic lives in Exchange; the pages in their
// own classes.
#pragma once

#include <QDateTime>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "exchange.h"
#include "exchange_client.h"
#include "exchange_state.h"

class QAction;
class QActionGroup;
class QLabel;
class QMenu;

namespace talveno::link {
class TKLCOM;
}

namespace talveno::console {

class BuiltInSimulator;
class ConfigPage;
class LoadPage;
class PageControl;
class StatusPage;
class TLoadForm;
class UserDialogs;

inline const QString kCaption = QStringLiteral(" TALVENO v1.0");

struct ConsoleOptions {
    // The port opened at start (what the operator would choose from the menu).
    QString port = QStringLiteral("COM1");
    // Start the simulated device in-process and open it instead.
    bool simulator = false;
    // Where named ports are found, for names the system would map otherwise
    // (COM1 is /dev/ttyS0 on Linux). Empty in the program; tests point the
    // menu's ports at pseudo-terminals here.
    std::map<std::string, std::string> portPaths;
};

class TMainForm : public QMainWindow, public link::ExchangeClient, public ExchangeView {
public:
    TMainForm(UserDialogs& dialogs, const ConsoleOptions& options);
    ~TMainForm() override;

    // Link hand-offs (main thread, while the worker waits).
    void ReplyDispatcher(std::span<const std::uint8_t> frame) override;
    void ExchangeScheduler(link::TxStaging& staging) override;

    // What the exchange reads and writes of the window.
    [[nodiscard]] bool grandPressed() const override;
    void showRemoteActive(bool active) override;
    void RefreshStatusPage() override;
    void SetStatusText(int panel, const std::string& text) override;

    // Page handlers: each sets its own page flag and clears the other two.
    void pDebugEnter();
    void pLoadEnter();
    void pConfigEnter();
    // Asked before the operator changes page; refuses while btGrand is pressed.
    [[nodiscard]] bool PageControlChanging();

    void TmTimer();
    void mnPort1Click();
    void mnPort2Click();
    void mnPort3Click();
    void mnAboutClick();
    void mnExitClick();

    // State, for the pages and for tests.
    [[nodiscard]] ExchangeState& state() { return state_; }
    [[nodiscard]] link::TKLCOM* klcom() { return klcom_.get(); }
    [[nodiscard]] TLoadForm& loadForm() { return *loadForm_; }
    [[nodiscard]] UserDialogs& dialogs() { return dialogs_; }
    [[nodiscard]] QDateTime lastClockTime() const { return lastClockTime_; }
    [[nodiscard]] QString statusText(int panel) const;
    // The simulated device's port, when the console started one.
    [[nodiscard]] BuiltInSimulator* simulator() { return simulator_.get(); }

    // Marks a handler that waits for the device or pumps events; the window
    // refuses to close while one runs.
    class BusyScope {
    public:
        explicit BusyScope(TMainForm& form) : form_(form) { ++form_.busyDepth_; }
        ~BusyScope() { --form_.busyDepth_; }
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;

    private:
        TMainForm& form_;
    };
    [[nodiscard]] bool busy() const { return busyDepth_ > 0; }

protected:
    // FormClose.
    void closeEvent(QCloseEvent* event) override;

private:
    struct PortItem {
        QAction* action = nullptr;
        QString display;         // as the status bar names it
        std::string systemName;  // as the link opens it
    };

    void buildMenu();
    void buildStatusBar();
    void buildPages();
    void refreshOtherPorts();
    void choosePort(const PortItem& item);
    PortItem* findItem(QAction* action);
    PortItem& startItem(const ConsoleOptions& options);
    bool openPort(const PortItem& item);
    void showRemoteControlWarning();
    void showOpenFailure();

    UserDialogs& dialogs_;
    ExchangeState state_;
    Exchange exchange_{state_, *this};
    std::unique_ptr<BuiltInSimulator> simulator_;
    std::unique_ptr<TLoadForm> loadForm_;

    PageControl* PageControl_ = nullptr;
    StatusPage* pDebug_ = nullptr;
    LoadPage* pLoad_ = nullptr;
    ConfigPage* pConfig_ = nullptr;
    QLabel* panels_[4] = {};
    QTimer Tm_;
    QMenu* portMenu_ = nullptr;
    QActionGroup* portGroup_ = nullptr;
    std::vector<PortItem> fixedPorts_;  // COM1..COM3, the simulator, a --port name
    std::vector<PortItem> otherPorts_;  // found on the system, refreshed on opening
    QAction* otherPortsSeparator_ = nullptr;
    QAction* currentPort_ = nullptr;

    QDateTime lastClockTime_;
    std::uint16_t clockTicks_ = 0;
    int busyDepth_ = 0;
    bool closing_ = false;
    bool changingPort_ = false;

    // Declared last: destroyed first, while everything it calls still exists.
    std::unique_ptr<link::TKLCOM> klcom_;
};

}  // namespace talveno::console
