#include "tasks/pursuit_transfer.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "files/convert_spreadsheet_list.h"
#include "files/pursuit_list.h"
#include "protocol/clock_command.h"
#include "protocol/clock_connection.h"
#include "protocol/clock_host.h"
#include "protocol/timeout_timer.h"
#include "serial/serial_packet.h"
#include "serial/serial_port.h"
#include "support/conversion.h"
#include "support/pacer.h"

namespace sk::pursuit_transfer {

namespace {

constexpr int kFixedPauseMs = 300;
constexpr int kProgressStep = 10;
constexpr int kProgressMax = 100;

// Hides the bar however the transfer ends. The list is read whole, so there
// is no file left open to close.
class ProgressShown {
  public:
    explicit ProgressShown(PursuitPage& page) : page_(page) {}
    ~ProgressShown() { page_.SetProgressVisible(false); }
    ProgressShown(const ProgressShown&) = delete;
    ProgressShown& operator=(const ProgressShown&) = delete;

  private:
    PursuitPage& page_;
};

std::string ConvertIntoFaktexcel(PursuitPage& page, const std::string& path) {
    struct Notice {
        PursuitPage& page;
        ~Notice() { page.FaktexcelChanged(); }
    } notice{page};
    return ConvertSpreadsheetList(page.faktexcel(), path, page.TimeSeparator());
}

void SendCorridorFilter(ClockConnection& conn, const std::string& corridor) {
    const bool allCorridors = !corridor.empty() && (corridor[0] == 'A' || corridor[0] == '0');
    if (allCorridors) {
        conn.SendCommand(ClockCommand::ResetGate);
    } else {
        conn.SendCommand(ClockCommand::SetGate(corridor));
    }
    conn.pacer().sleep(kFixedPauseMs);
}

void SendListLine(ClockConnection& conn, const std::string& line) {
    for (char c : line) {
        const char out = c == ',' ? ';' : c;
        conn.SendCommand(std::string_view(&out, 1));
        conn.host().ProcessPendingEvents();
    }
    conn.SendCommand(ClockCommand::LineEnd);
}

}  // namespace

int NextProgressPosition(int position) {
    const int next = position + kProgressStep;
    return next > kProgressMax ? 0 : next;
}

int LineDelayMs(std::string_view tctdelay) {
    const std::optional<std::int32_t> ms = parseWholeNumber(tctdelay);
    if (!ms) {
        return kDefaultLineDelayMs;
    }
    if (*ms < 0) {
        return 0;
    }
    return *ms > kMaxLineDelayMs ? kMaxLineDelayMs : static_cast<int>(*ms);
}

void BitBtn6Click(ClockConnection& conn, TimeoutTimer& Timer1, PursuitPage& page) {
    std::string listPath = page.FileEdit1();
    if (IsSpreadsheetList(listPath)) {
        listPath = ConvertIntoFaktexcel(page, listPath);
    } else {
        CheckTextList(listPath);
    }
    ClockHost& host = conn.host();
    host.ClearLog();
    // Each change drops what the component had gathered; from here on
    // replies come as lines.
    conn.SerialPacket1().SetStopString("\r");
    conn.SerialPacket1().SetStopString("\n");

    TaskPort port(conn, TaskPort::Trimmed, TaskPort::CloseAtEndOnly);
    if (!conn.com1().Connected()) {
        return;
    }
    conn.replyState = 0;
    conn.SendCommandPaced(ClockCommand::EraseList);
    conn.SendCommandPaced(ClockCommand::ListOn);
    SendCorridorFilter(conn, page.txtSluse());
    conn.SendCommandPaced(ClockCommand::ReceiveList);

    {
        ProgressShown shown(page);
        const std::vector<std::string> lines = ReadListLines(listPath);
        page.SetProgressVisible(true);
        host.AppendLog(std::string(kStartLogLine));
        std::string trimmed;
        for (const std::string& line : lines) {
            conn.replyState = 0;
            page.SetProgressPosition(NextProgressPosition(page.ProgressPosition()));
            if (!AcceptListLine(line, trimmed)) {
                continue;
            }
            SendListLine(conn, trimmed);
            host.AppendLog(trimmed);
            host.ProcessPendingEvents();
            if (const int delay = LineDelayMs(page.tctdelay()); delay > 0) {
                conn.pacer().sleep(delay);
            }
        }
        Timer1.SetEnabled(false);
        if (conn.replyState == 2) {
            // The timeout handler has already ended the list on the clock.
            host.AppendLog(std::string(kStoppedLogLine));
            conn.SendCommandPaced(ClockCommand::PursuitEnd);
            conn.SendCommandPaced(ClockCommand::EraseList);
            return;
        }
        conn.pacer().sleep(kFixedPauseMs);
        conn.SendCommandPaced(ClockCommand::PursuitEnd);
        conn.SendCommandPaced(ClockCommand::DisplayMode6);
        const TimeOfDay time = StrToDateTime(page.TimeEdit2(), page.TimeSeparator());
        conn.SendCommand(ClockCommand::SetClock(time));
        port.Close();
        host.AppendLog(std::string(kDoneLogLine));
    }
}

void BitBtn7Click(ClockConnection& conn) {
    TaskPort port(conn, TaskPort::Untrimmed, TaskPort::CloseEvenOnFailure);
    conn.SendCommand(ClockCommand::DisplayMode4);
    conn.SendCommand(ClockCommand::ShowList);
    port.Close();
}

void Button15Click(ClockConnection& conn) {
    TaskPort port(conn, TaskPort::Untrimmed, TaskPort::CloseAtEndOnly);
    conn.SendTimeAtNextSecond();
    conn.pacer().sleep(kFixedPauseMs);
    port.Close();
}

void Button16Click(ClockConnection& conn, PursuitPage& page) {
    const TimeOfDay time = StrToDateTime(page.TimeEdit2(), page.TimeSeparator());
    TaskPort port(conn, TaskPort::Untrimmed, TaskPort::CloseEvenOnFailure);
    conn.SendCommand(ClockCommand::SetClock(time));
    conn.host().AppendLog(std::string(kClockSetLogPrefix) + FormatHHMMSS(time));
    conn.pacer().sleep(kFixedPauseMs);
    port.Close();
}

}  // namespace sk::pursuit_transfer
