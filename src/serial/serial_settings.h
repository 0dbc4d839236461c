#pragma once
// The owned setting groups of a serial port (Parity, FlowControl, Timeouts,
// Buffer). The port creates them with itself and hands each a change callback:
// writing a new value stores it and calls back, so an open port applies it at
// once; writing the value already held does nothing. Main thread only.
#include <functional>

#include "serial/serial_types.h"

namespace sk {

class TSerialSettingGroup {
  public:
    explicit TSerialSettingGroup(std::function<void()> changed) : changed_(std::move(changed)) {}
    TSerialSettingGroup(const TSerialSettingGroup&) = delete;
    TSerialSettingGroup& operator=(const TSerialSettingGroup&) = delete;

  protected:
    template <typename T>
    void store(T& field, T value) {
        if (field == value)
            return;
        field = value;
        if (changed_)
            changed_();
    }

  private:
    std::function<void()> changed_;
};

class TSerialParity : public TSerialSettingGroup {
  public:
    using TSerialSettingGroup::TSerialSettingGroup;
    TParityBits Bits() const { return bits_; }
    void SetBits(TParityBits v) { store(bits_, v); }
    bool Check() const { return check_; }
    void SetCheck(bool v) { store(check_, v); }
    bool Replace() const { return replace_; }
    void SetReplace(bool v) { store(replace_, v); }
    char ReplaceChar() const { return replaceChar_; }
    void SetReplaceChar(char v) { store(replaceChar_, v); }

  private:
    TParityBits bits_ = TParityBits::prNone;
    bool check_ = false;
    bool replace_ = false;
    char replaceChar_ = 0;
};

class TSerialFlowControl : public TSerialSettingGroup {
  public:
    using TSerialSettingGroup::TSerialSettingGroup;
    bool OutCTSFlow() const { return outCTSFlow_; }
    void SetOutCTSFlow(bool v) { store(outCTSFlow_, v); }
    bool OutDSRFlow() const { return outDSRFlow_; }
    void SetOutDSRFlow(bool v) { store(outDSRFlow_, v); }
    TDTRFlowControl ControlDTR() const { return controlDTR_; }
    void SetControlDTR(TDTRFlowControl v) { store(controlDTR_, v); }
    TRTSFlowControl ControlRTS() const { return controlRTS_; }
    void SetControlRTS(TRTSFlowControl v) { store(controlRTS_, v); }
    bool XonXoffOut() const { return xonXoffOut_; }
    void SetXonXoffOut(bool v) { store(xonXoffOut_, v); }
    bool XonXoffIn() const { return xonXoffIn_; }
    void SetXonXoffIn(bool v) { store(xonXoffIn_, v); }
    bool DSRSensitivity() const { return dsrSensitivity_; }
    void SetDSRSensitivity(bool v) { store(dsrSensitivity_, v); }
    bool TxContinueOnXoff() const { return txContinueOnXoff_; }
    void SetTxContinueOnXoff(bool v) { store(txContinueOnXoff_, v); }
    char XonChar() const { return xonChar_; }
    void SetXonChar(char v) { store(xonChar_, v); }
    char XoffChar() const { return xoffChar_; }
    void SetXoffChar(char v) { store(xoffChar_, v); }

    // Summary of RTS handshake, CTS flow and the Xon/Xoff switches.
    TFlowControl FlowControl() const;
    // fcHardware, fcSoftware and fcNone set those four settings; fcCustom
    // leaves them as they are. Each changed setting is applied as it changes.
    void SetFlowControl(TFlowControl v);

  private:
    bool outCTSFlow_ = false;
    bool outDSRFlow_ = false;
    TDTRFlowControl controlDTR_ = TDTRFlowControl::dtrDisable;
    TRTSFlowControl controlRTS_ = TRTSFlowControl::rtsDisable;
    bool xonXoffOut_ = false;
    bool xonXoffIn_ = false;
    bool dsrSensitivity_ = false;
    bool txContinueOnXoff_ = false;
    char xonChar_ = 17;
    char xoffChar_ = 19;
};

// Times in milliseconds; -1 stands for the platform's "no limit" word
// (MAXDWORD), as the platform's timeout record reads it.
class TSerialTimeouts : public TSerialSettingGroup {
  public:
    using TSerialSettingGroup::TSerialSettingGroup;
    int ReadInterval() const { return readInterval_; }
    void SetReadInterval(int v) { store(readInterval_, v); }
    int ReadTotalMultiplier() const { return readTotalMultiplier_; }
    void SetReadTotalMultiplier(int v) { store(readTotalMultiplier_, v); }
    int ReadTotalConstant() const { return readTotalConstant_; }
    void SetReadTotalConstant(int v) { store(readTotalConstant_, v); }
    int WriteTotalMultiplier() const { return writeTotalMultiplier_; }
    void SetWriteTotalMultiplier(int v) { store(writeTotalMultiplier_, v); }
    int WriteTotalConstant() const { return writeTotalConstant_; }
    void SetWriteTotalConstant(int v) { store(writeTotalConstant_, v); }

  private:
    int readInterval_ = -1;
    int readTotalMultiplier_ = 0;
    int readTotalConstant_ = 0;
    int writeTotalMultiplier_ = 100;
    int writeTotalConstant_ = 1000;
};

// Driver queue sizes in bytes. A positive odd size is stored one less.
class TSerialBuffer : public TSerialSettingGroup {
  public:
    using TSerialSettingGroup::TSerialSettingGroup;
    int InputSize() const { return inputSize_; }
    void SetInputSize(int v) { storeSize(inputSize_, v); }
    int OutputSize() const { return outputSize_; }
    void SetOutputSize(int v) { storeSize(outputSize_, v); }

  private:
    void storeSize(int& field, int v);
    int inputSize_ = 1024;
    int outputSize_ = 1024;
};

}  // namespace sk
