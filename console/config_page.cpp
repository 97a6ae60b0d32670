// The configuration page's controls, the two conversions between them and
// configEdited, and the pair rule of the level boxes. The four buttons'
// handlers are in config_page_actions.cpp.
#include "config_page.h"

#include <QStyle>
#include <QValidator>

#include "main_form.h"
#include "shape.h"

namespace talveno::console {

namespace {

// The system's scroll-bar colour, behind the discrete enable boxes. Qt's
// palette has no role for it; this is its usual value on Windows.
const QColor clScrollBar{200, 200, 200};
const QColor clBlue{0, 0, 255};

const QString kSensorHint = QStringLiteral(
    "Номер датчика, при срабатывании которого будет активировано сообщение. Условие И - "
    "логическое.");
const QString kEnableHint = QStringLiteral("условие анализа состояния датчика");

constexpr int kMessSensorLimit = 2;  // typed characters: -9..99
constexpr int kThresholdLimit = 3;   // typed characters: -99..999
constexpr std::size_t kDiscreteSensors = 13;

// The edits' length limit holds for typing only: a record's 255 still shows
// whole in a two-character edit. QLineEdit's own maxLength would cut texts
// set by the program too, so the limit is a validator, which Qt applies to
// the operator's edits and not to setText. An edit that makes the text
// longer than the limit is refused; shortening an over-long text is allowed.
class TypingLimit final : public QValidator {
public:
    TypingLimit(int limit, QObject* parent) : QValidator(parent), limit_(limit) {}
    State validate(QString& input, int& /*pos*/) const override {
        return input.size() <= limit_ ? Acceptable : Invalid;
    }

private:
    int limit_;
};

QString TwoDigits(std::size_t n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

QLabel* AddLabel(QWidget* parent, const QString& text, QRect where, bool bold = false,
                 Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(where);
    label->setAlignment(alignment);
    if (bold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    return label;
}

QLineEdit* AddEdit(QWidget* parent, const QString& name, int limit, QRect where) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setGeometry(where);
    edit->setValidator(new TypingLimit(limit, edit));
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, clWhite);
    edit->setPalette(palette);
    return edit;
}

QCheckBox* AddLevelBox(QWidget* parent, const QString& name, int level, QRect where) {
    auto* box = new QCheckBox(level == 0 ? QStringLiteral("-0-") : QStringLiteral("-1-"), parent);
    box->setObjectName(name);
    box->setGeometry(where);
    QFont font = box->font();
    font.setBold(true);
    box->setFont(font);
    if (level == 1) {
        QPalette palette = box->palette();
        palette.setColor(QPalette::WindowText, clRed);
        box->setPalette(palette);
    }
    return box;
}

std::string Text(const QLineEdit* edit) {
    return edit->text().toStdString();
}

void SetText(QLineEdit* edit, const std::string& text) {
    edit->setText(QString::fromStdString(text));
}

}  // namespace

ConfigPage::ConfigPage(QWidget* parent, TMainForm& form) : QWidget(parent), form_(form) {
    setObjectName(QStringLiteral("pConfig"));

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::Box);
    Panel1->setLineWidth(1);
    Panel1->setGeometry(6, 6, 620, 498);

    GroupBox2 = new QGroupBox(QStringLiteral(" Сообщения "), Panel1);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    GroupBox2->setGeometry(6, 4, 222, 488);
    buildMessages();

    GroupBox3 = new QGroupBox(QStringLiteral(" Датчики дискретные "), Panel1);
    GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
    GroupBox3->setGeometry(234, 4, 380, 390);
    AddLabel(GroupBox3, QStringLiteral("разрешить"), {76, 18, 68, 16}, false, Qt::AlignCenter);
    AddLabel(GroupBox3, QStringLiteral("активный уровень"), {152, 18, 120, 16}, false,
             Qt::AlignCenter);
    for (std::size_t s = 0; s < kDiscreteSensors; ++s) {
        buildSensorRow(GroupBox3, static_cast<int>(s), 38 + static_cast<int>(s) * 26);
    }

