#include "serial/win32/serial_device_win32.h"

#include <algorithm>
#include <vector>

#include "serial/serial_error.h"

namespace sk {

namespace {

// A wait that failed is tried again only after this pause, so a device that
// keeps failing cannot turn the event thread into a busy loop.
constexpr DWORD kFailedWaitBackoffMs = 100;
// How long a stopped wait may take to give back its record; CloseHandle on
// the port ends it for certain afterwards.
constexpr DWORD kCancelGraceMs = 2000;

[[noreturn]] void raise(int number, DWORD err) {
    throw ESerialPort(number, win32ErrorCode(err));
}

[[noreturn]] void raiseLast(int number) {
    raise(number, GetLastError());
}

// Codes a wait or transfer ends with when the adapter was pulled out.
bool isDeviceGoneError(DWORD err) {
    return err == ERROR_BAD_COMMAND || err == ERROR_GEN_FAILURE || err == ERROR_ACCESS_DENIED ||
           err == ERROR_DEVICE_REMOVED || err == ERROR_FILE_NOT_FOUND ||
           err == ERROR_INVALID_HANDLE;
}

struct EventBit {
    TSerialEvent event;
    DWORD bit;
};
constexpr EventBit kEventBits[] = {
    {TSerialEvent::evRxChar, EV_RXCHAR}, {TSerialEvent::evTxEmpty, EV_TXEMPTY},
    {TSerialEvent::evRxFlag, EV_RXFLAG}, {TSerialEvent::evRing, EV_RING},
    {TSerialEvent::evBreak, EV_BREAK},   {TSerialEvent::evCTS, EV_CTS},
    {TSerialEvent::evDSR, EV_DSR},       {TSerialEvent::evError, EV_ERR},
    {TSerialEvent::evRLSD, EV_RLSD},     {TSerialEvent::evRx80Full, EV_RX80FULL},
};

// Owns an event handle for the length of one transfer.
class EventHandle {
  public:
    explicit EventHandle(HANDLE h) : h_(h) {}
    ~EventHandle() {
        if (h_)
            CloseHandle(h_);
    }
    EventHandle(const EventHandle&) = delete;
    EventHandle& operator=(const EventHandle&) = delete;
    HANDLE get() const { return h_; }

  private:
    HANDLE h_;
};

}  // namespace

std::unique_ptr<SerialDevice> makePlatformSerialDevice() {
    return std::make_unique<Win32SerialDevice>();
}

int win32ErrorCode(DWORD err) {
    return static_cast<int>(err);
}

std::string win32DevicePath(const std::string& name) {
    std::string n = name;
    while (!n.empty() && n.back() == ' ')
        n.pop_back();
    return "\\\\.\\" + n;
}

DCB win32Dcb(const LineState& s) {
    DCB d{};
    d.DCBlength = sizeof(DCB);
    d.BaudRate = s.baudRate;
    d.fBinary = s.fBinary ? 1 : 0;
    d.fParity = s.fParity ? 1 : 0;
    d.fOutxCtsFlow = s.fOutxCtsFlow ? 1 : 0;
    d.fOutxDsrFlow = s.fOutxDsrFlow ? 1 : 0;
    d.fDtrControl = static_cast<DWORD>(s.fDtrControl) & 3u;
    d.fDsrSensitivity = s.fDsrSensitivity ? 1 : 0;
    d.fTXContinueOnXoff = s.fTXContinueOnXoff ? 1 : 0;
    d.fOutX = s.fOutX ? 1 : 0;
    d.fInX = s.fInX ? 1 : 0;
    d.fErrorChar = s.fErrorChar ? 1 : 0;
    d.fNull = s.fNull ? 1 : 0;
    d.fRtsControl = static_cast<DWORD>(s.fRtsControl) & 3u;
    d.fAbortOnError = s.fAbortOnError ? 1 : 0;
    d.XonLim = s.xonLim;
    d.XoffLim = s.xoffLim;
    d.ByteSize = static_cast<BYTE>(s.byteSize);
    d.Parity = static_cast<BYTE>(s.parity);
    d.StopBits = static_cast<BYTE>(s.stopBits);
    d.XonChar = s.xonChar;
    d.XoffChar = s.xoffChar;
    d.ErrorChar = s.errorChar;
    d.EvtChar = s.evtChar;
    return d;
}

DWORD win32EventMask(TSerialEvents events) {
    DWORD mask = 0;
    for (const EventBit& e : kEventBits) {
        if (events.contains(e.event))
            mask |= e.bit;
    }
    return mask;
}

TSerialEvents win32Events(DWORD mask) {
    TSerialEvents events;
    for (const EventBit& e : kEventBits) {
        if (mask & e.bit)
            events.insert(e.event);
    }
    return events;
}

TSerialErrors win32LineErrors(DWORD errors, bool parityCheck) {
    TSerialErrors out;
    if (errors & CE_FRAME)
        out.insert(TSerialError::ceFrame);
    if ((errors & CE_RXPARITY) && parityCheck)
        out.insert(TSerialError::ceRxParity);
    if (errors & CE_OVERRUN)
        out.insert(TSerialError::ceOverrun);
    if (errors & CE_BREAK)
        out.insert(TSerialError::ceBreak);
    if (errors & CE_IOE)
        out.insert(TSerialError::ceIO);
    if (errors & CE_MODE)
        out.insert(TSerialError::ceMode);
    if (errors & CE_RXOVER)
        out.insert(TSerialError::ceRxOver);
    if (errors & CE_TXFULL)
        out.insert(TSerialError::ceTxFull);
    return out;
}

Win32SerialDevice::~Win32SerialDevice() {
    close();
}

void Win32SerialDevice::open(const std::string& name) {
    close();
    const std::string path = win32DevicePath(name);
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        raiseLast(seOpenFail);
    HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!stop) {
        const DWORD err = GetLastError();
        CloseHandle(h);
        raise(seOpenFail, err);
    }
    handle_ = h;
    stop_ = stop;
    parityCheck_ = false;
    gone_ = false;
    goneReported_ = false;
}

