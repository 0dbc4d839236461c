#include "tasks/display_text.h"

#include <gtest/gtest.h>

#include "serial/serial_error.h"
#include "serial/serial_packet.h"
#include "task_fixture.h"

namespace sk::test {
namespace {

using display_text::Inputs;

class DisplayText : public TaskFixture {
  protected:
    DisplayText() {}
    Inputs in;
};

TEST_F(DisplayText, InitialValuesSendTheThreeCommandsThenTheLineAndClose) {
    display_text::BitBtn8Click(*conn, in);
    EXPECT_EQ((std::vector<Step>{
                  {"/PCEXIT", 300}, {"/EOFF", 300}, {"/PCSLAVE", 600}, {"1abcdefabcdef\r\n", 0}}),
              steps);
    EXPECT_EQ((std::vector<int>{300, 300, 300, 300}), pacer.pauses());
    EXPECT_EQ("/PCEXIT/EOFF/PCSLAVE1abcdefabcdef\r\n", ReceivedAfter("\r\n"));
    EXPECT_EQ("\n", conn->SerialPacket1().StopString());
    EXPECT_FALSE(conn->com1().Connected());
}

struct LineCase {
    const char* name;
    Inputs in;
    std::string line;
};

class DisplayLine : public DisplayText, public ::testing::WithParamInterface<LineCase> {};

TEST_P(DisplayLine, IsOneWriteAfterTheThreeCommands) {
    display_text::BitBtn8Click(*conn, GetParam().in);
    ASSERT_EQ(4u, steps.size());
    EXPECT_EQ(GetParam().line, steps[3].bytes);
    EXPECT_EQ(0, steps[3].pauseAfterMs);
    EXPECT_FALSE(conn->com1().Connected());
}

INSTANTIATE_TEST_SUITE_P(
    Table, DisplayLine,
    ::testing::Values(
        LineCase{"ShortUpperLineIsRightAligned", {"AB", "abcdef", "1"}, "1    ABabcdef\r\n"},
        LineCase{"LongUpperLineIsNotCut", {"ABCDEFGH", "xy", "1"}, "1ABCDEFGHxy\r\n"},
        LineCase{"EmptyLines", {"", "", "1"}, "1      \r\n"},
        LineCase{"LongLowerLineIsSentWhole",
                 {"abcdef", "a much longer lower line", "1"},
                 "1abcdefa much longer lower line\r\n"},
        LineCase{"OtherBoardHasNoPrefix", {"abcdef", "abcdef", "2"}, "abcdefabcdef\r\n"},
        LineCase{"BoardWithBlanksHasNoPrefix", {"abcdef", "abcdef", " 1"}, "abcdefabcdef\r\n"},
        LineCase{"EmptyBoardHasNoPrefix", {"abc", "", ""}, "   abc\r\n"},
        // CP1252: one byte per letter, so it takes one cell of the field.
        LineCase{"NorwegianLetterIsOneByte",
                 {"\xF8", "bl\xE5", "1"},
                 "1     \xF8"
                 "bl\xE5\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DisplayText, RepliesSoFarAreHandledBeforeTheLineIsWritten) {
    peer.onReceive("/PCSLAVE", "OK\r\n");
    std::size_t writesWhenPumped = 0;
    host.pump = [&] {
        writesWhenPumped = steps.size();
        // The clock has answered by the end of the 600 ms.
        queue.pumpUntil([&] { return !host.log.empty(); });
    };
    display_text::BitBtn8Click(*conn, in);
    EXPECT_EQ(3u, writesWhenPumped) << "after /PCSLAVE, before the line";
    EXPECT_EQ(1, host.pumpCalls);
    // SerialPacket1 now hands over the whole line, as the other two do.
    ASSERT_FALSE(host.log.empty());
    EXPECT_EQ("OK\r\n", host.log.front());
    EXPECT_EQ(1, conn->replyState);
}

TEST_F(DisplayText, StopStringIsSetEvenWhenThePortDoesNotOpen) {
    host.Type("Koble til klokken...");
    EXPECT_THROW(display_text::BitBtn8Click(*conn, in), ESerialPort);
    EXPECT_EQ("\n", conn->SerialPacket1().StopString());
    EXPECT_TRUE(steps.empty());
    EXPECT_TRUE(pacer.pauses().empty());
}

struct SimpleCase {
    const char* name;
    void (*operation)(ClockConnection&);
    Step step;
};

const SimpleCase kSimpleOperations[] = {
    {"AvsluttModus", display_text::Button12Click, {"/PCEXIT", 300}},
    {"Reset", display_text::BitBtn9Click, {"/PCEXIT", 0}},
    {"FjernRulleteksten", display_text::Button8Click, {"/RBT", 300}},
};

TEST_F(DisplayText, SingleCommandOperationsWriteTheirCommandPauseAndClose) {
    for (const SimpleCase& c : kSimpleOperations) {
        steps.clear();
        c.operation(*conn);
        EXPECT_EQ(std::vector<Step>{c.step}, steps) << c.name;
        EXPECT_FALSE(conn->com1().Connected()) << c.name;
    }
    EXPECT_EQ("/PCEXIT/PCEXIT/RBT", ReceivedAfter("/RBT"));
}

TEST_F(DisplayText, ResetAgainstAPortThatDoesNotOpenReportsAndLeavesItClosed) {
    // Open under one name, then the selector names a port that is not there:
    // the open port is given up for the new name, which fails.
    conn->OpenForTask(false);
    host.Type("/dev/sk-not-there Serial port");
    EXPECT_THROW(display_text::BitBtn9Click(*conn), ESerialPort);
    EXPECT_FALSE(conn->com1().Connected());
    EXPECT_TRUE(steps.empty());
}

class FailedWrite : public DisplayText, public ::testing::WithParamInterface<SimpleCase> {};

TEST_P(FailedWrite, OnlyResetClosesThePort) {
    const SimpleCase& c = GetParam();
    conn->OpenForTask(false);
    peer.hangUp();
    EXPECT_THROW(c.operation(*conn), ESerialPort);
    const bool closes = c.operation == display_text::BitBtn9Click;
    EXPECT_EQ(!closes, conn->com1().Connected());
}

INSTANTIATE_TEST_SUITE_P(Table, FailedWrite, ::testing::ValuesIn(kSimpleOperations),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DisplayText, ScrollTextTransferSendsNothingAndSaysSo) {
    display_text::BitBtn4Click(*conn);
    EXPECT_EQ(std::vector<std::string>{std::string(display_text::kScrollTextNotSent)},
              host.messages);
    EXPECT_FALSE(conn->com1().Connected()) << "nothing is opened";
    EXPECT_TRUE(steps.empty());
    EXPECT_EQ("", peer.received());
}

}  // namespace
}  // namespace sk::test
