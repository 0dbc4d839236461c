#include "clock_simulator.h"

#include <cstdio>

namespace sk::sim {

namespace {

constexpr DayMs kDayMs = 24LL * 3600 * 1000;

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

bool AllDigits(std::string_view s) {
    for (char c : s) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

std::optional<DayMs> ParseHHMMSS(std::string_view s) {
    if (s.size() != 6 || !AllDigits(s)) {
        return std::nullopt;
    }
    int h = (s[0] - '0') * 10 + (s[1] - '0');
    int m = (s[2] - '0') * 10 + (s[3] - '0');
    int sec = (s[4] - '0') * 10 + (s[5] - '0');
    if (h > 23 || m > 59 || sec > 59) {
        return std::nullopt;
    }
    return ((h * 60LL + m) * 60 + sec) * 1000;
}

std::string OnOff(bool on) {
    return on ? "on" : "off";
}

struct Context {
    ClockState& state;
    const std::string& identity;
    std::string_view argument;
    DayMs pcNow;
    std::string reply;
    std::string effect;
};

}  // namespace

// One known command: its keyword (slash included), how its argument is cut,
// and what it does. Keywords are prefix-free, so the first match is the match.
struct ClockSimulator::Spec {
    enum Argument { None, Fixed, ToNextCommand };
    std::string_view keyword;
    Argument argument;
    int length;  // for Fixed
    void (*apply)(Context&);
};

namespace {

using Spec = ClockSimulator::Spec;

// Extend here: one row per command the virtual clock understands.
const Spec kCommands[] = {
    {"/ID", Spec::None, 0,
     [](Context& c) {
         c.reply = "Startklokke " + c.identity + "\r\n";
         c.effect = "identified";
     }},
    {"/SC", Spec::Fixed, 6,
     [](Context& c) {
         auto t = ParseHHMMSS(c.argument);
         if (!t) {
             c.effect = "bad time, ignored";
             return;
         }
         c.state.setTimeOfDay = *t;
         c.state.setAtPcMs = c.pcNow;
         c.effect = "time set";
     }},
    {"/DM", Spec::Fixed, 1,
     [](Context& c) {
         if (!AllDigits(c.argument)) {
             c.effect = "bad mode, ignored";
             return;
         }
         c.state.mode = c.argument[0] - '0';
         c.effect = "display mode " + std::string(c.argument);
     }},
    {"/SND", Spec::Fixed, 1,
     [](Context& c) {
         c.state.sound = c.argument == "1";
         c.effect = "sound " + OnOff(c.state.sound);
     }},
    {"/S10", Spec::Fixed, 1,
     [](Context& c) {
         c.state.preWarning = c.argument == "1";
         c.effect = "pre-warning " + OnOff(c.state.preWarning);
     }},
    {"/SI", Spec::ToNextCommand, 0,
     [](Context& c) {
         c.state.interval = std::string(c.argument);
         c.effect = "interval " + c.state.interval;
     }},
    {"/SS", Spec::Fixed, 6,
     [](Context& c) {
         if (!ParseHHMMSS(c.argument)) {
             c.effect = "bad first start, ignored";
             return;
         }
         c.state.firstStart = std::string(c.argument);
         c.effect = "first start " + c.state.firstStart;
     }},
    {"/PUREND", Spec::None, 0, [](Context& c) { c.effect = "pursuit list ended"; }},
    {"/ERASELIST", Spec::None, 0, [](Context& c) { c.effect = "pursuit list erased"; }},
};

const Spec kUnknown{"", Spec::ToNextCommand, 0, [](Context& c) { c.effect = "unknown command"; }};
const Spec kTextLine{"", Spec::None, 0, [](Context& c) { c.effect = "text line"; }};

}  // namespace

ClockSimulator::ClockSimulator(std::string identity) : identity_(std::move(identity)) {}

std::vector<HandledCommand> ClockSimulator::Feed(std::string_view bytes, DayMs pcNow) {
    pending_ += bytes;
    return Cut(false, pcNow);
}

std::vector<HandledCommand> ClockSimulator::Flush(DayMs pcNow) {
    return Cut(true, pcNow);
}

std::vector<HandledCommand> ClockSimulator::Cut(bool flushing, DayMs pcNow) {
    std::vector<HandledCommand> done;
    for (;;) {
        std::size_t skip = 0;
        while (skip < pending_.size() && IsLineEnd(pending_[skip])) {
            ++skip;  // a terminator split off from its command
        }
        pending_.erase(0, skip);
        if (pending_.empty()) {
            break;
        }
        std::string_view in = pending_;
        const Spec* spec = nullptr;
        std::size_t end = 0;  // end of keyword + argument
        if (in[0] == '/') {
            bool mayGrow = false;
            for (const Spec& s : kCommands) {
                if (in.substr(0, s.keyword.size()) == s.keyword) {
                    spec = &s;
                    break;
                }
                if (s.keyword.substr(0, in.size()) == in) {
                    mayGrow = true;
                }
            }
            if (!spec && mayGrow && !flushing) {
                break;
            }
            std::size_t argStart = spec ? spec->keyword.size() : 1;
            if (!spec) {
                spec = &kUnknown;
            }
            if (spec->argument == Spec::Fixed) {
                end = argStart + static_cast<std::size_t>(spec->length);
                if (end > in.size()) {
                    if (!flushing) {
                        break;
                    }
                    end = in.size();
                }
            } else if (spec->argument == Spec::ToNextCommand) {
                end = in.find_first_of("/\r\n", argStart);
                if (end == std::string_view::npos) {
                    if (!flushing) {
                        break;
                    }
                    end = in.size();
                }
            } else {
                end = argStart;
            }
            std::string_view argument = in.substr(argStart, end - argStart);
            // A terminator that belongs to the command travels with it, also
            // when its LF has not arrived yet.
            if (in.substr(end) == "\r" && !flushing) {
                break;
            }
            std::size_t textEnd = end;
            if (in.substr(end, 2) == "\r\n") {
                textEnd += 2;
            } else if (in.substr(end, 1) == "\n") {
                textEnd += 1;
            }
            done.push_back(Apply(*spec, std::string(in.substr(0, textEnd)), argument, pcNow));
            pending_.erase(0, textEnd);
        } else {
            end = in.find('\n');
            if (end == std::string_view::npos) {
                if (!flushing) {
                    break;
                }
                end = in.size() - 1;
            }
            done.push_back(Apply(kTextLine, std::string(in.substr(0, end + 1)), {}, pcNow));
            pending_.erase(0, end + 1);
        }
    }
    return done;
}

HandledCommand ClockSimulator::Apply(const Spec& spec, std::string text, std::string_view argument,
                                     DayMs pcNow) {
    Context context{state_, identity_, argument, pcNow, {}, {}};
    spec.apply(context);
    return HandledCommand{std::move(text), std::move(context.reply), std::move(context.effect),
                          Summary(pcNow)};
}

std::string ClockSimulator::ShownTime(DayMs pcNow) const {
    if (!state_.setTimeOfDay) {
        return "--:--:--";
    }
    DayMs t = ((*state_.setTimeOfDay + pcNow - state_.setAtPcMs) % kDayMs + kDayMs) % kDayMs;
    return FormatDayMs(t).substr(0, 8);
}

std::string ClockSimulator::Summary(DayMs pcNow) const {
    std::string firstStart = state_.firstStart.empty() ? "--:--:--"
                                                       : state_.firstStart.substr(0, 2) + ":" +
                                                             state_.firstStart.substr(2, 2) + ":" +
                                                             state_.firstStart.substr(4, 2);
    return "clock " + ShownTime(pcNow) + "  mode " + std::to_string(state_.mode) + "  sound " +
           OnOff(state_.sound) + "  pre-warning " + OnOff(state_.preWarning) + "  interval " +
           state_.interval + "  first start " + firstStart;
}

std::string FormatDayMs(DayMs ms) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld.%03lld", ms / 3600000 % 24,
                  ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
    return buf;
}

}  // namespace sk::sim