void Win32SerialDevice::close() noexcept {
    // Closing the port ends any transfer still pending on it, so the wait
    // record may be released afterwards.
    if (handle_ != INVALID_HANDLE_VALUE) {
        CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }
    if (waitEvent_) {
        CloseHandle(waitEvent_);
        waitEvent_ = nullptr;
    }
    if (stop_) {
        CloseHandle(stop_);
        stop_ = nullptr;
    }
}

void Win32SerialDevice::applyBuffers(int inputSize, int outputSize) {
    if (inputSize < 0 || outputSize < 0)
        raise(seSetupComm, ERROR_INVALID_PARAMETER);
    if (!SetupComm(handle_, static_cast<DWORD>(inputSize), static_cast<DWORD>(outputSize)))
        raiseLast(seSetupComm);
}

void Win32SerialDevice::applyLineState(const LineState& state) {
    DCB dcb = win32Dcb(state);
    if (!SetCommState(handle_, &dcb))
        raiseLast(seSetState);
    parityCheck_ = state.fParity;
}

void Win32SerialDevice::applyTimeouts(const CommTimeouts& t) {
    COMMTIMEOUTS c{};
    c.ReadIntervalTimeout = t.readIntervalTimeout;
    c.ReadTotalTimeoutMultiplier = t.readTotalTimeoutMultiplier;
    c.ReadTotalTimeoutConstant = t.readTotalTimeoutConstant;
    c.WriteTotalTimeoutMultiplier = t.writeTotalTimeoutMultiplier;
    c.WriteTotalTimeoutConstant = t.writeTotalTimeoutConstant;
    if (!SetCommTimeouts(handle_, &c))
        raiseLast(seSetTimeouts);
}

void Win32SerialDevice::beginWatch(TSerialEvents mask) {
    if (stop_)
        ResetEvent(stop_);
    if (!waitEvent_)
        waitEvent_ = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    mask_ = win32EventMask(mask);
    // A mask the device refuses shows up as failing waits, which the thread
    // survives; the port's opening does not depend on it.
    SetCommMask(handle_, mask_);
}

void Win32SerialDevice::endWatch() {
    SetCommMask(handle_, 0);
    mask_ = 0;
}

void Win32SerialDevice::signalStop() {
    if (stop_)
        SetEvent(stop_);
    // Also end a wait that is in progress; some drivers ignore the cancel, and
    // clearing the mask completes the wait on those. The thread then waits
    // (bounded) for the record before it leaves.
    if (handle_ != INVALID_HANDLE_VALUE) {
        CancelIoEx(handle_, &waitOv_);
        SetCommMask(handle_, 0);
    }
}

void Win32SerialDevice::waitStop() {
    if (stop_)
        WaitForSingleObject(stop_, INFINITE);
}

bool Win32SerialDevice::backOff() {
    return WaitForSingleObject(stop_, kFailedWaitBackoffMs) == WAIT_OBJECT_0;
}

void Win32SerialDevice::cancelWait() {
    // Some drivers ignore the cancel; clearing the mask completes the wait too.
    CancelIoEx(handle_, &waitOv_);
    SetCommMask(handle_, 0);
    if (WaitForSingleObject(waitEvent_, kCancelGraceMs) == WAIT_OBJECT_0) {
        DWORD ignored = 0;
        GetOverlappedResult(handle_, &waitOv_, &ignored, FALSE);
    }
}

