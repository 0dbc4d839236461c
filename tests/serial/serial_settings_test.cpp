// Settings, the line state record and the setting-change table, against a
// fake device so every call the port makes is visible.
#include <gtest/gtest.h>

#include <memory>

#include "fake_serial_device.h"
#include "serial/serial_error.h"
#include "serial/serial_port.h"

namespace sk {
namespace {

using test::FakeSerialDevice;

struct PortOnFake : ::testing::Test {
    PortOnFake() {
        auto fake = std::make_unique<FakeSerialDevice>();
        dev = fake.get();
        port = std::make_unique<TSerialPort>(std::move(fake));
        port->SetEvents({});  // no event thread unless a test wants one
    }
    // Handlers capture the test's locals, which are gone before the port.
    void TearDown() override {
        port->OnBeforeOpen = nullptr;
        port->OnAfterOpen = nullptr;
        port->OnBeforeClose = nullptr;
        port->OnAfterClose = nullptr;
        port->OnCTSChange = port->OnDSRChange = port->OnRLSDChange = nullptr;
    }
    // The settings the main window gives com1.
    void configureAsCom1() {
        port->SetStopBits(TStopBits::sbTwoStopBits);
        port->Buffer().SetInputSize(9600);
        port->Buffer().SetOutputSize(9600);
        port->Timeouts().SetReadInterval(500);
        port->Timeouts().SetReadTotalConstant(1000);
        port->Timeouts().SetWriteTotalMultiplier(10000);
    }
    FakeSerialDevice* dev = nullptr;
    std::unique_ptr<TSerialPort> port;
};

TEST(SerialSettingsDefaults, NewPortHasTheDocumentedDefaults) {
    TSerialPort port(std::make_unique<FakeSerialDevice>());
    EXPECT_EQ("COM1", port.Port());
    EXPECT_EQ(TBaudRate::br9600, port.BaudRate());
    EXPECT_EQ(9600, port.CustomBaudRate());
    EXPECT_EQ(TStopBits::sbOneStopBit, port.StopBits());
    EXPECT_EQ(TDataBits::dbEight, port.DataBits());
    EXPECT_EQ(allSerialEvents(), port.Events());
    EXPECT_EQ(1024, port.Buffer().InputSize());
    EXPECT_EQ(17, port.FlowControl().XonChar());
    EXPECT_EQ(19, port.FlowControl().XoffChar());
    EXPECT_EQ(-1, port.Timeouts().ReadInterval());
    EXPECT_EQ(100, port.Timeouts().WriteTotalMultiplier());
    EXPECT_EQ(1000, port.Timeouts().WriteTotalConstant());
    EXPECT_EQ(TFlowControl::fcNone, port.FlowControl().FlowControl());
    EXPECT_FALSE(port.Connected());
}

TEST_F(PortOnFake, Com1LineStateRecordMatchesTheClocksLine) {
    configureAsCom1();
    port->Open();
    const LineState s = dev->lastLineState();
    EXPECT_EQ(9600u, s.baudRate);
    EXPECT_TRUE(s.fBinary);
    EXPECT_FALSE(s.fParity);
    EXPECT_EQ(8, s.byteSize);
    EXPECT_EQ(0, s.parity);
    EXPECT_EQ(2, s.stopBits);
    EXPECT_EQ(0, s.fDtrControl);
    EXPECT_EQ(0, s.fRtsControl);
    EXPECT_FALSE(s.fOutxCtsFlow || s.fOutxDsrFlow || s.fOutX || s.fInX);
    EXPECT_EQ(2400, s.xonLim);
    EXPECT_EQ(2400, s.xoffLim);
    EXPECT_EQ(17, s.xonChar);
    EXPECT_EQ(19, s.xoffChar);
    EXPECT_FALSE(s.fErrorChar);
    EXPECT_FALSE(s.fAbortOnError);
    const std::vector<std::string> expected = {"open COM1", "buffers 9600 9600", "linestate",
                                               "timeouts"};
    EXPECT_EQ(expected, dev->calls());
}

TEST_F(PortOnFake, ErrorCharIsSetOnlyWhenParityCheckAndReplaceAreBothOn) {
    port->Parity().SetReplaceChar('?');
    struct Case {
        bool check, replace, errorChar;
    };
    for (const Case c : {Case{false, false, false}, Case{true, false, false},
                         Case{false, true, false}, Case{true, true, true}}) {
        port->Parity().SetCheck(c.check);
        port->Parity().SetReplace(c.replace);
        const LineState s = port->LineStateRecord();
        EXPECT_EQ(c.check, s.fParity);
        EXPECT_EQ(c.errorChar, s.fErrorChar) << c.check << c.replace;
        EXPECT_EQ(c.errorChar ? '?' : '\0', s.errorChar);
    }
}

TEST_F(PortOnFake, CustomRateIsUsedOnlyWithBrCustom) {
    port->SetCustomBaudRate(250000);
    EXPECT_EQ(9600u, port->LineStateRecord().baudRate);
    port->SetBaudRate(TBaudRate::brCustom);
    EXPECT_EQ(250000u, port->LineStateRecord().baudRate);
    port->SetBaudRate(TBaudRate::br115200);
    EXPECT_EQ(115200u, port->LineStateRecord().baudRate);
}

TEST_F(PortOnFake, TimeoutMinusOneIsPassedAsMaxDword) {
    configureAsCom1();
    port->Timeouts().SetReadInterval(-1);
    port->Open();
    const CommTimeouts t = dev->lastTimeouts();
    EXPECT_EQ(0xFFFFFFFFu, t.readIntervalTimeout);
    EXPECT_EQ(0u, t.readTotalTimeoutMultiplier);
    EXPECT_EQ(1000u, t.readTotalTimeoutConstant);
    EXPECT_EQ(10000u, t.writeTotalTimeoutMultiplier);
    EXPECT_EQ(1000u, t.writeTotalTimeoutConstant);
}

TEST_F(PortOnFake, OddBufferSizesAreStoredOneLess) {
    struct Case {
        int set, stored;
    };
    for (const Case c : {Case{9601, 9600}, Case{9600, 9600}, Case{1, 0}, Case{0, 0}, Case{-3, -3},
                         Case{2047, 2046}}) {
        port->Buffer().SetInputSize(c.set);
        port->Buffer().SetOutputSize(c.set);
        EXPECT_EQ(c.stored, port->Buffer().InputSize()) << c.set;
        EXPECT_EQ(c.stored, port->Buffer().OutputSize()) << c.set;
    }
}

// Each row: a setting change made while open, and the device calls it causes.
struct ChangeCase {
    const char* name;
    void (*change)(TSerialPort&);
    std::vector<std::string> calls;
};

class SettingChangeWhileOpen : public PortOnFake,
                               public ::testing::WithParamInterface<ChangeCase> {};

TEST_P(SettingChangeWhileOpen, AppliesAtOnceWithoutReopening) {
    int beforeOpen = 0;
    port->OnBeforeOpen = [&](TCustomSerialPort&) { ++beforeOpen; };
    port->Open();
    dev->clearCalls();
    GetParam().change(*port);
    EXPECT_EQ(GetParam().calls, dev->calls());
    EXPECT_EQ(1, beforeOpen);
    EXPECT_TRUE(port->Connected());
}

const std::vector<std::string> kLine = {"linestate"};
const std::vector<std::string> kNothing = {};

INSTANTIATE_TEST_SUITE_P(
    Table, SettingChangeWhileOpen,
    ::testing::Values(
        ChangeCase{"BaudRate", [](TSerialPort& p) { p.SetBaudRate(TBaudRate::br115200); }, kLine},
        ChangeCase{"SameBaudRate", [](TSerialPort& p) { p.SetBaudRate(TBaudRate::br9600); },
                   kNothing},
        ChangeCase{"CustomRate", [](TSerialPort& p) { p.SetCustomBaudRate(1000); }, kLine},
        ChangeCase{"StopBits", [](TSerialPort& p) { p.SetStopBits(TStopBits::sbTwoStopBits); },
                   kLine},
        ChangeCase{"DataBits", [](TSerialPort& p) { p.SetDataBits(TDataBits::dbSeven); }, kLine},
        ChangeCase{"DiscardNull", [](TSerialPort& p) { p.SetDiscardNull(true); }, kLine},
        ChangeCase{"EventChar", [](TSerialPort& p) { p.SetEventChar('x'); }, kLine},
        ChangeCase{"ParityBits", [](TSerialPort& p) { p.Parity().SetBits(TParityBits::prEven); },
                   kLine},
        ChangeCase{"ParityCheck", [](TSerialPort& p) { p.Parity().SetCheck(true); }, kLine},
        ChangeCase{
            "ControlDTR",
            [](TSerialPort& p) { p.FlowControl().SetControlDTR(TDTRFlowControl::dtrEnable); },
            kLine},
        ChangeCase{"XonChar", [](TSerialPort& p) { p.FlowControl().SetXonChar(1); }, kLine},
        ChangeCase{"SameXonChar", [](TSerialPort& p) { p.FlowControl().SetXonChar(17); }, kNothing},
        ChangeCase{"HardwareFlow",
                   [](TSerialPort& p) { p.FlowControl().SetFlowControl(TFlowControl::fcHardware); },
                   {"linestate", "linestate"}},
        ChangeCase{
            "ReadInterval", [](TSerialPort& p) { p.Timeouts().SetReadInterval(5); }, {"timeouts"}},
        ChangeCase{"WriteConstant",
                   [](TSerialPort& p) { p.Timeouts().SetWriteTotalConstant(5); },
                   {"timeouts"}},
        ChangeCase{"InputSize",
                   [](TSerialPort& p) { p.Buffer().SetInputSize(4097); },
                   {"buffers 4096 1024"}},
        ChangeCase{"Events", [](TSerialPort& p) { p.SetEvents({TSerialEvent::evRxChar}); },
                   kNothing},
        ChangeCase{"SamePort", [](TSerialPort& p) { p.SetPort("COM1"); }, kNothing}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PortOnFake, SettingChangesWhileClosedAreOnlyStored) {
    port->SetBaudRate(TBaudRate::br115200);
    port->Parity().SetBits(TParityBits::prOdd);
    port->Timeouts().SetWriteTotalConstant(7);
    port->Buffer().SetOutputSize(99);
    port->SetPort("COM7");
    EXPECT_TRUE(dev->calls().empty());
    port->Open();
    EXPECT_EQ("open COM7", dev->calls().front());
    EXPECT_EQ(115200u, dev->lastLineState().baudRate);
    EXPECT_EQ(1, dev->lastLineState().parity);
    EXPECT_EQ(7u, dev->lastTimeouts().writeTotalTimeoutConstant);
    EXPECT_EQ(1, dev->applyCount("buffers 1024 98"));
}

TEST_F(PortOnFake, PortChangeWhileOpenClosesAndOpensAgainCallingOnBeforeOpen) {
    std::vector<std::string> seen;
    port->OnBeforeOpen = [&](TCustomSerialPort& p) { seen.push_back("before " + p.Port()); };
    port->OnAfterClose = [&](TCustomSerialPort&) { seen.push_back("closed"); };
    port->Open();
    port->SetPort("COM3");
    const std::vector<std::string> expected = {"before COM1", "closed", "before COM3"};
    EXPECT_EQ(expected, seen);
    EXPECT_TRUE(port->Connected());
    EXPECT_EQ("open COM3", dev->calls()[dev->calls().size() - 4]);
    // Names compare exactly: a trailing blank is a different Port text.
    port->SetPort("COM3 ");
    EXPECT_EQ(5u, seen.size());
    port->SetPort("COM3 ");
    EXPECT_EQ(5u, seen.size());
}

TEST_F(PortOnFake, OpenWhenOpenAndCloseWhenClosedDoNothing) {
    int beforeOpen = 0, afterClose = 0;
    port->OnBeforeOpen = [&](TCustomSerialPort&) { ++beforeOpen; };
    port->OnAfterClose = [&](TCustomSerialPort&) { ++afterClose; };
    port->Close();
    EXPECT_EQ(0, afterClose);
    port->Open();
    port->Open();
    port->SetConnected(true);
    EXPECT_EQ(1, beforeOpen);
    EXPECT_EQ(1, dev->applyCount("open COM1"));
    port->Close();
    port->Close();
    port->SetConnected(false);
    EXPECT_EQ(1, afterClose);
    EXPECT_EQ(1, dev->applyCount("close"));
    port->SetConnected(true);
    EXPECT_TRUE(port->Connected());
    EXPECT_EQ(2, beforeOpen);
}

TEST_F(PortOnFake, CloseDropsUnreadInputButNeverOutputStillOnItsWay) {
    port->Open();
    port->WriteString("/DM1/SND0");
    port->Close();
    bool purged = false;
    for (const std::string& call : dev->calls()) {
        if (call.rfind("purge ", 0) == 0) {
            purged = true;
            const unsigned flags = static_cast<unsigned>(std::stoul(call.substr(6)));
            EXPECT_EQ(0u, flags & (purgeTxAbort | purgeTxClear)) << call;
        }
    }
    EXPECT_TRUE(purged);
}

TEST_F(PortOnFake, SettingsChangedByOnBeforeOpenApplyToThisOpening) {
    port->OnBeforeOpen = [](TCustomSerialPort& p) { p.SetBaudRate(TBaudRate::br115200); };
    port->Open();
    EXPECT_EQ(115200u, dev->lastLineState().baudRate);
    EXPECT_EQ(1, dev->applyCount("linestate"));
}

TEST_F(PortOnFake, RefusedLineStateClosesTheDeviceAndLeavesThePortClosed) {
    dev->failLineStateWith(22);
    try {
        port->Open();
        FAIL() << "Open succeeded";
    } catch (const ESerialPort& e) {
        EXPECT_EQ(7, e.Number());
        EXPECT_EQ(std::string("SetCommState function failed (win error code: 22)"), e.what());
    }
    EXPECT_FALSE(port->Connected());
    EXPECT_EQ("close", dev->calls().back());
    EXPECT_EQ(0, dev->applyCount("timeouts"));
}

TEST_F(PortOnFake, FailedOpenChangesNothing) {
    dev->failOpenWith(2);
    EXPECT_THROW(port->Open(), ESerialPort);
    EXPECT_FALSE(port->Connected());
    port->Close();
    EXPECT_EQ(std::vector<std::string>{"open COM1"}, dev->calls());
}

TEST_F(PortOnFake, SyncMethodIsRefusedWhileOpenAndStoredWhileClosed) {
    port->SetSyncMethod(TSyncMethod::smNone);
    EXPECT_EQ(TSyncMethod::smNone, port->SyncMethod());
    port->Open();
    try {
        port->SetSyncMethod(TSyncMethod::smThreadSync);
        FAIL() << "no error";
    } catch (const ESerialPort& e) {
        EXPECT_EQ(14, e.Number());
        EXPECT_EQ(-1, e.Code());
        EXPECT_EQ(std::string("Cannot set property while connected"), e.what());
    }
    EXPECT_EQ(TSyncMethod::smNone, port->SyncMethod());
    port->SetSyncMethod(TSyncMethod::smNone);  // same value: no error
}

TEST_F(PortOnFake, EventsChangeTakesEffectOnlyAtTheNextOpen) {
    port->SetEvents({TSerialEvent::evRxChar, TSerialEvent::evError});
    port->Open();
    port->SetEvents({TSerialEvent::evRxChar});
    EXPECT_EQ(1, dev->applyCount("watch 129"));
    port->Close();
    port->Open();
    EXPECT_EQ(1, dev->applyCount("watch 1"));
}

TEST_F(PortOnFake, NoEventsMeansNoEventThread) {
    port->Open();
    for (const std::string& call : dev->calls())
        EXPECT_NE(0u, call.rfind("watch", 0)) << call;
}

TEST_F(PortOnFake, OpenReportsModemLinesAndCloseReportsThemOff) {
    dev->setModemStatus({true, false, false, true});
    std::string log;
    port->OnAfterOpen = [&](TCustomSerialPort&) { log += "open;"; };
    port->OnCTSChange = [&](TCustomSerialPort&, bool on) { log += on ? "CTS1;" : "CTS0;"; };
    port->OnDSRChange = [&](TCustomSerialPort&, bool on) { log += on ? "DSR1;" : "DSR0;"; };
    port->OnRLSDChange = [&](TCustomSerialPort&, bool on) { log += on ? "RLSD1;" : "RLSD0;"; };
    port->OnBeforeClose = [&](TCustomSerialPort&) { log += "close;"; };
    port->Open();
    port->Close();
    EXPECT_EQ("open;CTS1;DSR0;RLSD1;CTS0;DSR0;RLSD0;close;", log);
}

TEST_F(PortOnFake, WriteStringPassesTheBytesAndEmptyTextWritesNothing) {
    port->Open();
    dev->clearCalls();
    EXPECT_EQ(0, port->WriteString(""));
    EXPECT_EQ(3, port->WriteString(std::string("/S\0", 3)));
    EXPECT_EQ(std::vector<std::string>{std::string("write /S\0", 9)}, dev->calls());
}

TEST_F(PortOnFake, WriteOnAClosedPortFailsWithNumber2) {
    try {
        port->WriteString("/ID");
        FAIL() << "no error";
    } catch (const ESerialPort& e) {
        EXPECT_EQ(2, e.Number());
        EXPECT_NE(-1, e.Code());
    }
}

}  // namespace
}  // namespace sk
