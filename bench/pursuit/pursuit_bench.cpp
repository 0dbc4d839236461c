// Times the pursuit-start list: converting a 20 000-row .xls and .xlsx list
// (ConvertSpreadsheetList into a grid as the window creates it), and sending
// a 1000-line text list with delay 0 to the virtual clock (startklokke-sim)
// by the task with a plain event pump, and to a pty peer that takes every byte
// through the offscreen window. The transfer uses the real pauses; its time
// beyond the fixed 300 ms pauses and the tool's CPU (apart from the virtual
// clock's) are reported, and the CPU while it waits between lines with a
// delay of 200 ms.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "fake_clock_host.h"
#include "fake_timer.h"
#include "files/convert_spreadsheet_list.h"
#include "files/text_grid.h"
#include "list_workbooks.h"
#include "main_thread_queue.h"
#include "protocol/clock_connection.h"
#include "serial/serial_port.h"
#include "support/pacer.h"
#include "tasks/pursuit_transfer.h"
#include "virtual_clock.h"
#include "window_send.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kConvertRuns = 7;
constexpr int kSendRuns = 5;
constexpr int kListLines = 1000;
// ERASELIST, EON, the corridor filter, RECVLIST, before the end, PUREND, DM6.
constexpr int kFixedPausesMs = 7 * 300;

double processCpuMs() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec * 1e3 + u.ru_utime.tv_usec / 1e3 + u.ru_stime.tv_sec * 1e3 +
           u.ru_stime.tv_usec / 1e3;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

sk::TextGrid windowGrid() {
    sk::TextGrid grid(5, 3, 1);
    return grid;
}

void benchConvert(const fs::path& dir) {
    const fs::path xls = dir / "jakt.xls";
    const fs::path xlsx = dir / "jakt.xlsx";
    sk::bench::writeXlsList(xls);
    sk::bench::writeXlsxList(xlsx);
    for (const fs::path& p : {xls, xlsx}) {
        std::vector<double> wall;
        std::vector<double> cpu;
        std::uintmax_t written = 0;
        for (int run = 0; run < kConvertRuns; ++run) {
            sk::TextGrid grid = windowGrid();
            const auto t0 = Clock::now();
            const double c0 = processCpuMs();
            const std::string out = sk::ConvertSpreadsheetList(grid, p.string(), ':');
            wall.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
            cpu.push_back(processCpuMs() - c0);
            if (grid.RowCount() != sk::bench::kListRows + 1 ||
                grid.Cells(1, sk::bench::kListRows) != "21:06:40") {
                throw std::runtime_error("unexpected grid from " + p.string());
            }
            written = fs::file_size(out);
        }
        std::printf(
            "convert %-5s %d rows -> %ju bytes: median %.1f ms (CPU %.1f ms) over %d runs "
            "(target < 1000 ms)\n",
            p.extension().string().c_str() + 1, sk::bench::kListRows, written, median(wall),
            median(cpu), kConvertRuns);
    }
}

class Page : public sk::pursuit_transfer::PursuitPage {
  public:
    std::string FileEdit1() override { return path; }
    std::string txtSluse() override { return "Alle"; }
    std::string tctdelay() override { return delay; }
    std::string TimeEdit2() override { return "10:00:00"; }
    char TimeSeparator() override { return ':'; }
    sk::TextGrid& faktexcel() override { return grid; }
    void FaktexcelChanged() override {}
    void SetProgressVisible(bool) override {}
    int ProgressPosition() override { return position; }
    void SetProgressPosition(int p) override { position = p; }

    std::string path;
    std::string delay = "0";
    sk::TextGrid grid = windowGrid();
    int position = 0;
};

struct SendResult {
    double wallMs;
    double cpuMs;     // this process: the tool
    double simCpuMs;  // the virtual clock over its whole life
};

