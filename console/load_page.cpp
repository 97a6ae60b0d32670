#include "load_page.h"

#include <QCoreApplication>
#include <QDir>
#include <algorithm>

#include "device_wait.h"
#include "load_form.h"
#include "main_form.h"
#include "pumping.h"
#include "user_dialogs.h"
#include "wav_message.h"

namespace talveno::console {

namespace {

// The row label and file button names, in message order.
constexpr const char* kRowCaptionNames[kMessageCount] = {
    "StaticText2",  "StaticText4",  "StaticText6",  "StaticText7",  "StaticText14",
    "StaticText15", "StaticText10", "StaticText11", "StaticText22", "StaticText23",
    "StaticText18", "StaticText19", "StaticText30", "StaticText31", "StaticText58"};
constexpr const char* kFileButtonNames[kMessageCount] = {
    "btOpenFile", "Button2",  "Button3", "Button4",  "Button7",  "Button8",  "Button5", "Button6",
    "Button11",   "Button12", "Button9", "Button10", "Button15", "Button16", "Button29"};

constexpr int kTop = 30;
constexpr int kRowHeight = 28;

const QString kNoAnswerTitle = QStringLiteral("ОШИБКА...");
const QString kFormatMessage =
    QStringLiteral(" Неверный формат файла ! \n\r ( требуется: 16 бит, 8 кГц, 1 канал, <4 сек )\n");

QString TwoDigits(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

QString ProgramFolder() {
    return QCoreApplication::applicationDirPath();
}

std::filesystem::path FsPath(const QString& path) {
    return std::filesystem::path(path.toStdU16String());
}

void SetBar(QProgressBar* bar, int value) {
    // 256 full pages come to 65536, one past the bar's maximum: shown full.
    bar->setValue(std::min(value, bar->maximum()));
}

}  // namespace

LoadPage::LoadPage(QWidget* parent, TMainForm& form) : QWidget(parent), form_(form) {
    setObjectName(QStringLiteral("pLoad"));

    const std::pair<const char*, int> headings[] = {
        {"Сообщение", 40}, {"Имя файла", 190}, {"Загрузить", 640}};
    for (const auto& [text, x] : headings) {
        auto* heading = new QLabel(QString::fromUtf8(text), this);
        heading->setGeometry(x, 6, 120, 20);
        heading->setStyleSheet(QStringLiteral("color: rgb(0, 0, 128); font-weight: bold;"));
    }

    for (int n = 0; n < kMessageCount; ++n) {
        Row& row = rows[static_cast<std::size_t>(n)];
        const int y = kTop + n * kRowHeight;
        const QString nn = TwoDigits(n);

        row.number = new QLabel(nn, this);
        row.number->setObjectName(QStringLiteral("Label") + nn);
        row.number->setGeometry(8, y + 2, 20, 18);

        row.caption = new QLabel(QStringLiteral("Сообщение #") + nn, this);
        row.caption->setObjectName(QString::fromLatin1(kRowCaptionNames[n]));
        row.caption->setGeometry(32, y, 120, 22);
        row.caption->setStyleSheet(
            QStringLiteral("color: rgb(0, 0, 255); background-color: white; font-weight: bold;"));

        row.stName = new QLabel(this);
        row.stName->setObjectName(QStringLiteral("stName") + nn);
        row.stName->setGeometry(160, y, 370, 22);
        row.stName->setFrameShape(QFrame::Panel);
        row.stName->setFrameShadow(QFrame::Sunken);
        row.stName->setStyleSheet(QStringLiteral("background-color: white;"));

        row.button = new QPushButton(QStringLiteral("..."), this);
        row.button->setObjectName(QString::fromLatin1(kFileButtonNames[n]));
        row.button->setToolTip(QStringLiteral("...обзор "));
        row.button->setProperty("Tag", n);
        row.button->setGeometry(536, y, 28, 22);
        connect(row.button, &QPushButton::clicked, this, [this, n] { btOpenFileClick(n); });

        row.fileMark = new Shape(QStringLiteral("s") + nn, this, Shape::Form::Rectangle, false);
        row.fileMark->setGeometry(572, y + 4, 11, 15);
        row.fileMark->setBrushColor(clSilver);

        row.tick = new QCheckBox(this);
        row.tick->setObjectName(QStringLiteral("cb") + nn);
        row.tick->setGeometry(660, y + 2, 20, 20);

        row.resultMark = new Shape(QStringLiteral("se") + nn, this, Shape::Form::Rectangle, false);
        row.resultMark->setGeometry(690, y + 6, 47, 13);
        row.resultMark->setBrushColor(clSilver);
    }

    btLoad = new QPushButton(QStringLiteral("Загрузить сообщения во FLASH"), this);
    btLoad->setObjectName(QStringLiteral("btLoad"));
    btLoad->setGeometry(260, kTop + kMessageCount * kRowHeight + 10, 260, 34);
    connect(btLoad, &QPushButton::clicked, this, &LoadPage::btLoadClick);
}

QString LoadPage::messageFolder() {
    const QString folder = QDir(ProgramFolder()).filePath(QStringLiteral("WAV"));
    QDir().mkpath(folder);
    return folder;
}

void LoadPage::btOpenFileClick(int tag) {
    QDir::setCurrent(ProgramFolder());
    FileDialogRequest request;
    request.title = QStringLiteral("Открыть файл со звуковым сообщением... ") +
                    QStringLiteral(" ( # %1 ) ").arg(static_cast<unsigned>(tag));
    request.filter = QStringLiteral("Файлы Windows PCM 16bit 8kHz (*.wav)");
    request.directory = messageFolder();
    // Set on every use: the configuration dialog sets its own.
    request.defaultSuffix = QStringLiteral("wav");
    const QString chosen = form_.dialogs().openFileName(request);
    if (chosen.isEmpty()) {
        // Cancelled: the row keeps its file.
        QDir::setCurrent(ProgramFolder());
        return;
    }
    const MessageFile file = JudgeMessageFile(FsPath(chosen));
    if (!file.opened) {
        form_.dialogs().showMessage(QStringLiteral("WARNING..."),
                                    QStringLiteral(" Невозможно открыть выбранный файл! "),
                                    BoxIcon::Error);
        return;
    }
    if (file.verdict != WavVerdict::Accepted) {
        form_.dialogs().showMessage(kNoAnswerTitle, kFormatMessage, BoxIcon::Error);
        return;
    }
    QDir::setCurrent(ProgramFolder());
    if (tag >= 0 && tag < kMessageCount) {
        Row& row = rows[static_cast<std::size_t>(tag)];
        row.stName->setText(QDir::toNativeSeparators(QFileInfo(chosen).absoluteFilePath()));
        row.fileMark->setBrushColor(clLime);
    }
}

void LoadPage::btLoadClick() {
    TMainForm::BusyScope busy(form_);
    bytesLoaded_ = 0;
    btLoad->setEnabled(false);
    LoadMessages();
    btLoad->setEnabled(true);
}

bool LoadPage::SwitchFlashMode(const QString& phase, const WaitSetting& wait,
                               const QString& noAnswer) {
    ExchangeFlags& flags = form_.state().flags;
    TLoadForm& progress = form_.loadForm();
    progress.show();
    progress.pBar->setValue(0);
    progress.lbSector->clear();
    progress.lbBytes->clear();
    progress.lbPage->clear();
    flags.flashModeAcked = 0;
    progress.lbFile->setText(phase);
    if (WaitForReply(flags, &ExchangeFlags::flashModePending, &ExchangeFlags::flashModeAcked,
                     wait)) {
        return true;
    }
    form_.dialogs().showMessage(kNoAnswerTitle, noAnswer, BoxIcon::Error);
    return false;
}

void LoadPage::LoadMessages() {
    if (!SwitchFlashMode(QStringLiteral(" --- Выполняется [ VUZIR_EVARI IN ] ---"),
                         kFlashModeInWait,
                         QStringLiteral(" [VUZIR_EVARI IN]  Устройство не отвечает!"))) {
        form_.loadForm().hide();
        return;
    }

    for (int n = 0; n < kMessageCount; ++n) {
        Row& row = rows[static_cast<std::size_t>(n)];
        // The tick is read when the row's turn comes.
        if (!row.tick->isChecked()) {
            continue;
        }
        row.tick->setChecked(false);
        row.resultMark->setBrushColor(clSilver);
        row.fileMark->setBrushColor(clSilver);
        const int result = LoadMessageToSector(row.stName->text(), n);
        row.resultMark->setBrushColor(result == LOAD_OK ? clLime : clRed);
    }

    // Out of flash mode after every batch that got in, whatever the rows gave.
    (void)SwitchFlashMode(QStringLiteral(" --- Выполняется [ VUZIR_EVARI OUT ] ---"),
                          kFlashModeOutWait,
                          QStringLiteral(" [VUZIR_EVARI OUT]  Устройство не отвечает!"));
    form_.loadForm().hide();
}

int LoadPage::LoadMessageToSector(const QString& fileName, int n) {
    if (fileName.size() < 5) {
        return 0;
    }
    // The header is judged again: the file may have changed since it was
    // chosen. A sector is never erased for a file that will not be written.
    const MessageFile file = ReadMessageFile(FsPath(fileName));
    if (!file.opened) {
        return 0;
    }
    if (file.verdict != WavVerdict::Accepted) {
        form_.dialogs().showMessage(kNoAnswerTitle, kFormatMessage, BoxIcon::Error);
        return 0;
    }

    ExchangeState& state = form_.state();
    ExchangeFlags& flags = state.flags;
    TLoadForm& progress = form_.loadForm();
    const auto sector = static_cast<std::uint8_t>(n);

    progress.show();
    progress.lbFile->setText(QStringLiteral(" --- Выполняется стирание сектора... ---"));
    progress.lbSector->setText(QString::number(n));
    progress.lbPage->clear();
    progress.pBar->setValue(0);
    state.sectorNo = sector;
    flags.eraseAcked = 0;
    flags.erasePending = 1;
    if (!WaitForReply(flags, &ExchangeFlags::erasePending, &ExchangeFlags::eraseAcked,
                      kSectorEraseWait)) {
        form_.dialogs().showMessage(
            kNoAnswerTitle, QStringLiteral(" [Стирание]  Устройство не отвечает!"), BoxIcon::Error);
        progress.hide();
        return 0;
    }

    progress.pBar->setValue(0);
    progress.lbBytes->setText(QStringLiteral("0"));
    progress.lbSector->setText(QString::number(n));
    progress.lbFile->setText(fileName);

    int acknowledged = 0;
    for (std::size_t p = 0; p < kPagesPerSector; ++p) {
        state.pagePayload = BuildPagePayload(*file.image, sector, static_cast<std::uint8_t>(p));
        flags.pageWriteAcked = 0;
        flags.pageWritePending = 1;
        if (!WaitForReply(flags, &ExchangeFlags::pageWritePending, &ExchangeFlags::pageWriteAcked,
                          kPageWriteWait)) {
            form_.dialogs().showMessage(QStringLiteral("WARNING..."),
                                        QStringLiteral(" [Загрузка]  Устройство не отвечает!"),
                                        BoxIcon::Error);
            progress.hide();
            break;
        }
        ++acknowledged;
        bytesLoaded_ += static_cast<std::int32_t>(kPageDataSize);
        SetBar(progress.pBar, static_cast<int>(kPageDataSize) * acknowledged);
        progress.lbBytes->setText(QString::number(bytesLoaded_));
        progress.lbPage->setText(QString::number(acknowledged));
        PumpEvents();
    }

    PumpEvents();
    SleepPlain(100);
    progress.hide();
    return acknowledged == static_cast<int>(kPagesPerSector) ? LOAD_OK : 0;
}

}  // namespace talveno::console
