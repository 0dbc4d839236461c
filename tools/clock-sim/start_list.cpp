#include "start_list.h"

#include <cstdio>
#include <tuple>

namespace sk::sim {

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') {
        s.remove_prefix(1);
    }
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') {
        s.remove_suffix(1);
    }
    return s;
}

// Digits only, at most nine of them (no overflow).
std::optional<long> Number(std::string_view s) {
    if (s.empty() || s.size() > 9) {
        return std::nullopt;
    }
    long value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

std::vector<std::string_view> Split(std::string_view s, std::string_view separators) {
    std::vector<std::string_view> fields;
    for (;;) {
        std::size_t at = s.find_first_of(separators);
        fields.push_back(s.substr(0, at));
        if (at == std::string_view::npos) {
            return fields;
        }
        s.remove_prefix(at + 1);
    }
}

// "H:MM", "HH:MM:SS" (":" or ".").
std::optional<DayMs> TimeOfDay(std::string_view s) {
    auto parts = Split(s, ":.");
    if (parts.size() < 2 || parts.size() > 3) {
        return std::nullopt;
    }
    auto h = Number(parts[0]);
    auto m = Number(parts[1]);
    auto sec = parts.size() == 3 ? Number(parts[2]) : std::optional<long>(0);
    if (!h || !m || !sec || parts[0].size() > 2 || parts[1].size() != 2 ||
        (parts.size() == 3 && parts[2].size() != 2) || *h > 23 || *m > 59 || *sec > 59) {
        return std::nullopt;
    }
    return ((*h * 60LL + *m) * 60 + *sec) * 1000;
}

}  // namespace

std::optional<StartEntry> ParseListLine(std::string_view line) {
    auto fields = Split(Trim(line), ";,");
    if (fields.size() < 2) {
        return std::nullopt;
    }
    auto number = Number(Trim(fields[0]));
    auto start = TimeOfDay(Trim(fields[1]));
    if (!number || *number == 0 || !start) {
        return std::nullopt;
    }
    StartEntry entry{*number, *start, {}};
    if (fields.size() > 2) {
        std::string_view corridor = Trim(fields[2]);
        if (corridor == "\"\"") {
            corridor = {};
        }
        entry.corridor = std::string(corridor);
    }
    return entry;
}

bool CorridorMatches(const std::optional<std::string>& filter, std::string_view corridor) {
    if (!filter) {
        return true;
    }
    auto wanted = Number(Trim(*filter));
    auto have = Number(Trim(corridor));
    if (wanted && have) {
        return *wanted == *have;
    }
    return *filter == corridor;
}

std::optional<StartEntry> NextStart(const std::vector<StartEntry>& list,
                                    const std::optional<std::string>& filter, DayMs clockNow) {
    const StartEntry* best = nullptr;
    for (const StartEntry& e : list) {
        if (e.start <= clockNow || !CorridorMatches(filter, e.corridor)) {
            continue;
        }
        if (!best || std::tie(e.start, e.number) < std::tie(best->start, best->number)) {
            best = &e;
        }
    }
    return best ? std::optional<StartEntry>(*best) : std::nullopt;
}

std::string FormatHms(DayMs ms) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld", ms / 3600000 % 24, ms / 60000 % 60,
                  ms / 1000 % 60);
    return buf;
}

}  // namespace sk::sim