    GroupBox4 = new QGroupBox(QStringLiteral(" Датчики аналоговые"), Panel1);
    GroupBox4->setObjectName(QStringLiteral("GroupBox4"));
    GroupBox4->setGeometry(234, 400, 380, 92);
    AddLabel(GroupBox4, QStringLiteral("условие -1-"), {268, 16, 100, 16}, false, Qt::AlignCenter);
    for (std::size_t i = 0; i < kAdcThresholds; ++i) {
        const int y = 36 + static_cast<int>(i) * 26;
        const auto s = static_cast<int>(kDiscreteSensors + i);
        buildSensorRow(GroupBox4, s, y);
        AddLabel(GroupBox4, QStringLiteral(">"), {268, y + 2, 10, 18}, true);
        edADC[i] =
            AddEdit(GroupBox4, QStringLiteral("edADC%1").arg(i), kThresholdLimit, {282, y, 38, 22});
        edADC[i]->setText(QStringLiteral("128"));
        AddLabel(GroupBox4, QStringLiteral("ед.АЦП"), {326, y + 2, 52, 18});
    }

    buildButtons();
}

void ConfigPage::buildMessages() {
    AddLabel(GroupBox2, QStringLiteral("датчики"), {114, 18, 96, 16}, false, Qt::AlignCenter);
    for (std::size_t m = 0; m < kConfigMessages; ++m) {
        const int y = 36 + static_cast<int>(m) * 30;
        const QString mm = TwoDigits(m);
        AddLabel(GroupBox2, QStringLiteral("Сообщение #") + mm, {10, y + 2, 100, 18});
        edMess1[m] = AddEdit(GroupBox2, QStringLiteral("edMess") + mm + QLatin1Char('1'),
                             kMessSensorLimit, {114, y, 36, 22});
        AddLabel(GroupBox2, QStringLiteral("И"), {156, y + 2, 14, 18}, true);
        edMess2[m] = AddEdit(GroupBox2, QStringLiteral("edMess") + mm + QLatin1Char('2'),
                             kMessSensorLimit, {174, y, 36, 22});
        for (QLineEdit* edit : {edMess1[m], edMess2[m]}) {
            edit->setText(QStringLiteral("0"));
            edit->setToolTip(kSensorHint);
        }
    }
}

void ConfigPage::buildSensorRow(QGroupBox* box, int s, int y) {
    const auto index = static_cast<std::size_t>(s);
    const QString ss = TwoDigits(index);
    AddLabel(box, QStringLiteral("Датчик #%1").arg(s + 1), {10, y + 2, 80, 18});

    QCheckBox* enable = new QCheckBox(box);
    enable->setObjectName(QStringLiteral("cbSenseEn") + ss);
    enable->setGeometry(100, y, 20, 20);
    if (index < kDiscreteSensors) {
        enable->setAutoFillBackground(true);
        QPalette palette = enable->palette();
        palette.setColor(QPalette::Window, clScrollBar);
        enable->setPalette(palette);
        enable->setToolTip(kEnableHint);
    }
    cbSenseEn[index] = enable;

    for (int level = 0; level < 2; ++level) {
        const QString name = QStringLiteral("cbSenseAct") + ss + QString::number(level);
        QCheckBox* levelBox = AddLevelBox(box, name, level, {164 + level * 54, y, 50, 20});
        connect(levelBox, &QCheckBox::clicked, this,
                [this, s, level] { cbSenseActClick(s, level); });
        cbSenseAct[index][static_cast<std::size_t>(level)] = levelBox;
    }
}

