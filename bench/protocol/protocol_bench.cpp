// Prints: the time FormActivate takes with real discovery, opening the port
// and writing "/ID"; and how far from the second boundary the last byte of
// "/SC..." reaches the clock when the time is set from the PC clock.
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fake_clock_host.h"
#include "fake_timer.h"
#include "main_thread_queue.h"
#include "protocol/clock_connection.h"
#include "pty_peer.h"
#include "serial/posix/discovery_linux.h"
#include "serial/serial_link.h"
#include "serial/serial_port.h"
#include "support/pacer.h"
#include "tasks/ordinary_setup.h"

namespace {

using namespace sk;
using Clock = std::chrono::steady_clock;

double Percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    std::size_t i = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(i, values.size() - 1)];
}

struct Rig {
    explicit Rig(const std::string& publishDir)
        : ports(SysfsPortEnumerator::Options{"/sys", "/dev", publishDir, {}}),
          conn(host, pacer, timer, ports) {
        queue.attach(conn.com1());
        host.pump = [this] { queue.pump(); };
    }
    ~Rig() {
        queue.detach(conn.com1());
        conn.com1().Close();
    }
    test::FakeClockHost host;
    SystemPacer pacer;
    test::FakeTimer timer;
    SysfsPortEnumerator ports;
    test::MainThreadQueue queue;
    ClockConnection conn;
};

void Publish(const std::string& dir, const std::string& path, bool adapter) {
    std::filesystem::create_directories(dir);
    std::ofstream(dir + "/" + std::to_string(::getpid()) + ".port")
        << "pid=" << ::getpid() << "\npath=" << path
        << "\nidentifier=" << (adapter ? "USB\\VID_0403&PID_6001\\BENCH" : "SIM\\BENCH") << "\n";
}

void BenchActivation(const std::string& dir) {
    test::PtyPeer peer;
    Publish(dir, peer.slavePath(), true);
    Rig rig(dir);
    std::vector<double> ms;
    for (int run = 0; run < 50; ++run) {
        rig.conn.com1().Close();  // every activation opens the port afresh
        auto t0 = Clock::now();
        rig.conn.FormActivate();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    peer.waitForBytes(3 * 50);
    std::printf(
        "FormActivate (sysfs + published ports, open, \"/ID\"), 50 runs: "
        "median %.2f ms, p99 %.2f ms, max %.2f ms (target < 20 ms); selector \"%s\"\n",
        Percentile(ms, 0.5), Percentile(ms, 0.99), Percentile(ms, 1.0),
        rig.host.selectorText.c_str());
}

// Error of the last byte's arrival against the nearest whole second of the
// PC clock, in ms (negative: early).
void BenchTimeSet(const std::string& dir, bool adapter, int runs) {
    test::PtyPeer peer;
    Publish(dir, peer.slavePath(), adapter);
    Rig rig(dir);
    // The peer's entry, as the operator would pick it (discovery may list
    // real ports before it).
    rig.host.Type(peer.slavePath() + (adapter ? " Tovik USB TIMER " : " Serial port"));
    std::vector<double> errors;
    std::vector<double> absErrors;
    std::vector<double> absOnLine;  // with the wire time a real line adds
    std::vector<double> absStart;   // write start + wire time (the peer's wake-up left out)
    Clock::time_point writeStart{};
    TSerialLink link;
    link.OnTxStart = [&](TCustomSerialPort&) { writeStart = Clock::now(); };
    rig.conn.com1().RegisterLink(&link);
    const double wireMs = 9 * 11 * 1000.0 / (adapter ? 115200 : 9600);
    for (int run = 0; run < runs; ++run) {
        peer.clearReceived();
        rig.conn.OpenForTask(false);
        auto steady0 = Clock::now();
        auto wall0 = std::chrono::system_clock::now();
        rig.conn.SendTimeAtNextSecond();
        auto chunks = peer.waitForBytes(9) ? peer.chunks() : decltype(peer.chunks()){};
        if (chunks.empty()) {
            std::printf("run %d: the peer received nothing (selector \"%s\", port %s)\n", run,
                        rig.host.selectorText.c_str(), rig.conn.com1().Port().c_str());
            return;
        }
        auto toWallMs = [&](Clock::time_point t) {
            auto wall = wall0 + std::chrono::duration_cast<std::chrono::system_clock::duration>(
                                    t - steady0);
            double ms = std::chrono::duration<double, std::milli>(wall.time_since_epoch()).count();
            return ms - 1000.0 * std::round(ms / 1000.0);
        };
        double error = toWallMs(chunks.back().at);
        absStart.push_back(std::abs(toWallMs(writeStart) + wireMs));
        errors.push_back(error);
        absErrors.push_back(std::abs(error));
        absOnLine.push_back(std::abs(error + wireMs));
        rig.conn.ClosePort();
    }
    std::printf(
        "Time set at %s on a pty, %d runs: |last byte - second boundary| p50 %.2f ms, "
        "p99 %.2f ms; signed median %.2f ms (target p99 < 5 ms); adding the %.2f ms a real "
        "line needs: p50 %.2f ms, p99 %.2f ms\n",
        adapter ? "115200 (adapter entry)" : "9600 (plain entry)", runs, Percentile(absErrors, 0.5),
        Percentile(absErrors, 0.99), Percentile(errors, 0.5), wireMs, Percentile(absOnLine, 0.5),
        Percentile(absOnLine, 0.99));
    std::printf("    write start + wire time against the boundary: p50 %.2f ms, p99 %.2f ms\n",
                Percentile(absStart, 0.5), Percentile(absStart, 0.99));
    rig.conn.com1().UnRegisterLink(&link);
}

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::string dir = std::filesystem::temp_directory_path().string() + "/sk-protocol-bench-" +
                      std::to_string(::getpid());
    BenchActivation(dir);
    std::filesystem::remove_all(dir);
    BenchTimeSet(dir, true, 20);
    std::filesystem::remove_all(dir);
    BenchTimeSet(dir, false, 20);
    std::filesystem::remove_all(dir);
    std::printf(
        "(a pty has no wire: at 9600 the write starts 10.3 ms before the boundary so that\n"
        " the last byte ends on it on a real line; on the pty it arrives that much early)\n");
    return 0;
}
