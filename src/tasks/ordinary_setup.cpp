#include "tasks/ordinary_setup.h"

#include <exception>

#include "protocol/clock_command.h"
#include "protocol/clock_connection.h"
#include "protocol/clock_host.h"
#include "support/pacer.h"

namespace sk::ordinary_setup {

namespace {
constexpr int kSoundUpdatePauseMs = 500;
constexpr int kAfterTimeSetPauseMs = 300;
}  // namespace

void BitBtn1Click(ClockConnection& conn) {
    TaskPort port(conn, TaskPort::Untrimmed, TaskPort::CloseAtEndOnly);
    conn.SendTimeAtNextSecond();
    conn.pacer().sleep(kAfterTimeSetPauseMs);
    port.Close();
}

void BitBtn2Click(ClockConnection& conn, const Inputs& in) {
    try {
        TimeOfDay time = StrToDateTime(in.timeEdit1, in.timeSeparator);
        TaskPort port(conn, TaskPort::Untrimmed, TaskPort::CloseEvenOnFailure);
        conn.SendCommand(ClockCommand::SetClock(time));
        port.Close();
    } catch (const std::exception&) {
        // One message for every cause, the port's included.
        conn.host().ShowMessage(std::string(kBadTimeMessage));
    }
}

void BitBtn3Click(ClockConnection& conn, const Inputs& in) {
    TimeOfDay firstStart = StrToDateTime(in.timeEdit1, in.timeSeparator);
    TaskPort port(conn, TaskPort::Untrimmed, TaskPort::CloseAtEndOnly);
    conn.SendCommand(ClockCommand::SetupMode(in.rbModus));
    conn.SendCommand(ClockCommand::Sound(in.cblyd));
    conn.SendCommand(ClockCommand::PreWarning(in.cbforvarsel));
    conn.SendCommand(ClockCommand::Interval(in.txtInt));
    conn.SendCommand(ClockCommand::FirstStart(firstStart));
    port.Close();
}

void Button17Click(ClockConnection& conn, const Inputs& in) {
    TaskPort port(conn, TaskPort::Untrimmed, TaskPort::CloseAtEndOnly);
    conn.SendCommand(ClockCommand::SoundUpdateMode(in.rbModus));
    conn.pacer().sleep(kSoundUpdatePauseMs);
    conn.SendCommand(ClockCommand::Sound(in.cblyd));
    conn.pacer().sleep(kSoundUpdatePauseMs);
    conn.SendCommand(ClockCommand::PreWarning(in.cbforvarsel));
    port.Close();
}

}  // namespace sk::ordinary_setup
