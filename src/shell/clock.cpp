#include "clock.h"

#include <QThread>

namespace tavrino {

void SleepingPause::pause(int milliseconds) {
    QThread::msleep(static_cast<unsigned long>(milliseconds));
}

} // namespace tavrino
