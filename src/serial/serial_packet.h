#pragma once
// TSerialPacket: a receiver that cuts the bytes a port delivers into packets
// by a start condition (StartString or OnCustomStart) and a stop condition
// (Size, StopString or OnCustomStop), hands each packet to OnPacket and text
// it throws away to OnDiscard. Without a stop condition every received chunk
// is handed on unchanged as one packet. Packets are 8-bit strings, zero bytes
// included; CaseInsensitive folds only a-z when searching, never the packets.
//
// Threads: main thread only (the port delivers inside its hand-over).
// Errors: raises nothing itself; an exception from a handler passes out of
// AddChunk after the buffer limit has been checked, and in the port's receive
// path ends the event thread.
// Ownership: owns its TSerialLink; the port only points at it. When the port
// is destroyed first, the component detaches and SerialPort() becomes null.
#include <functional>
#include <string>
#include <string_view>

#include "serial/serial_link.h"

namespace sk {

class TCustomSerialPort;

class TSerialPacket {
  public:
    TSerialPacket();
    ~TSerialPacket();
    TSerialPacket(const TSerialPacket&) = delete;
    TSerialPacket& operator=(const TSerialPacket&) = delete;

    // Detaches from the old port and attaches at the end of the new port's
    // receivers (ESerialPort 18 from the port if that fails).
    TCustomSerialPort* SerialPort() const { return port_; }
    void SetSerialPort(TCustomSerialPort* port);

    // A change of these four empties the buffer (through OnDiscard) unless
    // the form is loading; writing the same value does nothing.
    bool CaseInsensitive() const { return caseInsensitive_; }
    void SetCaseInsensitive(bool v);
    const std::string& StartString() const { return startString_; }
    void SetStartString(const std::string& v);
    const std::string& StopString() const { return stopString_; }
    void SetStopString(const std::string& v);
    int Size() const { return size_; }
    void SetSize(int v);
    // Plain stores; the buffer is left as it is.
    bool IncludeStrings() const { return includeStrings_; }
    void SetIncludeStrings(bool v) { includeStrings_ = v; }
    // A buffer that holds this many characters after a search is emptied; 0
    // means no limit.
    int MaxBufferSize() const { return maxBufferSize_; }
    void SetMaxBufferSize(int v) { maxBufferSize_ = v; }

    // Between these, property writes keep the buffer (the form is loading).
    void BeginLoading() { loading_ = true; }
    void EndLoading() { loading_ = false; }
    bool Loading() const { return loading_; }

    using StrEvent = std::function<void(TSerialPacket& sender, const std::string& str)>;
    using CustPacketEvent =
        std::function<void(TSerialPacket& sender, const std::string& str, int& pos)>;
    StrEvent OnPacket;
    StrEvent OnDiscard;
    // Called with the whole buffer and pos -1 before each start or end search:
    // a positive pos reports a 1-based position, 0 reports "not found" and
    // skips the built-in search, -1 lets the built-in search run.
    CustPacketEvent OnCustomStart;
    CustPacketEvent OnCustomStop;

    // The receive step: adds one received chunk and hands over what it
    // completes.
    void AddChunk(std::string_view chunk);
    // Hands all buffered text to OnDiscard and forgets it.
    void EmptyBuffer();

    const std::string& Buffer() const { return buffer_; }
    bool InPacket() const { return inPacket_; }
    TSerialLink& Link() { return link_; }

  private:
    bool hasStopCondition() const;
    bool searchOnce();
    void discardUpTo(int position);
    void checkLimit();
    void strip(std::string& packet) const;
    int find(const std::string& what, std::string_view in) const;

    TSerialLink link_;
    TCustomSerialPort* port_ = nullptr;
    bool caseInsensitive_ = false;
    bool includeStrings_ = false;
    int maxBufferSize_ = 1024;
    std::string startString_;
    std::string stopString_;
    int size_ = 0;
    bool loading_ = false;

    std::string buffer_;
    bool inPacket_ = false;
};

}  // namespace sk
