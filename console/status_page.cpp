#include "status_page.h"

#include <QVariant>
#include <algorithm>

namespace talveno::console {

namespace {

constexpr int kTop = 34;
constexpr int kRowHeight = 26;
constexpr int kNameX = 8;
constexpr int kStateX = 226;
constexpr int kLevelX = 312;
constexpr int kCounterX = 404;
constexpr int kEnableX = 494;
constexpr int kActivityX = 586;
constexpr int kSliderMax = 200;

QString SensorName(std::size_t i) {
    if (i == 13) {
        return QStringLiteral("Датчик 14 аналог. ( АД1 )");
    }
    if (i == 14) {
        return QStringLiteral("Датчик 15 аналог. ( АД2 )");
    }
    return QStringLiteral("Датчик %1").arg(static_cast<int>(i + 1), 2, 10, QLatin1Char('0'));
}

QLabel* ReadOut(QWidget* parent, const QString& name, int x, int y, int width) {
    auto* label = new QLabel(QStringLiteral("0"), parent);
    label->setObjectName(name);
    label->setGeometry(x, y, width, 20);
    label->setAlignment(Qt::AlignCenter);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    return label;
}

void SetBackground(QLabel* label, const QColor& color) {
    label->setStyleSheet(
        QStringLiteral("background-color: %1; padding-left: 4px;").arg(color.name()));
}

QSlider* AnalogSlider(QWidget* parent, const char* name, int y) {
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(QString::fromLatin1(name));
    slider->setRange(0, kSliderMax);
    slider->setTickPosition(QSlider::TicksBothSides);
    slider->setTickInterval(10);
    slider->setGeometry(56, y, 380, 28);
    return slider;
}

}  // namespace

StatusPage::StatusPage(QWidget* parent, ExchangeState& state) : QWidget(parent), state_(state) {
    setObjectName(QStringLiteral("pDebug"));

    const std::pair<const char*, int> headings[] = {
        {"Сигнал", kNameX},     {"Состояние", kStateX},   {"Акт.уровень", kLevelX},
        {"Счетчик", kCounterX}, {"Разрешение", kEnableX}, {"Активность", kActivityX}};
    for (const auto& [text, x] : headings) {
        auto* heading = new QLabel(QString::fromUtf8(text), this);
        heading->setGeometry(x, 8, x == kNameX ? 200 : 84, 20);
        heading->setAlignment(x == kNameX ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
        QFont font = heading->font();
        font.setBold(true);
        heading->setFont(font);
    }

    for (std::size_t i = 0; i < kInputCount; ++i) {
        const int y = kTop + static_cast<int>(i) * kRowHeight;
        const QString n = QString::number(i);
        st[i] = new QLabel(SensorName(i), this);
        st[i]->setObjectName(QStringLiteral("st") + n);
        st[i]->setGeometry(kNameX, y, 200, 20);
        st[i]->setFrameShape(QFrame::Panel);
        st[i]->setFrameShadow(QFrame::Sunken);
        SetBackground(st[i], clWhite);
        stsl[i] = ReadOut(this, QStringLiteral("stsl") + n, kStateX + 8, y, 68);
        stasl[i] = ReadOut(this, QStringLiteral("stasl") + n, kLevelX + 8, y, 68);
        sttsl[i] = ReadOut(this, QStringLiteral("sttsl") + n, kCounterX + 8, y, 68);
        stesl[i] = ReadOut(this, QStringLiteral("stesl") + n, kEnableX + 8, y, 68);
        if (i < kToggleCount) {
            auto* button = new QPushButton(this);
            button->setObjectName(QStringLiteral("BitBtn%1").arg(i + 1));
            button->setToolTip(QStringLiteral("Включить/Выключить"));
            button->setProperty("Tag", static_cast<int>(i));
            button->setGeometry(kActivityX + 16, y - 1, 26, 22);
            connect(button, &QPushButton::clicked, this,
                    [this, tag = static_cast<int>(i)] { BitBtn1Click(tag); });
            BitBtn[i] = button;
        }
        lamp[i] = new Shape(QStringLiteral("Shape%1").arg(i + 1), this, Shape::Form::Circle);
        lamp[i]->setGeometry(kActivityX + 52, y + 2, 16, 16);
        lamp[i]->setBrushColor(clGray);
    }

    analogGroup = new QGroupBox(QStringLiteral(" Аналоговые датчики "), this);
    analogGroup->setObjectName(QStringLiteral("GroupBox1"));
    analogGroup->setGeometry(8, 428, 520, 80);
    auto* ad1 = new QLabel(QStringLiteral("АД1"), analogGroup);
    ad1->setGeometry(14, 20, 36, 20);
    auto* ad2 = new QLabel(QStringLiteral("АД2"), analogGroup);
    ad2->setGeometry(14, 48, 36, 20);
    trackFuel = AnalogSlider(analogGroup, "trackFuel", 16);
    trackTemperatura = AnalogSlider(analogGroup, "trackTemperatura", 44);
    stADC0 = ReadOut(analogGroup, QStringLiteral("stADC0"), 446, 20, 56);
    stADC1 = ReadOut(analogGroup, QStringLiteral("stADC1"), 446, 48, 56);
    stADC0->setText(QStringLiteral("000"));
    stADC1->setText(QStringLiteral("000"));
    connect(trackFuel, &QSlider::valueChanged, this, &StatusPage::trackFuelChange);
    connect(trackTemperatura, &QSlider::valueChanged, this, &StatusPage::trackTemperaturaChange);

    btRefresh = new QPushButton(QStringLiteral("Обновить статус"), this);
    btRefresh->setObjectName(QStringLiteral("btRefresh"));
    btRefresh->setGeometry(560, 436, 180, 28);
    connect(btRefresh, &QPushButton::clicked, this, &StatusPage::btRefreshClick);

    btGrand = new QPushButton(QStringLiteral("Удаленное управление"), this);
    btGrand->setObjectName(QStringLiteral("btGrand"));
    btGrand->setCheckable(true);
    btGrand->setGeometry(560, 472, 180, 30);
    btGrand->setStyleSheet(
        QStringLiteral("QPushButton { color: rgb(255, 0, 0); font-weight: bold; }"));

    shapeGrand = new Shape(QStringLiteral("shapeGrand"), this, Shape::Form::Circle);
    shapeGrand->setGeometry(748, 479, 16, 16);
    shapeGrand->setBrushColor(clWhite);
}

void StatusPage::RefreshStatusPage() {
    const StatusBlock& block = state_.statusBlock;
    for (std::size_t i = 0; i < kInputCount; ++i) {
        const InputReading r = ReadInput(block, i);
        stsl[i]->setText(QString::number(r.state));
        stasl[i]->setText(QString::number(r.activeLevel));
        sttsl[i]->setText(QString::number(r.counter));
        stesl[i]->setText(r.enabled ? QStringLiteral("1") : QStringLiteral("0"));
        lamp[i]->setBrushColor(r.atActiveLevel() ? clLime : clSilver);
        SetBackground(st[i], r.counter != 0 ? clYellow : clWhite);
    }
    stADC0->setText(QString::number(block[kAnalog1Offset]));
    stADC1->setText(QString::number(block[kAnalog2Offset]));
    if (!btGrand->isChecked()) {
        // A position that changes runs the slider's handler, so the simulated
        // values follow the device's readings.
        trackFuel->setValue(std::min<int>(block[kAnalog1Offset], kSliderMax));
        trackTemperatura->setValue(std::min<int>(block[kAnalog2Offset], kSliderMax));
    }
    if (state_.flags.togglesPrimed == 0) {
        PrimeSimToggles();
    }
}

void StatusPage::PrimeSimToggles() {
    PrimeToggles(state_.statusBlock, state_.sim);
    state_.flags.togglesPrimed = 1;
}

void StatusPage::sliderChanged(QSlider* slider, std::uint16_t& simValue, QLabel* readOut) {
    // The selection start follows the position; QSlider draws no selection,
    // and a selection that always equals the position would add nothing.
    simValue = static_cast<std::uint16_t>(slider->value());
    readOut->setText(QString::number(slider->value()));
}

void StatusPage::trackFuelChange() {
    sliderChanged(trackFuel, state_.sim.simFuel, stADC0);
}

void StatusPage::trackTemperaturaChange() {
    sliderChanged(trackTemperatura, state_.sim.simTemperatura, stADC1);
}

void StatusPage::BitBtn1Click(int tag) {
    if (state_.flags.remoteActive == 0 || tag < 0 || tag >= static_cast<int>(kToggleCount)) {
        return;
    }
    auto& entry = state_.sim.simToggles[static_cast<std::size_t>(tag)];
    entry = entry != 0 ? 0 : 1;
}

void StatusPage::btRefreshClick() {
    state_.flags.togglesPrimed = 0;
}

}  // namespace talveno::console
