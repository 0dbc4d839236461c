// The Windows end of the Wine line tests: runs one operation of the real
// connection handling and tasks against a COM port, which the Linux driver
// (tests/win32/host/wine_line_test.cpp) has mapped to a pty peer. It reports
// what it saw on stdout as "key: value" lines (bytes escaped), so the driver
// can judge both ends.
//
//   wine_line_probe identify <selector text>  open, "/ID", wait for a reply, close
//   wine_line_probe activate                  window activation with real discovery
//   wine_line_probe setmode <selector text> [<file>]
//                                             "Sett modus" with the initial values;
//                                             before closing, waits for <file>
//   wine_line_probe unplug <selector text>    open, "/ID", sit through a hang-up, close
//
// Exit code: 0 done, 2 bad arguments, 3 no reply in time, 4 port error.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "fake_clock_host.h"
#include "fake_timer.h"
#include "main_thread_queue.h"
#include "protocol/clock_connection.h"
#include "recording_pacer.h"
#include "serial/serial_error.h"
#include "serial/serial_port.h"
#include "serial/win32/discovery_win32.h"
#include "tasks/ordinary_setup.h"

namespace {

using namespace sk;
using namespace sk::test;
using Ms = std::chrono::milliseconds;

std::string escaped(const std::string& s) {
    std::string out;
    for (unsigned char c : s) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\\') {
            out += "\\\\";
        } else if (c < 0x20 || c >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

void report(const char* key, const std::string& value) {
    std::printf("%s: %s\n", key, escaped(value).c_str());
    std::fflush(stdout);
}

long long processCpuMs() {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        return -1;
    auto ticks = [](const FILETIME& f) {
        return (static_cast<long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
    };
    return (ticks(kernel) + ticks(user)) / 10000;
}

// A connection as the window holds it, with the app's hand-over replaced by a
// queue this thread pumps.
struct Window {
    explicit Window(PortEnumerator& ports) {
        conn = std::make_unique<ClockConnection>(host, pacer, timer, ports);
        queue.attach(conn->com1());
        host.pump = [this] { queue.pump(); };
    }
    ~Window() {
        queue.detach(conn->com1());
        conn.reset();
    }
    bool waitForReply(Ms timeout) {
        return queue.pumpUntil([this] { return conn->replyState == 1; }, timeout);
    }
    void reportState() {
        for (const std::string& line : host.log)
            report("log", line);
        report("status", host.statusText);
        report("connected", conn->com1().Connected() ? "1" : "0");
    }

    FakeClockHost host;
    RecordingPacer pacer;
    FakeTimer timer;
    MainThreadQueue queue;
    std::unique_ptr<ClockConnection> conn;
};

int identify(const std::string& entry) {
    FakePortEnumerator ports;
    Window w(ports);
    w.host.selectorText = entry;
    w.conn->OpenForTask(true);
    w.conn->identifyMode = true;
    w.conn->SendCommand("/ID");
    report("written", "/ID");
    const bool replied = w.waitForReply(Ms(15000));
    w.conn->ClosePort();
    w.reportState();
    return replied ? 0 : 3;
}

int activate() {
    SetupApiPortEnumerator ports;
    Window w(ports);
    w.conn->FormActivate();
    for (const std::string& item : w.host.selectorItems)
        report("item", item);
    report("selected", w.host.selectorText);
    const bool replied = w.waitForReply(Ms(15000));
    w.conn->Button13Click();
    w.reportState();
    return replied ? 0 : 3;
}

// A write completes on a real line once its bytes are sent, but on Wine's pty
// once they are in the pty, and closing purges the output, which on a pty drops
// what the peer has not read yet. So the driver says when it has everything.
void waitForFile(const std::string& path) {
    for (int i = 0; i < 1000 && GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(10);
}

int setMode(const std::string& entry, const std::string& takenFile) {
    FakePortEnumerator ports;
    Window w(ports);
    w.host.selectorText = entry;
    if (!takenFile.empty())
        w.conn->com1().OnBeforeClose = [&](TCustomSerialPort&) { waitForFile(takenFile); };
    ordinary_setup::Inputs in;
    in.timeEdit1 = "10:00:00";
    in.timeSeparator = ':';
    ordinary_setup::BitBtn3Click(*w.conn, in);
    w.reportState();
    return 0;
}

int unplug(const std::string& entry) {
    FakePortEnumerator ports;
    Window w(ports);
    w.host.selectorText = entry;
    w.conn->OpenForTask(true);
    w.conn->SendCommand("/ID");
    report("written", "/ID");
    // The driver pulls the line meanwhile; a thread that spins on its failing
    // wait would burn this whole time.
    const long long before = processCpuMs();
    w.queue.pumpFor(Ms(3000));
    report("cpu_ms", std::to_string(processCpuMs() - before));
    const auto start = std::chrono::steady_clock::now();
    w.conn->ClosePort();
    const auto took =
        std::chrono::duration_cast<Ms>(std::chrono::steady_clock::now() - start).count();
    report("close_ms", std::to_string(took));
    w.reportState();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    const std::string op = argv[1];
    const std::string arg = argc > 2 ? argv[2] : "";
    try {
        if (op == "identify" && argc == 3)
            return identify(arg);
        if (op == "activate" && argc == 2)
            return activate();
        if (op == "setmode" && (argc == 3 || argc == 4))
            return setMode(arg, argc == 4 ? argv[3] : "");
        if (op == "unplug" && argc == 3)
            return unplug(arg);
    } catch (const ESerialPort& e) {
        report("error", e.what());
        return 4;
    }
    std::fprintf(stderr, "usage: wine_line_probe identify|setmode|unplug <entry> | activate\n");
    return 2;
}
