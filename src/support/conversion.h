#pragma once
// Conversions of operator text into values, with the error texts the
// operator sees when a text does not convert. One parser each, used everywhere.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace sk {

// A text did not convert; what() is the message shown to the operator.
class EConvertError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0;
    friend bool operator==(const TimeOfDay&, const TimeOfDay&) = default;
};

// Hours, minutes and optional seconds separated by `separator`, with blanks
// allowed around the whole text; hours 0..23, minutes and seconds 0..59.
std::optional<TimeOfDay> parseTimeOfDay(std::string_view text, char separator);

// As parseTimeOfDay, raising "'%s' is not a valid time".
TimeOfDay StrToTime(std::string_view text, char separator);
// As parseTimeOfDay, raising "'%s' is not a valid date and time" (time entries).
TimeOfDay StrToDateTime(std::string_view text, char separator);

// "HHMMSS": 24-hour day, two digits each.
std::string FormatHHMMSS(const TimeOfDay& t);

// A signed 32-bit whole number: optional leading blanks, optional sign, then
// decimal digits, or hexadecimal digits after "$" or "0x"; nothing after.
std::optional<std::int32_t> parseWholeNumber(std::string_view text);
// As parseWholeNumber, raising "'%s' is not a valid integer value".
std::int32_t StrToInt(std::string_view text);

// The separator of the PC's regional time format (':' in most regions).
char regionalTimeSeparator();

}  // namespace sk
