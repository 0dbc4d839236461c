// Times opening a 20 000-row pursuit list and reading every display text,
// as .xls and as .xlsx. Both lists are generated (start number, start
// time as hh:mm:ss, corridor; bench/common), so it needs nothing but itself.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "list_workbooks.h"
#include "spreadsheet/workbook_reader.h"

namespace {

constexpr int kRows = sk::bench::kListRows;
constexpr int kRuns = 7;

struct Timing {
    double wallMs;
    double cpuMs;  // the machine may be shared: CPU time shows the work itself
};

Timing medianMs(const std::filesystem::path& path, std::size_t& bytesRead) {
    std::vector<double> times;
    std::vector<double> cpu;
    for (int run = 0; run < kRuns; ++run) {
        auto t0 = std::chrono::steady_clock::now();
        std::clock_t c0 = std::clock();
        auto wb = sk::WorkbookReader::open(path.string(), ':');
        const sk::Worksheet& ws = wb->worksheet(0);
        std::size_t total = 0;
        for (int r = 1; r <= ws.lastRow(); ++r) {
            for (int c = 1; c <= ws.lastColumn(); ++c) {
                total += ws.cellText(r, c).size();
            }
        }
        auto t1 = std::chrono::steady_clock::now();
        std::clock_t c1 = std::clock();
        if (ws.lastRow() != kRows + 1 || ws.cellText(kRows + 1, 2) != "21:06:40") {
            throw std::runtime_error("unexpected content in " + path.string());
        }
        bytesRead = total;
        times.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        cpu.push_back(1000.0 * static_cast<double>(c1 - c0) / CLOCKS_PER_SEC);
    }
    std::sort(times.begin(), times.end());
    std::sort(cpu.begin(), cpu.end());
    return {times[times.size() / 2], cpu[cpu.size() / 2]};
}

}  // namespace

int main() {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() /
                   ("sk_spreadsheet_bench_" +
                    std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    fs::create_directories(dir);
    int rc = 0;
    try {
        fs::path xls = dir / "jakt.xls";
        fs::path xlsx = dir / "jakt.xlsx";
        sk::bench::writeXlsList(xls);
        sk::bench::writeXlsxList(xlsx);
        for (const auto& p : {xls, xlsx}) {
            std::size_t text = 0;
            Timing t = medianMs(p, text);
            std::printf(
                "%-5s %d rows, %7zu bytes on disk, %7zu bytes of text: median %.1f ms "
                "(CPU %.1f ms) over %d runs (target < 1000 ms)\n",
                p.extension().string().c_str() + 1, kRows,
                static_cast<std::size_t>(fs::file_size(p)), text, t.wallMs, t.cpuMs, kRuns);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "spreadsheet_bench: %s\n", e.what());
        rc = 1;
    }
    fs::remove_all(dir);
    return rc;
}
