#include "protocol/clock_connection.h"

#include <cmath>

#include "protocol/clock_command.h"
#include "protocol/clock_host.h"
#include "protocol/timeout_timer.h"
#include "serial/port_discovery.h"
#include "serial/serial_packet.h"
#include "serial/serial_port.h"
#include "support/pacer.h"

namespace sk {

namespace {

constexpr int kPacedPauseMs = 300;
constexpr int kBitsPerByte = 11;  // start, eight data bits, two stop bits
constexpr long long kDayMs = 24LL * 3600 * 1000;

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

std::string_view Trim(std::string_view text) {
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// As the window's stored definition sets them: while loading, so no buffer
// is emptied on the way.
void ConfigurePacket(TSerialPacket& packet, TSerialPort& port) {
    packet.BeginLoading();
    packet.SetCaseInsensitive(true);
    packet.SetIncludeStrings(true);
    packet.SetMaxBufferSize(50000);
    packet.SetSerialPort(&port);
    packet.EndLoading();
}

}  // namespace

ClockConnection::ClockConnection(ClockHost& host, Pacer& pacer, TimeoutTimer& timer,
                                 PortEnumerator& ports)
    : host_(host),
      pacer_(pacer),
      timer_(timer),
      ports_(ports),
      com1_(std::make_unique<TSerialPort>()),
      packet1_(std::make_unique<TSerialPacket>()),
      packet2_(std::make_unique<TSerialPacket>()),
      packet3_(std::make_unique<TSerialPacket>()) {
    TSerialPort& port = *com1_;
    port.SetBaudRate(TBaudRate::br9600);
    port.SetDataBits(TDataBits::dbEight);
    port.Parity().SetBits(TParityBits::prNone);
    port.SetStopBits(TStopBits::sbTwoStopBits);
    port.FlowControl().SetFlowControl(TFlowControl::fcNone);
    port.FlowControl().SetControlDTR(TDTRFlowControl::dtrDisable);
    port.FlowControl().SetControlRTS(TRTSFlowControl::rtsDisable);
    port.Buffer().SetInputSize(9600);
    port.Buffer().SetOutputSize(9600);
    port.Timeouts().SetReadInterval(500);
    port.Timeouts().SetReadTotalMultiplier(0);
    port.Timeouts().SetReadTotalConstant(1000);
    port.Timeouts().SetWriteTotalMultiplier(10000);
    port.Timeouts().SetWriteTotalConstant(1000);
    port.SetEvents({TSerialEvent::evRxChar, TSerialEvent::evError});
    port.OnBeforeOpen = [this](TCustomSerialPort&) { com1BeforeOpen(); };

    // Attached in this order, so each received piece reaches the handler
    // from SerialPacket1 first.
    for (TSerialPacket* packet : {packet1_.get(), packet2_.get(), packet3_.get()}) {
        ConfigurePacket(*packet, port);
        packet->OnPacket = [this](TSerialPacket& sender, const std::string& text) {
            SerialPacket1Packet(sender, text);
        };
    }
    timer_.OnTimer = [this] { Timer1Timer(); };
}

ClockConnection::~ClockConnection() {
    timer_.OnTimer = nullptr;
    try {
        // Closing may still deliver a reply that is being handed over; the
        // host is alive to log it.
        com1_->Close();
    } catch (...) {
        // A destructor cannot report; the device is released regardless.
    }
}

// --- connection handling

void ClockConnection::FormActivate() {
    identifyMode = false;
    visklokke();
    if (SelectorNamesPort()) {
        Identify();
    }
    host_.ShowStartPage();
}

void ClockConnection::SpeedButton1Click() {
    identifyMode = false;
    visklokke();
    ApplySpeedRule();
    if (SelectorNamesPort()) {
        Identify();
    }
}

void ClockConnection::cbserieporterChange() {
    if (SelectorWantsFastSpeed()) {
        com1_->Close();
        com1_->SetBaudRate(TBaudRate::br115200);
    } else {
        com1_->SetBaudRate(TBaudRate::br9600);
    }
    com1_->Open();
}

void ClockConnection::com1BeforeOpen() {
    ApplySpeedRule();
}

void ClockConnection::Button13Click() {
    com1_->Close();
}

void ClockConnection::Identify() {
    com1_->SetPort(PortName(true));
    com1_->Open();
    SendCommand(ClockCommand::Identify);
    identifyMode = true;
}

void ClockConnection::ApplySpeedRule() {
    com1_->SetBaudRate(SelectorWantsFastSpeed() ? TBaudRate::br115200 : TBaudRate::br9600);
}

void ClockConnection::visklokke() {
    SelectorContents contents = RefreshSelector(host_.SelectorText(), ports_.Enumerate());
    host_.SetSelectorItems(contents.items, contents.selectedIndex);
}

std::string ClockConnection::PortName(bool trimmed) {
    std::string text = host_.SelectorText();
    std::string_view name = text;
    if (trimmed) {
        name = Trim(name);
    }
    return std::string(name.substr(0, name.find(' ')));
}

bool ClockConnection::SelectorNamesPort() {
    std::string text = host_.SelectorText();
    // "COM..." on every platform; a device path where ports are files.
    return text.rfind("COM", 0) == 0 || text.rfind('/', 0) == 0;
}

bool ClockConnection::SelectorWantsFastSpeed() {
    std::string text = host_.SelectorText();
    std::size_t blank = text.find(' ');
    // Only the entry's label counts: a device path may itself hold "USB".
    return blank != std::string::npos && Contains(std::string_view(text).substr(blank), "USB");
}

void ClockConnection::OpenForTask(bool trimmed) {
    com1_->SetPort(PortName(trimmed));
    com1_->Open();
}

void ClockConnection::ClosePort() {
    com1_->Close();
}

// --- sending

void ClockConnection::SendCommand(std::string_view command) {
    com1_->WriteString(command);
}

void ClockConnection::SendCommandPaced(std::string_view command) {
    SendCommand(command);
    pacer_.sleep(kPacedPauseMs);
}

TimeOfDay ClockConnection::SendTimeAtNextSecond() {
    int bitsPerSecond = baudRateValue(com1_->BaudRate());
    if (bitsPerSecond <= 0) {
        bitsPerSecond = com1_->CustomBaudRate();
    }
    const std::size_t length = ClockCommand::SetClock({}).size();
    const double wireMs = 1000.0 * kBitsPerByte * static_cast<double>(length) / bitsPerSecond;

    auto msOfDay = [](const LocalTime& t) {
        return ((t.hour * 60LL + t.minute) * 60 + t.second) * 1000 + t.millisecond;
    };
    long long start = msOfDay(pacer_.now());
    // The boundary whose second is sent: the next one that leaves time to
    // start the write before it.
    long long boundary = (start / 1000 + 1) * 1000;
    if (static_cast<double>(boundary - start) < wireMs) {
        boundary += 1000;
    }
    // Sleep most of the way, then look at the clock again: a long sleep can
    // overshoot, and the second stage takes that out.
    constexpr int kSettleMs = 20;
    for (int stage = 0; stage < 2; ++stage) {
        long long now = msOfDay(pacer_.now());
        if (now < start) {
            now += kDayMs;  // passed midnight while waiting
        }
        double remaining = static_cast<double>(boundary - now) - wireMs;
        if (stage == 0) {
            remaining -= kSettleMs;
        }
        int sleepMs = static_cast<int>(std::lround(remaining));
        if (sleepMs > 0) {
            pacer_.sleep(sleepMs);
        }
    }
    long long sentMs = boundary % kDayMs;
    TimeOfDay sent{static_cast<int>(sentMs / 3600000), static_cast<int>(sentMs / 60000 % 60),
                   static_cast<int>(sentMs / 1000 % 60)};
    SendCommand(ClockCommand::SetClock(sent));
    return sent;
}

// --- reply monitor

void ClockConnection::SerialPacket1Packet(TSerialPacket& /*sender*/, const std::string& packet) {
    host_.AppendLog(packet);
    if (Contains(packet, "-")) {
        replyState = -1;
        host_.AppendLog(std::string(kErrorLogLine));
    } else if (Contains(packet, "+")) {
        replyState = 1;
        timer_.SetEnabled(false);
        host_.AppendLog(packet);
    }
    if (Contains(packet, "\r\n")) {
        host_.AppendLog(std::string(kRepliesLogPrefix) + packet);
        replyState = 1;
        timer_.SetEnabled(false);
    }
    if (identifyMode) {
        host_.SetStatusText(packet);
        if (Contains(packet, "Start")) {
            host_.ShowClockFound(std::string(kClockFoundText));
        }
    }
}

void ClockConnection::Timer1Timer() {
    host_.ProcessPendingEvents();
    replyState = 2;
    host_.AppendLog(std::string(kTimedOutLogLine));
    timer_.SetEnabled(false);
    SendCommandPaced(ClockCommand::PursuitEnd);
    SendCommandPaced(ClockCommand::EraseList);
}

// --- TaskPort

TaskPort::TaskPort(ClockConnection& conn, NameForm form, Closing closing)
    : conn_(conn), closing_(closing) {
    try {
        conn_.OpenForTask(form == Trimmed);
    } catch (...) {
        if (closing_ == CloseEvenOnFailure) {
            conn_.ClosePort();
        }
        throw;
    }
}

TaskPort::~TaskPort() {
    // After Close() this is a no-op; on the way out of a failed task it is
    // the close the table asks for.
    if (closing_ == CloseEvenOnFailure) {
        try {
            conn_.ClosePort();
        } catch (...) {
            // The task's own error is the one to report.
        }
    }
}

void TaskPort::Close() {
    conn_.ClosePort();
}

}  // namespace sk
