// Choosing voice message files and loading them into the simulated device.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <map>

#include "load_form.h"
#include "load_page.h"
#include "main_form.h"
#include "page_control.h"
#include "qt_pump.h"
#include "scripted_dialogs.h"
#include "simulator.h"
#include "wav_files.h"

namespace talveno::console {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using testing_support::WavBytes;

const QString kFormatMessage =
    QStringLiteral(" Неверный формат файла ! \n\r ( требуется: 16 бит, 8 кГц, 1 канал, <4 сек )\n");

struct LoadConsole {
    explicit LoadConsole(const std::string& com1) {
        ConsoleOptions options;
        options.portPaths = {{"COM1", com1}};
        form = std::make_unique<TMainForm>(dialogs, options);
        form->show();
        pages = form->findChild<PageControl*>(QStringLiteral("PageControl"));
        pages->setCurrentIndex(1);
        page = form->findChild<LoadPage*>(QStringLiteral("pLoad"));
    }
    ~LoadConsole() { form->close(); }

    QString wav(const char* name, const Bytes& data, testing_support::WavFields f = {}) {
        const QString path = folder.filePath(QString::fromLatin1(name));
        testing_support::WriteFile(path.toStdString(), WavBytes(data, f));
        return path;
    }
    void choose(int row, const QString& path) {
        dialogs.fileAnswers.push_back(path);
        QTest::mouseClick(page->rows[static_cast<std::size_t>(row)].button, Qt::LeftButton);
    }
    void load() { QTest::mouseClick(page->btLoad, Qt::LeftButton); }

