// pConfig: the editor of the configuration record configEdited (fifteen
// messages with their two sensors, fifteen inputs with enable and active
// level, two analog thresholds) and the four buttons that read it from and
// write it to the device and open and save it as a "klc" file.
#pragma once

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <array>

#include "config_record.h"
#include "device_wait.h"

namespace talveno::console {

class TMainForm;

class ConfigPage : public QWidget {
public:
    ConfigPage(QWidget* parent, TMainForm& form);

    // configEdited from the controls. On a text that is not an integer
    // configEdited stays as it was and the result names the text; the caller
    // shows the error (ShowConversionError) and goes no further.
    [[nodiscard]] PageConversion PageToConfig();
    // configEdited onto the controls.
    void ConfigToPage();

    // The page model the controls hold, and putting one onto them.
    [[nodiscard]] ConfigPageModel pageModel() const;
    void showPageModel(const ConfigPageModel& page);

    // The 30 level-box handlers (cbSenseAct<ss><level>Click): a click on one
    // box of a pair unticks the other.
    void cbSenseActClick(int sensor, int level);

    void btLoadConfClick();
    void btSendConfClick();
    void btOpenClick();
    void btSaveClick();

    // The folder the file dialogs open in: CONFIG beside the program,
    // created when missing.
    [[nodiscard]] static QString configFolder();

    QFrame* Panel1;
    QGroupBox* GroupBox2;                               // messages
    QGroupBox* GroupBox3;                               // discrete sensors #1..#13
    QGroupBox* GroupBox4;                               // analog sensors #14, #15
    std::array<QLineEdit*, kConfigMessages> edMess1{};  // edMess<mm>1
    std::array<QLineEdit*, kConfigMessages> edMess2{};  // edMess<mm>2
    std::array<QCheckBox*, kConfigSensors> cbSenseEn{};
    // [s][0] is "-0-" (cbSenseAct<ss>0), [s][1] is "-1-" (cbSenseAct<ss>1).
    std::array<std::array<QCheckBox*, 2>, kConfigSensors> cbSenseAct{};
    std::array<QLineEdit*, kAdcThresholds> edADC{};  // edADC0, edADC1
    QPushButton* btLoadConf;
    QPushButton* btSendConf;
    QPushButton* btOpen;
    QPushButton* btSave;
    QLabel* stState;

private:
    void buildMessages();
    void buildSensorRow(QGroupBox* box, int s, int y);
    void buildButtons();
    // Shows the progress of a device exchange in stState while waiting for
    // `reply`; tells the operator when the device did not answer. The caller
    // has cleared `reply` and raised `request`.
    [[nodiscard]] bool WaitForDevice(Flag request, Flag reply);
    void ShowConversionError(const PageConversion& conversion);

    TMainForm& form_;
};

}  // namespace talveno::console