SendResult sendOnce(const std::string& listPath, const std::string& delay, int listLines) {
    sk::bench::VirtualClock clock;
    sk::test::FakeClockHost host;
    sk::SystemPacer pacer;
    sk::test::FakeTimer timer;
    sk::test::FakePortEnumerator ports;
    sk::ClockConnection conn(host, pacer, timer, ports);
    // Declared after the port's owner: it lets go of the port first.
    sk::test::MainThreadQueue queue;
    queue.attach(conn.com1());
    host.pump = [&queue] { queue.pump(); };
    host.selectorText = clock.path() + " Serial port";
    Page page;
    page.path = listPath;
    page.delay = delay;

    const auto t0 = Clock::now();
    const double c0 = processCpuMs();
    sk::pursuit_transfer::BitBtn6Click(conn, timer, page);
    const double wallMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    const double cpuMs = processCpuMs() - c0;
    // The clock keeps its side of the pty open, so nothing sent is lost when
    // the port closes; it has the list once it reports the end.
    const std::string ended = "pursuit list ended, " + std::to_string(listLines) + " entries";
    if (!clock.waitForLog(ended, std::chrono::seconds(5))) {
        std::string last;
        for (const std::string& line : clock.lastLogLines(3)) {
            last += "\n    " + line;
        }
        throw std::runtime_error("the virtual clock did not report \"" + ended +
                                 "\"; it printed:" + last);
    }
    return {wallMs, cpuMs, 1000.0 * clock.stop()};
}

void benchSend(const fs::path& dir) {
    const fs::path list = dir / "jakt.txt";
    std::string text = "Startnr;Starttid;Sluse;\r\n";
    for (int i = 1; i <= kListLines; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "%d;%02d:%02d:%02d;%d;\r\n", i, 10 + i / 1800,
                      (i / 30) % 60, (2 * i) % 60, 1 + i % 4);
        text += line;
    }
    std::ofstream(list, std::ios::binary) << text;
    const std::size_t listBytes = text.size();

    std::vector<double> beyond;
    std::vector<double> cpuShare;
    std::vector<double> simShare;
    for (int run = 0; run < kSendRuns; ++run) {
        const SendResult r = sendOnce(list.string(), "0", kListLines);
        beyond.push_back(r.wallMs - kFixedPausesMs);
        cpuShare.push_back(100.0 * r.cpuMs / r.wallMs);
        simShare.push_back(100.0 * r.simCpuMs / r.wallMs);
    }
    std::printf(
        "send %d lines, delay 0, to the virtual clock: median %.0f ms beyond the %d ms of fixed "
        "pauses (target < 500 ms); the tool's CPU %.1f %% of one core over the whole transfer, "
        "the virtual clock's %.1f %%, over %d runs\n",
        kListLines, median(beyond), kFixedPausesMs, median(cpuShare), median(simShare), kSendRuns);

    sk::bench::benchWindowSend(list.string(), listBytes, kSendRuns, kFixedPausesMs);

    // Ten lines with 200 ms after each: the waits dominate the run.
    const fs::path shortList = dir / "kort.txt";
    std::string shortText;
    for (int i = 1; i <= 10; ++i) {
        shortText += std::to_string(i) + ";10:00:00;1;\r\n";
    }
    std::ofstream(shortList, std::ios::binary) << shortText;
    std::vector<double> waitingShare;
    std::vector<double> simWaitingShare;
    for (int run = 0; run < 3; ++run) {
        const SendResult r = sendOnce(shortList.string(), "200", 10);
        waitingShare.push_back(100.0 * r.cpuMs / r.wallMs);
        simWaitingShare.push_back(100.0 * r.simCpuMs / r.wallMs);
    }
    std::printf(
        "waiting between lines to the virtual clock (10 lines, delay 200 ms, %.1f s): the tool's "
        "CPU median %.2f %% of one core (target < 5 %%), the virtual clock's %.2f %%\n",
        (kFixedPausesMs + 10 * 200) / 1000.0, median(waitingShare), median(simWaitingShare));
}

}  // namespace

int main() {
    const fs::path dir =
        fs::temp_directory_path() /
        ("sk_pursuit_bench_" + std::to_string(Clock::now().time_since_epoch().count()));
    fs::create_directories(dir);
    setenv("TMPDIR", dir.c_str(), 1);
    int rc = 0;
    try {
        benchConvert(dir);
        benchSend(dir);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "pursuit_bench: %s\n", e.what());
        rc = 1;
    }
    fs::remove_all(dir);
    return rc;
}
