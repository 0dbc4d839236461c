#pragma once
// The pursuit-start page ("Jaktstart"): send a start list to the clock line
// by line, show the list on the clock, set the clock's time.
//
// BitBtn6Click ("Overfør"): a workbook list (.xls or .xlsx) is converted
// first (files/convert_spreadsheet_list.h), a text list holding NUL bytes is
// refused; an error there ends it before the log is cleared or anything is
// sent. Then the log is cleared, SerialPacket1 gets the stop string "\r" and
// then "\n", and the port is opened under its trimmed name; when it is not
// connected nothing is sent. Then "/ERASELIST\r\n" and "/EON\r\n" (300 ms
// each), the corridor filter ("/RGATE\r\n" when txtSluse begins with "A" or
// "0", else "/SGATE0" + txtSluse as typed + "\r\n"; 300 ms), "/RECVLIST\r\n"
// (300 ms), and every list line that AcceptListLine takes, trimmed, one
// character per write ("," as ";") with pending window events handled after
// each, "\r\n", logged as in the file, events handled, then LineDelayMs of
// tctdelay. The end: Timer1 off; when replyState is 2 (a timeout during the
// list) "Overføringen ble stoppet med feil", "/PUREND\r\n" and
// "/ERASELIST\r\n" (300 ms each) and the port stays open; otherwise 300 ms,
// "/PUREND\r\n" and "/DM6\r\n" (300 ms each), "/SC" + TimeEdit2, the port
// closed, "Ferdig". `prog` is shown while the lines go and hidden however
// the transfer ends.
//
// Errors, none caught: EWorkbookError / EFFormatError / EFCreateError from
// the conversion or the NUL check (nothing sent); ESerialPort from the port
// (the port stays open); EFOpenError ("Cannot open file " + path) when the
// list cannot be read after the opening commands went (no "/PUREND\r\n");
// EConvertError ("'%s' is not a valid date and time") when TimeEdit2 does not
// read at the end (after "/DM6\r\n"; no "/SC", the port stays open).
//
// The other three close the port: BitBtn7Click and Button16Click also when a
// step raises, Button15Click only at its normal end.
//
// Threads: main thread only. The transfer lets window handlers run between
// characters (replies, Timer1, the operator's clicks); nothing is disabled.
// The page, the connection and Timer1 must outlive the call.
#include <string>
#include <string_view>

#include "files/text_grid.h"

namespace sk {

class ClockConnection;
class TimeoutTimer;

namespace pursuit_transfer {

// CP1252 log lines.
inline constexpr std::string_view kStartLogLine = "Starter overf\xF8ring";
inline constexpr std::string_view kStoppedLogLine = "Overf\xF8ringen ble stoppet med feil";
inline constexpr std::string_view kDoneLogLine = "Ferdig";
inline constexpr std::string_view kClockSetLogPrefix = "Klokken satt til: ";

inline constexpr int kDefaultLineDelayMs = 300;
inline constexpr int kMaxLineDelayMs = 60000;

// The page's controls as the tasks read and move them. Texts are CP1252
// (as typed), except the list path, which is UTF-8 as the file system takes
// it. Each read gives the control's current text: the operator may edit
// while a transfer handles events.
class PursuitPage {
  public:
    virtual ~PursuitPage() = default;
    virtual std::string FileEdit1() = 0;
    virtual std::string txtSluse() = 0;
    virtual std::string tctdelay() = 0;
    virtual std::string TimeEdit2() = 0;
    // The separator of the time field's format.
    virtual char TimeSeparator() = 0;
    // The hidden grid that receives a workbook list, and the notice that it
    // was changed (after a conversion, whether it succeeded or not), so a
    // view over it can show it anew.
    virtual TextGrid& faktexcel() = 0;
    virtual void FaktexcelChanged() = 0;
    // The progress bar `prog` (range 0 to 100).
    virtual void SetProgressVisible(bool visible) = 0;
    virtual int ProgressPosition() = 0;
    virtual void SetProgressPosition(int position) = 0;
};

// The bar's next position: 10 further; past 100 it starts again at 0.
int NextProgressPosition(int position);
// The pause after a line, from tctdelay: the whole number, 300 when the text
// is none, 0 for a negative one and kMaxLineDelayMs at most (a pause longer
// than a minute per line is a typing slip, not a wish).
int LineDelayMs(std::string_view tctdelay);

// "Overfør".
void BitBtn6Click(ClockConnection& conn, TimeoutTimer& Timer1, PursuitPage& page);
// "Test" (BitBtn7, BitBtn1): "/DM4" and "/SHOWLIST" back to back.
void BitBtn7Click(ClockConnection& conn);
// "Still likt med PC klokken": "/SC" with the next whole second of the PC
// clock, timed to be complete at it, then 300 ms. Nothing logged.
void Button15Click(ClockConnection& conn);
// "Sett tiden som angitt over": TimeEdit2 read first (a bad text ends it
// before the port is touched), "/SC" + HHMMSS, log "Klokken satt til: " +
// HHMMSS, 300 ms.
void Button16Click(ClockConnection& conn, PursuitPage& page);

}  // namespace pursuit_transfer
}  // namespace sk
