// A small filled shape whose colour shows a state (lamps, marks, indicators).
#pragma once

#include <QColor>
#include <QWidget>

namespace talveno::console {

// The palette the console shows states in.
inline const QColor clLime{0, 255, 0};        // active, confirmed, successful
inline const QColor clSilver{192, 192, 192};  // inactive, idle, in progress
inline const QColor clRed{255, 0, 0};         // failed
inline const QColor clYellow{255, 255, 0};    // a nonzero counter
inline const QColor clGray{128, 128, 128};    // no data yet
inline const QColor clWhite{255, 255, 255};

class Shape : public QWidget {
public:
    enum class Form { Rectangle, Circle };

    explicit Shape(const QString& name, QWidget* parent, Form form = Form::Rectangle,
                   bool outlined = true);

    void setBrushColor(const QColor& color);
    [[nodiscard]] QColor brushColor() const { return color_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor color_ = clWhite;
    Form form_;
    bool outlined_;
};

}  // namespace talveno::console
