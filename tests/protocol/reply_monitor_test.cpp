#include <gtest/gtest.h>

#include "connection_fixture.h"
#include "serial/serial_error.h"
#include "serial/serial_packet.h"

namespace sk::test {
namespace {

const std::string kTimedOut = "Timed out og overf\xF8rsel avbrutt";

struct PacketCase {
    const char* name;
    std::string packet;
    std::vector<std::string> log;
    int replyState;  // starting from 0 with the timer on
    bool timerOn;
};

class ReplyMonitor : public ConnectionFixture, public ::testing::WithParamInterface<PacketCase> {};

TEST_P(ReplyMonitor, LogsAndJudgesEachPacketInOrder) {
    const PacketCase& c = GetParam();
    timer.SetEnabled(true);
    conn->SerialPacket1Packet(conn->SerialPacket2(), c.packet);
    EXPECT_EQ(c.log, host.log);
    EXPECT_EQ(c.replyState, conn->replyState);
    EXPECT_EQ(c.timerOn, timer.Enabled());
    EXPECT_EQ("Tovik timing system", host.statusText) << "not identifying";
}

INSTANTIATE_TEST_SUITE_P(
    Packets, ReplyMonitor,
    ::testing::Values(
        PacketCase{"PlusCrLf", "+\r\n", {"+\r\n", "+\r\n", "Svarer:+\r\n"}, 1, false},
        PacketCase{
            "MinusCrLfEndsAcknowledged", "-\r\n", {"-\r\n", "Error ", "Svarer:-\r\n"}, 1, false},
        PacketCase{"Minus", "-", {"-", "Error "}, -1, true},
        PacketCase{"Plus", "+", {"+", "+"}, 1, false},
        PacketCase{"MinusWinsOverPlus", "+-", {"+-", "Error "}, -1, true},
        PacketCase{"TwoLetters", "ok", {"ok"}, 0, true},
        PacketCase{"LoneLineFeed", "ok\n", {"ok\n"}, 0, true}),
    [](const auto& info) { return std::string(info.param.name); });

using ReplyMonitorIdentify = ConnectionFixture;

TEST_F(ReplyMonitorIdentify, WhileIdentifyingEveryPacketShowsAndStartFindsTheClock) {
    conn->identifyMode = true;
    conn->SerialPacket1Packet(conn->SerialPacket1(), "startklokke\r\n");
    EXPECT_EQ("startklokke\r\n", host.statusText);
    EXPECT_FALSE(host.clockFoundShown) << "the test is case-sensitive";
    conn->SerialPacket1Packet(conn->SerialPacket1(), "ab");
    EXPECT_EQ("ab", host.statusText);
    conn->SerialPacket1Packet(conn->SerialPacket1(), "Tovik Start 2.3");
    EXPECT_TRUE(host.clockFoundShown);
    EXPECT_EQ("Dizeradozudn er tilkoblet", host.clockFoundText);
}

TEST_F(ReplyMonitorIdentify, ClockAnsweringIdIsFoundThroughAllThreePacketComponents) {
    peer.onReceive("/ID", "Startklokke SIM0001\r\n");
    ports.ports = {PlainPort()};
    conn->FormActivate();
    ASSERT_TRUE(queue.pumpUntil([&] { return host.clockFoundShown; }));
    queue.pumpUntil([&] { return host.log.size() >= 9; }, std::chrono::milliseconds(500));
    EXPECT_EQ("Startklokke SIM0001\r\n", host.statusText);
    EXPECT_EQ(1, conn->replyState);
    // Each component delivers the same text: packet and "Svarer:" line, three times.
    ASSERT_EQ(6u, host.log.size());
    for (std::size_t i = 0; i < host.log.size(); i += 2) {
        EXPECT_EQ("Startklokke SIM0001\r\n", host.log[i]);
        EXPECT_EQ("Svarer:Startklokke SIM0001\r\n", host.log[i + 1]);
    }
}

using TimeoutHandler = ConnectionFixture;

TEST_F(TimeoutHandler, EndsTheWaitAndTellsTheClockToDropTheList) {
    host.selectorText = PlainEntry();
    conn->OpenForTask(false);
    timer.SetEnabled(true);
    conn->replyState = 0;
    ASSERT_TRUE(timer.Fire());
    EXPECT_EQ(2, conn->replyState);
    EXPECT_FALSE(timer.Enabled());
    EXPECT_EQ(std::vector<std::string>{kTimedOut}, host.log);
    EXPECT_EQ("/PUREND\r\n/ERASELIST\r\n", ReceivedAfter("/ERASELIST\r\n"));
    EXPECT_EQ((std::vector<int>{300, 300}), pacer.pauses());
    EXPECT_TRUE(conn->com1().Connected()) << "neither opened nor closed";
}

TEST_F(TimeoutHandler, PendingReplyIsHandledFirstAndTheTimeoutStillWins) {
    host.selectorText = PlainEntry();
    conn->OpenForTask(false);
    timer.SetEnabled(true);
    conn->replyState = 0;
    host.pump = [this] {
        // The reply that was waiting in the window's queue when the timer fired.
        conn->SerialPacket1Packet(conn->SerialPacket1(), "+\r\n");
    };
    conn->Timer1Timer();
    EXPECT_EQ(2, conn->replyState);
    EXPECT_EQ((std::vector<std::string>{"+\r\n", "+\r\n", "Svarer:+\r\n", kTimedOut}), host.log);
    EXPECT_EQ("/PUREND\r\n/ERASELIST\r\n", ReceivedAfter("/ERASELIST\r\n"));
}

TEST_F(TimeoutHandler, OnAClosedPortTheFirstWriteRaisesAfterTheStateIsSet) {
    timer.SetEnabled(true);
    EXPECT_THROW(conn->Timer1Timer(), ESerialPort);
    EXPECT_EQ(2, conn->replyState);
    EXPECT_FALSE(timer.Enabled());
    EXPECT_EQ(std::vector<std::string>{kTimedOut}, host.log);
    EXPECT_TRUE(pacer.pauses().empty()) << "stopped at the first write";
}

}  // namespace
}  // namespace sk::test
