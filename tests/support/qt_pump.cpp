#include "qt_pump.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

namespace testing_support {

void PumpFor(std::chrono::milliseconds duration) {
    (void)PumpUntil([] { return false; }, duration);
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

}  // namespace testing_support
