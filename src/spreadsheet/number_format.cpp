#include "spreadsheet/number_format.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace sk {

namespace {

// Longer codes are not accepted by spreadsheets; the cap also bounds the
// text one cell can expand to.
constexpr std::size_t kMaxFormatLength = 255;
constexpr int kMaxDecimals = 30;
constexpr double kFirstInvalidSerial = 2958466.0;  // 10000-01-01

enum class Tok {
    Literal,
    TimeSep,
    Digit,
    Point,
    Comma,
    Percent,
    Exp,
    General,
    Year,
    Month,
    Minute,
    MonthOrMinute,
    Day,
    Hour,
    Second,
    SubSecond,
    AmPm,
    ElapsedH,
    ElapsedM,
    ElapsedS,
};

struct Token {
    Token(Tok k, std::string t = {}, int c = 1) : kind(k), text(std::move(t)), count(c) {}
    Tok kind;
    std::string text;  // literal text, digit char, AM/PM spelling, exponent sign
    int count;
};

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool startsWithNoCase(std::string_view s, std::size_t pos, std::string_view word) {
    if (s.size() - pos < word.size()) {
        return false;
    }
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (lower(s[pos + i]) != lower(word[i])) {
            return false;
        }
    }
    return true;
}

std::vector<std::string_view> splitSections(std::string_view code) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    bool quoted = false;
    bool bracket = false;
    for (std::size_t i = 0; i < code.size(); ++i) {
        char c = code[i];
        if (quoted) {
            quoted = c != '"';
        } else if (bracket) {
            bracket = c != ']';
        } else if (c == '"') {
            quoted = true;
        } else if (c == '[') {
            bracket = true;
        } else if (c == '\\' || c == '_' || c == '*') {
            ++i;
        } else if (c == ';') {
            out.push_back(code.substr(start, i - start));
            start = i + 1;
        }
    }
    out.push_back(code.substr(std::min(start, code.size())));
    return out;
}

void addLiteral(std::vector<Token>& toks, std::string_view text) {
    if (!toks.empty() && toks.back().kind == Tok::Literal) {
        toks.back().text += text;
    } else {
        toks.push_back({Tok::Literal, std::string(text)});
    }
}

void bracketToken(std::vector<Token>& toks, std::string_view inner) {
    if (!inner.empty() && inner[0] == '$') {
        std::size_t dash = inner.find('-');
        addLiteral(toks, inner.substr(1, dash == std::string_view::npos ? dash : dash - 1));
        return;
    }
    if (inner.empty()) {
        return;
    }
    char first = lower(inner[0]);
    for (char c : inner) {
        if (lower(c) != first) {
            return;  // colour, condition or locale
        }
    }
    if (first == 'h') {
        toks.push_back({Tok::ElapsedH, {}, static_cast<int>(inner.size())});
    } else if (first == 'm') {
        toks.push_back({Tok::ElapsedM, {}, static_cast<int>(inner.size())});
    } else if (first == 's') {
        toks.push_back({Tok::ElapsedS, {}, static_cast<int>(inner.size())});
    }
}

