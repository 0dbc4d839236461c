// The Win32 backend's records and errors, run on Windows (here under Wine).
// What reaches a real line is checked from Linux by wine_line_test.
#include <gtest/gtest.h>

#include <bit>
#include <functional>
#include <utility>

#include "fake_clock_host.h"
#include "fake_timer.h"
#include "protocol/clock_connection.h"
#include "recording_pacer.h"
#include "serial/serial_error.h"
#include "serial/serial_port.h"
#include "serial/win32/serial_device_win32.h"

namespace sk::test {
namespace {

TEST(Win32Dcb, TheClocksPortGetsEightDataBitsNoParityTwoStopBitsAndNoHandshake) {
    FakeClockHost host;
    RecordingPacer pacer;
    FakeTimer timer;
    FakePortEnumerator ports;
    ClockConnection conn(host, pacer, timer, ports);

    for (auto [rate, bps] : {std::pair{TBaudRate::br9600, 9600u}, {TBaudRate::br115200, 115200u}}) {
        conn.com1().SetBaudRate(rate);
        const DCB d = win32Dcb(conn.com1().LineStateRecord());
        EXPECT_EQ(sizeof(DCB), d.DCBlength);
        EXPECT_EQ(bps, d.BaudRate);
        EXPECT_EQ(8, d.ByteSize);
        EXPECT_EQ(NOPARITY, d.Parity);
        EXPECT_EQ(TWOSTOPBITS, d.StopBits);
        EXPECT_EQ(1u, d.fBinary);
        EXPECT_EQ(0u, d.fParity);
        EXPECT_EQ(0u, d.fOutxCtsFlow);
        EXPECT_EQ(0u, d.fOutxDsrFlow);
        EXPECT_EQ(static_cast<DWORD>(DTR_CONTROL_DISABLE), d.fDtrControl);
        EXPECT_EQ(static_cast<DWORD>(RTS_CONTROL_DISABLE), d.fRtsControl);
        EXPECT_EQ(0u, d.fOutX);
        EXPECT_EQ(0u, d.fInX);
        EXPECT_EQ(0u, d.fAbortOnError);
        EXPECT_EQ(2400, d.XonLim);
        EXPECT_EQ(2400, d.XoffLim);
    }
}

// The handshake fields are two bits wide in the platform's record; every
// value must arrive whole, not cut to its low bit.
TEST(Win32Dcb, EveryControlParityAndStopValueArrivesUnchanged) {
    for (int dtr = 0; dtr <= 2; ++dtr) {
        for (int rts = 0; rts <= 3; ++rts) {
            LineState s;
            s.fDtrControl = dtr;
            s.fRtsControl = rts;
            s.parity = (dtr + rts) % 5;
            s.stopBits = rts % 3;
            s.byteSize = 5 + rts;
            const DCB d = win32Dcb(s);
            EXPECT_EQ(static_cast<DWORD>(dtr), d.fDtrControl);
            EXPECT_EQ(static_cast<DWORD>(rts), d.fRtsControl);
            EXPECT_EQ(s.parity, d.Parity);
            EXPECT_EQ(s.stopBits, d.StopBits);
            EXPECT_EQ(s.byteSize, d.ByteSize);
        }
    }
    LineState replace;
    replace.fParity = true;
    replace.fErrorChar = true;
    replace.errorChar = '?';
    replace.fNull = true;
    replace.evtChar = '\r';
    const DCB d = win32Dcb(replace);
    EXPECT_EQ(1u, d.fParity);
    EXPECT_EQ(1u, d.fErrorChar);
    EXPECT_EQ('?', d.ErrorChar);
    EXPECT_EQ(1u, d.fNull);
    EXPECT_EQ('\r', d.EvtChar);
}

TEST(Win32Events, TheClocksEventsAreReceiveAndLineErrorAndEveryEventRoundTrips) {
    EXPECT_EQ(static_cast<DWORD>(EV_RXCHAR | EV_ERR),
              win32EventMask({TSerialEvent::evRxChar, TSerialEvent::evError}));
    EXPECT_EQ(allSerialEvents(), win32Events(win32EventMask(allSerialEvents())));
    for (int e = 0; e < 10; ++e) {
        const TSerialEvents one{static_cast<TSerialEvent>(e)};
        const DWORD mask = win32EventMask(one);
        EXPECT_EQ(1, std::popcount(mask)) << "event " << e;
        EXPECT_EQ(one, win32Events(mask)) << "event " << e;
    }
    // Bits outside the events (e.g. EV_EVENT1) are not reported.
    EXPECT_TRUE(win32Events(EV_EVENT1 | EV_PERR).empty());
}

TEST(Win32LineErrors, ParityIsReportedOnlyWhileCheckedAndEveryOtherBitMaps) {
    const DWORD all =
        CE_FRAME | CE_RXPARITY | CE_OVERRUN | CE_BREAK | CE_IOE | CE_MODE | CE_RXOVER | CE_TXFULL;
    TSerialErrors expected{TSerialError::ceFrame, TSerialError::ceOverrun, TSerialError::ceBreak,
                           TSerialError::ceIO,    TSerialError::ceMode,    TSerialError::ceRxOver,
                           TSerialError::ceTxFull};
    EXPECT_EQ(expected, win32LineErrors(all, false));
    expected.insert(TSerialError::ceRxParity);
    EXPECT_EQ(expected, win32LineErrors(all, true));
    EXPECT_TRUE(win32LineErrors(0, true).empty());
}

TEST(Win32DevicePath, PortNamesOpenThroughTheDevicePrefixWithoutTrailingBlanks) {
    EXPECT_EQ("\\\\.\\COM3", win32DevicePath("COM3 "));
    EXPECT_EQ("\\\\.\\COM3", win32DevicePath("COM3"));
    EXPECT_EQ("\\\\.\\COM12", win32DevicePath("COM12"));
}

TEST(Win32Port, OpeningAMissingPortRaisesWithThePlatformCodeAndStaysClosed) {
    TSerialPort port;
    port.SetPort("COM199");
    bool beforeOpen = false;
    port.OnBeforeOpen = [&](TCustomSerialPort&) { beforeOpen = true; };
    try {
        port.Open();
        FAIL() << "opened a port that does not exist";
    } catch (const ESerialPort& e) {
        EXPECT_EQ(seOpenFail, e.Number());
        EXPECT_EQ(ERROR_FILE_NOT_FOUND, e.Code());
        EXPECT_STREQ("Unable to open com port (win error code: 2)", e.what());
    }
    EXPECT_TRUE(beforeOpen);
    EXPECT_FALSE(port.Connected());
    port.Close();
    EXPECT_FALSE(port.Connected());
}

TEST(Win32SerialDevice, EveryOperationOnAClosedDeviceRaisesItsNumberWithTheHandleError) {
    Win32SerialDevice device;
    char buffer[4];
    const std::pair<int, std::function<void()>> calls[] = {
        {seWriteFail, [&] { device.write("/ID", 3); }},
        {seReadFail, [&] { device.read(buffer, 4); }},
        {seClearComm, [&] { device.queueStatus(); }},
        {seModemStatus, [&] { device.modemStatus(); }},
        {sePurgeFail, [&] { device.purge(purgeTxAbort | purgeRxAbort); }},
        {seSetState, [&] { device.applyLineState(LineState{}); }},
        {seSetTimeouts, [&] { device.applyTimeouts(CommTimeouts{}); }},
        {seSetupComm, [&] { device.applyBuffers(9600, 9600); }},
    };
    for (const auto& [number, call] : calls) {
        try {
            call();
            ADD_FAILURE() << "no error for number " << number;
        } catch (const ESerialPort& e) {
            EXPECT_EQ(number, e.Number());
            EXPECT_EQ(ERROR_INVALID_HANDLE, e.Code()) << e.what();
        }
    }
}

}  // namespace
}  // namespace sk::test
