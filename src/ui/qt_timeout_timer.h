#pragma once
// Timer1 in the app: the reply timeout on a window timer of the main thread.
// Its timeout signal reaches OnTimer through the window's error guard (the
// window connects it), so it fires only where the event loop runs.
// Main thread only.
#include <QTimer>

#include "protocol/timeout_timer.h"

namespace sk {

class QtTimeoutTimer final : public TimeoutTimer {
  public:
    QtTimeoutTimer();

    void SetEnabled(bool on) override;
    bool Enabled() const override { return timer_.isActive(); }

    QTimer& qtimer() { return timer_; }

  private:
    QTimer timer_;
};

}  // namespace sk
