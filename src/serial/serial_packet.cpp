#include "serial/serial_packet.h"

#include <algorithm>

#include "serial/serial_port.h"

namespace sk {

namespace {

char foldAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

TSerialPacket::TSerialPacket() {
    link_.OnRxBuf = [this](TCustomSerialPort&, const char* buffer, int count) {
        AddChunk(std::string_view(buffer, count > 0 ? static_cast<size_t>(count) : 0));
    };
    link_.OnPortDestroyed = [this] { SetSerialPort(nullptr); };
}

TSerialPacket::~TSerialPacket() {
    if (port_ != nullptr && port_->HasLink(&link_))
        port_->UnRegisterLink(&link_);
}

void TSerialPacket::SetSerialPort(TCustomSerialPort* port) {
    if (port == port_)
        return;
    if (port_ != nullptr) {
        TCustomSerialPort* old = port_;
        port_ = nullptr;
        old->UnRegisterLink(&link_);
    }
    if (port != nullptr) {
        port->RegisterLink(&link_);
        port_ = port;
    }
}

void TSerialPacket::SetCaseInsensitive(bool v) {
    if (v == caseInsensitive_)
        return;
    caseInsensitive_ = v;
    if (!loading_)
        EmptyBuffer();
}

void TSerialPacket::SetStartString(const std::string& v) {
    if (v == startString_)
        return;
    startString_ = v;
    if (!loading_)
        EmptyBuffer();
}

void TSerialPacket::SetStopString(const std::string& v) {
    if (v == stopString_)
        return;
    stopString_ = v;
    if (!loading_)
        EmptyBuffer();
}

void TSerialPacket::SetSize(int v) {
    if (v == size_)
        return;
    size_ = v;
    if (!loading_)
        EmptyBuffer();
}

bool TSerialPacket::hasStopCondition() const {
    return size_ > 0 || !stopString_.empty() || static_cast<bool>(OnCustomStop);
}

int TSerialPacket::find(const std::string& what, std::string_view in) const {
    if (what.empty() || what.size() > in.size())
        return 0;
    const auto equal = [this](char a, char b) {
        return caseInsensitive_ ? foldAscii(a) == foldAscii(b) : a == b;
    };
    const auto it = std::search(in.begin(), in.end(), what.begin(), what.end(), equal);
    return it == in.end() ? 0 : static_cast<int>(it - in.begin()) + 1;
}

void TSerialPacket::AddChunk(std::string_view chunk) {
    if (!hasStopCondition()) {
        if (OnPacket)
            OnPacket(*this, std::string(chunk));
        return;
    }
    buffer_.append(chunk);
    bool again = true;
    while (again) {
        try {
            again = searchOnce();
        } catch (...) {
            checkLimit();
            throw;
        }
        checkLimit();
    }
}

bool TSerialPacket::searchOnce() {
    if (!inPacket_) {
        int found = -1;
        if (OnCustomStart)
            OnCustomStart(*this, buffer_, found);
        if (found > 0) {
            discardUpTo(found);
        } else if (found == -1) {
            if (startString_.empty()) {
                inPacket_ = true;
            } else {
                found = find(startString_, buffer_);
                if (found > 0)
                    discardUpTo(found);
            }
        }
    }
    if (!inPacket_)
        return false;

    int found = -1;
    if (OnCustomStop)
        OnCustomStop(*this, buffer_, found);
    size_t cut = 0;
    if (found > 0) {
        cut = static_cast<size_t>(found);
    } else if (found == -1) {
        if (size_ > 0 && buffer_.size() >= static_cast<size_t>(size_)) {
            cut = static_cast<size_t>(size_);
        } else {
            // The stop string is looked for after the start string, so the
            // start string itself never ends a packet.
            const size_t skip = std::min(startString_.size(), buffer_.size());
            const int f = find(stopString_, std::string_view(buffer_).substr(skip));
            if (f > 0)
                cut = skip + static_cast<size_t>(f) - 1 + stopString_.size();
        }
    }
    cut = std::min(cut, buffer_.size());
    // An empty cut would hand over empty packets for ever.
    if (cut == 0)
        return false;

    inPacket_ = false;
    std::string packet = buffer_.substr(0, cut);
    buffer_.erase(0, cut);
    if (!includeStrings_)
        strip(packet);
    if (OnPacket)
        OnPacket(*this, packet);
    return true;
}

void TSerialPacket::discardUpTo(int position) {
    inPacket_ = true;
    const size_t n = std::min(static_cast<size_t>(position - 1), buffer_.size());
    if (n == 0)
        return;
    std::string discarded = buffer_.substr(0, n);
    buffer_.erase(0, n);
    if (OnDiscard)
        OnDiscard(*this, discarded);
}

void TSerialPacket::strip(std::string& packet) const {
    if (!startString_.empty() && find(startString_, packet) == 1)
        packet.erase(0, startString_.size());
    if (!stopString_.empty()) {
        const int p = find(stopString_, packet);
        if (p > 0 && static_cast<size_t>(p) == packet.size() - stopString_.size() + 1)
            packet.erase(packet.size() - stopString_.size());
    }
}

void TSerialPacket::checkLimit() {
    if (maxBufferSize_ > 0 && buffer_.size() >= static_cast<size_t>(maxBufferSize_))
        EmptyBuffer();
}

void TSerialPacket::EmptyBuffer() {
    if (buffer_.empty())
        return;
    const std::string text = buffer_;
    struct Clear {
        TSerialPacket& p;
        ~Clear() {
            p.buffer_.clear();
            p.inPacket_ = false;
        }
    } clear{*this};
    if (OnDiscard)
        OnDiscard(*this, text);
}

}  // namespace sk
