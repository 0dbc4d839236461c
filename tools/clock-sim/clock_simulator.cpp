#include "clock_simulator.h"

#include <algorithm>
#include <cstdio>

#include "support/cp1252.h"

namespace sk::sim {

namespace {

constexpr DayMs kDayMs = 24LL * 3600 * 1000;
// Longer than anything the PC sends; a line that never ends is cut here
// rather than held without bound.
constexpr std::size_t kMaxLine = 4096;

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

std::optional<DayMs> ClockTimeOf(const ClockState& state, DayMs pcNow) {
    if (!state.setTimeOfDay) {
        return std::nullopt;
    }
    return ((*state.setTimeOfDay + pcNow - state.setAtPcMs) % kDayMs + kDayMs) % kDayMs;
}

// A received text for printing: CP1252 to UTF-8, control bytes escaped.
std::string Shown(std::string_view cp1252) {
    std::string out;
    for (char c : cp1252ToUtf8(cp1252)) {
        if (static_cast<unsigned char>(c) < 0x20) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

std::string Quoted(std::string_view cp1252) {
    return "\"" + Shown(cp1252) + "\"";
}

// "0050" -> "50"; a text that is not all digits stays as received.
std::string AsNumber(const std::string& text) {
    if (text.empty() || !AllDigits(text)) {
        return text.empty() ? "?" : Quoted(text);
    }
    std::size_t nz = text.find_first_not_of('0');
    return nz == std::string::npos ? "0" : text.substr(nz);
}

std::string HhMmSs(const std::string& hhmmss) {
    if (hhmmss.size() != 6) {
        return "?";
    }
    return hhmmss.substr(0, 2) + ":" + hhmmss.substr(2, 2) + ":" + hhmmss.substr(4, 2);
}

std::string Describe(const ClockState::Class& c) {
    return "nr " + AsNumber(c.from) + "-" + AsNumber(c.to) + ", first start " +
           HhMmSs(c.firstStart) + ", interval " + AsNumber(c.interval) + " s, count " +
           (c.count.empty() ? "?" : Quoted(c.count)) + ", beeper " + OnOff(c.sound) +
           ", pre-warning " + OnOff(c.preWarning);
}

std::string Describe(const StartEntry& e) {
    return "nr " + std::to_string(e.number) + " at " + FormatHms(e.start) + " corridor " +
           (e.corridor.empty() ? "-" : Shown(e.corridor));
}

std::string CorridorText(const std::optional<std::string>& corridor) {
    return corridor ? Quoted(*corridor) : "all";
}

struct Context {
    ClockState& state;
    const std::string& identity;
    std::string_view argument;
    DayMs pcNow;
    std::string reply;
    std::string effect;
    std::vector<std::string> details;
};

// Sets a field of the open class draft.
void ClassField(Context& c, std::string ClockState::Class::*field, const char* name) {
    if (!c.state.draft) {
        c.effect = std::string(name) + " ignored: no class open (\"/MAKEC\" first)";
        return;
    }
    (*c.state.draft).*field = std::string(c.argument);
    c.effect = std::string("class ") + name + " " + Quoted(c.argument);
}

// The beeper and pre-warning that follow a class's "/CE" belong to it.
void BeeperToClass(Context& c) {
    if (c.state.beeperGoesTo && *c.state.beeperGoesTo < c.state.classes.size()) {
        ClockState::Class& k = c.state.classes[*c.state.beeperGoesTo];
        k.sound = c.state.sound;
        k.preWarning = c.state.preWarning;
        c.effect += " (class " + std::to_string(*c.state.beeperGoesTo + 1) + ")";
    }
}

void DisplayMode(Context& c, std::string_view digit) {
    if (!AllDigits(digit)) {
        c.effect = "bad mode, ignored";
        return;
    }
    c.state.mode = digit[0] - '0';
    c.state.beeperGoesTo.reset();
    c.effect = "display mode " + std::string(digit);
}

void TextLine(Context& c) {
    std::string_view line = c.argument;
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
        line.remove_suffix(1);
    }
    ClockState& s = c.state;
    if (s.loader.expectsSecondCode()) {
        c.effect = s.loader.SecondCode(line) ? "loader open, awaiting records"
                                             : "wrong second service code, loader locked";
    } else if (s.receivingList) {
        auto entry = ParseListLine(line);
        if (!entry) {
            c.effect = "list line not understood, ignored: " + Quoted(line);
            return;
        }
        s.list.push_back(*entry);
        c.effect = "list entry " + std::to_string(s.list.size()) + ": " + Describe(*entry) +
                   (CorridorMatches(s.corridor, entry->corridor) ? "" : " (not this corridor)");
    } else if (s.pcSlave) {
        // A leading "1" is the board number the PC sends for board 1; the
        // display has six cells on the upper line, the rest is the lower one.
        std::string_view rest = line;
        s.board.reset();
        if (!rest.empty() && rest[0] == '1') {
            s.board = "1";
            rest.remove_prefix(1);
        }
        s.upper = Shown(rest.substr(0, 6));
        s.lower = Shown(rest.substr(std::min<std::size_t>(6, rest.size())));
        c.effect = "display" + std::string(s.board ? " board 1" : " all boards") + ": upper \"" +
                   *s.upper + "\" lower \"" + *s.lower + "\"";
    } else {
        c.effect = "text line ignored";
    }
}

void Record(Context& c) {
    std::string_view record = c.argument;
    while (!record.empty() && (record.back() == '\r' || record.back() == '\n')) {
        record.remove_suffix(1);
    }
    auto verdict = c.state.loader.Record(record);
    c.reply = verdict.reply;
    c.effect = verdict.effect;
    c.details = verdict.details;
}

}  // namespace

// One known command: its keyword (slash included), how its argument is cut,
// and what it does. The first match in table order is the match, so a keyword
// comes before any shorter one it begins with ("/DM6" before "/DM").
struct ClockSimulator::CommandRow {
    enum Argument { None, Fixed, ToNextCommand, ToLineEnd };
    std::string_view keyword;
    Argument argument;
    int length;  // for Fixed
    void (*apply)(Context&);
    // The line end the PC always sends with it: a command is not complete
    // while only part of it has arrived (the line going quiet completes it).
    std::string_view terminator = {};
};

namespace {

using CommandRow = ClockSimulator::CommandRow;

// Extend here: one row per command the virtual clock understands.
const CommandRow kCommands[] = {
    {"/ID", CommandRow::None, 0,
     [](Context& c) {
         c.reply = "Startklokke " + c.identity + "\r\n";
         c.effect = "identified";
     }},
    {"/SC", CommandRow::Fixed, 6,
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
    {"/DM6", CommandRow::None, 0, [](Context& c) { DisplayMode(c, "6"); }, "\r\n"},
    {"/DM", CommandRow::Fixed, 1, [](Context& c) { DisplayMode(c, c.argument); }},
    {"/SND", CommandRow::Fixed, 1,
     [](Context& c) {
         c.state.sound = c.argument == "1";
         c.effect = "sound " + OnOff(c.state.sound);
         BeeperToClass(c);
     }},
    {"/S10", CommandRow::Fixed, 1,
     [](Context& c) {
         c.state.preWarning = c.argument == "1";
         c.effect = "pre-warning " + OnOff(c.state.preWarning);
         BeeperToClass(c);
     }},
    {"/SI", CommandRow::ToNextCommand, 0,
     [](Context& c) {
         c.state.interval = std::string(c.argument);
         c.effect = "interval " + c.state.interval;
     }},
    {"/SS", CommandRow::Fixed, 6,
     [](Context& c) {
         if (!ParseHHMMSS(c.argument)) {
             c.effect = "bad first start, ignored";
             return;
         }
         c.state.firstStart = std::string(c.argument);
         c.effect = "first start " + c.state.firstStart;
     }},
    {"/MAKEC", CommandRow::None, 0,
     [](Context& c) {
         c.state.draft = ClockState::Class{};
         c.state.beeperGoesTo.reset();
         c.effect = "new class";
     }},
    {"/CF", CommandRow::ToNextCommand, 0,
     [](Context& c) { ClassField(c, &ClockState::Class::from, "from"); }},
    {"/CT", CommandRow::ToNextCommand, 0,
     [](Context& c) { ClassField(c, &ClockState::Class::to, "to"); }},
    {"/CS", CommandRow::Fixed, 6,
     [](Context& c) {
         if (!ParseHHMMSS(c.argument)) {
             c.effect = "bad class first start, ignored";
             return;
         }
         ClassField(c, &ClockState::Class::firstStart, "first start");
     }},
    {"/CI", CommandRow::ToNextCommand, 0,
     [](Context& c) { ClassField(c, &ClockState::Class::interval, "interval"); }},
    {"/CP", CommandRow::ToNextCommand, 0,
     [](Context& c) { ClassField(c, &ClockState::Class::count, "count"); }},
    {"/CLASSAVE", CommandRow::None, 0,
     [](Context& c) {
         ClockState& s = c.state;
         if (!s.draft) {
             c.effect = "class save ignored: no class open";
             return;
         }
         s.draft->sound = s.sound;
         s.draft->preWarning = s.preWarning;
         // Sending the table again replaces a class of the same range.
         std::size_t at = 0;
         while (at < s.classes.size() &&
                (s.classes[at].from != s.draft->from || s.classes[at].to != s.draft->to)) {
             ++at;
         }
         bool replaced = at < s.classes.size();
         if (replaced) {
             s.classes[at] = *s.draft;
         } else {
             s.classes.push_back(*s.draft);
         }
         s.draft.reset();
         s.beeperGoesTo = at;
         c.effect = "class " + std::to_string(at + 1) + (replaced ? " replaced: " : " saved: ") +
                    Describe(s.classes[at]);
     }},
    {"/CE", CommandRow::None, 0,
     [](Context& c) {
         c.effect =
             c.state.draft ? "class entry ended, unsaved class dropped" : "class entry ended";
         c.state.draft.reset();
     }},
    {"/SHOWLIST", CommandRow::None, 0,
     [](Context& c) {
         const ClockState& s = c.state;
         c.effect = "showing the list: " + std::to_string(s.list.size()) + " entries, corridor " +
                    CorridorText(s.corridor);
         for (const StartEntry& e : s.list) {
             c.details.push_back(Describe(e) +
                                 (CorridorMatches(s.corridor, e.corridor) ? "" : " (filtered)"));
         }
         for (std::size_t i = 0; i < s.classes.size(); ++i) {
             c.details.push_back("class " + std::to_string(i + 1) + ": " + Describe(s.classes[i]));
         }
     }},
    {"/ERASELIST", CommandRow::None, 0,
     [](Context& c) {
         c.state.list.clear();
         c.state.receivingList = false;
         c.effect = "pursuit list erased";
     },
     "\r\n"},
    {"/EON", CommandRow::None, 0,
     [](Context& c) {
         c.state.eOn = true;
         c.effect = "E on";
     },
     "\r\n"},
    {"/EOFF", CommandRow::None, 0,
     [](Context& c) {
         c.state.eOn = false;
         c.effect = "E off";
     }},
    {"/RGATE", CommandRow::None, 0,
     [](Context& c) {
         c.state.corridor.reset();
         c.effect = "corridor filter: all";
     },
     "\r\n"},
    {"/SGATE0", CommandRow::ToLineEnd, 0,
     [](Context& c) {
         c.state.corridor = std::string(c.argument);
         c.effect = "corridor filter: " + CorridorText(c.state.corridor);
     },
     "\r\n"},
    {"/RECVLIST", CommandRow::None, 0,
     [](Context& c) {
         c.state.receivingList = true;
         c.effect = "receiving list";
     },
     "\r\n"},
    {"/PUREND", CommandRow::None, 0,
     [](Context& c) {
         c.effect = c.state.receivingList
                        ? "pursuit list ended, " + std::to_string(c.state.list.size()) + " entries"
                        : "pursuit list ended";
         c.state.receivingList = false;
     },
     "\r\n"},
    {"/PCEXIT", CommandRow::None, 0,
     [](Context& c) {
         c.state.pcSlave = false;
         c.state.board.reset();
         c.state.upper.reset();
         c.state.lower.reset();
         c.effect = "PC text mode ended";
     }},
    {"/PCSLAVE", CommandRow::None, 0,
     [](Context& c) {
         c.state.pcSlave = true;
         c.effect = "PC text mode: awaiting display line";
     }},
    {"/RBT", CommandRow::None, 0, [](Context& c) { c.effect = "scroll text removed"; }},
    {"/ERASEFLASH", CommandRow::None, 0,
     [](Context& c) {
         c.state.loader.Erase();
         c.state.classes.clear();
         c.state.draft.reset();
         c.state.beeperGoesTo.reset();
         c.state.list.clear();
         c.state.receivingList = false;
         c.state.corridor.reset();
         c.effect = "flash erased: classes, list and corridor filter gone";
     },
     "\r\n"},
    {"/RE7D2C9", CommandRow::None, 0,
     [](Context& c) {
         c.effect = c.state.loader.FirstCode() ? "first service code, awaiting the second"
                                               : "first service code without erase, loader locked";
     },
     "\n"},
};

const CommandRow kUnknown{"", CommandRow::ToNextCommand, 0,
                          [](Context& c) { c.effect = "unknown command"; }};
const CommandRow kTextLine{"", CommandRow::None, 0, TextLine};
const CommandRow kRecord{"", CommandRow::None, 0, Record};

enum class Match { Yes, Maybe, No };

// Whether `in` begins with a known keyword (Maybe: it is a keyword's
// beginning, more bytes decide).
Match KnownCommandAt(std::string_view in, const CommandRow** row) {
    Match result = Match::No;
    for (const CommandRow& s : kCommands) {
        if (in.substr(0, s.keyword.size()) == s.keyword) {
            *row = &s;
            return Match::Yes;
        }
        if (s.keyword.substr(0, in.size()) == in) {
            result = Match::Maybe;
        }
    }
    return result;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// Length of the firmware record at the start of `in`, npos while it is
// incomplete. Its byte count says how long it is; a line end or a ":"
// before that cuts a damaged record short.
std::size_t RecordLength(std::string_view in) {
    std::size_t stop = in.find_first_of(":\r\n", 1);
    if (in.size() >= 3 && HexValue(in[1]) >= 0 && HexValue(in[2]) >= 0) {
        std::size_t need =
            11 + 2 * static_cast<std::size_t>(HexValue(in[1]) * 16 + HexValue(in[2]));
        if (stop != std::string_view::npos && stop < need) {
            return stop;
        }
        return in.size() >= need ? need : std::string_view::npos;
    }
    bool countSoFarIsHex = true;
    for (std::size_t i = 1; i < in.size() && i < 3; ++i) {
        countSoFarIsHex = countSoFarIsHex && HexValue(in[i]) >= 0;
    }
    if (countSoFarIsHex && in.size() < 3) {
        return std::string_view::npos;
    }
    return stop;
}

}  // namespace

ClockSimulator::ClockSimulator(std::string identity, LoaderOptions loader)
    : identity_(std::move(identity)) {
    state_.loader = FirmwareLoader(std::move(loader));
}

std::vector<HandledCommand> ClockSimulator::Feed(std::string_view bytes, DayMs pcNow) {
    pending_ += bytes;
    return Cut(false, pcNow);
}

std::vector<HandledCommand> ClockSimulator::Flush(DayMs pcNow) {
    return Cut(true, pcNow);
}

std::vector<HandledCommand> ClockSimulator::Cut(bool flushing, DayMs pcNow) {
    std::vector<HandledCommand> done;
    wantsFlush_ = false;
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
        const CommandRow* row = nullptr;
        Match match = in[0] == '/' ? KnownCommandAt(in, &row) : Match::No;
        if (match == Match::Maybe && !flushing) {
            wantsFlush_ = true;
            break;
        }
        if (in[0] == '/' && (match == Match::Yes || !state_.pcSlave)) {
            std::size_t argStart = row ? row->keyword.size() : 1;
            if (!row) {
                row = &kUnknown;
            }
            std::size_t end = argStart;  // end of keyword + argument
            if (row->argument == CommandRow::Fixed) {
                end = argStart + static_cast<std::size_t>(row->length);
            } else if (row->argument == CommandRow::ToLineEnd) {
                end = in.find_first_of("\r\n", argStart);
            } else if (row->argument == CommandRow::ToNextCommand) {
                // A slash ends the argument only where a command begins.
                // A slash that may still become one waits, unless the line
                // went quiet.
                end = argStart;
                const CommandRow* next = nullptr;
                for (; end < in.size() && !IsLineEnd(in[end]); ++end) {
                    Match m = in[end] == '/' ? KnownCommandAt(in.substr(end), &next) : Match::No;
                    if (m == Match::Yes || (m == Match::Maybe && flushing)) {
                        break;
                    }
                    if (m == Match::Maybe) {
                        end = in.size();
                        break;
                    }
                }
                if (end == in.size()) {
                    end = std::string_view::npos;
                }
            }
            bool mayWait = !flushing && in.size() <= kMaxLine;
            if (end == std::string_view::npos || end > in.size()) {
                if (mayWait) {
                    wantsFlush_ = true;
                    break;
                }
                end = in.size();
            }
            std::string_view argument = in.substr(argStart, end - argStart);
            // A terminator that belongs to the command travels with it, also
            // when it has not (fully) arrived yet.
            std::string_view rest = in.substr(end);
            bool partOfTerminator = !row->terminator.empty() &&
                                    rest.size() < row->terminator.size() &&
                                    row->terminator.substr(0, rest.size()) == rest;
            if ((rest == "\r" || partOfTerminator) && mayWait) {
                wantsFlush_ = true;
                break;
            }
            std::size_t textEnd = end;
            if (in.substr(end, 2) == "\r\n") {
                textEnd += 2;
            } else if (in.substr(end, 1) == "\n") {
                textEnd += 1;
            }
            done.push_back(Apply(*row, std::string(in.substr(0, textEnd)), argument, pcNow));
            pending_.erase(0, textEnd);
            continue;
        }
        // Records and lines are never cut short: their writer always ends them.
        bool record = in[0] == ':' && !state_.pcSlave;
        std::size_t end = record ? RecordLength(in) : in.find('\n');
        if (end == std::string_view::npos && in.size() > kMaxLine) {
            end = in.size() - 1;
            record = false;
        }
        if (end == std::string_view::npos) {
            break;
        }
        std::size_t textEnd = end;
        if (record) {
            if (in.substr(end) == "\r") {
                break;  // its LF is on the way
            }
            if (in.substr(end, 2) == "\r\n") {
                textEnd += 2;
            } else if (in.substr(end, 1) == "\n") {
                textEnd += 1;
            }
        } else {
            textEnd += 1;
        }
        std::string text(in.substr(0, textEnd));
        done.push_back(Apply(record ? kRecord : kTextLine, text, text, pcNow));
        pending_.erase(0, textEnd);
    }
    return done;
}

HandledCommand ClockSimulator::Apply(const CommandRow& row, std::string text,
                                     std::string_view argument, DayMs pcNow) {
    Context context{state_, identity_, argument, pcNow, {}, {}, {}};
    row.apply(context);
    return HandledCommand{std::move(text), std::move(context.reply), std::move(context.effect),
                          Summary(pcNow), std::move(context.details)};
}

std::optional<DayMs> ClockSimulator::ClockTime(DayMs pcNow) const {
    return ClockTimeOf(state_, pcNow);
}

std::string ClockSimulator::ShownTime(DayMs pcNow) const {
    auto t = ClockTime(pcNow);
    return t ? FormatHms(*t) : "--:--:--";
}

std::optional<StartEntry> ClockSimulator::Next(DayMs pcNow) const {
    auto now = ClockTime(pcNow);
    if (!now) {
        return std::nullopt;
    }
    return NextStart(state_.list, state_.corridor, *now);
}

std::string ClockSimulator::Summary(DayMs pcNow) const {
    std::string firstStart = state_.firstStart.empty() ? "--:--:--" : HhMmSs(state_.firstStart);
    std::string line =
        "clock " + ShownTime(pcNow) + "  mode " + std::to_string(state_.mode) + "  sound " +
        OnOff(state_.sound) + "  pre-warning " + OnOff(state_.preWarning) + "  interval " +
        state_.interval + "  first start " + firstStart + "  classes " +
        std::to_string(state_.classes.size()) + "  list " + std::to_string(state_.list.size()) +
        "  corridor " + CorridorText(state_.corridor);
    if (!state_.list.empty()) {
        auto next = Next(pcNow);
        line += "  next " + (next ? std::to_string(next->number) + " at " + FormatHms(next->start)
                                  : std::string("none"));
    }
    if (state_.pcSlave && state_.upper) {
        line += "  text \"" + *state_.upper + "\"/\"" + *state_.lower + "\"";
    }
    return line;
}

std::string FormatDayMs(DayMs ms) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld.%03lld", ms / 3600000 % 24,
                  ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
    return buf;
}

}  // namespace sk::sim
