#include "serial/serial_error.h"

#include <array>

namespace sk {

namespace {

constexpr std::array<const char*, 23> kTexts = {
    "Unable to open com port",
    "WriteFile function failed",
    "ReadFile function failed",
    "Invalid Async parameter",
    "PurgeComm function failed",
    "Unable to get async status",
    "SetCommState function failed",
    "SetCommTimeouts failed",
    "SetupComm function failed",
    "ClearCommError function failed",
    "GetCommModemStatus function failed",
    "EscapeCommFunction function failed",
    "TransmitCommChar function failed",
    "Cannot set property while connected",
    "EnumPorts function failed",
    "Failed to store settings",
    "Failed to load settings",
    "Link (un)registration failed",
    "Cannot change led state if a port is selected",
    "Cannot wait for event if event thread is created",
    "WaitForEvent method failed",
    "A component is linked to OnRxBuf event",
    "Registry error",
};

std::string messageFor(int number, int code) {
    std::string text = serialErrorText(number);
    if (code != -1)
        text += " (win error code: " + std::to_string(code) + ")";
    return text;
}

}  // namespace

std::string serialErrorText(int number) {
    if (number < 1 || number > static_cast<int>(kTexts.size()))
        return {};
    return kTexts[number - 1];
}

ESerialPort::ESerialPort(int number, int code)
    : std::runtime_error(messageFor(number, code)), number_(number), code_(code) {}

}  // namespace sk
