#pragma once
// The non-window half of the main window: the port `com1` with its three
// packet components, the connection handling (activation, port search,
// selector change, exit, per-task opening), the reply monitor and the
// sending of commands.
//
// Ownership: ClockConnection owns com1 and SerialPacket1..3. It only refers
// to the host (the window), the pacer, the timeout timer and the port
// enumerator, which must outlive it. It installs itself as com1.OnBeforeOpen,
// as OnPacket of the three packet components and as timer.OnTimer.
// The owner installs the main-thread wake on com1 (SetMainThreadWake) before
// the first opening.
//
// Threads: every member is for the main thread only; replies arrive through
// the main-thread hand-over of com1 and therefore only where the main thread
// handles window events (host.ProcessPendingEvents / WaitForEvents).
//
// Errors: port failures raise ESerialPort out of the opening and writing
// members (none of them catches it); the caller's error box shows it.
#include <memory>
#include <string>
#include <string_view>

#include "support/conversion.h"

namespace sk {

class ClockHost;
class Pacer;
class TimeoutTimer;
class PortEnumerator;
class TSerialPort;
class TSerialPacket;

// Texts the connection handling and the reply monitor show (CP1252).
inline constexpr std::string_view kClockFoundText = "Dizeradozudn er tilkoblet";
inline constexpr std::string_view kErrorLogLine = "Error ";
inline constexpr std::string_view kRepliesLogPrefix = "Svarer:";
inline constexpr std::string_view kTimedOutLogLine = "Timed out og overf\xF8rsel avbrutt";

class ClockConnection {
  public:
    ClockConnection(ClockHost& host, Pacer& pacer, TimeoutTimer& timer, PortEnumerator& ports);
    ~ClockConnection();  // closes the port
    ClockConnection(const ClockConnection&) = delete;
    ClockConnection& operator=(const ClockConnection&) = delete;

    TSerialPort& com1() { return *com1_; }
    TSerialPacket& SerialPacket1() { return *packet1_; }
    TSerialPacket& SerialPacket2() { return *packet2_; }
    TSerialPacket& SerialPacket3() { return *packet3_; }
    ClockHost& host() { return host_; }
    Pacer& pacer() { return pacer_; }

    // 0 waiting (set by tasks), 1 acknowledged, -1 error, 2 timed out.
    int replyState = 0;
    // Set after "/ID" was written by activation or port search; every reply
    // then shows in the status label.
    bool identifyMode = false;

    // Window activation: lists the ports, identifies the clock on the selected
    // port (leaving it open) and shows the start page. A failed opening raises
    // and leaves the page as it was and identifyMode cleared.
    void FormActivate();
    // "Søk etter porter": as activation, without changing the page, and with
    // the speed rule applied to the port first.
    void SpeedButton1Click();
    // The selector's text changed: speed per the selector (closing first for an
    // adapter entry), then opens the port under the name com1 already holds.
    void cbserieporterChange();
    // Before every real opening: the speed follows the selector's text.
    void com1BeforeOpen();
    // "Avslutt": closes the port; the window closes itself afterwards.
    void Button13Click();

    // The one packet handler of SerialPacket1..3 (sender is not looked at).
    void SerialPacket1Packet(TSerialPacket& sender, const std::string& packet);
    // Timer1 fired: handles pending events, sets replyState 2, logs, switches
    // the timer off and writes "/PUREND\r\n" and "/ERASELIST\r\n" (300 ms each)
    // to the port as it is (a closed port raises).
    void Timer1Timer();

    // Lists the ports into the selector (the port search without the rest).
    void visklokke();

    // The port named by the selector: its text up to the first blank (the whole
    // text when there is none). trimmed removes surrounding blanks and control
    // characters first; the two forms name the same port.
    std::string PortName(bool trimmed);
    // True when the selector names a port: "COM..." or a device path "/...".
    bool SelectorNamesPort();
    // Whether the selector's entry calls for the adapter's 115200 baud: "USB"
    // in the entry's text after the port name.
    bool SelectorWantsFastSpeed();
    // Hands PortName(trimmed) to com1 and opens it (no-op when already open
    // under that name). Raises ESerialPort when it cannot open.
    void OpenForTask(bool trimmed);
    // Closes com1; no-op when closed.
    void ClosePort();

    // One blocking write of the command's bytes; raises ESerialPort.
    void SendCommand(std::string_view command);
    // SendCommand, then a 300 ms pause.
    void SendCommandPaced(std::string_view command);
    // Waits for the next whole second of the PC clock and sends "/SC" with
    // that second, started so that its last byte leaves at the boundary (the
    // wire time at the current speed, 11 bits per byte, is taken into
    // account). Returns the time sent. The port must be open.
    TimeOfDay SendTimeAtNextSecond();

  private:
    void Identify();
    void ApplySpeedRule();

    ClockHost& host_;
    Pacer& pacer_;
    TimeoutTimer& timer_;
    PortEnumerator& ports_;
    std::unique_ptr<TSerialPort> com1_;
    std::unique_ptr<TSerialPacket> packet1_;
    std::unique_ptr<TSerialPacket> packet2_;
    std::unique_ptr<TSerialPacket> packet3_;
};

// A task's use of the port, per the opening and closing table:
//   TaskPort port(conn, TaskPort::Untrimmed, TaskPort::CloseEvenOnFailure);
//   ...writes...
//   port.Close();
// With CloseAtEndOnly the port is closed only by Close() (an error leaves it
// open); with CloseEvenOnFailure also when the scope is left by an exception.
class TaskPort {
  public:
    enum NameForm { Untrimmed, Trimmed };
    enum Closing { CloseAtEndOnly, CloseEvenOnFailure };
    // Opens the port for the task; raises ESerialPort (nothing to close then
    // unless CloseEvenOnFailure, which closes on the way out).
    TaskPort(ClockConnection& conn, NameForm form, Closing closing);
    ~TaskPort();
    TaskPort(const TaskPort&) = delete;
    TaskPort& operator=(const TaskPort&) = delete;
    void Close();

  private:
    ClockConnection& conn_;
    Closing closing_;
};

}  // namespace sk
