#include "protocol/clock_connection.h"

#include <gtest/gtest.h>

#include "connection_fixture.h"
#include "serial/serial_error.h"
#include "serial/serial_port.h"

namespace sk::test {
namespace {

using Connection = ConnectionFixture;

TEST_F(Connection, ActivationOpensTheDiscoveredPortWritesIdAndShowsTheStartPage) {
    ports.ports = {PlainPort()};
    conn->FormActivate();
    EXPECT_EQ("/ID", ReceivedAfter("/ID"));
    EXPECT_TRUE(conn->identifyMode);
    EXPECT_EQ(1, host.startPageShown);
    EXPECT_EQ(std::vector<std::string>{PlainEntry()}, host.selectorItems);
    EXPECT_EQ(PlainEntry(), host.selectorText);
    EXPECT_TRUE(conn->com1().Connected());
    EXPECT_EQ(peer.slavePath(), conn->com1().Port());
    auto line = peer.lineSettings();
    EXPECT_EQ(9600, line.baud);
    EXPECT_EQ(8, line.dataBits);
    EXPECT_EQ('N', line.parity);
    EXPECT_EQ(2, line.stopBits);
    EXPECT_FALSE(line.crtscts);
}

TEST_F(Connection, ActivationWithTheAdapterSelectsItsEntryAndRunsAt115200) {
    ports.ports = {PlainPort(), AdapterPort()};
    ports.ports[0].name = "/dev/sk-not-there";
    conn->FormActivate();
    EXPECT_EQ(AdapterEntry(), host.selectorText);
    EXPECT_EQ("/ID", ReceivedAfter("/ID"));
    EXPECT_EQ(115200, peer.lineSettings().baud);
}

TEST_F(Connection, NoPortsFoundWritesNothingAndStillShowsTheStartPage) {
    conn->FormActivate();
    EXPECT_FALSE(conn->com1().Connected());
    EXPECT_FALSE(conn->identifyMode);
    EXPECT_EQ("Koble til klokken...", host.selectorText);
    EXPECT_TRUE(host.selectorItems.empty());
    EXPECT_EQ(1, host.startPageShown);
    EXPECT_EQ("", peer.received());
}

TEST_F(Connection, FailedOpenRaisesLeavesThePageAndKeepsIdentifyModeCleared) {
    ports.ports = {{"/dev/sk-not-there", "SERIAL\\x"}};
    conn->identifyMode = true;
    try {
        conn->FormActivate();
        FAIL() << "no error";
    } catch (const ESerialPort& e) {
        EXPECT_EQ(1, e.Number());
    }
    EXPECT_FALSE(conn->identifyMode);
    EXPECT_EQ(0, host.startPageShown);
    EXPECT_FALSE(conn->com1().Connected());
}

TEST_F(Connection, RepeatedActivationListsEachPortOnceAndIdentifiesAgain) {
    ports.ports = {PlainPort(), {"/dev/sk-other", "SERIAL\\o"}};
    conn->FormActivate();
    conn->FormActivate();
    EXPECT_EQ((std::vector<std::string>{PlainEntry(), "/dev/sk-other Serial port"}),
              host.selectorItems);
    EXPECT_EQ(0, host.selectorIndex);
    EXPECT_EQ("/ID/ID", ReceivedAfter("/ID/ID"));
    EXPECT_EQ(2, host.startPageShown);
}

TEST_F(Connection, PortSearchIdentifiesWithoutChangingThePage) {
    ports.ports = {AdapterPort()};
    conn->SpeedButton1Click();
    EXPECT_EQ("/ID", ReceivedAfter("/ID"));
    EXPECT_TRUE(conn->identifyMode);
    EXPECT_EQ(0, host.startPageShown);
    EXPECT_EQ(TBaudRate::br115200, conn->com1().BaudRate());
}

TEST_F(Connection, SelectorChangeSwitchesSpeedClosingOnlyForTheAdapterEntry) {
    ports.ports = {AdapterPort()};
    conn->FormActivate();
    ASSERT_EQ(115200, peer.lineSettings().baud);
    int closes = 0;
    conn->com1().OnAfterClose = [&](TCustomSerialPort&) { ++closes; };

    host.Choose(0);  // the plain entry: the open port just slows down
    conn->cbserieporterChange();
    EXPECT_TRUE(conn->com1().Connected());
    EXPECT_EQ(0, closes);
    EXPECT_EQ(9600, peer.lineSettings().baud);

    host.Choose(1);  // the adapter entry: closed, then reopened at 115200
    conn->cbserieporterChange();
    EXPECT_TRUE(conn->com1().Connected());
    EXPECT_EQ(1, closes);
    EXPECT_EQ(115200, peer.lineSettings().baud);
}

TEST_F(Connection, EveryOpeningTakesTheSpeedTheSelectorCallsFor) {
    ports.ports = {PlainPort()};
    host.selectorText = AdapterEntry();
    conn->OpenForTask(false);  // an adapter entry typed by hand
    EXPECT_EQ(115200, peer.lineSettings().baud);
    conn->ClosePort();
    host.Type(PlainEntry());
    conn->com1().SetBaudRate(TBaudRate::br115200);
    conn->OpenForTask(false);
    EXPECT_EQ(9600, peer.lineSettings().baud);
}

TEST_F(Connection, ExitClosesThePort) {
    ports.ports = {PlainPort()};
    conn->FormActivate();
    ASSERT_TRUE(conn->com1().Connected());
    conn->Button13Click();
    EXPECT_FALSE(conn->com1().Connected());
}

TEST_F(Connection, TrimmedAndUntrimmedNamesAreTheSamePortSoATaskDoesNotReopen) {
    ports.ports = {PlainPort()};
    conn->FormActivate();  // trimmed name
    int closes = 0;
    conn->com1().OnAfterClose = [&](TCustomSerialPort&) { ++closes; };
    {
        TaskPort port(*conn, TaskPort::Untrimmed, TaskPort::CloseAtEndOnly);
        EXPECT_EQ(0, closes);
        conn->SendCommand("/DM1");
        port.Close();
    }
    EXPECT_EQ(1, closes);
    EXPECT_EQ("/ID/DM1", ReceivedAfter("/DM1"));
}

TEST_F(Connection, TaskPortClosesOnFailureOnlyWhenTheTableSaysSo) {
    host.selectorText = PlainEntry();
    auto failingTask = [&](TaskPort::Closing closing) {
        try {
            TaskPort port(*conn, TaskPort::Untrimmed, closing);
            throw std::runtime_error("step failed");
        } catch (const std::runtime_error&) {
        }
    };
    failingTask(TaskPort::CloseAtEndOnly);
    EXPECT_TRUE(conn->com1().Connected());
    conn->ClosePort();
    failingTask(TaskPort::CloseEvenOnFailure);
    EXPECT_FALSE(conn->com1().Connected());
}

TEST_F(Connection, SelectorNamingNoPortMakesTheTaskOpeningFail) {
    host.selectorText = "Koble til klokken...";
    EXPECT_THROW(TaskPort(*conn, TaskPort::Untrimmed, TaskPort::CloseEvenOnFailure), ESerialPort);
    EXPECT_FALSE(conn->com1().Connected());
}

struct NameCase {
    const char* selector;
    const char* trimmed;
    const char* untrimmed;
    bool namesPort;
    bool fast;
};

class SelectorText : public ::testing::TestWithParam<NameCase> {};

TEST_P(SelectorText, GivesPortNameSpeedAndWhetherItNamesAPort) {
    const NameCase& c = GetParam();
    FakeClockHost host;
    RecordingPacer pacer;
    FakeTimer timer;
    FakePortEnumerator ports;
    ClockConnection conn(host, pacer, timer, ports);
    host.selectorText = c.selector;
    EXPECT_EQ(c.trimmed, conn.PortName(true));
    EXPECT_EQ(c.untrimmed, conn.PortName(false));
    EXPECT_EQ(c.namesPort, conn.SelectorNamesPort());
    EXPECT_EQ(c.fast, conn.SelectorWantsFastSpeed());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SelectorText,
    ::testing::Values(
        NameCase{"COM3 Serial port", "COM3", "COM3", true, false},
        NameCase{"COM100 Serial port", "COM100", "COM100", true, false},
        NameCase{"COM12", "COM12", "COM12", true, false},
        NameCase{"COM4 Tovik USB TIMER ", "COM4", "COM4", true, true},
        NameCase{"/dev/ttyUSB0 Serial port", "/dev/ttyUSB0", "/dev/ttyUSB0", true, false},
        NameCase{"/dev/ttyUSB0 Tovik USB TIMER ", "/dev/ttyUSB0", "/dev/ttyUSB0", true, true},
        NameCase{"/dev/pts/5", "/dev/pts/5", "/dev/pts/5", true, false},
        NameCase{" COM3 Serial port", "COM3", "", false, false},
        NameCase{"COM5 usb", "COM5", "COM5", true, false},
        NameCase{"Koble til klokken...", "Koble", "Koble", false, false},
        NameCase{"", "", "", false, false}));

}  // namespace
}  // namespace sk::test