std::vector<Token> tokenize(std::string_view s) {
    std::vector<Token> toks;
    std::size_t i = 0;
    auto run = [&](char c) {
        int n = 0;
        while (i < s.size() && lower(s[i]) == c) {
            ++i;
            ++n;
        }
        return n;
    };
    while (i < s.size()) {
        char c = s[i];
        char lc = lower(c);
        if (c == '"') {
            std::size_t end = s.find('"', i + 1);
            if (end == std::string_view::npos) {
                end = s.size();
            }
            addLiteral(toks, s.substr(i + 1, end - i - 1));
            i = end + 1;
        } else if (c == '\\') {
            if (i + 1 < s.size()) {
                addLiteral(toks, s.substr(i + 1, 1));
            }
            i += 2;
        } else if (c == '_') {
            // Room as wide as the next character: a blank in text.
            addLiteral(toks, " ");
            i += 2;
        } else if (c == '*') {
            i += 2;  // fills to the column width, which text does not have
        } else if (c == '[') {
            std::size_t end = s.find(']', i + 1);
            if (end == std::string_view::npos) {
                end = s.size();
            }
            bracketToken(toks, s.substr(i + 1, end - i - 1));
            i = end + 1;
        } else if (startsWithNoCase(s, i, "General")) {
            toks.push_back({Tok::General});
            i += 7;
        } else if (startsWithNoCase(s, i, "AM/PM")) {
            toks.push_back({Tok::AmPm, std::string(s.substr(i, 5))});
            i += 5;
        } else if (startsWithNoCase(s, i, "A/P")) {
            toks.push_back({Tok::AmPm, std::string(s.substr(i, 3))});
            i += 3;
        } else if (lc == 'y') {
            toks.push_back({Tok::Year, {}, run('y')});
        } else if (lc == 'e') {
            run('e');  // the year in full
            toks.push_back({Tok::Year, {}, 4});
        } else if (lc == 'm') {
            toks.push_back({Tok::MonthOrMinute, {}, run('m')});
        } else if (lc == 'd') {
            toks.push_back({Tok::Day, {}, run('d')});
        } else if (lc == 'h') {
            toks.push_back({Tok::Hour, {}, run('h')});
        } else if (lc == 's') {
            toks.push_back({Tok::Second, {}, run('s')});
        } else if (c == '0' || c == '#' || c == '?') {
            toks.push_back({Tok::Digit, std::string(1, c)});
            ++i;
        } else if (c == '.') {
            toks.push_back({Tok::Point});
            ++i;
        } else if (c == ',') {
            toks.push_back({Tok::Comma});
            ++i;
        } else if (c == '%') {
            toks.push_back({Tok::Percent});
            ++i;
        } else if (c == ':') {
            toks.push_back({Tok::TimeSep});
            ++i;
        } else if (c == '@') {
            // A number in a text-formatted cell shows as General.
            toks.push_back({Tok::General});
            ++i;
        } else {
            addLiteral(toks, s.substr(i, 1));
            ++i;
        }
    }
    return toks;
}

// 'E' followed by a sign is an exponent, not the year letter 'e'; tokenize
// treats 'e' as year, so exponents are found before it runs.
std::vector<Token> tokenizeSection(std::string_view s) {
    std::vector<Token> toks;
    std::size_t start = 0;
    bool quoted = false;
    for (std::size_t i = 0; i + 1 < s.size(); ++i) {
        char c = s[i];
        if (quoted) {
            quoted = c != '"';
            continue;
        }
        if (c == '"') {
            quoted = true;
        } else if (c == '\\' || c == '_' || c == '*') {
            ++i;
        } else if ((c == 'E' || c == 'e') && (s[i + 1] == '+' || s[i + 1] == '-')) {
            auto before = tokenize(s.substr(start, i - start));
            toks.insert(toks.end(), before.begin(), before.end());
            toks.push_back({Tok::Exp, std::string(1, s[i + 1])});
            start = i + 2;
            ++i;
        }
    }
    auto rest = tokenize(s.substr(std::min(start, s.size())));
    toks.insert(toks.end(), rest.begin(), rest.end());
    return toks;
}

bool isDateToken(Tok k) {
    switch (k) {
        case Tok::Year:
        case Tok::Month:
        case Tok::Minute:
        case Tok::MonthOrMinute:
        case Tok::Day:
        case Tok::Hour:
        case Tok::Second:
        case Tok::AmPm:
        case Tok::ElapsedH:
        case Tok::ElapsedM:
        case Tok::ElapsedS:
            return true;
        default:
            return false;
    }
}

