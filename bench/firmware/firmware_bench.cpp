// Prints: the time per firmware record beyond the wire (a pty has none) for a
// full upload of the built-in image to the virtual clock (startklokke-sim),
// the tool's CPU meanwhile apart from the clock's, and the CPU the tool uses
// while it waits for a slow clock's answers (target under 5 % of a core).
//
// The virtual clock cannot delay its answers, so the slow clock is a loader
// on a pseudo-terminal in this process: after the second service code it
// checks each record line's checksum and answers "+" (or "-" for a bad
// record) after a delay, as the clock's loader does.
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "fake_clock_host.h"
#include "fake_timer.h"
#include "files/firmware_image.h"
#include "main_thread_queue.h"
#include "protocol/clock_connection.h"
#include "recording_pacer.h"
#include "serial/serial_link.h"
#include "serial/serial_port.h"
#include "tasks/firmware_update.h"
#include "virtual_clock.h"

namespace {

using namespace sk;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Mean(const std::vector<double>& values) {
    double sum = 0;
    for (double v : values) {
        sum += v;
    }
    return values.empty() ? 0 : sum / static_cast<double>(values.size());
}

double P99(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() * 99 / 100];
}

double CpuSeconds(int who) {
    rusage u{};
    getrusage(who, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

bool ChecksumOk(const std::string& line) {
    if (line.size() < 11 || line[0] != ':' || line.size() % 2 == 0) {
        return false;
    }
    unsigned sum = 0;
    for (std::size_t i = 1; i + 1 < line.size(); i += 2) {
        sum += static_cast<unsigned>(std::stoul(line.substr(i, 2), nullptr, 16));
    }
    const unsigned count = static_cast<unsigned>(std::stoul(line.substr(1, 2), nullptr, 16));
    return (sum & 0xFF) == 0 && line.size() == 11 + 2 * count;
}

// The clock's firmware loader on the master side of a pty.
class Loader {
  public:
    explicit Loader(std::chrono::milliseconds ackDelay) : ackDelay_(ackDelay) {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
            throw std::runtime_error("no pty");
        }
        path_ = ptsname(master_);
        slave_ = open(path_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios t{};
        tcgetattr(slave_, &t);
        cfmakeraw(&t);
        tcsetattr(slave_, TCSANOW, &t);
        if (pipe(stop_) != 0) {
            throw std::runtime_error("no pipe");
        }
        thread_ = std::thread([this] { Run(); });
    }
    ~Loader() {
        Stop();
        close(master_);
        close(slave_);
        close(stop_[0]);
        close(stop_[1]);
    }
    // Ends the loader's thread; its CPU time is known from then on.
    void Stop() {
        if (thread_.joinable()) {
            char c = 0;
            (void)!write(stop_[1], &c, 1);
            thread_.join();
        }
    }
    const std::string& path() const { return path_; }
    int acknowledged() const { return plus_; }
    int rejected() const { return minus_; }
    double threadCpu() const { return cpu_; }

  private:
    void Run() {
        std::string pending;
        bool loading = false;
        for (;;) {
            pollfd fds[2] = {{master_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
            if (poll(fds, 2, -1) < 0 || fds[1].revents != 0) {
                break;
            }
            char buffer[4096];
            const ssize_t n = read(master_, buffer, sizeof buffer);
            if (n <= 0) {
                continue;
            }
            pending.append(buffer, static_cast<std::size_t>(n));
            std::size_t end;
            while ((end = pending.find('\n')) != std::string::npos) {
                const std::string line = pending.substr(0, end);
                pending.erase(0, end + 1);
                if (!loading) {
                    loading = line == "3857";
                    continue;
                }
                if (ackDelay_.count() > 0) {
                    std::this_thread::sleep_for(ackDelay_);
                }
                const bool ok = ChecksumOk(line);
                ++(ok ? plus_ : minus_);
                (void)!write(master_, ok ? "+" : "-", 1);
            }
        }
        cpu_ = CpuSeconds(RUSAGE_THREAD);
    }

    std::chrono::milliseconds ackDelay_;
    int master_ = -1;
    int slave_ = -1;
    int stop_[2] = {-1, -1};
    std::string path_;
    std::atomic<int> plus_{0};
    std::atomic<int> minus_{0};
    std::atomic<double> cpu_{0};
    std::thread thread_;
};

class NoProgress : public firmware_update::UpdateProgress {
  public:
    void Begin(int) override {}
    void Step() override { ++steps; }
    void Finish() override {}
    int steps = 0;
};

struct Result {
    double wallMs = 0;
    std::vector<double> recordMs;  // from one record's write to the next's
    double processCpuS = 0;        // this whole process
    double mainCpuS = 0;
    int steps = 0;
};

// One upload to the loader on `portPath`.
Result Upload(const FirmwareImage& image, const std::string& portPath) {
    test::FakeClockHost host;
    test::RecordingPacer pacer;  // the pauses take no time
    test::FakeTimer timer;
    test::FakePortEnumerator ports;
    test::MainThreadQueue queue;
    Result result;
    ClockConnection conn(host, pacer, timer, ports);
    queue.attach(conn.com1());
    host.selectorText = portPath + " Serial port";
    host.confirmAnswers = {true};
    host.pump = [&] { queue.pump(); };
    // The window's wait: blocks until a hand-over changes the state.
    host.waitAndPump = [&] { queue.pumpUntil([&] { return conn.replyState != 0; }, 5000ms); };
    std::vector<Clock::time_point> writes;
    TSerialLink link;
    link.OnTxStart = [&](TCustomSerialPort&) { writes.push_back(Clock::now()); };
    conn.com1().RegisterLink(&link);

    NoProgress progress;
    const double cpu0 = CpuSeconds(RUSAGE_SELF);
    const double main0 = CpuSeconds(RUSAGE_THREAD);
    const auto t0 = Clock::now();
    firmware_update::spoppdaterClick(conn, timer, image, progress);
    result.wallMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    result.mainCpuS = CpuSeconds(RUSAGE_THREAD) - main0;
    result.processCpuS = CpuSeconds(RUSAGE_SELF) - cpu0;
    conn.com1().UnRegisterLink(&link);
    queue.detach(conn.com1());
    result.steps = progress.steps;
    // Writes 0..2 are the erase and the codes; the last record's own
    // cycle ends with the close.
    for (std::size_t i = 4; i < writes.size(); ++i) {
        result.recordMs.push_back(
            std::chrono::duration<double, std::milli>(writes[i] - writes[i - 1]).count());
    }
    return result;
}

// The virtual clock's summary of what its loader received: from "firmware
// received" on.
std::vector<std::string> LoaderSummary(const bench::VirtualClock& clock) {
    std::vector<std::string> lines = clock.lastLogLines(12);
    auto first = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find("firmware received") != std::string::npos;
    });
    if (first == lines.end()) {
        throw std::runtime_error("the virtual clock printed no firmware summary");
    }
    lines.erase(lines.begin(), first);
    lines.resize(std::min<std::size_t>(lines.size(), 3));
    return lines;
}

}  // namespace

static int Run(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const FirmwareImage& image = FirmwareImage::Builtin();

    std::vector<double> perRecord;
    std::vector<double> meanRecord;
    std::vector<double> p99Record;
    std::vector<double> totals;
    std::vector<double> toolShare;
    std::vector<double> simShare;
    std::vector<std::string> summary;
    int records = 0;
    for (int run = 0; run < runs; ++run) {
        bench::VirtualClock clock;
        Result r = Upload(image, clock.path());
        const double simCpuS = clock.stop();
        perRecord.push_back(Median(r.recordMs));
        meanRecord.push_back(Mean(r.recordMs));
        p99Record.push_back(P99(r.recordMs));
        totals.push_back(r.wallMs);
        toolShare.push_back(100.0 * r.processCpuS / (r.wallMs / 1000.0));
        simShare.push_back(100.0 * simCpuS / (r.wallMs / 1000.0));
        records = r.steps;
        summary = LoaderSummary(clock);
    }
    const double wire9600 = 44 * 11 * 1000.0 / 9600;
    const double wire115200 = 44 * 11 * 1000.0 / 115200;
    std::printf(
        "Full upload of the built-in image to the virtual clock (%d lines, %d records sent), "
        "pauses at zero, %d runs:\n"
        "    per record beyond the wire (write to next write): median %.3f ms, mean %.3f ms, "
        "p99 %.3f ms (medians over the runs); whole upload median %.0f ms\n"
        "    CPU during the upload: the tool (this process) median %.1f %% of a core, the "
        "virtual clock median %.1f %%\n"
        "    (for scale: a 43-character record + LF takes %.1f ms on the wire at 9600 baud, "
        "%.1f ms at 115200)\n"
        "    the virtual clock's loader, last run:\n",
        image.LineCount(), records, runs, Median(perRecord), Median(meanRecord), Median(p99Record),
        Median(totals), Median(toolShare), Median(simShare), wire9600, wire115200);
    for (const std::string& line : summary) {
        std::printf("        %s\n", line.c_str());
    }

    // A clock that takes 20 ms per record: the tool should sleep meanwhile.
    const FirmwareImage part = [&] {
        std::vector<std::string> lines;
        for (int i = 0; i < 200; ++i) {
            lines.push_back(image.Line(i));
        }
        return FirmwareImage::FromLines(lines);
    }();
    std::vector<double> mainShare;
    std::vector<double> waitingShare;
    for (int run = 0; run < runs; ++run) {
        Loader loader(20ms);
        Result r = Upload(part, loader.path());
        loader.Stop();
        if (loader.rejected() != 0 || loader.acknowledged() != r.steps) {
            throw std::runtime_error("the slow loader refused records");
        }
        mainShare.push_back(100.0 * r.mainCpuS / (r.wallMs / 1000.0));
        waitingShare.push_back(100.0 * (r.processCpuS - loader.threadCpu()) / (r.wallMs / 1000.0));
    }
    std::printf(
        "Waiting for a pty loader that answers after 20 ms (200 records, %d runs): CPU of the "
        "task's thread median %.2f %% of a core; the tool's threads together (event thread "
        "included, the loader's left out) median %.2f %% (target < 5 %%)\n",
        runs, Median(mainShare), Median(waitingShare));
    return 0;
}

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "firmware_bench: %s\n", e.what());
        return 1;
    }
}
