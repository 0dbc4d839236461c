#pragma once
// Internal: the Win32 backend of SerialDevice (communications API, overlapped).
// Port names: "\\.\" + the name with trailing blanks removed ("COM3 " and
// "COM3" open the same port). Every failure raises ESerialPort with the
// message number of SerialDevice and GetLastError as its code.
// Threads: as SerialDevice. The stop event and the handle are only created or
// released while no event thread exists.
#include <windows.h>

#include <atomic>
#include <string>

#include "serial/serial_device.h"

namespace sk {

// The path CreateFileA opens for a port name.
std::string win32DevicePath(const std::string& name);

// The code ESerialPort carries for a GetLastError value.
int win32ErrorCode(DWORD err);

// The platform's device control block for a line state record.
DCB win32Dcb(const LineState& state);

// The platform's event mask for a set of events, and back.
DWORD win32EventMask(TSerialEvents events);
TSerialEvents win32Events(DWORD mask);

// The line errors named by a ClearCommError error word.
TSerialErrors win32LineErrors(DWORD errors, bool parityCheck);

class Win32SerialDevice final : public SerialDevice {
  public:
    Win32SerialDevice() = default;
    ~Win32SerialDevice() override;

    void open(const std::string& name) override;
    void close() noexcept override;
    bool isOpen() const override { return handle_ != INVALID_HANDLE_VALUE; }

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
    // Runs one overlapped transfer to its end; the platform's error code, or
    // ERROR_SUCCESS.
    DWORD transfer(bool writing, char* buffer, DWORD count, DWORD& done);
    // Pauses after a failed wait; true when a stop came meanwhile.
    bool backOff();
    // Ends the pending event wait and waits (bounded) for its record.
    void cancelWait();

    HANDLE handle_ = INVALID_HANDLE_VALUE;
    HANDLE stop_ = nullptr;  // manual reset; set by signalStop
    bool parityCheck_ = false;
    // The event wait's record lives here, not on the thread's stack: a wait
    // that ignores its cancel may only complete when the handle is closed.
    HANDLE waitEvent_ = nullptr;
    OVERLAPPED waitOv_{};
    DWORD waitMask_ = 0;
    DWORD mask_ = 0;
    // Set when the device vanished; reported as ceIO once.
    std::atomic<bool> gone_{false};
    bool goneReported_ = false;
};

}  // namespace sk
