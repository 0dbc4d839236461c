#include "serial/posix/discovery_linux.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>

namespace sk {

namespace fs = std::filesystem;

namespace {

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

std::optional<std::string> ReadFirstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    if (!in || !std::getline(in, line)) {
        return std::nullopt;
    }
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) {
        line.pop_back();
    }
    return line;
}

std::optional<unsigned> ReadHexId(const fs::path& file) {
    auto text = ReadFirstLine(file);
    if (!text || text->empty() || text->size() > 4) {
        return std::nullopt;
    }
    char* end = nullptr;
    unsigned long value = std::strtoul(text->c_str(), &end, 16);
    if (*end != '\0') {
        return std::nullopt;
    }
    return static_cast<unsigned>(value);
}

// "ttyUSB10" sorts after "ttyUSB9": letters first, then the number.
bool NaturalLess(const std::string& a, const std::string& b) {
    auto split = [](const std::string& s) {
        std::size_t digits = s.size();
        while (digits > 0 && s[digits - 1] >= '0' && s[digits - 1] <= '9') {
            --digits;
        }
        std::string number = s.substr(digits);
        return std::make_pair(s.substr(0, digits), number.empty() ? -1L : std::stol(number));
    };
    return split(a) < split(b);
}

// The identifier of a USB tty: walk up from its device to the USB device,
// the first ancestor that carries idVendor and idProduct.
std::string UsbIdentifier(const fs::path& sysRoot, const fs::path& deviceLink,
                          const std::string& ttyName) {
    std::error_code ec;
    fs::path dir = fs::canonical(deviceLink, ec);
    if (ec) {
        return {};
    }
    for (; !dir.empty() && dir != sysRoot && dir != dir.root_path(); dir = dir.parent_path()) {
        if (!fs::exists(dir / "idVendor", ec) || !fs::exists(dir / "idProduct", ec)) {
            continue;
        }
        auto vendor = ReadHexId(dir / "idVendor");
        auto product = ReadHexId(dir / "idProduct");
        if (!vendor || !product) {
            return {};
        }
        std::string instance = ReadFirstLine(dir / "serial").value_or("");
        if (instance.empty()) {
            instance = ttyName;
        }
        char ids[40];
        std::snprintf(ids, sizeof ids, "USB\\VID_%04X&PID_%04X\\", *vendor, *product);
        return ids + instance;
    }
    return {};
}

bool ProcessAlive(long pid) {
    if (pid <= 0) {
        return false;
    }
    // EPERM means it exists but belongs to someone else.
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

}  // namespace

std::string DefaultPublishedPortsDir() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string base = runtime && *runtime ? runtime : "/tmp";
    return base + "/startklokke-sim";
}

bool ProbeUart(const std::string& devicePath) {
    int fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    serial_struct info{};
    bool present = ::ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
    ::close(fd);
    return present;
}

SysfsPortEnumerator::SysfsPortEnumerator() : SysfsPortEnumerator(Options{}) {}

SysfsPortEnumerator::SysfsPortEnumerator(Options options) : options_(std::move(options)) {
    if (!options_.uartProbe) {
        options_.uartProbe = ProbeUart;
    }
}

std::vector<DiscoveredPort> SysfsPortEnumerator::Enumerate() {
    std::vector<DiscoveredPort> ports = SysfsPorts();
    std::vector<DiscoveredPort> published = PublishedPorts();
    ports.insert(ports.end(), published.begin(), published.end());
    return ports;
}

std::vector<DiscoveredPort> SysfsPortEnumerator::SysfsPorts() {
    std::error_code ec;
    fs::path sysRoot = fs::weakly_canonical(options_.sysfsRoot, ec);
    fs::path classDir = sysRoot / "class" / "tty";
    std::vector<std::string> names;
    for (fs::directory_iterator it(classDir, ec), end; !ec && it != end; it.increment(ec)) {
        names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end(), NaturalLess);

    std::vector<DiscoveredPort> ports;
    for (const std::string& name : names) {
        fs::path deviceLink = classDir / name / "device";
        if (!fs::exists(deviceLink, ec)) {
            continue;  // virtual tty: console, pty, vt
        }
        std::string devicePath = options_.devRoot + "/" + name;
        if (StartsWith(name, "ttyUSB") || StartsWith(name, "ttyACM")) {
            std::string id = UsbIdentifier(sysRoot, deviceLink, name);
            ports.push_back({devicePath, id.empty() ? "SERIAL\\" + name : id});
        } else if (StartsWith(name, "ttyS")) {
            if (options_.uartProbe(devicePath)) {
                ports.push_back({devicePath, "SERIAL\\" + name});
            }
        }
    }
    return ports;
}

std::vector<DiscoveredPort> SysfsPortEnumerator::PublishedPorts() {
    std::vector<DiscoveredPort> ports;
    if (options_.publishedDir.empty()) {
        return ports;
    }
    std::error_code ec;
    std::vector<fs::path> files;
    for (fs::directory_iterator it(options_.publishedDir, ec), end; !ec && it != end;
         it.increment(ec)) {
        if (it->path().extension() == ".port") {
            files.push_back(it->path());
        }
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        std::ifstream in(file);
        std::string line;
        long pid = 0;
        DiscoveredPort port;
        while (std::getline(in, line)) {
            if (StartsWith(line, "pid=")) {
                pid = std::strtol(line.c_str() + 4, nullptr, 10);
            } else if (StartsWith(line, "path=")) {
                port.name = line.substr(5);
            } else if (StartsWith(line, "identifier=")) {
                port.identifier = line.substr(11);
            }
        }
        if (port.name.empty() || !ProcessAlive(pid) || !fs::exists(port.name, ec)) {
            continue;  // left behind by a virtual clock that has ended
        }
        ports.push_back(std::move(port));
    }
    return ports;
}

}  // namespace sk
