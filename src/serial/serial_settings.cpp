#include "serial/serial_settings.h"

namespace sk {

TFlowControl TSerialFlowControl::FlowControl() const {
    if (controlRTS_ == TRTSFlowControl::rtsHandshake && outCTSFlow_ && !xonXoffIn_ && !xonXoffOut_)
        return TFlowControl::fcHardware;
    if (controlRTS_ == TRTSFlowControl::rtsDisable && !outCTSFlow_ && xonXoffIn_ && xonXoffOut_)
        return TFlowControl::fcSoftware;
    if (controlRTS_ != TRTSFlowControl::rtsDisable || outCTSFlow_ || xonXoffIn_ || xonXoffOut_)
        return TFlowControl::fcCustom;
    return TFlowControl::fcNone;
}

void TSerialFlowControl::SetFlowControl(TFlowControl v) {
    switch (v) {
        case TFlowControl::fcHardware:
            SetControlRTS(TRTSFlowControl::rtsHandshake);
            SetOutCTSFlow(true);
            SetXonXoffIn(false);
            SetXonXoffOut(false);
            break;
        case TFlowControl::fcSoftware:
            SetControlRTS(TRTSFlowControl::rtsDisable);
            SetOutCTSFlow(false);
            SetXonXoffIn(true);
            SetXonXoffOut(true);
            break;
        case TFlowControl::fcNone:
            SetControlRTS(TRTSFlowControl::rtsDisable);
            SetOutCTSFlow(false);
            SetXonXoffIn(false);
            SetXonXoffOut(false);
            break;
        case TFlowControl::fcCustom:
            break;
    }
}

void TSerialBuffer::storeSize(int& field, int v) {
    // The driver wants even queue sizes.
    if (v > 0 && v % 2 != 0)
        --v;
    store(field, v);
}

}  // namespace sk
