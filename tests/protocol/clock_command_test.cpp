#include "protocol/clock_command.h"

#include <gtest/gtest.h>

#include <limits>

namespace sk {
namespace {

struct PadCase {
    std::int32_t number;
    int width;
    const char* expected;
};

TEST(LeftPad, FillsWithZerosUpToWidthAndNeverCuts) {
    const PadCase cases[] = {
        {7, 4, "0007"},
        {0, 3, "000"},
        {12345, 4, "12345"},
        {1234, 4, "1234"},
        {-5, 4, "00-5"},
        {-123, 4, "-123"},
        {5, 0, "5"},
        {5, -2, "5"},
        {std::numeric_limits<std::int32_t>::min(), 4, "-2147483648"},
        {std::numeric_limits<std::int32_t>::max(), 11, "02147483647"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, LeftPad(c.number, c.width)) << c.number << " width " << c.width;
    }
}

TEST(ClockCommandInterval, PadsOneAndTwoCharactersOnly) {
    const std::pair<const char*, const char*> cases[] = {
        {"5", "/SI005"},     {"30", "/SI030"}, {"120", "/SI120"}, {"", "/SI"},
        {"1234", "/SI1234"}, {"ab", "/SI0ab"}, {" 5", "/SI0 5"},
    };
    for (const auto& [field, expected] : cases) {
        EXPECT_EQ(expected, ClockCommand::Interval(field)) << '"' << field << '"';
    }
}

TEST(ClockCommandTime, SendsHHMMSSOfTheDay) {
    EXPECT_EQ("/SC000000", ClockCommand::SetClock({0, 0, 0}));
    EXPECT_EQ("/SC235959", ClockCommand::SetClock({23, 59, 59}));
    EXPECT_EQ("/SS101500", ClockCommand::FirstStart({10, 15, 0}));
    EXPECT_EQ("/CS090501", ClockCommand::ClassStart({9, 5, 1}));
}

TEST(ClockCommandModes, SetupAndSoundUpdateMapItemsDifferently) {
    // item, setup, sound update
    const std::tuple<int, const char*, const char*> cases[] = {
        {0, "/DM1", "/DM0"}, {1, "/DM2", "/DM1"},  {2, "/DM3", "/DM2"},
        {3, "/DM3", "/DM3"}, {-1, "/DM3", "/DM3"},
    };
    for (const auto& [item, setup, sound] : cases) {
        EXPECT_EQ(setup, ClockCommand::SetupMode(item)) << item;
        EXPECT_EQ(sound, ClockCommand::SoundUpdateMode(item)) << item;
    }
}

TEST(ClockCommandSwitches, TickedBoxesSendTheOneForms) {
    EXPECT_EQ("/SND1", ClockCommand::Sound(true));
    EXPECT_EQ("/SND0", ClockCommand::Sound(false));
    EXPECT_EQ("/S101", ClockCommand::PreWarning(true));
    EXPECT_EQ("/S100", ClockCommand::PreWarning(false));
}

TEST(ClockCommandClasses, NumbersAreZeroFilledToTheirWidths) {
    EXPECT_EQ("/CF0001", ClockCommand::ClassFrom(1));
    EXPECT_EQ("/CT0150", ClockCommand::ClassTo(150));
    EXPECT_EQ("/CI030", ClockCommand::ClassInterval(30));
    EXPECT_EQ("/CI1200", ClockCommand::ClassInterval(1200));
    EXPECT_EQ("/CP abc", ClockCommand::ClassCount(" abc"));
}

TEST(ClockCommandGate, CorridorIsSentAsTyped) {
    EXPECT_EQ("/SGATE02\r\n", ClockCommand::SetGate("2"));
    EXPECT_EQ("/SGATE0\r\n", ClockCommand::SetGate(""));
    EXPECT_EQ("/SGATE0 12\r\n", ClockCommand::SetGate(" 12"));
}

TEST(ClockCommandListLine, TrimsAndTurnsCommasIntoSemicolons) {
    EXPECT_EQ("1;13:02:08;1;", ClockCommand::ListLine("1,13:02:08,1,"));
    EXPECT_EQ("1;13:02:08;1;", ClockCommand::ListLine("  1;13:02:08;1;\t\r"));
    EXPECT_EQ("", ClockCommand::ListLine(" \r\n"));
    EXPECT_EQ("a b;c", ClockCommand::ListLine("a b,c"));
}

TEST(ClockCommandDisplayLine, BoardOneOnlyAndUpperLineRightAligned) {
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        {"1", "abcdef", "abcdef",
         "1abcdef"
         "abcdef\r\n"},
        {"1", "abc", "x", "1   abcx\r\n"},
        {"1", "", "", "1      \r\n"},
        {"2", "abcdefgh", "", "abcdefgh\r\n"},
        {" 1", "ab", "", "    ab\r\n"},
        {"", "\xf8", "\xe6\xe5", "     \xf8\xe6\xe5\r\n"},  // CP1252 bytes pass unchanged
    };
    for (const auto& [board, upper, lower, expected] : cases) {
        EXPECT_EQ(expected, ClockCommand::DisplayLine(board, upper, lower))
            << '"' << board << "\" \"" << upper << '"';
    }
}

TEST(ClockCommandFirmware, ServiceCodesAndRecordsEndInLineFeed) {
    EXPECT_EQ("/RE7D2C9\n", ClockCommand::ServiceCode1);
    EXPECT_EQ("3857\n", ClockCommand::ServiceCode2);
    EXPECT_EQ(":00000001FF\n", ClockCommand::FirmwareRecord(":00000001FF"));
}

}  // namespace
}  // namespace sk
