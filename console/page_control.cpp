#include "page_control.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QTabBar>
#include <QWheelEvent>

namespace talveno::console {

namespace {

// The tab bar changes the page on mouse presses, keys and the wheel; each
// asks the page control first.
class GuardedTabBar : public QTabBar {
public:
    explicit GuardedTabBar(PageControl& control) : control_(control) {}

protected:
    void mousePressEvent(QMouseEvent* event) override {
        const int index = tabAt(event->position().toPoint());
        if (event->button() == Qt::LeftButton && index >= 0 && index != currentIndex() &&
            !control_.allowChange()) {
            event->accept();
            return;
        }
        QTabBar::mousePressEvent(event);
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (!control_.allowChange()) {
            event->accept();
            return;
        }
        QTabBar::keyPressEvent(event);
    }
    void wheelEvent(QWheelEvent* event) override { event->ignore(); }

private:
    PageControl& control_;
};

}  // namespace

PageControl::PageControl(QWidget* parent) : QTabWidget(parent) {
    setTabBar(new GuardedTabBar(*this));
}

void PageControl::setChangingGuard(std::function<bool()> guard) {
    guard_ = std::move(guard);
}

bool PageControl::allowChange() const {
    return !guard_ || guard_();
}

void PageControl::keyPressEvent(QKeyEvent* event) {
    // Ctrl+Tab and Ctrl+PgUp/PgDn change pages from anywhere in the control.
    const bool switching = (event->modifiers() & Qt::ControlModifier) != 0 &&
                           (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab ||
                            event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown);
    if (switching && !allowChange()) {
        event->accept();
        return;
    }
    QTabWidget::keyPressEvent(event);
}

}  // namespace talveno::console
