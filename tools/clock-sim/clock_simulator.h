#pragma once
// The virtual start clock's brain, without any device: it takes the bytes the
// PC wrote, cuts them into the commands it knows, keeps what a clock would
// show, and says what to answer. The pty and the printing are in main.cpp.
//
// Commands arrive back to back with no separator ("/DM1/SND0/S100"), so they
// are cut by the known command set: each keyword is matched from its slash,
// and its argument is either a fixed number of characters or runs to the next
// slash or line end. A command whose argument may still grow (a variable one
// at the end of what has arrived) waits for more bytes or for Flush().
// Text that does not begin with a slash (list lines, display lines) is taken
// up to its line end. Nothing raises. One thread.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sk::sim {

// Time of day in milliseconds since midnight.
using DayMs = long long;

struct ClockState {
    std::optional<DayMs> setTimeOfDay;  // value of the last "/SC"
    DayMs setAtPcMs = 0;                // PC time of day when it was set
    int mode = 0;
    bool sound = false;
    bool preWarning = false;
    std::string interval = "030";
    std::string firstStart;  // HHMMSS of the last "/SS"
};

struct HandledCommand {
    std::string text;    // the command as received, terminator included
    std::string reply;   // what the clock answers (may be empty)
    std::string effect;  // a short note of what changed
    std::string shown;   // Summary() right after the command took effect
};

class ClockSimulator {
  public:
    explicit ClockSimulator(std::string identity = "SIM0001");

    // Takes newly received bytes at PC time `pcNow`; returns the commands now
    // complete, in order.
    std::vector<HandledCommand> Feed(std::string_view bytes, DayMs pcNow);
    // Completes a command still waiting for more of its argument (the line
    // went quiet).
    std::vector<HandledCommand> Flush(DayMs pcNow);
    bool HasPending() const { return !pending_.empty(); }

    const ClockState& State() const { return state_; }
    // The time of day the clock shows at PC time pcNow ("--:--:--" before
    // the first "/SC").
    std::string ShownTime(DayMs pcNow) const;
    // One line summing up the display: time, mode, sound, pre-warning,
    // interval, first start.
    std::string Summary(DayMs pcNow) const;

    // One row of the command table (clock_simulator.cpp).
    struct Spec;

  private:
    std::vector<HandledCommand> Cut(bool flushing, DayMs pcNow);
    HandledCommand Apply(const Spec& spec, std::string text, std::string_view argument,
                         DayMs pcNow);

    std::string identity_;
    std::string pending_;
    ClockState state_;
};

// "HH:MM:SS.mmm"
std::string FormatDayMs(DayMs ms);

}  // namespace sk::sim