// m is minutes right after an hour or right before a second, else a month.
void resolveMinutes(std::vector<Token>& toks) {
    for (std::size_t i = 0; i < toks.size(); ++i) {
        if (toks[i].kind != Tok::MonthOrMinute) {
            continue;
        }
        bool minute = false;
        if (toks[i].count <= 2) {
            for (std::size_t j = i; j-- > 0;) {
                if (isDateToken(toks[j].kind)) {
                    minute = toks[j].kind == Tok::Hour || toks[j].kind == Tok::ElapsedH;
                    break;
                }
            }
            for (std::size_t j = i + 1; !minute && j < toks.size(); ++j) {
                if (isDateToken(toks[j].kind)) {
                    minute = toks[j].kind == Tok::Second || toks[j].kind == Tok::ElapsedS;
                    break;
                }
            }
        }
        toks[i].kind = minute ? Tok::Minute : Tok::Month;
    }
}

// |value| rounded half away from zero to `decimals` places, from its
// 15 significant digits, as the digits before and after the point.
struct Decimal {
    std::string whole;     // no leading zeros; empty for zero
    std::string fraction;  // exactly `decimals` digits
};

Decimal roundDecimal(double absValue, int decimals) {
    Decimal d;
    if (!(absValue > 0) || !std::isfinite(absValue)) {
        d.fraction.assign(static_cast<std::size_t>(decimals), '0');
        return d;
    }
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", absValue);
    std::string digits;
    digits += buf[0];
    digits.append(buf + 2, 14);
    int exp10 = std::atoi(buf + 17);
    // value = 0.digits * 10^(exp10 + 1)
    int pointPos = exp10 + 1;
    int keep = pointPos + decimals;
    if (keep < 0) {
        d.fraction.assign(static_cast<std::size_t>(decimals), '0');
        return d;
    }
    if (keep < static_cast<int>(digits.size())) {
        bool up = digits[static_cast<std::size_t>(keep)] >= '5';
        digits.resize(static_cast<std::size_t>(keep));
        if (up) {
            int k = keep - 1;
            while (k >= 0 && digits[static_cast<std::size_t>(k)] == '9') {
                digits[static_cast<std::size_t>(k)] = '0';
                --k;
            }
            if (k >= 0) {
                ++digits[static_cast<std::size_t>(k)];
            } else {
                digits.insert(digits.begin(), '1');
                ++pointPos;
            }
        }
    }
    // Place the digits around the point.
    std::string all;
    if (pointPos < 0) {
        all.assign(static_cast<std::size_t>(-pointPos), '0');
        all += digits;
        pointPos = 0;
    } else {
        all = digits;
    }
    std::size_t need = static_cast<std::size_t>(pointPos + decimals);
    if (all.size() < need) {
        all.append(need - all.size(), '0');
    }
    d.whole = all.substr(0, static_cast<std::size_t>(pointPos));
    d.fraction = all.substr(static_cast<std::size_t>(pointPos), static_cast<std::size_t>(decimals));
    std::size_t nz = d.whole.find_first_not_of('0');
    d.whole = nz == std::string::npos ? std::string() : d.whole.substr(nz);
    return d;
}

std::string twoDigits(long long v) {
    std::string s = std::to_string(v);
    return s.size() < 2 ? "0" + s : s;
}

constexpr std::array<const char*, 12> kMonths = {"January",   "February", "March",    "April",
                                                 "May",       "June",     "July",     "August",
                                                 "September", "October",  "November", "December"};
constexpr std::array<const char*, 7> kDays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                              "Thursday", "Friday", "Saturday"};

struct CivilDate {
    int year;
    int month;
    int day;
    int weekday;  // 0 = Sunday
};

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
CivilDate civilFromDays(long long z) {
    z += 719468;
    long long era = (z >= 0 ? z : z - 146096) / 146097;
    long long doe = z - era * 146097;
    long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long y = yoe + era * 400;
    long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long long mp = (5 * doy + 2) / 153;
    long long d = doy - (153 * mp + 2) / 5 + 1;
    long long m = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d), 0};
}

