#include "serial/serial_port.h"

#include <algorithm>
#include <cerrno>

#include "serial/serial_device.h"
#include "serial/serial_error.h"
#include "serial/serial_link.h"
#include "serial/serial_thread.h"

namespace sk {

namespace {

std::uint32_t timeoutWord(int ms) {
    return static_cast<std::uint32_t>(ms);
}

}  // namespace

TCustomSerialPort::TCustomSerialPort() : TCustomSerialPort(makePlatformSerialDevice()) {}

TCustomSerialPort::TCustomSerialPort(std::unique_ptr<SerialDevice> device)
    : device_(std::move(device)),
      parity_([this] { lineStateChanged(); }),
      flowControl_([this] { lineStateChanged(); }),
      timeouts_([this] {
          if (connected_)
              applyTimeouts();
      }),
      buffer_([this] {
          if (connected_)
              applyBuffers();
      }),
      wake_(std::make_shared<MainThreadWake>()) {}

TCustomSerialPort::~TCustomSerialPort() {
    try {
        Close();
    } catch (...) {
        // A destructor cannot report; the device is released below regardless.
    }
    stopThread();
    retired_.clear();
    if (device_)
        device_->close();
    const std::vector<TSerialLink*> links = links_;
    for (TSerialLink* link : links) {
        if (HasLink(link) && link->OnPortDestroyed)
            link->OnPortDestroyed();
    }
    for (TSerialLink* link : links_)
        link->port_ = nullptr;
    links_.clear();
}

// --- settings

void TCustomSerialPort::SetPort(std::string name) {
    if (name == port_)
        return;
    port_ = std::move(name);
    if (connected_) {
        Close();
        Open();
    }
}

void TCustomSerialPort::lineStateChanged() {
    if (connected_)
        applyLineState();
}

template <typename T>
static bool changeTo(T& field, T value) {
    if (field == value)
        return false;
    field = value;
    return true;
}

void TCustomSerialPort::SetBaudRate(TBaudRate v) {
    if (changeTo(baudRate_, v))
        lineStateChanged();
}
void TCustomSerialPort::SetCustomBaudRate(int v) {
    if (changeTo(customBaudRate_, v))
        lineStateChanged();
}
void TCustomSerialPort::SetStopBits(TStopBits v) {
    if (changeTo(stopBits_, v))
        lineStateChanged();
}
void TCustomSerialPort::SetDataBits(TDataBits v) {
    if (changeTo(dataBits_, v))
        lineStateChanged();
}
void TCustomSerialPort::SetDiscardNull(bool v) {
    if (changeTo(discardNull_, v))
        lineStateChanged();
}
void TCustomSerialPort::SetEventChar(char v) {
    if (changeTo(eventChar_, v))
        lineStateChanged();
}
void TCustomSerialPort::SetEvents(TSerialEvents v) {
    events_ = v;
}

void TCustomSerialPort::SetSyncMethod(TSyncMethod v) {
    if (v == syncMethod_)
        return;
    if (connected_)
        throw ESerialPort(seConnChangeProp);
    syncMethod_ = v;
}

LineState TCustomSerialPort::LineStateRecord() const {
    LineState s;
    s.baudRate = static_cast<std::uint32_t>(
        baudRate_ == TBaudRate::brCustom ? customBaudRate_ : baudRateValue(baudRate_));
    s.fBinary = true;
    s.fParity = parity_.Check();
    s.fOutxCtsFlow = flowControl_.OutCTSFlow();
    s.fOutxDsrFlow = flowControl_.OutDSRFlow();
    s.fDtrControl = static_cast<int>(flowControl_.ControlDTR());
    s.fDsrSensitivity = flowControl_.DSRSensitivity();
    s.fTXContinueOnXoff = flowControl_.TxContinueOnXoff();
    s.fOutX = flowControl_.XonXoffOut();
    s.fInX = flowControl_.XonXoffIn();
    if (parity_.Check() && parity_.Replace()) {
        s.fErrorChar = true;
        s.errorChar = parity_.ReplaceChar();
    }
    s.fNull = discardNull_;
    s.fRtsControl = static_cast<int>(flowControl_.ControlRTS());
    s.fAbortOnError = false;
    const auto limit = static_cast<std::uint16_t>(buffer_.InputSize() / 4);
    s.xonLim = limit;
    s.xoffLim = limit;
    s.byteSize = 5 + static_cast<int>(dataBits_);
    s.parity = static_cast<int>(parity_.Bits());
    s.stopBits = static_cast<int>(stopBits_);
    s.xonChar = flowControl_.XonChar();
    s.xoffChar = flowControl_.XoffChar();
    s.evtChar = eventChar_;
    return s;
}

CommTimeouts TCustomSerialPort::TimeoutsRecord() const {
    return {timeoutWord(timeouts_.ReadInterval()), timeoutWord(timeouts_.ReadTotalMultiplier()),
            timeoutWord(timeouts_.ReadTotalConstant()),
            timeoutWord(timeouts_.WriteTotalMultiplier()),
            timeoutWord(timeouts_.WriteTotalConstant())};
}

void TCustomSerialPort::applyLineState() {
    device_->applyLineState(LineStateRecord());
}
void TCustomSerialPort::applyTimeouts() {
    device_->applyTimeouts(TimeoutsRecord());
}
void TCustomSerialPort::applyBuffers() {
    device_->applyBuffers(buffer_.InputSize(), buffer_.OutputSize());
}

// --- open and close

void TCustomSerialPort::Open() {
    if (connected_)
        return;
    if (OnBeforeOpen)
        OnBeforeOpen(*this);
    if (connected_)
        return;  // the handler opened it
    device_->open(port_);
    connected_ = true;
    ++openings_;
    try {
        applyBuffers();
        applyLineState();
        applyTimeouts();
        if (!events_.empty())
            thread_ = std::make_unique<TSerialThread>(*this, *device_, events_, syncMethod_, wake_);
    } catch (...) {
        device_->close();
        connected_ = false;
        throw;
    }
    forEachLink([this](TSerialLink& l) {
        if (l.OnConnect)
            l.OnConnect(*this);
    });
    if (OnAfterOpen)
        OnAfterOpen(*this);
    reportSignal(TSerialEvent::evCTS, device_->modemStatus().cts);
    reportSignal(TSerialEvent::evDSR, device_->modemStatus().dsr);
    reportSignal(TSerialEvent::evRLSD, device_->modemStatus().rlsd);
}

void TCustomSerialPort::Close() {
    if (!connected_ || closing_)
        return;
    closing_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{closing_};
    reportSignal(TSerialEvent::evCTS, false);
    reportSignal(TSerialEvent::evDSR, false);
    reportSignal(TSerialEvent::evRLSD, false);
    if (OnBeforeClose)
        OnBeforeClose(*this);
    try {
        // Only input is aborted: every write has completed before WriteString
        // returned, and clearing output the driver still holds would cut the
        // task's last command short on the wire.
        device_->purge(purgeRxAbort);
    } catch (const ESerialPort&) {
        // Aborting is best effort; the device is released either way.
    }
    stopThread();
    device_->close();
    connected_ = false;
    forEachLink([this](TSerialLink& l) {
        if (l.OnDisconnect)
            l.OnDisconnect(*this);
    });
    if (OnAfterClose)
        OnAfterClose(*this);
}

void TCustomSerialPort::stopThread() {
    if (!thread_)
        return;
    thread_->Stop();
    // Inside a hand-over of this thread the object is still on the stack.
    if (handOverDepth_ > 0)
        retired_.push_back(std::move(thread_));
    else
        thread_.reset();
}

void TCustomSerialPort::SetConnected(bool v) {
    if (v == connected_)
        return;
    if (v)
        Open();
    else
        Close();
}

int TCustomSerialPort::WriteString(std::string_view text) {
    if (!connected_)
        throw ESerialPort(seWriteFail, EBADF);
    if (text.empty())
        return 0;
    forEachLink([this](TSerialLink& l) {
        if (l.OnTxStart)
            l.OnTxStart(*this);
    });
    const int sent = device_->write(text.data(), static_cast<int>(text.size()));
    forEachLink([&](TSerialLink& l) {
        if (l.OnTxBuf)
            l.OnTxBuf(*this, text.data(), sent);
    });
    return sent;
}

// --- hand-over and dispatch

void TCustomSerialPort::SetMainThreadWake(std::function<void()> wake) {
    std::lock_guard lock(wake_->mutex);
    wake_->wake = std::move(wake);
}

bool TCustomSerialPort::ProcessHandOver() {
    if (!thread_)
        return false;
    TSerialThread* thread = thread_.get();
    ++handOverDepth_;
    bool ran = false;
    try {
        ran = thread->ProcessHandOver();
    } catch (...) {
        --handOverDepth_;
        throw;
    }
    if (--handOverDepth_ == 0)
        retired_.clear();
    return ran;
}

template <typename F>
void TCustomSerialPort::forEachLink(F f) {
    // Handlers may attach or detach links; walk a copy and skip the departed.
    const std::vector<TSerialLink*> links = links_;
    for (TSerialLink* link : links) {
        if (HasLink(link))
            f(*link);
    }
}

int TCustomSerialPort::DispatchEvents(TSerialEvents events) {
    static constexpr TSerialEvent kOrder[] = {TSerialEvent::evError,   TSerialEvent::evRxChar,
                                              TSerialEvent::evTxEmpty, TSerialEvent::evBreak,
                                              TSerialEvent::evRing,    TSerialEvent::evCTS,
                                              TSerialEvent::evDSR,     TSerialEvent::evRxFlag,
                                              TSerialEvent::evRLSD,    TSerialEvent::evRx80Full};
    int unread = 0;
    for (TSerialEvent e : kOrder) {
        if (!events.contains(e))
            continue;
        // A handler may have closed the port; the rest of the wake-up is moot.
        if (!connected_ || !device_->isOpen())
            break;
        switch (e) {
            case TSerialEvent::evError: {
                const TSerialErrors errors = device_->queueStatus().errors;
                if (!errors.empty() && OnError)
                    OnError(*this, errors);
                break;
            }
            case TSerialEvent::evRxChar:
                unread = receive();
                break;
            case TSerialEvent::evTxEmpty:
                forEachLink([this](TSerialLink& l) {
                    if (l.OnTxEmpty)
                        l.OnTxEmpty(*this);
                });
                if (OnTxEmpty)
                    OnTxEmpty(*this);
                break;
            case TSerialEvent::evBreak:
                if (OnBreak)
                    OnBreak(*this);
                break;
            case TSerialEvent::evRing:
                forEachLink([this](TSerialLink& l) {
                    if (l.OnRing)
                        l.OnRing(*this);
                });
                if (OnRing)
                    OnRing(*this);
                break;
            case TSerialEvent::evCTS:
                reportSignal(e, device_->modemStatus().cts);
                break;
            case TSerialEvent::evDSR:
                reportSignal(e, device_->modemStatus().dsr);
                break;
            case TSerialEvent::evRLSD:
                reportSignal(e, device_->modemStatus().rlsd);
                break;
            case TSerialEvent::evRxFlag:
                forEachLink([this](TSerialLink& l) {
                    if (l.OnRxFlag)
                        l.OnRxFlag(*this);
                });
                if (OnRxFlag)
                    OnRxFlag(*this);
                break;
            case TSerialEvent::evRx80Full:
                if (OnRx80Full)
                    OnRx80Full(*this);
                break;
        }
    }
    return unread;
}

int TCustomSerialPort::receive() {
    const int count = device_->queueStatus().waiting;
    if (count > 0) {
        forEachLink([this](TSerialLink& l) {
            if (l.OnRxStart)
                l.OnRxStart(*this);
        });
    }
    const bool anyReceiver =
        std::any_of(links_.begin(), links_.end(), [](TSerialLink* l) { return bool(l->OnRxBuf); });
    if (!anyReceiver) {
        // Left in the driver for whoever handles OnRxChar.
        if (count > 0 && OnRxChar)
            OnRxChar(*this, count);
        return count;
    }
    if (count <= 0)
        return 0;
    std::vector<char> buffer(static_cast<size_t>(count));
    const int got = device_->read(buffer.data(), count);
    if (got <= 0)
        return 0;
    if (OnRxBuf)
        OnRxBuf(*this, buffer.data(), got);
    forEachLink([&](TSerialLink& l) {
        if (l.OnRxBuf)
            l.OnRxBuf(*this, buffer.data(), got);
    });
    return 0;
}

void TCustomSerialPort::reportSignal(TSerialEvent which, bool on) {
    forEachLink([&](TSerialLink& l) {
        if (which == TSerialEvent::evCTS && l.OnCTSChange)
            l.OnCTSChange(*this, on);
        if (which == TSerialEvent::evDSR && l.OnDSRChange)
            l.OnDSRChange(*this, on);
        if (which == TSerialEvent::evRLSD && l.OnRLSDChange)
            l.OnRLSDChange(*this, on);
    });
    if (which == TSerialEvent::evCTS && OnCTSChange)
        OnCTSChange(*this, on);
    if (which == TSerialEvent::evDSR && OnDSRChange)
        OnDSRChange(*this, on);
    if (which == TSerialEvent::evRLSD && OnRLSDChange)
        OnRLSDChange(*this, on);
}

// --- links

bool TCustomSerialPort::HasLink(const TSerialLink* link) const {
    return std::find(links_.begin(), links_.end(), link) != links_.end();
}

void TCustomSerialPort::RegisterLink(TSerialLink* link) {
    if (link == nullptr || HasLink(link) || link->port_ != nullptr)
        throw ESerialPort(seRegFailed);
    links_.push_back(link);
    link->port_ = this;
}

void TCustomSerialPort::UnRegisterLink(TSerialLink* link) {
    const auto it = std::find(links_.begin(), links_.end(), link);
    if (it == links_.end())
        throw ESerialPort(seRegFailed);
    links_.erase(it);
    link->port_ = nullptr;
}

TSerialLink::~TSerialLink() {
    if (port_ != nullptr && port_->HasLink(this))
        port_->UnRegisterLink(this);
}

}  // namespace sk