void ConfigPage::buildButtons() {
    struct ButtonDesign {
        QPushButton** button;
        const char* name;
        QStyle::StandardPixmap picture;
        QString hint;
        void (ConfigPage::*click)();
        QRect where;
    };
    const ButtonDesign buttons[] = {
        {&btLoadConf,
         "btLoadConf",
         QStyle::SP_ArrowDown,
         QStringLiteral("прочитать теекущую конфигурацию из FLASH памяти..."),
         &ConfigPage::btLoadConfClick,
         {640, 20, 64, 56}},
        {&btSendConf,
         "btSendConf",
         QStyle::SP_ArrowUp,
         QStringLiteral("загрузить конфигурацию во FLASH память..."),
         &ConfigPage::btSendConfClick,
         {712, 20, 64, 56}},
        {&btOpen,
         "btOpen",
         QStyle::SP_DialogOpenButton,
         QStringLiteral("открыть файл с конфигурацией..."),
         &ConfigPage::btOpenClick,
         {640, 90, 64, 56}},
        {&btSave,
         "btSave",
         QStyle::SP_DialogSaveButton,
         QStringLiteral("сохранить в файл..."),
         &ConfigPage::btSaveClick,
         {712, 90, 64, 56}},
    };
    for (const ButtonDesign& design : buttons) {
        auto* button = new QPushButton(this);
        button->setObjectName(QString::fromLatin1(design.name));
        button->setGeometry(design.where);
        button->setIcon(style()->standardIcon(design.picture));
        button->setIconSize({32, 32});
        button->setToolTip(design.hint);
        connect(button, &QPushButton::clicked, this, design.click);
        *design.button = button;
    }

    stState = new QLabel(QStringLiteral("Loading..."), this);
    stState->setObjectName(QStringLiteral("stState"));
    stState->setGeometry(640, 164, 136, 34);
    stState->setAlignment(Qt::AlignCenter);
    stState->setFrameShape(QFrame::Panel);
    stState->setFrameShadow(QFrame::Sunken);
    stState->setAutoFillBackground(true);
    QPalette palette = stState->palette();
    palette.setColor(QPalette::Window, clWhite);
    palette.setColor(QPalette::WindowText, clBlue);
    stState->setPalette(palette);
    QFont font = stState->font();
    font.setBold(true);
    font.setPixelSize(16);
    stState->setFont(font);
    stState->hide();
}

ConfigPageModel ConfigPage::pageModel() const {
    ConfigPageModel page;
    for (std::size_t m = 0; m < kConfigMessages; ++m) {
        page.messSensor1[m] = Text(edMess1[m]);
        page.messSensor2[m] = Text(edMess2[m]);
    }
    for (std::size_t s = 0; s < kConfigSensors; ++s) {
        page.senseEn[s] = cbSenseEn[s]->isChecked();
        page.senseAct[s] = {cbSenseAct[s][0]->isChecked(), cbSenseAct[s][1]->isChecked()};
    }
    for (std::size_t i = 0; i < kAdcThresholds; ++i) {
        page.adcThreshold[i] = Text(edADC[i]);
    }
    return page;
}

void ConfigPage::showPageModel(const ConfigPageModel& page) {
    for (std::size_t m = 0; m < kConfigMessages; ++m) {
        SetText(edMess1[m], page.messSensor1[m]);
        SetText(edMess2[m], page.messSensor2[m]);
    }
    // setChecked runs no click handler, so the pair rule stays out of this.
    for (std::size_t s = 0; s < kConfigSensors; ++s) {
        cbSenseEn[s]->setChecked(page.senseEn[s]);
        cbSenseAct[s][0]->setChecked(page.senseAct[s].level0);
        cbSenseAct[s][1]->setChecked(page.senseAct[s].level1);
    }
    for (std::size_t i = 0; i < kAdcThresholds; ++i) {
        SetText(edADC[i], page.adcThreshold[i]);
    }
}

PageConversion ConfigPage::PageToConfig() {
    ExchangeState& state = form_.state();
    PageConversion conversion = console::PageToConfig(pageModel(), state.configEdited);
    if (conversion.ok) {
        state.configEdited = conversion.record;
    }
    return conversion;
}

void ConfigPage::ConfigToPage() {
    showPageModel(console::ConfigToPage(form_.state().configEdited));
}

void ConfigPage::cbSenseActClick(int sensor, int level) {
    if (sensor < 0 || sensor >= static_cast<int>(kConfigSensors) || level < 0 || level > 1) {
        return;
    }
    // Whether the click ticked or unticked its box, the other one goes off:
    // a pair never shows both levels, and may show neither.
    cbSenseAct[static_cast<std::size_t>(sensor)][static_cast<std::size_t>(1 - level)]->setChecked(
        false);
}

}  // namespace talveno::console