CivilDate dateFromSerial(long long serial, bool date1904) {
    CivilDate c{};
    if (date1904) {
        // 1904-01-01 is day 24107 before 1970-01-01.
        c = civilFromDays(serial - 24107);
        c.weekday = static_cast<int>((serial + 5) % 7);
        return c;
    }
    // The 1900 system counts a 1900-02-29 that never was (serial 60) and
    // shows serial 0 as 1900-01-00.
    if (serial == 0) {
        c = {1900, 1, 0, 0};
    } else if (serial == 60) {
        c = {1900, 2, 29, 0};
    } else {
        c = civilFromDays(serial - (serial < 60 ? 25568 : 25569));
    }
    c.weekday = static_cast<int>((serial + 6) % 7);
    return c;
}

std::string renderDate(double value, const std::vector<Token>& toks,
                       const NumberFormatOptions& opt) {
    int decimals = 0;
    bool ampm = false;
    for (const auto& t : toks) {
        if (t.kind == Tok::SubSecond) {
            decimals = std::max(decimals, std::min(t.count, 3));
        }
        ampm = ampm || t.kind == Tok::AmPm;
    }
    long long scale = 1;
    for (int i = 0; i < decimals; ++i) {
        scale *= 10;
    }
    const long long unitsPerDay = 86400LL * scale;
    long long units = std::llround(value * static_cast<double>(unitsPerDay));
    long long days = units / unitsPerDay;
    long long inDay = units % unitsPerDay;
    long long sub = inDay % scale;
    long long secs = inDay / scale;
    int hour = static_cast<int>(secs / 3600);
    int minute = static_cast<int>(secs / 60 % 60);
    int second = static_cast<int>(secs % 60);
    CivilDate date = dateFromSerial(days, opt.date1904);
    long long totalSecs = units / scale;

    std::string out;
    for (const auto& t : toks) {
        switch (t.kind) {
            case Tok::Literal:
                out += t.text;
                break;
            case Tok::TimeSep:
                out += opt.timeSeparator;
                break;
            case Tok::Year:
                out += t.count <= 2 ? twoDigits(date.year % 100) : std::to_string(date.year);
                break;
            case Tok::Month:
                if (t.count == 1) {
                    out += std::to_string(date.month);
                } else if (t.count == 2) {
                    out += twoDigits(date.month);
                } else {
                    std::string name = kMonths[static_cast<std::size_t>(date.month - 1)];
                    out += t.count == 3   ? name.substr(0, 3)
                           : t.count == 4 ? name
                                          : name.substr(0, 1);
                }
                break;
            case Tok::Day:
                if (t.count <= 2) {
                    out += t.count == 1 ? std::to_string(date.day) : twoDigits(date.day);
                } else {
                    std::string name = kDays[static_cast<std::size_t>(date.weekday)];
                    out += t.count == 3 ? name.substr(0, 3) : name;
                }
                break;
            case Tok::Hour: {
                int h = hour;
                if (ampm) {
                    h = hour % 12 == 0 ? 12 : hour % 12;
                }
                out += t.count == 1 ? std::to_string(h) : twoDigits(h);
                break;
            }
            case Tok::Minute:
                out += t.count == 1 ? std::to_string(minute) : twoDigits(minute);
                break;
            case Tok::Second:
                out += t.count == 1 ? std::to_string(second) : twoDigits(second);
                break;
            case Tok::SubSecond: {
                std::string digits = std::to_string(sub + scale).substr(1);
                out += '.';
                out += digits.substr(0, static_cast<std::size_t>(std::min(t.count, 3)));
                break;
            }
            case Tok::AmPm: {
                bool pm = hour >= 12;
                if (t.text.size() == 5) {
                    std::string s = pm ? "PM" : "AM";
                    if (t.text[0] >= 'a') {
                        s = pm ? "pm" : "am";
                    }
                    out += s;
                } else {
                    out += pm ? t.text[2] : t.text[0];
                }
                break;
            }
            case Tok::ElapsedH:
                out +=
                    t.count == 1 ? std::to_string(totalSecs / 3600) : twoDigits(totalSecs / 3600);
                break;
            case Tok::ElapsedM:
                out += t.count == 1 ? std::to_string(totalSecs / 60) : twoDigits(totalSecs / 60);
                break;
            case Tok::ElapsedS:
                out += t.count == 1 ? std::to_string(totalSecs) : twoDigits(totalSecs);
                break;
            case Tok::Point:
                out += '.';
                break;
            case Tok::Comma:
                out += ',';
                break;
            case Tok::Percent:
                out += '%';
                break;
            default:
                break;
        }
    }
    return out;
}

