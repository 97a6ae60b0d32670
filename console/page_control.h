// The tab page control, whose change of page can be vetoed: before the
// operator's change takes effect, the `changing` callback decides.
#pragma once

#include <QTabWidget>
#include <functional>

namespace talveno::console {

class PageControl : public QTabWidget {
public:
    explicit PageControl(QWidget* parent);

    // Asked before an operator's change of page; false keeps the page.
    void setChangingGuard(std::function<bool()> guard);
    [[nodiscard]] bool allowChange() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::function<bool()> guard_;
};

}  // namespace talveno::console
