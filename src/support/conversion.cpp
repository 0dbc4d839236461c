#include "support/conversion.h"

#include <cstdio>

#include "support/platform_time.h"

namespace sk {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Reads one or two digits at text[pos]; advances pos.
std::optional<int> readField(std::string_view text, std::size_t& pos) {
    int value = 0;
    std::size_t start = pos;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && pos - start < 2) {
        value = value * 10 + (text[pos] - '0');
        ++pos;
    }
    if (pos == start) {
        return std::nullopt;
    }
    return value;
}

std::string quoted(std::string_view text, const char* rest) {
    std::string msg = "'";
    msg.append(text);
    msg += "' ";
    msg += rest;
    return msg;
}

}  // namespace

std::optional<TimeOfDay> parseTimeOfDay(std::string_view text, char separator) {
    std::size_t b = 0;
    std::size_t e = text.size();
    while (b < e && isBlank(text[b])) {
        ++b;
    }
    while (e > b && isBlank(text[e - 1])) {
        --e;
    }
    std::string_view t = text.substr(b, e - b);
    std::size_t pos = 0;
    auto h = readField(t, pos);
    if (!h || pos >= t.size() || t[pos] != separator) {
        return std::nullopt;
    }
    ++pos;
    auto m = readField(t, pos);
    if (!m) {
        return std::nullopt;
    }
    int s = 0;
    if (pos < t.size()) {
        if (t[pos] != separator) {
            return std::nullopt;
        }
        ++pos;
        auto sec = readField(t, pos);
        if (!sec) {
            return std::nullopt;
        }
        s = *sec;
    }
    if (pos != t.size() || *h > 23 || *m > 59 || s > 59) {
        return std::nullopt;
    }
    return TimeOfDay{*h, *m, s};
}

TimeOfDay StrToTime(std::string_view text, char separator) {
    if (auto t = parseTimeOfDay(text, separator)) {
        return *t;
    }
    throw EConvertError(quoted(text, "is not a valid time"));
}

TimeOfDay StrToDateTime(std::string_view text, char separator) {
    if (auto t = parseTimeOfDay(text, separator)) {
        return *t;
    }
    throw EConvertError(quoted(text, "is not a valid date and time"));
}

std::string FormatHHMMSS(const TimeOfDay& t) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d%02d%02d", t.hour % 100, t.minute % 100, t.second % 100);
    return buf;
}

std::optional<std::int32_t> parseWholeNumber(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && text[pos] == ' ') {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    int base = 10;
    if (pos < text.size() && text[pos] == '$') {
        base = 16;
        ++pos;
    } else if (pos + 1 < text.size() && text[pos] == '0' &&
               (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
        base = 16;
        pos += 2;
    }
    if (pos >= text.size()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (; pos < text.size(); ++pos) {
        char c = text[pos];
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return std::nullopt;
        }
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
        if (value > 0xFFFFFFFFull) {
            return std::nullopt;
        }
    }
    if (base == 10) {
        if (negative ? value > 0x80000000ull : value > 0x7FFFFFFFull) {
            return std::nullopt;
        }
        std::int64_t v =
            negative ? -static_cast<std::int64_t>(value) : static_cast<std::int64_t>(value);
        return static_cast<std::int32_t>(v);
    }
    // Hexadecimal digits cover the whole 32-bit pattern ($FFFFFFFF is -1).
    auto bits = static_cast<std::uint32_t>(value);
    if (negative) {
        bits = 0u - bits;
    }
    return static_cast<std::int32_t>(bits);
}

std::int32_t StrToInt(std::string_view text) {
    if (auto v = parseWholeNumber(text)) {
        return *v;
    }
    throw EConvertError(quoted(text, "is not a valid integer value"));
}

char regionalTimeSeparator() {
    static const char sep = platformTimeSeparator();
    return sep;
}

}  // namespace sk
