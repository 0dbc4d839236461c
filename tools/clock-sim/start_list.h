#pragma once
// The virtual clock's pursuit-start list: one entry per received list line,
// the corridor filter, and which start the clock would show next.
//
// A list line is "startnr;HH:MM:SS;corridor;" (the trailing ";" and the
// corridor may be missing, as in lines converted from a workbook; "," is
// accepted in place of ";" and "." in place of ":"). Parsing never raises: a
// line that does not read gives nullopt and is left out of the list.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sk::sim {

// Time of day in milliseconds since midnight.
using DayMs = long long;

struct StartEntry {
    long number = 0;
    DayMs start = 0;
    std::string corridor;  // as received, quotes around an empty field removed
};

// `line` without its CR LF.
std::optional<StartEntry> ParseListLine(std::string_view line);

// The corridor filter: nullopt serves every corridor ("/RGATE"); otherwise
// the text after "/SGATE0". Numbers compare by value (" 2" and "02" match
// "2"), other texts exactly.
bool CorridorMatches(const std::optional<std::string>& filter, std::string_view corridor);

// The earliest start strictly after `clockNow` among the entries the filter
// lets through (lowest start number first on a tie); nullopt when none is left.
std::optional<StartEntry> NextStart(const std::vector<StartEntry>& list,
                                    const std::optional<std::string>& filter, DayMs clockNow);

// "HH:MM:SS" of a time of day.
std::string FormatHms(DayMs ms);

}  // namespace sk::sim
