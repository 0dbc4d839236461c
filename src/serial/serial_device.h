#pragma once
// Internal: the operations a serial port needs from the operating system, one
// implementation per platform (chosen in CMake). The shapes follow the device
// model the port is written against: open by name, queue sizes, a line state
// record, a timeout record, an event mask with a stoppable wait, a status query
// that counts waiting bytes and reads-and-resets the line errors, read, write
// with its time bound, purge and the modem lines.
//
// Errors: every operation that fails raises ESerialPort with the message
// number given below and the platform's code. Threads: the event thread calls
// waitEvents/waitStop; signalStop may be called from any thread; everything
// else runs on the main thread (or on the event thread while the main thread
// is blocked in a hand-over, which orders the two).
#include <cstdint>
#include <memory>
#include <string>

#include "serial/line_state.h"
#include "serial/serial_types.h"

namespace sk {

enum PurgeFlag : unsigned {
    purgeTxAbort = 1,
    purgeRxAbort = 2,
    purgeTxClear = 4,
    purgeRxClear = 8,
};

struct ModemStatus {
    bool cts = false;
    bool dsr = false;
    bool ring = false;
    bool rlsd = false;
};

struct QueueStatus {
    int waiting = 0;       // bytes that a read would return now
    TSerialErrors errors;  // line errors since the last query (then reset)
};

struct WaitResult {
    enum Kind {
        Stopped,  // signalStop was called
        Events,   // `events` happened
        Failed,   // this wait failed; waiting again is sensible
        Gone      // the device went away; `events` says what to report once
    };
    Kind kind = Failed;
    TSerialEvents events;
};

class SerialDevice {
  public:
    virtual ~SerialDevice() = default;

    // Opens the named device exclusively (number 1 on failure).
    virtual void open(const std::string& name) = 0;
    // Releases the device; harmless when not open. Never raises.
    virtual void close() noexcept = 0;
    virtual bool isOpen() const = 0;

    virtual void applyBuffers(int inputSize, int outputSize) = 0;  // number 9
    virtual void applyLineState(const LineState& state) = 0;       // number 7
    virtual void applyTimeouts(const CommTimeouts& timeouts) = 0;  // number 8

    // Event watching: beginWatch sets the event mask and re-arms the stop
    // signal; endWatch clears the mask. waitEvents blocks without a time limit
    // until an event of the mask or a stop. `unread` is the number of bytes a
    // previous dispatch left in the driver: the wait then reports evRxChar
    // only when more arrive. waitStop blocks until signalStop.
    virtual void beginWatch(TSerialEvents mask) = 0;
    virtual WaitResult waitEvents(int unread) = 0;
    virtual void waitStop() = 0;
    virtual void signalStop() = 0;
    virtual void endWatch() = 0;

    virtual QueueStatus queueStatus() = 0;  // number 10
    // Reads up to `count` waiting bytes; returns how many were stored.
    virtual int read(char* buffer, int count) = 0;  // number 3
    // Writes all bytes and waits until they have left the driver, bounded by
    // the write timeouts; returns the count sent (shorter on an early end).
    virtual int write(const char* data, int count) = 0;  // number 2
    virtual void purge(unsigned flags) = 0;              // number 5
    virtual ModemStatus modemStatus() = 0;               // number 11
};

// The device of the platform this program was built for.
std::unique_ptr<SerialDevice> makePlatformSerialDevice();

}  // namespace sk
