#pragma once
// Internal: the termios/poll backend of SerialDevice.
// Port names: a name beginning with "/" is a device path; "COMn" (any case)
// is /dev/ttyS(n-1); any other name is looked up under /dev. Trailing blanks
// are not part of the device name. The device must be a terminal.
// Events: a tty can only be waited on for input and hang-up, so the wait
// reports evRxChar, and evError when the driver's error counters
// (TIOCGICOUNT, absent on ptys) moved by the time input arrives or when the
// device vanished (ceIO, once). The other events are never reported. Queue
// sizes are checked and otherwise ignored: the tty layer's queues are fixed.
#include <termios.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "serial/serial_device.h"

namespace sk {

// The device path a port name opens.
std::string posixDevicePath(const std::string& name);

// errno as the code ESerialPort carries (on Linux the same number).
int posixErrorCode(int err);

// Sets a rate that has no B-constant; false (errno set) when the driver refuses.
bool setCustomBaudRate(int fd, std::uint32_t rate);

class PosixSerialDevice final : public SerialDevice {
  public:
    PosixSerialDevice() = default;
    ~PosixSerialDevice() override { close(); }

    void open(const std::string& name) override;
    void close() noexcept override;
    bool isOpen() const override { return fd_ >= 0; }

    void applyBuffers(int inputSize, int outputSize) override;
    void applyLineState(const LineState& state) override;
    void applyTimeouts(const CommTimeouts& timeouts) override;

    void beginWatch(TSerialEvents mask) override;
    WaitResult waitEvents(int unread) override;
    void waitStop() override;
    void signalStop() override;
    void endWatch() override;

    QueueStatus queueStatus() override;
    int read(char* buffer, int count) override;
    int write(const char* data, int count) override;
    void purge(unsigned flags) override;
    ModemStatus modemStatus() override;

  private:
    struct Counters {
        long frame = 0, overrun = 0, parity = 0, brk = 0, bufOverrun = 0;
        bool operator==(const Counters&) const = default;
    };
    bool readCounters(Counters& out) const;
    int waitingBytes() const;  // -1 with errno on failure
    void setModemLine(int bit, bool on);

    int fd_ = -1;
    int stopFd_ = -1;
    struct termios saved_ {};
    bool haveSaved_ = false;
    CommTimeouts timeouts_{};
    std::uint32_t baud_ = 9600;
    bool discardNull_ = false;
    bool parityCheck_ = false;
    bool firstConfiguration_ = false;
    TSerialEvents mask_;
    // Line-error counters as last reported; absent on ptys.
    bool countersSupported_ = false;
    Counters reported_{};
    // A byte the event thread had to read to tell "readable" from "gone".
    bool stashed_ = false;
    char stash_ = 0;
    // Set by the event thread when the device vanished; reported as ceIO once.
    std::atomic<bool> gone_{false};
    bool goneReported_ = false;
};

}  // namespace sk
