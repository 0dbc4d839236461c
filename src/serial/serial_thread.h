#pragma once
// Internal: TSerialThread, the event thread of an open port. It waits for the
// device's events and has them handled by the port: with smThreadSync (and
// smWindowSync) it puts the events of one wake-up into a hand-over slot, calls
// the port's main-thread wake and blocks until the main thread has run the
// hand-over (ProcessHandOver); with smNone it handles them itself.
// A handler that throws ends the thread; the port stays open.
// Threads: the constructor, Stop and ProcessHandOver belong to the main thread.
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "serial/serial_types.h"

namespace sk {

class SerialDevice;
class TCustomSerialPort;

// The wake function shared between a port and its event thread; the port may
// replace it while the thread runs.
struct MainThreadWake {
    std::mutex mutex;
    std::function<void()> wake;
    void call();
};

class TSerialThread {
  public:
    // Sets the device's event mask, then starts the thread.
    TSerialThread(TCustomSerialPort& port, SerialDevice& device, TSerialEvents events,
                  TSyncMethod sync, std::shared_ptr<MainThreadWake> wake);
    // Stops the thread if Stop was not called.
    ~TSerialThread();
    TSerialThread(const TSerialThread&) = delete;
    TSerialThread& operator=(const TSerialThread&) = delete;

    // Signals stop and waits for the thread to end, meanwhile running any
    // hand-over the thread is waiting in, so that it can never deadlock.
    void Stop();
    // Runs a waiting hand-over and releases the thread; false when none waits.
    bool ProcessHandOver();
    // True once the thread has left its loop (stopped, or ended by an error).
    bool Finished() const;

  private:
    void run();
    int dispatch(TSerialEvents events);
    int handOver(TSerialEvents events);

    TCustomSerialPort& port_;
    SerialDevice& device_;
    TSyncMethod sync_;
    std::shared_ptr<MainThreadWake> wake_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    struct Slot {
        bool pending = false;  // the thread waits in a hand-over
        bool taken = false;    // the main thread runs it
        bool done = false;     // the thread may go on
        TSerialEvents events;
        int unread = 0;
        std::exception_ptr error;
    } slot_;
    bool finished_ = false;
    int processing_ = 0;  // main thread only: depth of ProcessHandOver
    bool stopped_ = false;
    std::thread thread_;
};

}  // namespace sk
