// pDebug: the live status page. Fifteen rows show what the device reports of
// its inputs; in remote control the operator drives them with the toggles and
// the two analog sliders, which go to the device with every status request.
#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QWidget>
#include <array>

#include "exchange_state.h"
#include "shape.h"
#include "status_block.h"

namespace talveno::console {

inline constexpr std::size_t kToggleCount = 13;  // the discrete inputs

class StatusPage : public QWidget {
public:
    StatusPage(QWidget* parent, ExchangeState& state);

    // Shows the StatusBlock just stored (called for every status reply).
    void RefreshStatusPage();
    // simToggles from the device's active levels (once after start or refresh).
    void PrimeSimToggles();
    void trackFuelChange();
    void trackTemperaturaChange();
    // Shared by BitBtn1..BitBtn13; `tag` is the clicked button's Tag.
    void BitBtn1Click(int tag);
    void btRefreshClick();

    std::array<QLabel*, kInputCount> st{};     // sensor names
    std::array<QLabel*, kInputCount> stsl{};   // state
    std::array<QLabel*, kInputCount> stasl{};  // active level
    std::array<QLabel*, kInputCount> sttsl{};  // counter
    std::array<QLabel*, kInputCount> stesl{};  // enable
    std::array<QPushButton*, kToggleCount> BitBtn{};
    std::array<Shape*, kInputCount> lamp{};  // Shape1..Shape15
    QPushButton* btGrand;
    Shape* shapeGrand;
    QGroupBox* analogGroup;
    QSlider* trackFuel;
    QSlider* trackTemperatura;
    QLabel* stADC0;
    QLabel* stADC1;
    QPushButton* btRefresh;

private:
    void sliderChanged(QSlider* slider, std::uint16_t& simValue, QLabel* readOut);

    ExchangeState& state_;
};

}  // namespace talveno::console
