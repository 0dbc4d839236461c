#pragma once
// The seam for `Timer1`, the 20000 ms reply timeout of the main window.
// The app backs it with a window timer; tests with a fake they fire by hand.
//
// Threads: main thread only. OnTimer is called from the window's event
// handling (never from inside another call of this class), so it runs only
// where the main thread handles window events.
#include <functional>

namespace sk {

class TimeoutTimer {
  public:
    static constexpr int kIntervalMs = 20000;

    virtual ~TimeoutTimer() = default;
    // Switching on while off starts a new full interval; switching on while
    // on and switching off while off change nothing.
    virtual void SetEnabled(bool on) = 0;
    virtual bool Enabled() const = 0;

    // Called each time the interval ends while the timer is on. ClockConnection
    // installs Timer1Timer here.
    std::function<void()> OnTimer;
};

}  // namespace sk
