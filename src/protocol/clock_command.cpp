#include "protocol/clock_command.h"

#include <algorithm>

namespace sk {

std::string LeftPad(std::int32_t number, int width) {
    std::string text = std::to_string(number);
    if (static_cast<int>(text.size()) >= width) {
        return text;
    }
    return std::string(static_cast<std::size_t>(width) - text.size(), '0') + text;
}

std::string IntervalText(std::string_view fieldText) {
    std::string_view zeros = fieldText.size() == 2 ? "0" : fieldText.size() == 1 ? "00" : "";
    std::string text(zeros);
    text += fieldText;
    return text;
}

namespace ClockCommand {

namespace {
std::string Join(std::string_view a, std::string_view b) {
    std::string s(a);
    s += b;
    return s;
}

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}
}  // namespace

std::string SetClock(const TimeOfDay& time) {
    return Join(SetClockPrefix, FormatHHMMSS(time));
}

std::string FirstStart(const TimeOfDay& time) {
    return Join(FirstStartPrefix, FormatHHMMSS(time));
}

std::string Interval(std::string_view intervalFieldText) {
    return Join(IntervalPrefix, IntervalText(intervalFieldText));
}

std::string_view Sound(bool on) {
    return on ? SoundOn : SoundOff;
}

std::string_view PreWarning(bool on) {
    return on ? PreWarningOn : PreWarningOff;
}

std::string_view SetupMode(int modeItem) {
    switch (modeItem) {
        case 0:
            return DisplayMode1;
        case 1:
            return DisplayMode2;
        default:
            return DisplayMode3;
    }
}

std::string_view SoundUpdateMode(int modeItem) {
    switch (modeItem) {
        case 0:
            return DisplayMode0;
        case 1:
            return DisplayMode1;
        case 2:
            return DisplayMode2;
        default:
            return DisplayMode3;
    }
}

std::string ClassFrom(std::int32_t number) {
    return Join(ClassFromPrefix, LeftPad(number, 4));
}

std::string ClassTo(std::int32_t number) {
    return Join(ClassToPrefix, LeftPad(number, 4));
}

std::string ClassStart(const TimeOfDay& time) {
    return Join(ClassStartPrefix, FormatHHMMSS(time));
}

std::string ClassInterval(std::int32_t number) {
    return Join(ClassIntervalPrefix, LeftPad(number, 3));
}

std::string ClassCount(std::string_view text) {
    return Join(ClassCountPrefix, text);
}

std::string SetGate(std::string_view corridor) {
    return Join(Join(SetGatePrefix, corridor), LineEnd);
}

std::string ListLine(std::string_view fileLine) {
    // Trim as the framework's Trim does: blanks and control characters.
    std::size_t begin = 0;
    std::size_t end = fileLine.size();
    while (begin < end && IsBlankOrControl(fileLine[begin])) {
        ++begin;
    }
    while (end > begin && IsBlankOrControl(fileLine[end - 1])) {
        --end;
    }
    std::string line(fileLine.substr(begin, end - begin));
    std::replace(line.begin(), line.end(), ',', ';');
    return line;
}

std::string DisplayLine(std::string_view boardField, std::string_view upper,
                        std::string_view lower) {
    std::string line = boardField == "1" ? "1" : "";
    if (upper.size() < 6) {
        line.append(6 - upper.size(), ' ');
    }
    line += upper;
    line += lower;
    line += LineEnd;
    return line;
}

std::string FirmwareRecord(std::string_view record) {
    return Join(record, "\n");
}

}  // namespace ClockCommand

}  // namespace sk
