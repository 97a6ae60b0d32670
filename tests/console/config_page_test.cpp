// The configuration page: its controls, the level pairs, the conversions on
// the real widgets, and opening and saving files on disk.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <QCoreApplication>
#include <QDir>
#include <QLocale>
#include <QTest>
#include <csignal>

#include "config_console.h"
#include "config_file.h"
#include "qt_pump.h"
#include "shape.h"

namespace talveno::console {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

const QString kFormatText = QStringLiteral("Неверный формат файла ! \n\n");
const QString kOpenFailText = QStringLiteral(" Невозможно открыть выбранный файл! ");
const QString kSaveFailText = QStringLiteral(" Невозможно сохранить файл! ");

ConfigRecord Pattern() {
    ConfigRecord record{};
    for (std::size_t i = 0; i < record.size(); ++i) {
        record[i] = static_cast<std::uint8_t>(i * 7 + 1);
    }
    return record;
}

Bytes SavedFile(const ConfigRecord& record) {
    const ConfigFileBytes file = EncodeConfigFile(record, "01.02.2003");
    return {file.begin(), file.end()};
}

ConfigRecord RecordOf(const Bytes& file) {
    ConfigRecord record{};
    if (file.size() >= kConfigFileSize) {
        std::copy_n(file.begin() + kFileRecordOffset, kConfigRecordSize, record.begin());
    }
    return record;
}

TEST(ConfigPage, ControlsAsDesigned) {
    ConfigConsole c(kNoPort);
    ConfigPage& p = *c.page;
    for (const char* name :
         {"Panel1",        "GroupBox2",     "GroupBox3",     "GroupBox4",     "edMess001",
          "edMess002",     "edMess141",     "edMess142",     "cbSenseEn00",   "cbSenseEn14",
          "cbSenseAct000", "cbSenseAct001", "cbSenseAct140", "cbSenseAct141", "edADC0",
          "edADC1",        "btLoadConf",    "btSendConf",    "btOpen",        "btSave",
          "stState"}) {
        EXPECT_NE(p.findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
    }
    EXPECT_EQ(p.edMess2[7]->objectName(), QStringLiteral("edMess072"));
    EXPECT_EQ(p.cbSenseAct[9][1]->objectName(), QStringLiteral("cbSenseAct091"));
    EXPECT_EQ(p.GroupBox2->title(), QStringLiteral(" Сообщения "));
    EXPECT_EQ(p.GroupBox3->title(), QStringLiteral(" Датчики дискретные "));
    EXPECT_EQ(p.GroupBox4->title(), QStringLiteral(" Датчики аналоговые"));
    EXPECT_EQ(c.pages->tabText(2), QStringLiteral("       Конфигурация      "));

    // Start-up: configEdited all zero, shown.
    for (std::size_t m = 0; m < kConfigMessages; ++m) {
        EXPECT_EQ(p.edMess1[m]->text(), QStringLiteral("0"));
        EXPECT_EQ(p.edMess2[m]->text(), QStringLiteral("0"));
        EXPECT_TRUE(p.edMess1[m]->toolTip().startsWith(QStringLiteral("Номер датчика")));
    }
    for (std::size_t s = 0; s < kConfigSensors; ++s) {
        EXPECT_FALSE(p.cbSenseEn[s]->isChecked());
        EXPECT_TRUE(p.cbSenseAct[s][0]->isChecked());
        EXPECT_FALSE(p.cbSenseAct[s][1]->isChecked());
        EXPECT_EQ(p.cbSenseAct[s][0]->text(), QStringLiteral("-0-"));
        EXPECT_EQ(p.cbSenseAct[s][1]->text(), QStringLiteral("-1-"));
        EXPECT_TRUE(p.cbSenseAct[s][1]->font().bold());
        EXPECT_EQ(p.cbSenseAct[s][1]->palette().color(QPalette::WindowText), clRed);
    }
    EXPECT_EQ(p.edADC[0]->text(), QStringLiteral("0"));
    EXPECT_EQ(p.edADC[1]->text(), QStringLiteral("0"));
    EXPECT_EQ(p.edADC[1]->palette().color(QPalette::Base), clWhite);
    EXPECT_TRUE(p.edADC[1]->toolTip().isEmpty());

    // The discrete inputs' enable boxes stand out and explain themselves.
    EXPECT_TRUE(p.cbSenseEn[12]->autoFillBackground());
    EXPECT_EQ(p.cbSenseEn[12]->toolTip(), QStringLiteral("условие анализа состояния датчика"));
    EXPECT_FALSE(p.cbSenseEn[13]->autoFillBackground());
    EXPECT_TRUE(p.cbSenseEn[13]->toolTip().isEmpty());

    EXPECT_EQ(p.btLoadConf->toolTip(),
              QStringLiteral("прочитать теекущую конфигурацию из FLASH памяти..."));
    EXPECT_EQ(p.btSendConf->toolTip(), QStringLiteral("загрузить конфигурацию во FLASH память..."));
    EXPECT_EQ(p.btOpen->toolTip(), QStringLiteral("открыть файл с конфигурацией..."));
    EXPECT_EQ(p.btSave->toolTip(), QStringLiteral("сохранить в файл..."));
    EXPECT_TRUE(p.btSave->text().isEmpty());
    EXPECT_FALSE(p.stState->isVisible());
    EXPECT_EQ(p.stState->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_EQ(p.stState->font().pixelSize(), 16);
    EXPECT_TRUE(c.dialogs.boxes.empty());
}

TEST(ConfigPage, TypingStopsAtTheLengthLimit) {
    ConfigConsole c(kNoPort);
    QLineEdit* sensor = c.page->edMess1[3];
    QLineEdit* threshold = c.page->edADC[0];
    sensor->clear();
    threshold->clear();
    QTest::keyClicks(sensor, QStringLiteral("-12"));
    QTest::keyClicks(threshold, QStringLiteral("-999"));
    EXPECT_EQ(sensor->text(), QStringLiteral("-1"));
    EXPECT_EQ(threshold->text(), QStringLiteral("-99"));
    QTest::keyClicks(threshold, QStringLiteral("a"));
    EXPECT_EQ(threshold->text(), QStringLiteral("-99"));

    // The limit is for typing: a stored 255 shows whole, converts back whole,
    // and may be shortened.
    c.state().configEdited[kMessSensor1Offset + 3] = 255;
    c.page->ConfigToPage();
    EXPECT_EQ(sensor->text(), QStringLiteral("255"));
    ASSERT_TRUE(c.page->PageToConfig().ok);
    EXPECT_EQ(c.state().configEdited[kMessSensor1Offset + 3], 255);
    sensor->setCursorPosition(3);
    QTest::keyClick(sensor, Qt::Key_Backspace);
    EXPECT_EQ(sensor->text(), QStringLiteral("25"));
}

struct PairClick {
    const char* name;
    bool zeroBefore;
    bool oneBefore;
    int clicked;  // level of the box clicked
    bool zeroAfter;
    bool oneAfter;
};

class ConfigLevelBoxes : public ::testing::TestWithParam<PairClick> {};

TEST_P(ConfigLevelBoxes, AClickUnticksTheOtherBox) {
    ConfigConsole c(kNoPort);
    const PairClick& row = GetParam();
    auto& pair = c.page->cbSenseAct[13];
    pair[0]->setChecked(row.zeroBefore);
    pair[1]->setChecked(row.oneBefore);
    QTest::mouseClick(pair[static_cast<std::size_t>(row.clicked)], Qt::LeftButton);
    EXPECT_EQ(pair[0]->isChecked(), row.zeroAfter);
    EXPECT_EQ(pair[1]->isChecked(), row.oneAfter);
    // Only that pair.
    EXPECT_TRUE(c.page->cbSenseAct[12][0]->isChecked());
    EXPECT_TRUE(c.page->cbSenseAct[14][0]->isChecked());
}

INSTANTIATE_TEST_SUITE_P(Config, ConfigLevelBoxes,
                         ::testing::Values(PairClick{"TickZero", false, true, 0, true, false},
                                           PairClick{"UntickZero", true, false, 0, false, false},
                                           PairClick{"TickOne", true, false, 1, false, true},
                                           PairClick{"UntickOne", false, true, 1, false, false},
                                           PairClick{"TickOneOfEmpty", false, false, 1, false,
                                                     true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ConfigPage, ShowingARecordSetsBothBoxesOfEveryPair) {
    ConfigConsole c(kNoPort);
    c.page->cbSenseAct[4][0]->setChecked(false);
    c.page->cbSenseAct[4][1]->setChecked(true);   // shows "-1-"
    c.page->cbSenseAct[5][0]->setChecked(false);  // shows neither
    c.state().configEdited[kSenseActOffset + 6] = 7;
    c.page->ConfigToPage();
    EXPECT_TRUE(c.page->cbSenseAct[4][0]->isChecked());
    EXPECT_FALSE(c.page->cbSenseAct[4][1]->isChecked());
    EXPECT_TRUE(c.page->cbSenseAct[5][0]->isChecked());
    EXPECT_FALSE(c.page->cbSenseAct[6][0]->isChecked());
    EXPECT_TRUE(c.page->cbSenseAct[6][1]->isChecked());
}

// Opens the dialog on the program's CONFIG folder and leaves the current
// directory there.
void ExpectConfigDialog(const FileDialogRequest& request, const QString& title) {
    EXPECT_EQ(request.title, title);
    EXPECT_EQ(request.filter, QStringLiteral("Файлы конфигурации (*.klc)"));
    EXPECT_EQ(request.defaultSuffix, QStringLiteral("klc"));
    EXPECT_EQ(QDir(request.directory), QDir(QCoreApplication::applicationDirPath() + "/CONFIG"));
    EXPECT_TRUE(QDir(request.directory).exists());
    EXPECT_EQ(QDir::current(), QDir(QCoreApplication::applicationDirPath()));
}

TEST(ConfigFiles, SaveThenOpenGivesTheSameRecord) {
    ConfigConsole c(kNoPort);
    ConfigPage& p = *c.page;
    p.edMess1[0]->setText(QStringLiteral("-1"));
    p.edMess2[14]->setText(QStringLiteral("12"));
    p.edADC[0]->setText(QStringLiteral("300"));
    p.cbSenseEn[3]->setChecked(true);
    QTest::mouseClick(p.cbSenseAct[8][1], Qt::LeftButton);
    c.state().configEdited[48] = 0x48;  // as a loaded record held it

    const QString path = c.file("saved.klc");
    c.answer(path);
    QTest::mouseClick(p.btSave, Qt::LeftButton);
    ASSERT_EQ(c.dialogs.requests.size(), 1U);
    ExpectConfigDialog(c.dialogs.requests[0], QStringLiteral("Сохранить файл конфигурации ... "));
    EXPECT_TRUE(c.dialogs.boxes.empty());

    const ConfigRecord saved = c.state().configEdited;
    EXPECT_EQ(saved[kMessSensor1Offset], 255);
    EXPECT_EQ(saved[kAdcThresholdOffset], 44);
    EXPECT_EQ(saved[kSenseEnOffset + 3], 15);
    EXPECT_EQ(saved[kSenseActOffset + 8], 15);
    EXPECT_EQ(saved[48], 0x48);
    const Bytes file = FileBytes(path);
    ASSERT_EQ(file.size(), kConfigFileSize);
    EXPECT_EQ(RecordOf(file), saved);
    EXPECT_EQ(c.state().configOutgoing, saved);
    EXPECT_EQ(file[127], 'M');
    EXPECT_EQ(file[59], '1');

    // Something else on the page and in the record, then the file again.
    c.state().configEdited = {};
    c.page->ConfigToPage();
    c.answer(path);
    QTest::mouseClick(p.btOpen, Qt::LeftButton);
    ASSERT_EQ(c.dialogs.requests.size(), 2U);
    ExpectConfigDialog(c.dialogs.requests[1], QStringLiteral("Открыть файл конфигурации... "));
    EXPECT_TRUE(c.dialogs.boxes.empty());
    EXPECT_EQ(c.state().configEdited, saved);
    EXPECT_EQ(c.state().configIncoming, saved);
    EXPECT_EQ(p.edMess1[0]->text(), QStringLiteral("255"));
    EXPECT_EQ(p.edADC[0]->text(), QStringLiteral("44"));
    EXPECT_TRUE(p.cbSenseAct[8][1]->isChecked());
}

TEST(ConfigFiles, TheHeaderCarriesTheClockDate) {
    ConfigConsole c(kNoPort);
    ASSERT_TRUE(testing_support::PumpUntil([&] { return c.form->lastClockTime().isValid(); }, 5s));
    const QByteArray date = QLocale::system()
                                .toString(c.form->lastClockTime().date(), QLocale::ShortFormat)
                                .toLocal8Bit();
    ASSERT_FALSE(date.isEmpty());
    const QString path = c.file("dated.klc");
    c.answer(path);
    c.page->btSaveClick();
    const Bytes file = FileBytes(path);
    ASSERT_EQ(file.size(), kConfigFileSize);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(file.data()) + 64, date.size()), date);
    EXPECT_EQ(file[64 + static_cast<std::size_t>(date.size())], 0);
}

TEST(ConfigFiles, AForeignFileWithTheTwoMarksLoads) {
    ConfigConsole c(kNoPort);
    Bytes foreign(kConfigFileSize);
    for (std::size_t i = 0; i < foreign.size(); ++i) {
        foreign[i] = static_cast<std::uint8_t>(0x35 + i * 3);
    }
    foreign[59] = '1';
    foreign[127] = 'M';
    const QString path = c.file("foreign.klc");
    WriteBytes(path, foreign);
    const ConfigRecord record = RecordOf(foreign);
    ASSERT_NE(record[0], 0x77);  // a wrong tag, bytes 67..69 and CRC

    c.answer(path);
    c.page->btOpenClick();
    EXPECT_TRUE(c.dialogs.boxes.empty());
    EXPECT_EQ(c.state().configEdited, record);
    EXPECT_EQ(c.page->edMess1[0]->text(), QString::number(record[kMessSensor1Offset]));

    // The next save rewrites tag, 67..69 and CRC and keeps the rest.
    const QString copy = c.file("copy.klc");
    c.answer(copy);
    c.page->btSaveClick();
    const ConfigRecord saved = RecordOf(FileBytes(copy));
    ConfigRecord expected = record;
    expected[0] = 0x77;
    expected[67] = 0xFF;
    expected[68] = 0xFF;
    expected[69] = 0x01;
    for (std::size_t s = 0; s < kConfigSensors; ++s) {
        expected[kSenseEnOffset + s] = record[kSenseEnOffset + s] != 0 ? 15 : 0;
        expected[kSenseActOffset + s] = record[kSenseActOffset + s] != 0 ? 15 : 0;
    }
    StoreRecordCrc(expected);
    EXPECT_EQ(saved, expected);
}

struct RefusedFile {
    const char* name;
    void (*shape)(Bytes&);  // nullptr: no file at all
    QString title;
    QString text;
};

class ConfigRefusedFiles : public ::testing::TestWithParam<RefusedFile> {};

TEST_P(ConfigRefusedFiles, ChangeNothing) {
    ConfigConsole c(kNoPort);
    c.page->edMess1[2]->setText(QStringLiteral("5"));  // typed, not converted
    const QString path = c.file("refused.klc");
    if (GetParam().shape != nullptr) {
        Bytes file = SavedFile(Pattern());
        GetParam().shape(file);
        WriteBytes(path, file);
    }
    c.answer(path);
    c.page->btOpenClick();
    ASSERT_EQ(c.dialogs.boxes.size(), 1U);
    EXPECT_EQ(c.dialogs.boxes[0].title, GetParam().title);
    EXPECT_EQ(c.dialogs.boxes[0].text, GetParam().text);
    EXPECT_EQ(c.dialogs.boxes[0].icon, BoxIcon::Error);
    EXPECT_EQ(c.state().configEdited, ConfigRecord{});
    EXPECT_EQ(c.state().configIncoming, ConfigRecord{});
    EXPECT_EQ(c.page->edMess1[2]->text(), QStringLiteral("5"));
}

INSTANTIATE_TEST_SUITE_P(
    Config, ConfigRefusedFiles,
    ::testing::Values(RefusedFile{"Missing", nullptr, QStringLiteral("WARNING..."), kOpenFailText},
                      RefusedFile{"WrongMark", [](Bytes& f) { f[127] = 'm'; },
                                  QStringLiteral("WRANING..."), kFormatText},
                      RefusedFile{"WrongVersion", [](Bytes& f) { f[59] = '0'; },
                                  QStringLiteral("WRANING..."), kFormatText},
                      RefusedFile{"OneByteShort", [](Bytes& f) { f.pop_back(); },
                                  QStringLiteral("WRANING..."), kFormatText},
                      RefusedFile{"HeaderOnly", [](Bytes& f) { f.resize(128); },
                                  QStringLiteral("WRANING..."), kFormatText},
                      RefusedFile{"Empty", [](Bytes& f) { f.clear(); },
                                  QStringLiteral("WRANING..."), kFormatText}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ConfigFiles, CancellingChangesNothing) {
    ConfigConsole c(kNoPort);
    c.page->edMess1[1]->setText(QStringLiteral("9"));
    c.answer(QString());
    c.page->btOpenClick();
    c.answer(QString());
    c.page->btSaveClick();
    EXPECT_EQ(c.dialogs.requests.size(), 2U);
    EXPECT_TRUE(c.dialogs.boxes.empty());
    EXPECT_EQ(c.state().configEdited, ConfigRecord{});
    EXPECT_EQ(c.page->edMess1[1]->text(), QStringLiteral("9"));
    EXPECT_TRUE(QDir(c.folder.path()).isEmpty());
}

struct BadText {
    const char* name;
    int control;  // 0..29 the sensor edits in page order, 30 and 31 the thresholds
    QString text;
};

class ConfigBadTexts : public ::testing::TestWithParam<BadText> {};

QLineEdit* Control(ConfigPage& page, int index) {
    if (index >= 30) {
        return page.edADC[static_cast<std::size_t>(index - 30)];
    }
    const auto m = static_cast<std::size_t>(index / 2);
    return index % 2 == 0 ? page.edMess1[m] : page.edMess2[m];
}

// The conversion error: shown as a handler error, and nothing is saved.
TEST_P(ConfigBadTexts, StopTheSave) {
    ConfigConsole c(kNoPort);
    c.page->edMess1[0]->setText(QStringLiteral("3"));
    Control(*c.page, GetParam().control)->setText(GetParam().text);
    const QString path = c.file("never.klc");
    c.answer(path);
    c.page->btSaveClick();
    ASSERT_EQ(c.dialogs.boxes.size(), 1U);
    EXPECT_EQ(c.dialogs.boxes[0].title, QStringLiteral("TALVENO"));
    EXPECT_EQ(c.dialogs.boxes[0].text,
              QStringLiteral("'%1' is not a valid integer value.").arg(GetParam().text));
    EXPECT_EQ(c.dialogs.boxes[0].icon, BoxIcon::Error);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(c.state().configEdited, ConfigRecord{});  // not even the good "3"
}

INSTANTIATE_TEST_SUITE_P(Config, ConfigBadTexts,
                         ::testing::Values(BadText{"EmptySensor", 7, QString()},
                                           BadText{"LetterInLastSensor", 29, QStringLiteral("a")},
                                           BadText{"LetterInThreshold", 31, QStringLiteral("a")},
                                           BadText{"LoneSign", 30, QStringLiteral("-")}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ConfigFiles, SavingOverALongerFileLeavesExactlyTheNewFile) {
    ConfigConsole c(kNoPort);
    const QString path = c.file("long.klc");
    WriteBytes(path, Bytes(1000, 0xAB));
    c.answer(path);
    c.page->btSaveClick();
    EXPECT_TRUE(c.dialogs.boxes.empty());
    const Bytes file = FileBytes(path);
    ASSERT_EQ(file.size(), kConfigFileSize);
    EXPECT_EQ(RecordOf(file), c.state().configEdited);
}

// Lets this process write at most `bytes` bytes into any one file, so that a
// save fails in its write as on a full disk (also for root, unlike
// permissions). Writes past the limit fail instead of stopping the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

TEST(ConfigFiles, AFailedSaveKeepsTheOldFileAndSaysSo) {
    ConfigConsole c(kNoPort);
    const QString path = c.file("old.klc");
    const Bytes old = SavedFile(Pattern());
    WriteBytes(path, old);
    {
        FileSizeLimit limit(100);
        c.answer(path);
        c.page->btSaveClick();
    }
    ASSERT_EQ(c.dialogs.boxes.size(), 1U);
    EXPECT_EQ(c.dialogs.boxes[0].title, QStringLiteral("WARNING..."));
    EXPECT_EQ(c.dialogs.boxes[0].text, kSaveFailText);
    EXPECT_EQ(c.dialogs.boxes[0].icon, BoxIcon::Error);
    EXPECT_EQ(FileBytes(path), old);
    // No half-written file left beside it.
    EXPECT_EQ(QDir(c.folder.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("old.klc")});
}

TEST(ConfigFiles, ASaveIntoAMissingFolderSaysSo) {
    ConfigConsole c(kNoPort);
    const QString path = c.file("no-such-folder/new.klc");
    c.answer(path);
    c.page->btSaveClick();
    ASSERT_EQ(c.dialogs.boxes.size(), 1U);
    EXPECT_EQ(c.dialogs.boxes[0].text, kSaveFailText);
    EXPECT_FALSE(QFile::exists(path));
}

}  // namespace
}  // namespace talveno::console
