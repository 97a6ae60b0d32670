// TLoadForm: the progress window of message loading. Created hidden; the load
// batch shows it, writes its labels and hides it. Not modal.
#pragma once

#include <QLabel>
#include <QProgressBar>
#include <QWidget>

namespace talveno::console {

class TLoadForm : public QWidget {
public:
    TLoadForm();

    QLabel* Label1;
    QLabel* Label3;
    QLabel* lbFile;
    QLabel* Label2;
    QLabel* lbSector;
    QLabel* Label5;
    QLabel* lbPage;
    QProgressBar* pBar;
    QLabel* Label4;
    QLabel* lbBytes;
};

}  // namespace talveno::console
