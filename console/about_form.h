// TFormAbout: the About window, shown modally and closed by any click on it.
#pragma once

#include <QDialog>

namespace talveno::console {

class TFormAbout : public QDialog {
public:
    explicit TFormAbout(QWidget* parent);

    // Closes the window; every picture and label passes its clicks here.
    void FormClick();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace talveno::console
