// pLoad: the fifteen voice message rows, choosing a WAV file per row, and the
// load batch that writes the ticked messages into the device FLASH.
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <array>

#include "device_wait.h"
#include "shape.h"

namespace talveno::console {

class TMainForm;

inline constexpr int kMessageCount = 15;
// What LoadMessageToSector returns when all 256 pages were acknowledged.
inline constexpr int LOAD_OK = 100;

class LoadPage : public QWidget {
public:
    LoadPage(QWidget* parent, TMainForm& form);

    // The "..." buttons: choose and check the WAV file of row `tag`.
    void btOpenFileClick(int tag);
    // The load button: the whole batch, with btLoad disabled meanwhile.
    void btLoadClick();
    void LoadMessages();
    // Erases sector n and writes the message of `fileName` into it, page by
    // page. LOAD_OK when all pages were acknowledged, else 0.
    int LoadMessageToSector(const QString& fileName, int n);

    // The folder the file dialog opens in: WAV beside the program.
    [[nodiscard]] static QString messageFolder();

    struct Row {
        QLabel* number;       // "00".."14" at the left edge
        QLabel* caption;      // "Сообщение #NN"
        QLabel* stName;       // the file's full path; the row's only store of it
        QPushButton* button;  // "..."
        Shape* fileMark;      // sNN: lime once a valid file was chosen
        QCheckBox* tick;      // cbNN: load this row
        Shape* resultMark;    // seNN: lime loaded, red failed
    };
    std::array<Row, kMessageCount> rows{};
    QPushButton* btLoad;

private:
    // Shows the progress window for a flash mode phase and waits for the
    // device's answer; says so when none came.
    bool SwitchFlashMode(const QString& phase, const WaitSetting& wait, const QString& noAnswer);

    TMainForm& form_;
    std::int32_t bytesLoaded_ = 0;
};

}  // namespace talveno::console
