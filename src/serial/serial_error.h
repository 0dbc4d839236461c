#pragma once
// ESerialPort: the one error type of the serial layer. Number() is the message
// number (1..23, see serialErrorText); Code() is the platform's error code at
// the failure (errno on Linux, GetLastError on Windows), -1 when there is none.
// The message is the number's text, followed by " (win error code: N)" when a
// code is present: the operator sees the same text on every platform.
#include <stdexcept>
#include <string>

namespace sk {

// Message numbers that the port raises.
enum SerialErrorNumber {
    seOpenFail = 1,
    seWriteFail = 2,
    seReadFail = 3,
    seInvalidAsync = 4,
    sePurgeFail = 5,
    seAsyncCheck = 6,
    seSetState = 7,
    seSetTimeouts = 8,
    seSetupComm = 9,
    seClearComm = 10,
    seModemStatus = 11,
    seEscapeComm = 12,
    seTransmitChar = 13,
    seConnChangeProp = 14,
    seEnumPorts = 15,
    seStoreSettings = 16,
    seLoadSettings = 17,
    seRegFailed = 18,
    seLedStateFailed = 19,
    seThreadCreated = 20,
    seWaitFailed = 21,
    seHasLink = 22,
    seRegError = 23
};

// The fixed text of a message number; an empty string outside 1..23.
std::string serialErrorText(int number);

class ESerialPort : public std::runtime_error {
  public:
    explicit ESerialPort(int number, int code = -1);
    int Number() const { return number_; }
    int Code() const { return code_; }

  private:
    int number_;
    int code_;
};

}  // namespace sk
