#include "fake_timer.h"

namespace sk::test {

void FakeTimer::SetEnabled(bool on) {
    if (on && !enabled_) {
        ++starts_;
    }
    enabled_ = on;
}

bool FakeTimer::Fire() {
    if (!enabled_ || !OnTimer) {
        return false;
    }
    OnTimer();
    return true;
}

}  // namespace sk::test