    QTemporaryDir folder;
    testing_support::ScriptedDialogs dialogs;
    std::unique_ptr<TMainForm> form;
    PageControl* pages = nullptr;
    LoadPage* page = nullptr;
};

std::map<std::uint8_t, int> CountCommands(const devsim::Simulator& device) {
    std::map<std::uint8_t, int> count;
    for (const auto& r : device.requests()) {
        ++count[r.command];
    }
    return count;
}

Bytes ExpectedSector(const Bytes& data) {
    Bytes image(65536, 0);
    for (std::size_t i = 0; i < data.size(); ++i) {
        image[i ^ 1U] = data[i];
    }
    return image;
}

devsim::SimulatorOptions QuickErase() {
    devsim::SimulatorOptions options;
    options.eraseTime = 20ms;
    return options;
}

TEST(LoadPage, ChoosingFiles) {
    LoadConsole c("/dev/talveno-test-no-such-port");
    c.dialogs.boxes.clear();
    LoadPage::Row& row = c.page->rows[3];
    EXPECT_EQ(row.button->objectName(), QStringLiteral("Button4"));
    EXPECT_EQ(row.caption->objectName(), QStringLiteral("StaticText7"));

    const QString good = c.wav("good.wav", Bytes(100, 7));
    c.choose(3, good);
    ASSERT_EQ(c.dialogs.requests.size(), 1U);
    const auto& request = c.dialogs.requests[0];
    EXPECT_EQ(request.title, QStringLiteral("Открыть файл со звуковым сообщением...  ( # 3 ) "));
    EXPECT_EQ(request.defaultSuffix, QStringLiteral("wav"));
    EXPECT_TRUE(request.directory.endsWith(QStringLiteral("WAV")));
    EXPECT_TRUE(QDir(request.directory).exists());
    EXPECT_EQ(row.stName->text(), QDir::toNativeSeparators(good));
    EXPECT_EQ(row.fileMark->brushColor(), clLime);
    EXPECT_FALSE(row.tick->isChecked());

    // Cancelled, refused, unreadable or cut short: the row keeps its file.
    c.choose(3, QString());
    c.choose(3, c.wav("stereo.wav", Bytes(100, 7), {2, 8000, 16, -1}));
    c.choose(3, c.folder.filePath(QStringLiteral("typed-but-missing.wav")));
    const QString stub = c.folder.filePath(QStringLiteral("stub.wav"));
    testing_support::WriteFile(stub.toStdString(), Bytes(30, 1));
    c.choose(3, stub);
    EXPECT_EQ(row.stName->text(), QDir::toNativeSeparators(good));
    EXPECT_EQ(row.fileMark->brushColor(), clLime);
    ASSERT_EQ(c.dialogs.boxes.size(), 3U);
    EXPECT_EQ(c.dialogs.boxes[0].title, QStringLiteral("ОШИБКА..."));
    EXPECT_EQ(c.dialogs.boxes[0].text, kFormatMessage);
    EXPECT_EQ(c.dialogs.boxes[1].title, QStringLiteral("WARNING..."));
    EXPECT_EQ(c.dialogs.boxes[1].text, QStringLiteral(" Невозможно открыть выбранный файл! "));
    EXPECT_EQ(c.dialogs.boxes[2].text, kFormatMessage);
    for (const auto& box : c.dialogs.boxes) {
        EXPECT_EQ(box.icon, BoxIcon::Error);
    }
}

TEST(LoadPage, LoadsAMessageByteForByte) {
    devsim::Simulator device(QuickErase());
    ASSERT_TRUE(device.ok());
    LoadConsole c(device.portPath());
    const Bytes data = testing_support::Ramp(2999);  // odd: the last pair half empty
    c.choose(2, c.wav("ramp.wav", data));
    c.page->rows[2].tick->setChecked(true);
    c.page->rows[5].tick->setChecked(true);  // no file: red, nothing asked
    device.clearRequests();
    c.dialogs.boxes.clear();

    c.load();
    EXPECT_TRUE(c.dialogs.boxes.empty());
    EXPECT_EQ(device.sector(2), ExpectedSector(data));
    EXPECT_EQ(c.page->rows[2].resultMark->brushColor(), clLime);
    EXPECT_EQ(c.page->rows[2].fileMark->brushColor(), clSilver);
    EXPECT_FALSE(c.page->rows[2].tick->isChecked());
    EXPECT_EQ(c.page->rows[5].resultMark->brushColor(), clRed);
    EXPECT_EQ(c.page->rows[2].stName->text(),
              QDir::toNativeSeparators(c.folder.filePath("ramp.wav")));
    const auto count = CountCommands(device);
    EXPECT_EQ(count.at(link::CMD_FLASH_MODE), 2);
    EXPECT_EQ(count.at(link::CMD_SECTOR_ERASE), 1);
    EXPECT_EQ(count.at(link::CMD_PAGE_WRITE), 256);
    EXPECT_FALSE(device.flashMode());
    EXPECT_FALSE(c.form->loadForm().isVisible());
    EXPECT_EQ(c.form->loadForm().lbFile->text(),
              QStringLiteral(" --- Выполняется [ VUZIR_EVARI OUT ] ---"));
    EXPECT_TRUE(c.page->btLoad->isEnabled());

    // Nothing ticked: flash mode in and out, nothing between.
    device.clearRequests();
    c.load();
    std::vector<std::uint8_t> commands;
    for (const auto& r : device.requests()) {
        commands.push_back(r.command);
    }
    EXPECT_EQ(commands, (std::vector<std::uint8_t>{link::CMD_FLASH_MODE, link::CMD_FLASH_MODE}));
}

TEST(LoadPage, NoAnswerToFlashModeTouchesNoRow) {
    devsim::Simulator device(QuickErase());
    ASSERT_TRUE(device.ok());
    device.setFaults(devsim::DropReplies(link::CMD_FLASH_MODE, 0));
    LoadConsole c(device.portPath());
    c.choose(0, c.wav("a.wav", Bytes(64, 1)));
    c.page->rows[0].tick->setChecked(true);
    device.clearRequests();
    c.dialogs.boxes.clear();

    c.load();
    ASSERT_EQ(c.dialogs.boxes.size(), 1U);
    EXPECT_EQ(c.dialogs.boxes[0].title, QStringLiteral("ОШИБКА..."));
    EXPECT_EQ(c.dialogs.boxes[0].text,
              QStringLiteral(" [VUZIR_EVARI IN]  Устройство не отвечает!"));
    EXPECT_TRUE(c.page->rows[0].tick->isChecked());
    EXPECT_EQ(c.page->rows[0].fileMark->brushColor(), clLime);
    EXPECT_EQ(c.page->rows[0].resultMark->brushColor(), clSilver);
    const auto count = CountCommands(device);
    EXPECT_EQ(count.size(), 1U);  // flash mode requests only, at most one per try
    EXPECT_LE(count.at(link::CMD_FLASH_MODE), 8);
    EXPECT_FALSE(c.form->loadForm().isVisible());
}

TEST(LoadPage, APageWriteTimeOutFailsItsRowOnly) {
    devsim::Simulator device(QuickErase());
    ASSERT_TRUE(device.ok());
    device.setFaults(devsim::DropReplies(link::CMD_PAGE_WRITE, 3));
    LoadConsole c(device.portPath());
    const Bytes second = testing_support::Ramp(1000, 9);
    c.choose(0, c.wav("first.wav", Bytes(600, 1)));
    c.choose(1, c.wav("second.wav", second));
    c.page->rows[0].tick->setChecked(true);
    c.page->rows[1].tick->setChecked(true);
    c.dialogs.boxes.clear();

    c.load();
    ASSERT_EQ(c.dialogs.boxes.size(), 1U);
    EXPECT_EQ(c.dialogs.boxes[0].title, QStringLiteral("WARNING..."));
    EXPECT_EQ(c.dialogs.boxes[0].text, QStringLiteral(" [Загрузка]  Устройство не отвечает!"));
    EXPECT_EQ(c.page->rows[0].resultMark->brushColor(), clRed);
    EXPECT_EQ(c.page->rows[1].resultMark->brushColor(), clLime);
    EXPECT_EQ(device.sector(1), ExpectedSector(second));
    // Of the failed sector, only the pages before the lost reply were acknowledged.
    EXPECT_EQ(c.form->loadForm().lbBytes->text(), QString());
}

TEST(LoadPage, LeavingThePageDuringABatchTimesItOut) {
    devsim::Simulator device(QuickErase());
    ASSERT_TRUE(device.ok());
    LoadConsole c(device.portPath());
    c.choose(4, c.wav("b.wav", Bytes(3000, 2)));
    c.page->rows[4].tick->setChecked(true);
    c.dialogs.boxes.clear();
    // Leave the page once some pages are written.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, c.form.get(), [&] {
        if (c.form->loadForm().lbPage->text().toInt() >= 5) {
            c.pages->setCurrentIndex(2);
            watch.stop();
        }
    });
    watch.start(20);

    c.load();
    std::vector<QString> texts;
    for (const auto& box : c.dialogs.boxes) {
        texts.push_back(box.text);
    }
    EXPECT_EQ(texts, (std::vector<QString>{
                         QStringLiteral(" [Загрузка]  Устройство не отвечает!"),
                         QStringLiteral(" [VUZIR_EVARI OUT]  Устройство не отвечает!")}));
    EXPECT_EQ(c.page->rows[4].resultMark->brushColor(), clRed);
    EXPECT_TRUE(c.page->btLoad->isEnabled());
}

}  // namespace
}  // namespace talveno::console
