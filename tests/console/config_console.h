// A console window on its configuration page, for the configuration tests:
// COM1 points at `com1` (a simulated device, or a path that does not exist),
// the person's answers come from ScriptedDialogs.
#pragma once

#include <QFile>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

#include "config_page.h"
#include "main_form.h"
#include "page_control.h"
#include "scripted_dialogs.h"

namespace talveno::console {

inline constexpr const char* kNoPort = "/dev/talveno-test-no-such-port";

struct ConfigConsole {
    explicit ConfigConsole(const std::string& com1) {
        ConsoleOptions options;
        options.portPaths = {{"COM1", com1}};
        form = std::make_unique<TMainForm>(dialogs, options);
        form->show();
        pages = form->findChild<PageControl*>(QStringLiteral("PageControl"));
        page = form->findChild<ConfigPage*>(QStringLiteral("pConfig"));
        dialogs.boxes.clear();  // the port failure at start, when there is no device
    }
    ~ConfigConsole() { form->close(); }

    ConfigConsole(const ConfigConsole&) = delete;
    ConfigConsole& operator=(const ConfigConsole&) = delete;

    [[nodiscard]] ExchangeState& state() { return form->state(); }

    // The operator chooses `path` in the next file dialog (empty: cancels).
    void answer(const QString& path) { dialogs.fileAnswers.push_back(path); }

    [[nodiscard]] QString file(const char* name) const {
        return folder.filePath(QString::fromLatin1(name));
    }

    QTemporaryDir folder;
    testing_support::ScriptedDialogs dialogs;
    std::unique_ptr<TMainForm> form;
    PageControl* pages = nullptr;
    ConfigPage* page = nullptr;
};

inline std::vector<std::uint8_t> FileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray all = file.readAll();
    return {all.begin(), all.end()};
}

inline void WriteBytes(const QString& path, const std::vector<std::uint8_t>& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    }
}

}  // namespace talveno::console
