#pragma once
// FakeSerialDevice: a SerialDevice that records what the port asks of it
// (calls(), the last line state and timeouts) and can be told to fail or to
// report events with bytes. Give it to a port with
//   auto fake = std::make_unique<FakeSerialDevice>(); auto* dev = fake.get();
//   TSerialPort port(std::move(fake));
// Threads: all members lock; inject() may be called from any thread.
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "serial/serial_device.h"
#include "serial/serial_error.h"

namespace sk::test {

class FakeSerialDevice : public SerialDevice {
  public:
    // --- what the port did
    std::vector<std::string> calls() const;
    void clearCalls();
    LineState lastLineState() const;
    CommTimeouts lastTimeouts() const;
    int applyCount(const std::string& call) const;

    // --- what the device does next
    void failOpenWith(int code);         // open raises number 1 with code
    void failLineStateWith(int code);    // applyLineState raises number 7
    void setModemStatus(ModemStatus s);  // what modemStatus reports
    // Wakes the waiting event thread with these events; read() then returns
    // `bytes`, and queueStatus() reports `errors` once.
    void inject(TSerialEvents events, std::string bytes = {}, TSerialErrors errors = {});

    // SerialDevice
    void open(const std::string& name) override;
    void close() noexcept override;
    bool isOpen() const override;
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
    void record(std::string call);

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> calls_;
    LineState lineState_;
    CommTimeouts timeouts_;
    bool open_ = false;
    int failOpen_ = 0;
    int failLineState_ = 0;
    ModemStatus modem_;
    bool stop_ = false;
    TSerialEvents pendingEvents_;
    std::string pendingBytes_;
    TSerialErrors pendingErrors_;
};

}  // namespace sk::test
