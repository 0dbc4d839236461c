#include "tasks/display_text.h"

#include "protocol/clock_command.h"
#include "protocol/clock_connection.h"
#include "protocol/clock_host.h"
#include "serial/serial_packet.h"
#include "support/pacer.h"

namespace sk::display_text {

namespace {
constexpr int kPauseMs = 300;
}  // namespace

void BitBtn8Click(ClockConnection& conn, const Inputs& in) {
    // Replies to the text mode come as lines; from here on SerialPacket1
    // hands them over whole.
    conn.SerialPacket1().SetStopString("\n");
    TaskPort port(conn, TaskPort::Untrimmed, TaskPort::CloseAtEndOnly);
    conn.SendCommandPaced(ClockCommand::PcExit);
    conn.SendCommand(ClockCommand::ListOff);
    const std::string line = ClockCommand::DisplayLine(in.Edit6, in.Edit4, in.Edit5);
    conn.pacer().sleep(kPauseMs);
    conn.SendCommand(ClockCommand::PcSlave);
    conn.pacer().sleep(kPauseMs);
    conn.pacer().sleep(kPauseMs);
    conn.host().ProcessPendingEvents();
    conn.SendCommand(line);
    port.Close();
}

void Button12Click(ClockConnection& conn) {
    TaskPort port(conn, TaskPort::Untrimmed, TaskPort::CloseAtEndOnly);
    conn.SendCommandPaced(ClockCommand::PcExit);
    port.Close();
}

void BitBtn9Click(ClockConnection& conn) {
    TaskPort port(conn, TaskPort::Untrimmed, TaskPort::CloseEvenOnFailure);
    conn.SendCommand(ClockCommand::PcExit);
    port.Close();
}

void Button8Click(ClockConnection& conn) {
    TaskPort port(conn, TaskPort::Untrimmed, TaskPort::CloseAtEndOnly);
    conn.SendCommandPaced(ClockCommand::RemoveScrollText);
    port.Close();
}

void BitBtn4Click(ClockConnection& conn) {
    conn.host().ShowMessage(std::string(kScrollTextNotSent));
}

}  // namespace sk::display_text
