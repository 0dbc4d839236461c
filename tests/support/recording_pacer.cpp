#include "recording_pacer.h"

#include <numeric>

namespace sk::test {

namespace {
constexpr long long kDayMs = 24LL * 3600 * 1000;
}

void RecordingPacer::sleep(int ms) {
    pauses_.push_back(ms);
    if (advanceOnSleep_ && ms > 0) {
        msOfDay_ = (msOfDay_ + ms) % kDayMs;
    }
    if (onSleep) {
        onSleep(ms);
    }
}

LocalTime RecordingPacer::now() {
    long long t = msOfDay_;
    return LocalTime{static_cast<int>(t / 3600000), static_cast<int>(t / 60000 % 60),
                     static_cast<int>(t / 1000 % 60), static_cast<int>(t % 1000)};
}

void RecordingPacer::setNow(int hour, int minute, int second, int millisecond) {
    msOfDay_ = ((hour * 60LL + minute) * 60 + second) * 1000 + millisecond;
}

int RecordingPacer::totalMs() const {
    return std::accumulate(pauses_.begin(), pauses_.end(), 0);
}

}  // namespace sk::test
