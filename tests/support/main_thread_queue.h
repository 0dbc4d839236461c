#pragma once
// MainThreadQueue: the test thread's stand-in for the app's event loop. Attach
// a port and its event thread's hand-overs are queued here; the thread that
// calls pump()/pumpUntil() plays the main thread and runs them.
// pumpUntil blocks on a condition variable between wakes; it never spins.
// Threads: the wake function may be called from any thread; everything else
// belongs to the one test thread. Ports must outlive their attachment (detach
// or destroy the queue first) only as far as pump() calls go: a wake arriving
// after the queue is gone is harmless.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace sk {
class TCustomSerialPort;
}

namespace sk::test {

class MainThreadQueue {
  public:
    using Ms = std::chrono::milliseconds;

    MainThreadQueue();
    ~MainThreadQueue();

    // Sets the port's wake to this queue; pump() serves the port from now on.
    void attach(TCustomSerialPort& port);
    void detach(TCustomSerialPort& port);

    // A wake function for SetMainThreadWake (attach() uses it).
    std::function<void()> wake();
    // Number of wakes so far.
    long wakes() const;
    // Blocks, without pumping, until the wake count reaches `count`.
    bool waitForWakes(long count, Ms timeout = Ms(2000));

    // Runs every waiting hand-over of the attached ports; returns how many ran.
    int pump();
    // Pumps until pred() holds (true) or the timeout passes (false).
    bool pumpUntil(const std::function<bool()>& pred, Ms timeout = Ms(2000));
    // Pumps for the given time.
    void pumpFor(Ms duration);

  private:
    struct State {
        std::mutex mutex;
        std::condition_variable woken;
        long wakes = 0;
    };
    std::shared_ptr<State> state_;
    std::vector<TCustomSerialPort*> ports_;
};

}  // namespace sk::test
