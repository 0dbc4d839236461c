#pragma once
// A TimeoutTimer that never fires by itself: a test calls Fire() where the
// window's timer would have fired.
#include "protocol/timeout_timer.h"

namespace sk::test {

class FakeTimer : public TimeoutTimer {
  public:
    void SetEnabled(bool on) override;
    bool Enabled() const override { return enabled_; }

    // Runs OnTimer as the window would when the interval ends; only an
    // enabled timer fires. Returns whether it fired.
    bool Fire();
    // How often the timer was switched on from off (each starts an interval).
    int starts() const { return starts_; }

  private:
    bool enabled_ = false;
    int starts_ = 0;
};

}  // namespace sk::test