std::string groupThousands(const std::string& digits) {
    std::string out;
    std::size_t n = digits.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) {
            out += ',';
        }
        out += digits[i];
    }
    return out;
}

std::string renderNumber(double value, bool showMinus, const std::vector<Token>& toks) {
    // Fractions are not rendered; General keeps the value readable.
    bool general = false;
    for (std::size_t i = 0; i < toks.size(); ++i) {
        if (toks[i].kind == Tok::General) {
            general = true;
        }
        if (toks[i].kind == Tok::Literal && toks[i].text.find('/') != std::string::npos &&
            i + 1 < toks.size() && toks[i + 1].kind == Tok::Digit) {
            return formatGeneral(value);
        }
    }
    std::size_t expAt = toks.size();
    std::size_t pointAt = toks.size();
    int percents = 0;
    std::vector<std::size_t> intDigits;
    std::vector<std::size_t> fracDigits;
    std::vector<std::size_t> expDigits;
    for (std::size_t i = 0; i < toks.size(); ++i) {
        switch (toks[i].kind) {
            case Tok::Exp:
                if (expAt == toks.size()) {
                    expAt = i;
                }
                break;
            case Tok::Point:
                if (pointAt == toks.size() && expAt == toks.size()) {
                    pointAt = i;
                }
                break;
            case Tok::Percent:
                ++percents;
                break;
            case Tok::Digit:
                if (i > expAt) {
                    expDigits.push_back(i);
                } else if (i > pointAt) {
                    fracDigits.push_back(i);
                } else {
                    intDigits.push_back(i);
                }
                break;
            default:
                break;
        }
    }
    for (int p = 0; p < percents; ++p) {
        value *= 100;
    }
    // Commas between integer placeholders group; commas right after the
    // last one divide by a thousand each.
    bool grouping = false;
    std::vector<bool> commaShown(toks.size(), true);
    if (!intDigits.empty()) {
        for (std::size_t i = intDigits.front(); i < intDigits.back(); ++i) {
            if (toks[i].kind == Tok::Comma) {
                grouping = true;
                commaShown[i] = false;
            }
        }
        for (std::size_t i = intDigits.back() + 1; i < toks.size() && toks[i].kind == Tok::Comma;
             ++i) {
            value /= 1000;
            commaShown[i] = false;
        }
    }
    int decimals = std::min(static_cast<int>(fracDigits.size()), kMaxDecimals);

    std::string wholeText;
    std::string fracText;
    std::string expText;
    bool negative = value < 0;
    double mag = std::fabs(value);
    if (expAt < toks.size() && mag > 0) {
        int step = std::max<int>(1, static_cast<int>(intDigits.size()));
        int e = static_cast<int>(std::floor(std::log10(mag)));
        e = step > 1 ? static_cast<int>(std::floor(static_cast<double>(e) / step)) * step : e;
        Decimal m = roundDecimal(mag / std::pow(10.0, e), decimals);
        if (static_cast<int>(m.whole.size()) > step) {
            e += step;
            m = roundDecimal(mag / std::pow(10.0, e), decimals);
        }
        wholeText = m.whole.empty() ? "0" : m.whole;
        fracText = m.fraction;
        std::string ed = std::to_string(std::abs(e));
        std::size_t minDigits = expDigits.size();
        if (ed.size() < minDigits) {
            ed.insert(0, minDigits - ed.size(), '0');
        }
        expText = std::string(1, 'E') + (e < 0 ? "-" : (toks[expAt].text == "+" ? "+" : "")) + ed;
        negative = negative && showMinus;
    } else {
        Decimal d = roundDecimal(mag, decimals);
        negative = negative &&
                   (!d.whole.empty() || d.fraction.find_first_not_of('0') != std::string::npos);
        negative = negative || (general && value < 0);
        wholeText = d.whole;
        fracText = d.fraction;
        if (expAt < toks.size()) {
            expText = toks[expAt].text == "+" ? "E+0" : "E0";
        }
    }

    // Integer digits fill the placeholders from the right; the leftmost
    // placeholder takes what is left over.
    std::vector<std::string> intOut(toks.size());
    if (grouping && !intDigits.empty()) {
        std::size_t zeros = 0;
        for (std::size_t i : intDigits) {
            zeros += toks[i].text == "0";
        }
        std::string digits = wholeText;
        if (digits.size() < zeros) {
            digits.insert(0, zeros - digits.size(), '0');
        }
        intOut[intDigits.front()] = groupThousands(digits);
    } else {
        std::size_t left = wholeText.size();
        for (std::size_t k = intDigits.size(); k-- > 0;) {
            std::size_t ti = intDigits[k];
            if (k == 0 && left > 0) {
                intOut[ti] = wholeText.substr(0, left);
                left = 0;
            } else if (left > 0) {
                intOut[ti] = wholeText.substr(left - 1, 1);
                --left;
            } else if (toks[ti].text == "0") {
                intOut[ti].assign(1, '0');
            } else if (toks[ti].text == "?") {
                intOut[ti].assign(1, ' ');
            }
        }
    }
    // Trailing optional decimals vanish when zero.
    std::vector<std::string> fracOut(toks.size());
    for (std::size_t k = 0; k < fracDigits.size(); ++k) {
        fracOut[fracDigits[k]] = k < fracText.size() ? fracText.substr(k, 1) : "0";
    }
    for (std::size_t k = fracDigits.size(); k-- > 0;) {
        const Token& t = toks[fracDigits[k]];
        if (fracOut[fracDigits[k]] != "0" || t.text == "0") {
            break;
        }
        fracOut[fracDigits[k]] = t.text == "?" ? " " : "";
    }

    std::string out;
    if (negative) {
        out += '-';
    }
    bool wholeWritten = !intDigits.empty();
    for (std::size_t i = 0; i < toks.size(); ++i) {
        const Token& t = toks[i];
        switch (t.kind) {
            case Tok::Literal:
                out += t.text;
                break;
            case Tok::TimeSep:
                out += ':';
                break;
            case Tok::General:
                out += formatGeneral(std::fabs(value));
                break;
            case Tok::Point:
                if (i == pointAt) {
                    if (!wholeWritten) {
                        out += wholeText;
                        wholeWritten = true;
                    }
                    out += '.';
                }
                break;
            case Tok::Comma:
                if (commaShown[i]) {
                    out += ',';
                }
                break;
            case Tok::Percent:
                out += '%';
                break;
            case Tok::Exp:
                if (i == expAt) {
                    out += expText;
                }
                break;
            case Tok::Digit:
                if (i > expAt) {
                    // shown in expText
                } else if (i > pointAt) {
                    out += fracOut[i];
                } else {
                    out += intOut[i];
                }
                break;
            default:
                break;
        }
    }
    return out;
}

}  // namespace

