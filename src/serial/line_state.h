#pragma once
// The records a port hands to its device when it applies its settings: the
// line state (built field by field from the settings, as the platform's device
// control block has it) and the five timeouts.
#include <cstdint>

namespace sk {

// The line state record, field by field as the platform's device control
// block has it. Fields the port does not set stay zero.
struct LineState {
    std::uint32_t baudRate = 0;
    bool fBinary = false;
    bool fParity = false;
    bool fOutxCtsFlow = false;
    bool fOutxDsrFlow = false;
    int fDtrControl = 0;  // 0 disable, 1 enable, 2 handshake
    bool fDsrSensitivity = false;
    bool fTXContinueOnXoff = false;
    bool fOutX = false;
    bool fInX = false;
    bool fErrorChar = false;
    bool fNull = false;
    int fRtsControl = 0;  // 0 disable, 1 enable, 2 handshake, 3 toggle
    bool fAbortOnError = false;
    std::uint16_t xonLim = 0;
    std::uint16_t xoffLim = 0;
    int byteSize = 0;  // 5..8
    int parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
    int stopBits = 0;  // 0 one, 1 one and a half, 2 two
    char xonChar = 0;
    char xoffChar = 0;
    char errorChar = 0;
    char evtChar = 0;
    bool operator==(const LineState&) const = default;
};

// The five timeouts as unsigned words; 0xFFFFFFFF is "MAXDWORD".
struct CommTimeouts {
    std::uint32_t readIntervalTimeout = 0;
    std::uint32_t readTotalTimeoutMultiplier = 0;
    std::uint32_t readTotalTimeoutConstant = 0;
    std::uint32_t writeTotalTimeoutMultiplier = 0;
    std::uint32_t writeTotalTimeoutConstant = 0;
    bool operator==(const CommTimeouts&) const = default;
};

}  // namespace sk
