#include "pumping.h"

#include <QCoreApplication>
#include <QThread>

namespace talveno::console {

void PumpEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void SleepPlain(int milliseconds) {
    QThread::msleep(static_cast<unsigned long>(milliseconds));
}

}  // namespace talveno::console