std::string_view builtInNumberFormat(int id) {
    switch (id) {
        case 1:
            return "0";
        case 2:
            return "0.00";
        case 3:
            return "#,##0";
        case 4:
            return "#,##0.00";
        case 5:
            return "#,##0_);(#,##0)";
        case 6:
            return "#,##0_);[Red](#,##0)";
        case 7:
            return "#,##0.00_);(#,##0.00)";
        case 8:
            return "#,##0.00_);[Red](#,##0.00)";
        case 9:
            return "0%";
        case 10:
            return "0.00%";
        case 11:
            return "0.00E+00";
        case 12:
            return "# ?/?";
        case 13:
            return "# ?\?/??";
        case 14:
            return "m/d/yyyy";
        case 15:
            return "d-mmm-yy";
        case 16:
            return "d-mmm";
        case 17:
            return "mmm-yy";
        case 18:
            return "h:mm AM/PM";
        case 19:
            return "h:mm:ss AM/PM";
        case 20:
            return "h:mm";
        case 21:
            return "h:mm:ss";
        case 22:
            return "m/d/yyyy h:mm";
        case 37:
            return "#,##0 ;(#,##0)";
        case 38:
            return "#,##0 ;[Red](#,##0)";
        case 39:
            return "#,##0.00;(#,##0.00)";
        case 40:
            return "#,##0.00;[Red](#,##0.00)";
        case 41:
            return "_(* #,##0_);_(* (#,##0);_(* \"-\"_);_(@_)";
        case 42:
            return "_(\"$\"* #,##0_);_(\"$\"* (#,##0);_(\"$\"* \"-\"_);_(@_)";
        case 43:
            return "_(* #,##0.00_);_(* (#,##0.00);_(* \"-\"??_);_(@_)";
        case 44:
            return "_(\"$\"* #,##0.00_);_(\"$\"* (#,##0.00);_(\"$\"* \"-\"??_);_(@_)";
        case 45:
            return "mm:ss";
        case 46:
            return "[h]:mm:ss";
        case 47:
            return "mm:ss.0";
        case 48:
            return "##0.0E+0";
        case 49:
            return "@";
        default:
            return "General";
    }
}

