// The port on a real tty (a pseudo-terminal): line settings, open errors,
// exclusive use, name mapping and the blocking write.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "pty_peer.h"
#include "serial/posix/serial_device_posix.h"
#include "serial/serial_error.h"
#include "serial/serial_port.h"

namespace sk {
namespace {

using test::PtyPeer;

// com1 as the main window configures it.
void configureAsCom1(TSerialPort& port, const std::string& path) {
    port.SetPort(path);
    port.SetStopBits(TStopBits::sbTwoStopBits);
    port.SetEvents({TSerialEvent::evRxChar, TSerialEvent::evError});
    port.Buffer().SetInputSize(9600);
    port.Buffer().SetOutputSize(9600);
    port.Timeouts().SetReadInterval(500);
    port.Timeouts().SetReadTotalConstant(1000);
    port.Timeouts().SetWriteTotalMultiplier(10000);
}

int openErrorCode(TSerialPort& port) {
    try {
        port.Open();
    } catch (const ESerialPort& e) {
        EXPECT_EQ(1, e.Number());
        return e.Code();
    }
    return 0;
}

class Com1LineSettings : public ::testing::TestWithParam<TBaudRate> {};

TEST_P(Com1LineSettings, PeerSeesRawEightDataBitsNoParityTwoStopBitsNoFlowControl) {
    PtyPeer peer;
    TSerialPort port;
    configureAsCom1(port, peer.slavePath());
    port.SetBaudRate(GetParam());
    port.Open();
    const PtyPeer::LineSettings s = peer.lineSettings();
    EXPECT_EQ(baudRateValue(GetParam()), s.baud);
    EXPECT_EQ(8, s.dataBits);
    EXPECT_EQ('N', s.parity);
    EXPECT_EQ(2, s.stopBits);
    EXPECT_FALSE(s.crtscts);
    EXPECT_FALSE(s.ixon);
    EXPECT_FALSE(s.ixoff);
    EXPECT_TRUE(s.clocal);
    EXPECT_TRUE(s.cread);
    EXPECT_TRUE(s.raw);
}

INSTANTIATE_TEST_SUITE_P(ClockSpeeds, Com1LineSettings,
                         ::testing::Values(TBaudRate::br9600, TBaudRate::br115200));

TEST(SerialPortPty, LineSettingChangesWhileOpenReachTheDeviceWithoutReopening) {
    PtyPeer peer;
    TSerialPort port;
    configureAsCom1(port, peer.slavePath());
    int opens = 0;
    port.OnBeforeOpen = [&](TCustomSerialPort&) { ++opens; };
    port.Open();
    // (Recent kernels refuse other data sizes and parity on ptys, so those
    // are covered against the fake device.)
    port.SetBaudRate(TBaudRate::br115200);
    port.SetStopBits(TStopBits::sbOneStopBit);
    port.FlowControl().SetFlowControl(TFlowControl::fcHardware);
    PtyPeer::LineSettings s = peer.lineSettings();
    EXPECT_EQ(115200, s.baud);
    EXPECT_EQ(1, s.stopBits);
    EXPECT_TRUE(s.crtscts);
    EXPECT_FALSE(s.ixon || s.ixoff);
    port.FlowControl().SetFlowControl(TFlowControl::fcSoftware);
    port.SetBaudRate(TBaudRate::br1200);
    s = peer.lineSettings();
    EXPECT_EQ(1200, s.baud);
    EXPECT_FALSE(s.crtscts);
    EXPECT_TRUE(s.ixon && s.ixoff);
    EXPECT_EQ(1, opens);
}

TEST(SerialPortPty, RatesWithoutAStandardConstantAreAccepted) {
    PtyPeer peer;
    TSerialPort port;
    configureAsCom1(port, peer.slavePath());
    port.SetBaudRate(TBaudRate::br14400);
    port.Open();
    port.SetBaudRate(TBaudRate::brCustom);
    port.SetCustomBaudRate(250000);
    port.SetBaudRate(TBaudRate::br9600);
    EXPECT_EQ(9600, peer.lineSettings().baud);
    EXPECT_EQ(1, port.WriteString("x"));
}

TEST(SerialPortPty, MissingDeviceFailsWithCode2AndLeavesThePortClosed) {
    for (const char* name : {"/dev/startklokke-no-such-port", "COM250", ""}) {
        TSerialPort port;
        port.SetPort(name);
        try {
            port.Open();
            ADD_FAILURE() << name << " opened";
        } catch (const ESerialPort& e) {
            EXPECT_EQ(std::string("Unable to open com port (win error code: 2)"), e.what()) << name;
        }
        EXPECT_FALSE(port.Connected());
        port.Close();
        EXPECT_FALSE(port.Connected());
    }
}

TEST(SerialPortPty, SomethingThatIsNotATerminalIsRefused) {
    char path[] = "/tmp/startklokke-not-a-tty-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ::close(fd);
    TSerialPort port;
    port.SetPort(path);
    EXPECT_EQ(ENOTTY, openErrorCode(port));
    EXPECT_FALSE(port.Connected());
    ::unlink(path);
}

TEST(SerialPortPty, OpenAndCloseAreIdempotentAndTheLineCanBeReopened) {
    PtyPeer peer;
    TSerialPort port;
    configureAsCom1(port, peer.slavePath());
    for (int round = 0; round < 3; ++round) {
        port.Open();
        port.Open();
        EXPECT_TRUE(port.Connected());
        EXPECT_EQ(3, port.WriteString("/ID"));
        port.Close();
        port.Close();
        EXPECT_FALSE(port.Connected());
    }
    EXPECT_TRUE(peer.waitForText("/ID/ID/ID"));
}

TEST(SerialPortPty, SecondPortOnTheSameDeviceIsRefusedUntilTheFirstCloses) {
    PtyPeer peer;
    TSerialPort first, second;
    first.SetPort(peer.slavePath());
    second.SetPort(peer.slavePath());
    first.Open();
    const int code = openErrorCode(second);
    EXPECT_TRUE(code == EBUSY || code == EWOULDBLOCK) << code;
    EXPECT_FALSE(second.Connected());
    first.Close();
    second.Open();
    EXPECT_TRUE(second.Connected());
}

TEST(SerialPortPty, DeviceLockedByAnotherProgramIsRefused) {
    PtyPeer peer;
    int ready[2], release[2];
    ASSERT_EQ(0, pipe(ready));
    ASSERT_EQ(0, pipe(release));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Only async-signal-safe calls here: the parent has threads.
        const int fd = ::open(peer.slavePath().c_str(), O_RDWR | O_NOCTTY);
        const char ok = (fd >= 0 && flock(fd, LOCK_EX) == 0) ? 'y' : 'n';
        [[maybe_unused]] auto w = ::write(ready[1], &ok, 1);
        char c;
        [[maybe_unused]] auto r = ::read(release[0], &c, 1);
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(1, ::read(ready[0], &ok, 1));
    ASSERT_EQ('y', ok);
    TSerialPort port;
    port.SetPort(peer.slavePath());
    EXPECT_EQ(EWOULDBLOCK, openErrorCode(port));
    EXPECT_FALSE(port.Connected());
    const char go = 'x';
    ASSERT_EQ(1, ::write(release[1], &go, 1));
    int status = 0;
    waitpid(child, &status, 0);
    port.Open();
    EXPECT_TRUE(port.Connected());
    for (int fd : {ready[0], ready[1], release[0], release[1]})
        ::close(fd);
}

TEST(SerialPortPty, TrailingBlankInTheNameOpensTheSameDevice) {
    PtyPeer peer;
    TSerialPort port;
    port.SetPort(peer.slavePath() + " ");
    port.Open();
    port.WriteString("x");
    EXPECT_TRUE(peer.waitForText("x"));
}

TEST(SerialPortNames, NamesMapToDevicePaths) {
    struct Case {
        const char* name;
        const char* path;
    };
    const Case cases[] = {
        {"COM1", "/dev/ttyS0"},
        {"COM3", "/dev/ttyS2"},
        {"COM3 ", "/dev/ttyS2"},
        {"com12", "/dev/ttyS11"},
        {"/dev/ttyUSB0", "/dev/ttyUSB0"},
        {"/dev/pts/3  ", "/dev/pts/3"},
        {"ttyACM0", "/dev/ttyACM0"},
        {"COM0", "/dev/COM0"},
        {"COMX", "/dev/COMX"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(std::string(c.path), posixDevicePath(c.name)) << c.name;
}

TEST(SerialPortPty, WriteReturnsAfterTheBytesReachedThePeer) {
    PtyPeer peer;
    TSerialPort port;
    configureAsCom1(port, peer.slavePath());
    port.Open();
    const std::string command = "/SC123456";
    EXPECT_EQ(static_cast<int>(command.size()), port.WriteString(command));
    EXPECT_EQ(0, port.WriteString(""));
    EXPECT_TRUE(peer.waitForText(command));
    EXPECT_EQ(command, peer.received());
}

TEST(SerialPortPty, WriteThatCannotFinishEndsEarlyWithTheShorterCount) {
    // A master nobody reads: the slave's queue fills and the write stalls.
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(0, grantpt(master));
    ASSERT_EQ(0, unlockpt(master));
    TSerialPort port;
    port.SetPort(ptsname(master));
    port.SetEvents({});
    port.Timeouts().SetWriteTotalMultiplier(0);
    port.Timeouts().SetWriteTotalConstant(200);
    port.Open();
    const std::string big(1 << 20, 'a');
    const auto start = std::chrono::steady_clock::now();
    const int written = port.WriteString(big);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GT(written, 0);
    EXPECT_LT(written, static_cast<int>(big.size()));
    EXPECT_GE(took, std::chrono::milliseconds(190));
    EXPECT_LT(took, std::chrono::milliseconds(2000));
    EXPECT_TRUE(port.Connected());
    port.Close();
    ::close(master);
}

}  // namespace
}  // namespace sk
