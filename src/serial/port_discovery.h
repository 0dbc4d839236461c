#pragma once
// Listing the serial ports of the PC and recognising the clock's USB adapter.
//
// A PortEnumerator reports the ports present now, one entry per port, in a
// stable order. RefreshSelector turns such a report into the entries of the
// port selector and the entry to select. Neither raises: a port whose details
// cannot be read is left out.
// Threads: call from one thread at a time (the main thread in the app).
#include <string>
#include <string_view>
#include <vector>

namespace sk {

struct DiscoveredPort {
    // The name the serial layer opens ("COM3", "/dev/ttyUSB0").
    std::string name;
    // Built like a Windows device path ("USB\VID_0403&PID_6001\A1B2C3"), or
    // empty; only used for the adapter test.
    std::string identifier;
};

class PortEnumerator {
  public:
    virtual ~PortEnumerator() = default;
    virtual std::vector<DiscoveredPort> Enumerate() = 0;
};

// Entry labels, appended right after the port name.
inline constexpr std::string_view kSerialPortLabel = " Serial port";
inline constexpr std::string_view kAdapterLabel = " Tovik USB TIMER ";

// True when the identifier holds the adapter's product id as "PID_6001" or
// "pid_6001" (these two spellings only).
bool IsClockAdapter(std::string_view identifier);

struct SelectorContents {
    std::vector<std::string> items;
    int selectedIndex = -1;  // -1: keep the selector's current text
};

// The selector after a discovery run: the list is rebuilt from the ports
// present now, so a repeated run never lists a port twice. Every port is
// listed once as "<name> Serial port"; the adapter gets a second entry
// "<name> Tovik USB TIMER " right after it.
// Selection: the first adapter entry when there is one (every run, as the
// clock is what the operator is looking for); otherwise the entry whose text
// equals the selector's current text (the operator's choice) when it is still
// listed; otherwise item 0; with no ports at all -1, so the selector keeps
// its text.
SelectorContents RefreshSelector(std::string_view currentText,
                                 const std::vector<DiscoveredPort>& ports);

}  // namespace sk
