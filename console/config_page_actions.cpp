// The configuration page's four buttons: reading and writing the record on
// the device, opening and saving "klc" files.
#include <QCoreApplication>
#include <QDir>
#include <QLocale>
#include <QSaveFile>
#include <filesystem>

#include "config_file.h"
#include "config_page.h"
#include "int_text.h"
#include "main_form.h"
#include "pumping.h"
#include "talveno_application.h"
#include "user_dialogs.h"

namespace talveno::console {

namespace {

const QString kWarningTitle = QStringLiteral("WARNING...");
const QString kFileFilter = QStringLiteral("Файлы конфигурации (*.klc)");
const QString kFileSuffix = QStringLiteral("klc");

constexpr int kOkDisplaySteps = 10;
constexpr int kOkDisplayStepMs = 100;

QString ProgramFolder() {
    return QCoreApplication::applicationDirPath();
}

std::filesystem::path FsPath(const QString& path) {
    return std::filesystem::path(path.toStdU16String());
}

FileDialogRequest ConfigDialog(const QString& title) {
    // Every setting is given on every use: the open dialog is shared with the
    // message page, which sets its own.
    return {title, ConfigPage::configFolder(), kFileFilter, kFileSuffix};
}

// The save date for the file header, in the system's short date format.
// Before the first clock tick no date is known yet: the text is then empty.
std::string DateText(const QDateTime& when) {
    if (!when.isValid()) {
        return {};
    }
    const QString text = QLocale::system().toString(when.date(), QLocale::ShortFormat);
    return text.left(static_cast<qsizetype>(kDateTextCapacity)).toLocal8Bit().toStdString();
}

// Writes the whole file beside `path` and renames it over `path` only when
// every byte was written, so a failure leaves an existing file as it was.
bool WriteWholeFile(const QString& path, const ConfigFileBytes& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    const auto size = static_cast<qint64>(bytes.size());
    // QSaveFile's commit does not see an error of the buffered bytes' last
    // write (a full disk): it would rename a cut file over the old one and
    // report success. So the bytes are flushed and checked first.
    if (file.write(reinterpret_cast<const char*>(bytes.data()), size) != size || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace

QString ConfigPage::configFolder() {
    const QString folder = QDir(ProgramFolder()).filePath(QStringLiteral("CONFIG"));
    QDir().mkpath(folder);
    return folder;
}

void ConfigPage::ShowConversionError(const PageConversion& conversion) {
    TalvenoApplication::ShowHandlerError(
        form_.dialogs(), QString::fromStdString(ConversionErrorText(conversion.badText)));
}

bool ConfigPage::WaitForDevice(Flag request, Flag reply) {
    stState->setText(QStringLiteral("Передача ... "));
    stState->show();
    const bool answered = WaitForReply(form_.state().flags, request, reply, kConfigWait);
    if (answered) {
        stState->setText(QStringLiteral("   OK   "));
        for (int i = 0; i < kOkDisplaySteps; ++i) {
            PumpEvents();
            SleepPlain(kOkDisplayStepMs);
        }
    } else {
        // The request flag stays as it is: one the scheduler never took (the
        // operator left the page) goes out when the page is shown again.
        stState->setText(QStringLiteral("  ОШИБКА  "));
        form_.dialogs().showMessage(kWarningTitle, QStringLiteral("Устройство не отвечает!"),
                                    BoxIcon::Error);
    }
    stState->clear();
    stState->hide();
    return answered;
}

void ConfigPage::btLoadConfClick() {
    TMainForm::BusyScope busy(form_);
    ExchangeState& state = form_.state();
    state.flags.configReadDone = 0;
    state.flags.configReadPending = 1;
    if (!WaitForDevice(&ExchangeFlags::configReadPending, &ExchangeFlags::configReadDone)) {
        return;
    }
    state.configEdited = state.configIncoming;
    ConfigToPage();
}

void ConfigPage::btSendConfClick() {
    const PageConversion conversion = PageToConfig();
    if (!conversion.ok) {
        ShowConversionError(conversion);
        return;
    }
    TMainForm::BusyScope busy(form_);
    ExchangeFlags& flags = form_.state().flags;
    flags.configWriteAcked = 0;
    flags.configWritePending = 1;
    // Success and failure differ only in what the operator is shown.
    (void)WaitForDevice(&ExchangeFlags::configWritePending, &ExchangeFlags::configWriteAcked);
}

void ConfigPage::btOpenClick() {
    QDir::setCurrent(ProgramFolder());
    const QString chosen =
        form_.dialogs().openFileName(ConfigDialog(QStringLiteral("Открыть файл конфигурации... ")));
    QDir::setCurrent(ProgramFolder());
    if (chosen.isEmpty()) {
        return;
    }

    const ConfigFileRead file = ReadConfigFile(FsPath(chosen));
    if (!file.opened) {
        form_.dialogs().showMessage(
            kWarningTitle, QStringLiteral(" Невозможно открыть выбранный файл! "), BoxIcon::Error);
        return;
    }
    if (file.content.verdict != ConfigFileVerdict::Accepted) {
        form_.dialogs().showMessage(QStringLiteral("WRANING..."),
                                    QStringLiteral("Неверный формат файла ! \n\n"), BoxIcon::Error);
        return;
    }
    ExchangeState& state = form_.state();
    state.configIncoming = file.content.record;
    state.configEdited = state.configIncoming;
    ConfigToPage();
}

void ConfigPage::btSaveClick() {
    QDir::setCurrent(ProgramFolder());
    const QString chosen = form_.dialogs().saveFileName(
        ConfigDialog(QStringLiteral("Сохранить файл конфигурации ... ")));
    QDir::setCurrent(ProgramFolder());
    if (chosen.isEmpty()) {
        return;
    }

    const PageConversion conversion = PageToConfig();
    if (!conversion.ok) {
        ShowConversionError(conversion);
        return;
    }
    ExchangeState& state = form_.state();
    const ConfigFileBytes bytes =
        EncodeConfigFile(state.configEdited, DateText(form_.lastClockTime()));
    std::copy_n(bytes.begin() + kFileRecordOffset, kConfigRecordSize, state.configOutgoing.begin());
    if (!WriteWholeFile(chosen, bytes)) {
        form_.dialogs().showMessage(kWarningTitle, QStringLiteral(" Невозможно сохранить файл! "),
                                    BoxIcon::Error);
    }
}

}  // namespace talveno::console
