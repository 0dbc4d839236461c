#pragma once
// Every fixed pause and every read of the PC's local time goes through a
// Pacer, so tests can record the pauses and set the clock.
// Called on the main thread only.

namespace sk {

// Local time of day as the PC shows it.
struct LocalTime {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

class Pacer {
  public:
    virtual ~Pacer() = default;
    // Plain sleep of the calling thread; nothing is handled meanwhile.
    virtual void sleep(int ms) = 0;
    // The PC's local time of day.
    virtual LocalTime now() = 0;
};

// The real thing: sleeps the thread, reads the system clock in local time.
class SystemPacer final : public Pacer {
  public:
    void sleep(int ms) override;
    LocalTime now() override;
};

}  // namespace sk