WaitResult Win32SerialDevice::waitEvents(int /*unread*/) {
    // EV_RXCHAR reports only bytes that arrive after the wait began, so bytes
    // a dispatch left unread do not wake the thread again.
    if (!waitEvent_ || handle_ == INVALID_HANDLE_VALUE)
        return {WaitResult::Gone, {}};
    auto failed = [this](DWORD err) -> WaitResult {
        if (isDeviceGoneError(err)) {
            gone_ = true;
            return {WaitResult::Gone, win32Events(mask_ & EV_ERR)};
        }
        if (backOff())
            return {WaitResult::Stopped, {}};
        return {WaitResult::Failed, {}};
    };

    waitOv_ = OVERLAPPED{};
    waitOv_.hEvent = waitEvent_;
    waitMask_ = 0;
    if (WaitCommEvent(handle_, &waitMask_, &waitOv_)) {
        // Completed at once; the event is set as well, but there is no need
        // to wait for it. A stop requested meanwhile still wins.
        if (WaitForSingleObject(stop_, 0) == WAIT_OBJECT_0)
            return {WaitResult::Stopped, {}};
        return {WaitResult::Events, win32Events(waitMask_ & mask_)};
    }
    const DWORD started = GetLastError();
    if (started != ERROR_IO_PENDING)
        return failed(started);

    const HANDLE handles[2] = {stop_, waitEvent_};
    const DWORD which = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
    if (which != WAIT_OBJECT_0 + 1) {
        cancelWait();
        return {WaitResult::Stopped, {}};
    }
    DWORD ignored = 0;
    if (!GetOverlappedResult(handle_, &waitOv_, &ignored, FALSE))
        return failed(GetLastError());
    return {WaitResult::Events, win32Events(waitMask_ & mask_)};
}

QueueStatus Win32SerialDevice::queueStatus() {
    QueueStatus q;
    DWORD errors = 0;
    COMSTAT stat{};
    if (!ClearCommError(handle_, &errors, &stat)) {
        const DWORD err = GetLastError();
        if (!gone_ && !(handle_ != INVALID_HANDLE_VALUE && isDeviceGoneError(err)))
            raise(seClearComm, err);
        gone_ = true;
    } else {
        q.waiting = static_cast<int>(std::min<DWORD>(stat.cbInQue, 0x7FFFFFFF));
        q.errors = win32LineErrors(errors, parityCheck_);
    }
    if (gone_ && !goneReported_) {
        q.errors.insert(TSerialError::ceIO);
        goneReported_ = true;
    }
    return q;
}

DWORD Win32SerialDevice::transfer(bool writing, char* buffer, DWORD count, DWORD& done) {
    done = 0;
    // Manual reset, created signalled: the transfer resets it when it starts.
    EventHandle event(CreateEventA(nullptr, TRUE, TRUE, nullptr));
    if (!event.get())
        return GetLastError();
    OVERLAPPED ov{};
    ov.hEvent = event.get();
    const BOOL ok = writing ? WriteFile(handle_, buffer, count, nullptr, &ov)
                            : ReadFile(handle_, buffer, count, nullptr, &ov);
    if (!ok && GetLastError() != ERROR_IO_PENDING)
        return GetLastError();
    // Either completion style ends here: at once (the event is set) or later.
    if (WaitForSingleObject(event.get(), INFINITE) != WAIT_OBJECT_0)
        return GetLastError();
    if (!GetOverlappedResult(handle_, &ov, &done, FALSE))
        return GetLastError();
    return ERROR_SUCCESS;
}

int Win32SerialDevice::read(char* buffer, int count) {
    if (count <= 0)
        return 0;
    DWORD done = 0;
    const DWORD err = transfer(false, buffer, static_cast<DWORD>(count), done);
    if (err != ERROR_SUCCESS) {
        if (handle_ != INVALID_HANDLE_VALUE && isDeviceGoneError(err)) {
            gone_ = true;
            return 0;
        }
        raise(seReadFail, err);
    }
    return static_cast<int>(done);
}

int Win32SerialDevice::write(const char* data, int count) {
    if (handle_ == INVALID_HANDLE_VALUE)
        raise(seWriteFail, ERROR_INVALID_HANDLE);
    if (count <= 0)
        return 0;
    // The driver may read the bytes until the transfer ends; keep our own copy.
    std::vector<char> copy(data, data + count);
    DWORD done = 0;
    const DWORD err = transfer(true, copy.data(), static_cast<DWORD>(count), done);
    if (err != ERROR_SUCCESS)
        raise(seWriteFail, err);
    return static_cast<int>(done);
}

void Win32SerialDevice::purge(unsigned flags) {
    // The flag values are the platform's PURGE_* bits.
    if (!PurgeComm(handle_, flags))
        raiseLast(sePurgeFail);
}

ModemStatus Win32SerialDevice::modemStatus() {
    DWORD bits = 0;
    if (!GetCommModemStatus(handle_, &bits))
        raiseLast(seModemStatus);
    return {(bits & MS_CTS_ON) != 0, (bits & MS_DSR_ON) != 0, (bits & MS_RING_ON) != 0,
            (bits & MS_RLSD_ON) != 0};
}

}  // namespace sk
