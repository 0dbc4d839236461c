// Prints the serial link's figures: receive latency from the peer's write to
// the packet handler on an idle main loop, the cost of a one-byte WriteString
// on a pty, and the CPU the event thread uses while idle and after the device
// vanished. Usage: serial_bench [seconds per CPU phase, default 10]
#include <dirent.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "main_thread_queue.h"
#include "pty_peer.h"
#include "serial/serial_packet.h"
#include "serial/serial_port.h"

namespace {

using Clock = std::chrono::steady_clock;

std::set<int> threadIds() {
    std::set<int> ids;
    if (DIR* d = opendir("/proc/self/task")) {
        while (dirent* e = readdir(d)) {
            if (e->d_name[0] != '.')
                ids.insert(std::atoi(e->d_name));
        }
        closedir(d);
    }
    return ids;
}

// User plus system time of one thread of this process, in seconds.
double threadCpuSeconds(int tid) {
    std::ifstream f("/proc/self/task/" + std::to_string(tid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    const auto close = stat.rfind(')');
    if (close == std::string::npos)
        return 0;
    std::istringstream rest(stat.substr(close + 2));
    std::string field;
    long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14)
            utime = std::stol(field);
        if (i == 15)
            stime = std::stol(field);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double processCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    const auto i = static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

void configureAsCom1(sk::TSerialPort& port, const std::string& path) {
    port.SetPort(path);
    port.SetStopBits(sk::TStopBits::sbTwoStopBits);
    port.SetEvents({sk::TSerialEvent::evRxChar, sk::TSerialEvent::evError});
    port.Buffer().SetInputSize(9600);
    port.Buffer().SetOutputSize(9600);
    port.Timeouts().SetReadInterval(500);
    port.Timeouts().SetReadTotalConstant(1000);
    port.Timeouts().SetWriteTotalMultiplier(10000);
}

}  // namespace

int main(int argc, char** argv) {
    const int phaseSeconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;

    sk::test::PtyPeer peer;
    sk::TSerialPort port;
    configureAsCom1(port, peer.slavePath());
    sk::test::MainThreadQueue queue;
    queue.attach(port);
    sk::TSerialPacket packet;
    int packets = 0;
    Clock::time_point delivered;
    packet.OnPacket = [&](sk::TSerialPacket&, const std::string&) {
        delivered = Clock::now();
        ++packets;
    };
    packet.SetSerialPort(&port);

    const std::set<int> before = threadIds();
    port.Open();
    std::set<int> eventThreads;
    for (int id : threadIds())
        if (!before.count(id))
            eventThreads.insert(id);
    const int eventThread = eventThreads.size() == 1 ? *eventThreads.begin() : 0;

    // Receive latency: one byte at a time, the main loop blocked in its wait.
    std::vector<double> latencyMs;
    for (int i = 0; i < 1000; ++i) {
        const int expected = packets + 1;
        const Clock::time_point sent = Clock::now();
        peer.write("+");
        if (!queue.pumpUntil([&] { return packets >= expected; })) {
            std::fprintf(stderr, "no delivery\n");
            return 1;
        }
        latencyMs.push_back(std::chrono::duration<double, std::milli>(delivered - sent).count());
        if (i % 50 == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    std::printf("receive latency (peer write -> packet handler), n=%zu: p50 %.3f ms, p99 %.3f ms\n",
                latencyMs.size(), percentile(latencyMs, 0.5), percentile(latencyMs, 0.99));

    // One-byte writes.
    std::vector<double> writeUs;
    for (int i = 0; i < 5000; ++i) {
        const Clock::time_point t0 = Clock::now();
        port.WriteString("x");
        writeUs.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }
    double sum = 0;
    for (double v : writeUs)
        sum += v;
    std::printf("1-byte WriteString on a pty, n=%zu: mean %.2f us, p50 %.2f us, p99 %.2f us\n",
                writeUs.size(), sum / static_cast<double>(writeUs.size()), percentile(writeUs, 0.5),
                percentile(writeUs, 0.99));
    peer.waitForBytes(writeUs.size());
    queue.pumpFor(std::chrono::milliseconds(100));

    auto measure = [&](const char* what) {
        const double thread0 = eventThread ? threadCpuSeconds(eventThread) : 0;
        const double process0 = processCpuSeconds();
        const Clock::time_point wall0 = Clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(phaseSeconds));
        const double wall = std::chrono::duration<double>(Clock::now() - wall0).count();
        const double thread = eventThread ? threadCpuSeconds(eventThread) - thread0 : -1;
        const double process = processCpuSeconds() - process0;
        std::printf(
            "event thread CPU, %s, %.1f s: thread %.3f s (%.3f %% of a core), "
            "whole process %.4f s (%.3f %%)\n",
            what, wall, thread, 100 * thread / wall, process, 100 * process / wall);
    };
    measure("idle");

    int errors = 0;
    port.OnError = [&](sk::TCustomSerialPort&, sk::TSerialErrors) { ++errors; };
    peer.hangUp();
    queue.pumpUntil([&] { return errors > 0; });
    measure("after the device vanished");
    port.Close();
    std::printf("line error reports after the device vanished: %d\n", errors);
    return 0;
}