std::string formatGeneral(double value) {
    if (!std::isfinite(value)) {
        return "#NUM!";
    }
    if (value == 0) {
        return "0";
    }
    if (std::fabs(value) < 1e15 && value == std::trunc(value)) {
        return std::to_string(static_cast<long long>(value));  // the common case, cheaply
    }
    // 15 significant digits, as the spreadsheet keeps them.
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", value);
    double rounded = std::strtod(buf, nullptr);
    double mag = std::fabs(rounded);
    char out[64];
    bool scientific = mag < 1e-9 || mag >= 1e15;
    auto res = std::to_chars(out, out + sizeof out, rounded,
                             scientific ? std::chars_format::scientific : std::chars_format::fixed);
    std::string s(out, res.ptr);
    if (scientific) {
        std::size_t e = s.find('e');
        if (e != std::string::npos) {
            s[e] = 'E';
        }
    }
    return s;
}

std::string formatNumber(double value, std::string_view formatCode,
                         const NumberFormatOptions& options) {
    if (formatCode.size() > kMaxFormatLength) {
        formatCode = formatCode.substr(0, kMaxFormatLength);
    }
    if (!std::isfinite(value)) {
        return "#NUM!";
    }
    auto sections = splitSections(formatCode);
    std::string_view section = sections[0];
    bool showMinus = true;
    double v = value;
    if (value < 0 && sections.size() >= 2) {
        section = sections[1];
        showMinus = false;
        v = -value;
    } else if (value == 0 && sections.size() >= 3) {
        section = sections[2];
    }
    auto toks = tokenizeSection(section);
    bool date = false;
    for (std::size_t i = 0; i < toks.size(); ++i) {
        date = date || isDateToken(toks[i].kind);
    }
    if (date) {
        resolveMinutes(toks);
        // ".0" after seconds shows tenths; other digits have no place in a time.
        std::vector<Token> kept;
        for (std::size_t i = 0; i < toks.size(); ++i) {
            if (toks[i].kind == Tok::Point && i + 1 < toks.size() &&
                toks[i + 1].kind == Tok::Digit && toks[i + 1].text == "0") {
                int n = 0;
                while (i + 1 < toks.size() && toks[i + 1].kind == Tok::Digit &&
                       toks[i + 1].text == "0") {
                    ++n;
                    ++i;
                }
                kept.push_back({Tok::SubSecond, {}, n});
            } else if (toks[i].kind != Tok::Digit) {
                kept.push_back(toks[i]);
            }
        }
        if (v < 0 || v >= kFirstInvalidSerial) {
            return formatGeneral(value);
        }
        return renderDate(v, kept, options);
    }
    if (toks.empty() && section.empty() && sections.size() == 1) {
        return formatGeneral(value);
    }
    return renderNumber(v, showMinus, toks);
}

}  // namespace sk
