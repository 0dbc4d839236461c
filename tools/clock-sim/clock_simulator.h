#pragma once
// The virtual start clock's brain, without any device: it takes the bytes the
// PC wrote, cuts them into the commands it knows, keeps what a clock would
// hold and show, and says what to answer. The pty and the printing are in
// main.cpp.
//
// Commands arrive back to back with no separator ("/CE/SND0/S100"), so they
// are cut by the known command set: each keyword is matched from its slash,
// and its argument is either a fixed number of characters, runs to the next
// known command or line end, or (for "/SGATE0") to the line end. A command
// whose argument may still grow waits for more bytes or for Flush(); a line
// end that follows a command belongs to it.
// Text that does not begin with a slash is taken by what the clock expects:
// a firmware record (":" ...) is complete when its byte count says so, with
// or without the "\n" after it; anything else is a line up to "\n": a list
// line while a list is being received, the second service code while the
// loader waits for it, a display line in PC-slave mode (there a "/" that
// begins no known command is display text too), else ignored text.
// Received text is CP1252; effects and summaries are UTF-8. Nothing raises.
// One thread.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "firmware_loader.h"
#include "start_list.h"

namespace sk::sim {

struct ClockState {
    std::optional<DayMs> setTimeOfDay;  // value of the last "/SC"
    DayMs setAtPcMs = 0;                // PC time of day when it was set
    int mode = 0;
    bool sound = false;
    bool preWarning = false;
    std::string interval = "030";
    std::string firstStart;  // HHMMSS of the last "/SS"

    // Classes: "/MAKEC" opens a draft, "/CF" "/CT" "/CS" "/CI" "/CP" fill
    // it, "/CLASSAVE" keeps it. The "/SND" and "/S10" sent after a class's
    // "/CE" are its beeper and pre-warning (they go with every class), until
    // the next "/MAKEC" or "/DM".
    struct Class {
        std::string from, to, firstStart, interval, count;  // as received
        bool sound = false;
        bool preWarning = false;
    };
    std::vector<Class> classes;
    std::optional<Class> draft;
    std::optional<std::size_t> beeperGoesTo;  // index into classes

    std::vector<StartEntry> list;
    bool receivingList = false;               // between "/RECVLIST" and "/PUREND"
    std::optional<std::string> corridor;      // nullopt: all ("/RGATE")
    bool eOn = false;                         // "/EON" / "/EOFF"
    bool pcSlave = false;                     // "/PCSLAVE" until "/PCEXIT"
    std::optional<std::string> board;         // of the last display line
    std::optional<std::string> upper, lower;  // the two display lines (UTF-8)

    FirmwareLoader loader;
};

struct HandledCommand {
    std::string text;                  // the command as received, terminator included
    std::string reply;                 // what the clock answers (may be empty)
    std::string effect;                // a short note of what changed
    std::string shown;                 // Summary() right after the command took effect
    std::vector<std::string> details;  // further lines ("/SHOWLIST", firmware summary)
};

class ClockSimulator {
  public:
    explicit ClockSimulator(std::string identity = "SIM0001", LoaderOptions loader = {});

    // Takes newly received bytes at PC time `pcNow`; returns the commands now
    // complete, in order.
    std::vector<HandledCommand> Feed(std::string_view bytes, DayMs pcNow);
    // Completes a command still waiting for more of its argument (the line
    // went quiet). Text lines and records are not cut short: they wait for
    // their end.
    std::vector<HandledCommand> Flush(DayMs pcNow);
    bool HasPending() const { return !pending_.empty(); }
    // True when Flush() would complete something: only then is a quiet line
    // worth waiting for.
    bool WantsFlush() const { return wantsFlush_; }

    const ClockState& State() const { return state_; }
    // The time of day the clock shows at PC time pcNow ("--:--:--" before
    // the first "/SC").
    std::string ShownTime(DayMs pcNow) const;
    // One line summing up the display: time, mode, sound, pre-warning,
    // interval, first start, classes, list, corridor, next start.
    std::string Summary(DayMs pcNow) const;
    // The start the clock would show next: the first after its current time
    // that the corridor filter lets through (nullopt before the first "/SC").
    std::optional<StartEntry> Next(DayMs pcNow) const;
    // The clock's time of day at PC time pcNow, once set.
    std::optional<DayMs> ClockTime(DayMs pcNow) const;

    // One row of the command table (clock_simulator.cpp).
    struct CommandRow;

  private:
    std::vector<HandledCommand> Cut(bool flushing, DayMs pcNow);
    HandledCommand Apply(const CommandRow& row, std::string text, std::string_view argument,
                         DayMs pcNow);

    std::string identity_;
    std::string pending_;
    bool wantsFlush_ = false;
    ClockState state_;
};

// "HH:MM:SS.mmm"
std::string FormatDayMs(DayMs ms);

}  // namespace sk::sim
