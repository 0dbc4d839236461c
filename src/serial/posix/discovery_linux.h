#pragma once
// Port discovery on Linux: the serial devices in sysfs plus the ports that
// running virtual clocks (startklokke-sim) have published.
//
// Real ports: /sys/class/tty/<name> with a "device" link, of the families
// ttyUSB (USB serial), ttyACM (USB modem class) and ttyS (only when the
// probe finds a UART behind it; most ttyS are placeholders). Virtual ttys
// (no device link) are skipped. The name reported is "<dev root>/<name>".
// The identifier is built like a Windows device path,
// "USB\VID_%04X&PID_%04X\<serial number, or the tty name>", from idVendor and
// idProduct of the nearest USB device above the tty; other ports get
// "SERIAL\<name>".
//
// Published ports: every "*.port" file in the published folder holds lines
// "pid=<pid>", "path=<device path>", "identifier=<identifier>". A file whose
// process has ended or whose device is gone is ignored.
//
// Nothing raises; unreadable entries are left out. Not thread-safe; one
// Enumerate at a time per object.
#include <functional>
#include <string>
#include <vector>

#include "serial/port_discovery.h"

namespace sk {

// ${XDG_RUNTIME_DIR:-/tmp}/startklokke-sim
std::string DefaultPublishedPortsDir();

class SysfsPortEnumerator : public PortEnumerator {
  public:
    struct Options {
        std::string sysfsRoot = "/sys";
        std::string devRoot = "/dev";
        // Empty: no published ports are listed.
        std::string publishedDir = DefaultPublishedPortsDir();
        // Whether a UART stands behind the ttyS device at this path; the
        // default asks the driver (TIOCGSERIAL, type other than unknown).
        std::function<bool(const std::string& devicePath)> uartProbe;
    };

    SysfsPortEnumerator();
    explicit SysfsPortEnumerator(Options options);
    std::vector<DiscoveredPort> Enumerate() override;

  private:
    std::vector<DiscoveredPort> SysfsPorts();
    std::vector<DiscoveredPort> PublishedPorts();

    Options options_;
};

// True when the 8250-style port at devicePath has a UART (TIOCGSERIAL).
bool ProbeUart(const std::string& devicePath);

}  // namespace sk
