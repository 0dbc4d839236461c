// Error texts and the derived flow-control summary.
#include <gtest/gtest.h>

#include <set>

#include "serial/serial_error.h"
#include "serial/serial_settings.h"

namespace sk {
namespace {

TEST(ESerialPortTest, MessageIsTheNumbersTextWithThePlatformCodeWhenThereIsOne) {
    struct Case {
        int number, code;
        const char* message;
    };
    const Case cases[] = {
        {1, 2, "Unable to open com port (win error code: 2)"},
        {1, -1, "Unable to open com port"},
        {2, 5, "WriteFile function failed (win error code: 5)"},
        {3, 0, "ReadFile function failed (win error code: 0)"},
        {4, -1, "Invalid Async parameter"},
        {8, 22, "SetCommTimeouts failed (win error code: 22)"},
        {10, 9, "ClearCommError function failed (win error code: 9)"},
        {14, -1, "Cannot set property while connected"},
        {18, -1, "Link (un)registration failed"},
        {19, -1, "Cannot change led state if a port is selected"},
        {23, -1, "Registry error"},
    };
    for (const Case& c : cases) {
        const ESerialPort e(c.number, c.code);
        EXPECT_EQ(std::string(c.message), e.what());
        EXPECT_EQ(c.number, e.Number());
        EXPECT_EQ(c.code, e.Code());
    }
}

TEST(ESerialPortTest, EveryNumberFrom1To23HasItsOwnText) {
    std::set<std::string> texts;
    for (int n = 1; n <= 23; ++n) {
        EXPECT_FALSE(serialErrorText(n).empty()) << n;
        texts.insert(serialErrorText(n));
    }
    EXPECT_EQ(23u, texts.size());
    EXPECT_EQ("", serialErrorText(0));
    EXPECT_EQ("", serialErrorText(24));
}

struct FlowCase {
    TRTSFlowControl rts;
    bool cts, xonIn, xonOut;
    TFlowControl expected;
};

TEST(SerialFlowControlTest, SummaryFollowsRtsCtsAndXonXoff) {
    using R = TRTSFlowControl;
    using F = TFlowControl;
    const FlowCase cases[] = {
        {R::rtsDisable, false, false, false, F::fcNone},
        {R::rtsHandshake, true, false, false, F::fcHardware},
        {R::rtsDisable, false, true, true, F::fcSoftware},
        {R::rtsHandshake, false, false, false, F::fcCustom},
        {R::rtsEnable, false, false, false, F::fcCustom},
        {R::rtsDisable, true, false, false, F::fcCustom},
        {R::rtsDisable, false, true, false, F::fcCustom},
        {R::rtsHandshake, true, true, false, F::fcCustom},
        {R::rtsToggle, false, true, true, F::fcCustom},
    };
    for (const FlowCase& c : cases) {
        TSerialFlowControl f(nullptr);
        f.SetControlRTS(c.rts);
        f.SetOutCTSFlow(c.cts);
        f.SetXonXoffIn(c.xonIn);
        f.SetXonXoffOut(c.xonOut);
        EXPECT_EQ(c.expected, f.FlowControl())
            << static_cast<int>(c.rts) << c.cts << c.xonIn << c.xonOut;
    }
}

TEST(SerialFlowControlTest, AssigningTheSummarySetsTheFourSwitches) {
    int changes = 0;
    TSerialFlowControl f([&] { ++changes; });
    f.SetOutDSRFlow(true);  // not one of the four; must survive
    for (TFlowControl v :
         {TFlowControl::fcHardware, TFlowControl::fcSoftware, TFlowControl::fcNone}) {
        f.SetFlowControl(v);
        EXPECT_EQ(v, f.FlowControl());
    }
    EXPECT_TRUE(f.OutDSRFlow());
    f.SetFlowControl(TFlowControl::fcHardware);
    const int before = changes;
    f.SetFlowControl(TFlowControl::fcCustom);
    EXPECT_EQ(before, changes);
    EXPECT_EQ(TFlowControl::fcHardware, f.FlowControl());
    f.SetXonXoffIn(true);
    f.SetFlowControl(TFlowControl::fcCustom);
    EXPECT_TRUE(f.XonXoffIn());
    EXPECT_EQ(TRTSFlowControl::rtsHandshake, f.ControlRTS());
}

}  // namespace
}  // namespace sk
