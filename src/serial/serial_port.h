#pragma once
// TCustomSerialPort / TSerialPort: one serial device with its settings, its
// blocking write and, while open, its event thread.
//
// Threads: every member is for the main thread, except that the wake function
// given to SetMainThreadWake is called on the event thread. Handlers, receivers
// (TSerialLink) and packet deliveries run on the main thread, inside
// ProcessHandOver or inside Close.
// Errors: failures raise ESerialPort (serial/serial_error.h): 1 the device
// cannot be opened (the port stays closed); 9, 7, 8 a setting is refused
// during Open (the port is closed again) or while open; 2 a write fails or the
// port is closed; 11 reading the modem lines after Open has started the event
// thread (the port stays open); 14 SyncMethod changed while open; 18 a link
// registered twice or unregistered without being registered. Errors inside a
// hand-over (3, 10, or a handler's exception) end the event thread silently;
// the port stays open and Close works.
// Ownership: the port owns its setting groups and its device; it only points
// at the links registered with it and tells them when it is destroyed.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "serial/line_state.h"
#include "serial/serial_settings.h"
#include "serial/serial_types.h"

namespace sk {

class SerialDevice;
class TSerialLink;
class TSerialThread;
struct MainThreadWake;

class TCustomSerialPort {
  public:
    // A closed port with the default settings on the platform's device.
    TCustomSerialPort();
    // The same on the given device (tests use a fake).
    explicit TCustomSerialPort(std::unique_ptr<SerialDevice> device);
    // Closes the port, then tells the registered links it is going away.
    virtual ~TCustomSerialPort();
    TCustomSerialPort(const TCustomSerialPort&) = delete;
    TCustomSerialPort& operator=(const TCustomSerialPort&) = delete;

    // --- settings; writing the value already held does nothing
    const std::string& Port() const { return port_; }
    // Compared exactly; while open the port closes and opens on the new name.
    void SetPort(std::string name);
    TBaudRate BaudRate() const { return baudRate_; }
    void SetBaudRate(TBaudRate v);
    int CustomBaudRate() const { return customBaudRate_; }
    void SetCustomBaudRate(int v);
    TStopBits StopBits() const { return stopBits_; }
    void SetStopBits(TStopBits v);
    TDataBits DataBits() const { return dataBits_; }
    void SetDataBits(TDataBits v);
    bool DiscardNull() const { return discardNull_; }
    void SetDiscardNull(bool v);
    char EventChar() const { return eventChar_; }
    void SetEventChar(char v);
    // Takes effect at the next Open.
    TSerialEvents Events() const { return events_; }
    void SetEvents(TSerialEvents v);
    // smThreadSync and smWindowSync both deliver through the main-thread
    // hand-over; smNone runs handlers on the event thread (callers then
    // synchronise themselves).
    TSyncMethod SyncMethod() const { return syncMethod_; }
    void SetSyncMethod(TSyncMethod v);

    TSerialParity& Parity() { return parity_; }
    const TSerialParity& Parity() const { return parity_; }
    TSerialFlowControl& FlowControl() { return flowControl_; }
    const TSerialFlowControl& FlowControl() const { return flowControl_; }
    TSerialTimeouts& Timeouts() { return timeouts_; }
    const TSerialTimeouts& Timeouts() const { return timeouts_; }
    TSerialBuffer& Buffer() { return buffer_; }
    const TSerialBuffer& Buffer() const { return buffer_; }

    // The records the device gets from the current settings.
    LineState LineStateRecord() const;
    CommTimeouts TimeoutsRecord() const;

    // --- operations
    void Open();
    void Close();
    // Blocks until the bytes have left the driver or the write timeout ends
    // the write; returns the count written (shorter on an early end, 0 for an
    // empty text).
    int WriteString(std::string_view text);
    bool Connected() const { return connected_; }
    void SetConnected(bool v);

    // --- main-thread hand-over
    // `wake` runs on the event thread when a hand-over waits; it must make the
    // main thread call ProcessHandOver soon. May be set at any time.
    void SetMainThreadWake(std::function<void()> wake);
    // Runs a waiting hand-over (the events' handlers and receivers) and
    // releases the event thread. Returns whether one ran.
    bool ProcessHandOver();

    // --- receivers, in attachment order
    void RegisterLink(TSerialLink* link);
    void UnRegisterLink(TSerialLink* link);
    bool HasLink(const TSerialLink* link) const;

    // --- handlers
    using PortEvent = std::function<void(TCustomSerialPort&)>;
    using SignalEvent = std::function<void(TCustomSerialPort&, bool on)>;
    PortEvent OnBeforeOpen;
    PortEvent OnAfterOpen;
    PortEvent OnBeforeClose;
    PortEvent OnAfterClose;
    PortEvent OnTxEmpty;
    PortEvent OnBreak;
    PortEvent OnRing;
    PortEvent OnRxFlag;
    PortEvent OnRx80Full;
    std::function<void(TCustomSerialPort&, int count)> OnRxChar;
    std::function<void(TCustomSerialPort&, const char* buffer, int count)> OnRxBuf;
    std::function<void(TCustomSerialPort&, TSerialErrors errors)> OnError;
    SignalEvent OnCTSChange;
    SignalEvent OnDSRChange;
    SignalEvent OnRLSDChange;

  private:
    friend class TSerialThread;
    // Handles the events of one wake-up in their fixed order; returns the
    // number of received bytes left in the driver for OnRxChar.
    int DispatchEvents(TSerialEvents events);
    int receive();
    void lineStateChanged();
    void applyLineState();
    void applyTimeouts();
    void applyBuffers();
    void reportSignal(TSerialEvent which, bool on);
    void stopThread();
    template <typename F>
    void forEachLink(F f);

    std::unique_ptr<SerialDevice> device_;
    std::string port_ = "COM1";
    TBaudRate baudRate_ = TBaudRate::br9600;
    int customBaudRate_ = 9600;
    TStopBits stopBits_ = TStopBits::sbOneStopBit;
    TDataBits dataBits_ = TDataBits::dbEight;
    bool discardNull_ = false;
    char eventChar_ = 0;
    TSerialEvents events_ = allSerialEvents();
    TSyncMethod syncMethod_ = TSyncMethod::smThreadSync;
    TSerialParity parity_;
    TSerialFlowControl flowControl_;
    TSerialTimeouts timeouts_;
    TSerialBuffer buffer_;

    bool connected_ = false;
    unsigned openings_ = 0;  // tells a hand-over that the device changed under it
    std::vector<TSerialLink*> links_;
    std::shared_ptr<MainThreadWake> wake_;
    std::unique_ptr<TSerialThread> thread_;
    // Threads stopped from inside their own hand-over; freed once it returns.
    std::vector<std::unique_ptr<TSerialThread>> retired_;
    int handOverDepth_ = 0;
    bool closing_ = false;
};

class TSerialPort : public TCustomSerialPort {
  public:
    using TCustomSerialPort::TCustomSerialPort;
};

}  // namespace sk
