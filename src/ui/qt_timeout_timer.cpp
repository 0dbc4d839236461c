#include "ui/qt_timeout_timer.h"

namespace sk {

QtTimeoutTimer::QtTimeoutTimer() {
    timer_.setInterval(kIntervalMs);
    timer_.setSingleShot(false);
}

void QtTimeoutTimer::SetEnabled(bool on) {
    if (on && !timer_.isActive()) {
        timer_.start();
    } else if (!on) {
        timer_.stop();
    }
}

}  // namespace sk
