#pragma once
// TSerialLink: a receiver attached to a port. The component that attaches it
// creates and owns it; the port only keeps a pointer in its ordered list
// (TCustomSerialPort::RegisterLink). Every callback runs on the main thread.
// OnPortDestroyed tells the owner that the port is going away; the owner then
// detaches (the port forgets the link anyway once it is destroyed). A link
// destroyed while attached detaches itself, so the port never holds a
// dangling receiver.
#include <functional>

namespace sk {

class TCustomSerialPort;

class TSerialLink {
  public:
    TSerialLink() = default;
    ~TSerialLink();
    TSerialLink(const TSerialLink&) = delete;
    TSerialLink& operator=(const TSerialLink&) = delete;

    using PortEvent = std::function<void(TCustomSerialPort&)>;
    using SignalEvent = std::function<void(TCustomSerialPort&, bool on)>;
    using BufferEvent = std::function<void(TCustomSerialPort&, const char* buffer, int count)>;

    // Received bytes; every link gets the same buffer, in attachment order.
    BufferEvent OnRxBuf;

    // Notifications that nothing in this program listens to yet.
    PortEvent OnConnect;
    PortEvent OnDisconnect;
    PortEvent OnRxStart;
    PortEvent OnTxStart;
    BufferEvent OnTxBuf;
    PortEvent OnTxEmpty;
    PortEvent OnRing;
    PortEvent OnRxFlag;
    SignalEvent OnCTSChange;
    SignalEvent OnDSRChange;
    SignalEvent OnRLSDChange;

    std::function<void()> OnPortDestroyed;

    // The port this link is attached to, if any.
    TCustomSerialPort* Port() const { return port_; }

  private:
    friend class TCustomSerialPort;
    TCustomSerialPort* port_ = nullptr;
};

}  // namespace sk
