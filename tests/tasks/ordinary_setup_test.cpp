#include "tasks/ordinary_setup.h"

#include <gtest/gtest.h>

#include "serial/serial_error.h"
#include "task_fixture.h"

namespace sk::test {
namespace {

using ordinary_setup::Inputs;

class OrdinarySetup : public TaskFixture {
  protected:
    OrdinarySetup() {
        in.timeEdit1 = "10:00:00";
        in.timeSeparator = ':';
    }
    Inputs in;
};

TEST_F(OrdinarySetup, SetModeWithTheInitialValuesSendsOneRunOfFiveCommandsAndCloses) {
    ordinary_setup::BitBtn3Click(*conn, in);
    EXPECT_EQ((std::vector<Step>{{"/DM1"}, {"/SND0"}, {"/S100"}, {"/SI030"}, {"/SS100000"}}),
              steps);
    EXPECT_EQ("/DM1/SND0/S100/SI030/SS100000", peer.received());
    EXPECT_FALSE(conn->com1().Connected());
}

struct SetupCase {
    const char* name;
    int mode;
    bool sound;
    bool preWarning;
    const char* interval;
    const char* time;
    std::vector<Step> expected;
};

class OrdinarySetupCases : public OrdinarySetup, public ::testing::WithParamInterface<SetupCase> {};

TEST_P(OrdinarySetupCases, SetModeWritesModeSwitchesIntervalAndFirstStart) {
    const SetupCase& c = GetParam();
    in.rbModus = c.mode;
    in.cblyd = c.sound;
    in.cbforvarsel = c.preWarning;
    in.txtInt = c.interval;
    in.timeEdit1 = c.time;
    ordinary_setup::BitBtn3Click(*conn, in);
    EXPECT_EQ(c.expected, steps);
    EXPECT_FALSE(conn->com1().Connected());
}

INSTANTIATE_TEST_SUITE_P(
    Table, OrdinarySetupCases,
    ::testing::Values(SetupCase{"Mode1",
                                1,
                                false,
                                false,
                                "30",
                                "10:00:00",
                                {{"/DM2"}, {"/SND0"}, {"/S100"}, {"/SI030"}, {"/SS100000"}}},
                      SetupCase{"Mode3SoundPreWarningInterval5",
                                3,
                                true,
                                true,
                                "5",
                                "9:05:30",
                                {{"/DM3"}, {"/SND1"}, {"/S101"}, {"/SI005"}, {"/SS090530"}}},
                      SetupCase{"Mode2Interval120",
                                2,
                                false,
                                true,
                                "120",
                                "23:59",
                                {{"/DM3"}, {"/SND0"}, {"/S101"}, {"/SI120"}, {"/SS235900"}}},
                      SetupCase{"EmptyInterval",
                                0,
                                true,
                                false,
                                "",
                                "00:00:00",
                                {{"/DM1"}, {"/SND1"}, {"/S100"}, {"/SI"}, {"/SS000000"}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(OrdinarySetup, SoundUpdateUsesTheLowerModeMappingAndPausesAfterTheFirstTwo) {
    const std::pair<int, const char*> modes[] = {
        {0, "/DM0"}, {1, "/DM1"}, {2, "/DM2"}, {3, "/DM3"}};
    for (const auto& [mode, command] : modes) {
        steps.clear();
        in.rbModus = mode;
        in.cblyd = mode % 2 == 1;
        ordinary_setup::Button17Click(*conn, in);
        EXPECT_EQ(
            (std::vector<Step>{{command, 500}, {in.cblyd ? "/SND1" : "/SND0", 500}, {"/S100"}}),
            steps)
            << "mode " << mode;
        EXPECT_FALSE(conn->com1().Connected());
    }
}

TEST_F(OrdinarySetup, SetTypedTimeSendsItAndCloses) {
    in.timeEdit1 = " 10:15 ";
    ordinary_setup::BitBtn2Click(*conn, in);
    EXPECT_EQ((std::vector<Step>{{"/SC101500"}}), steps);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_FALSE(conn->com1().Connected());
}

TEST_F(OrdinarySetup, UnparsableTimeWritesNothingInEitherOperation) {
    in.timeEdit1 = "25:00:00";
    ordinary_setup::BitBtn2Click(*conn, in);
    EXPECT_EQ(std::vector<std::string>{"Feilt format p\xE5 klokekslettet"}, host.messages);

    try {
        ordinary_setup::BitBtn3Click(*conn, in);
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_EQ(std::string("'25:00:00' is not a valid date and time"), e.what());
    }
    EXPECT_TRUE(steps.empty());
    EXPECT_FALSE(conn->com1().Connected()) << "the port is not touched";
}

TEST_F(OrdinarySetup, NoPortShowsTheOwnMessageInOneOperationAndThePortErrorInTheOthers) {
    host.Type("Koble til klokken...");
    ordinary_setup::BitBtn2Click(*conn, in);
    EXPECT_EQ(std::vector<std::string>{"Feilt format p\xE5 klokekslettet"}, host.messages);
    EXPECT_THROW(ordinary_setup::BitBtn3Click(*conn, in), ESerialPort);
    EXPECT_THROW(ordinary_setup::Button17Click(*conn, in), ESerialPort);
    EXPECT_THROW(ordinary_setup::BitBtn1Click(*conn), ESerialPort);
    EXPECT_TRUE(steps.empty());
}

TEST_F(OrdinarySetup, SetTypedTimeClosesThePortEvenWhenTheWriteFails) {
    // The port is open, then vanishes: the write fails, the guard still closes.
    conn->OpenForTask(false);
    peer.hangUp();
    ordinary_setup::BitBtn2Click(*conn, in);
    EXPECT_EQ(std::vector<std::string>{"Feilt format p\xE5 klokekslettet"}, host.messages);
    EXPECT_FALSE(conn->com1().Connected());
}

struct PcTimeCase {
    const char* name;
    LocalTime now;
    bool adapter;
    std::vector<Step> expected;
};

class PcTime : public OrdinarySetup, public ::testing::WithParamInterface<PcTimeCase> {};

// 9 bytes at 11 bits each take 10.3 ms at 9600 baud and 0.9 ms at 115200: the
// write starts that much before the boundary so its last byte ends on it.
TEST_P(PcTime, SendsTheNextWholeSecondTimedToEndOnTheBoundary) {
    const PcTimeCase& c = GetParam();
    if (c.adapter) {
        ports.ports = {AdapterPort()};
        host.selectorText = AdapterEntry();
    }
    pacer.setNow(c.now.hour, c.now.minute, c.now.second, c.now.millisecond);
    ordinary_setup::BitBtn1Click(*conn);
    EXPECT_EQ(c.expected, steps);
    EXPECT_FALSE(conn->com1().Connected());
}

INSTANTIATE_TEST_SUITE_P(
    Table, PcTime,
    ::testing::Values(
        // 600 ms to go: 570 ms, look again, 20 ms; 10 ms of wire time remain.
        PcTimeCase{"At9600", {10, 0, 0, 400}, false, {{"", 590}, {"/SC100001", 300}}},
        PcTimeCase{"At115200", {10, 0, 0, 400}, true, {{"", 599}, {"/SC100001", 300}}},
        // Whole second: a full second to wait, not "now".
        PcTimeCase{"OnTheSecond", {12, 30, 15, 0}, true, {{"", 999}, {"/SC123016", 300}}},
        // The fraction is not dropped: this sets the clock to the coming midnight.
        PcTimeCase{"BeforeMidnight", {23, 59, 59, 600}, false, {{"", 390}, {"/SC000000", 300}}},
        // Too close to the boundary to make it: the second after it.
        PcTimeCase{
            "TooLateForTheNextSecond", {23, 59, 59, 995}, false, {{"", 995}, {"/SC000001", 300}}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace sk::test
