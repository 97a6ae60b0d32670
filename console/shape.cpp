#include "shape.h"

#include <QPainter>

namespace talveno::console {

Shape::Shape(const QString& name, QWidget* parent, Form form, bool outlined)
    : QWidget(parent), form_(form), outlined_(outlined) {
    setObjectName(name);
}

void Shape::setBrushColor(const QColor& color) {
    if (color != color_) {
        color_ = color;
        update();
    }
}

void Shape::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, form_ == Form::Circle);
    painter.setBrush(color_);
    painter.setPen(outlined_ ? QPen(Qt::black) : QPen(Qt::NoPen));
    const QRect area = rect().adjusted(0, 0, -1, -1);
    if (form_ == Form::Circle) {
        painter.drawEllipse(area);
    } else {
        painter.drawRect(area);
    }
}

}  // namespace talveno::console
