#pragma once
// A Pacer for tests: records every pause instead of sleeping, and answers
// now() from a settable clock that the recorded pauses advance.
#include <functional>
#include <vector>

#include "support/pacer.h"

namespace sk::test {

class RecordingPacer : public Pacer {
  public:
    void sleep(int ms) override;
    LocalTime now() override;

    // Sets the local time of day that now() reports.
    void setNow(int hour, int minute, int second, int millisecond = 0);
    // When true (default), each sleep advances the clock by its length.
    void setAdvanceOnSleep(bool on) { advanceOnSleep_ = on; }
    // Called after each recorded pause (e.g. to note where a write stands).
    std::function<void(int ms)> onSleep;

    const std::vector<int>& pauses() const { return pauses_; }
    int totalMs() const;
    void clear() { pauses_.clear(); }

  private:
    std::vector<int> pauses_;
    long long msOfDay_ = 10LL * 3600 * 1000;
    bool advanceOnSleep_ = true;
};

}  // namespace sk::test
