// Load and save time of a 100 000-line class-table-shaped CSV file.
// Targets: load under 1 s, save under 0.5 s. Prints every run and the median.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "files/grid_csv.h"

namespace {

constexpr int kRows = 100'000;
constexpr int kRuns = 7;

sk::TextGrid makeGrid() {
    sk::TextGrid g(5, kRows, 1);
    const char* titles[] = {"Fra startnr", "Til startnr", "F\xF8rste start", "Intervall", "Antall"};
    for (int c = 0; c < 5; ++c) {
        g.SetCell(c, 0, titles[c]);
    }
    for (int r = 1; r < kRows; ++r) {
        g.SetCell(0, r, std::to_string(r * 10));
        g.SetCell(1, r, std::to_string(r * 10 + 9));
        g.SetCell(2, r, "10:00:00");
        g.SetCell(3, r, r % 7 == 0 ? "" : "30");
        g.SetCell(4, r, r % 11 == 0 ? "klasse \"H21\", lang" : "10");
    }
    return g;
}

double seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main() {
    const std::string path =
        (std::filesystem::temp_directory_path() / "sk_csv_bench_Klasser.csv").string();
    const sk::TextGrid grid = makeGrid();
    std::vector<double> saves;
    std::vector<double> loads;
    for (int run = 0; run < kRuns; ++run) {
        auto t0 = std::chrono::steady_clock::now();
        sk::SaveGridCsv(grid, path);
        auto t1 = std::chrono::steady_clock::now();
        sk::TextGrid loaded(5, 3, 1);
        sk::LoadGridCsv(loaded, path);
        auto t2 = std::chrono::steady_clock::now();
        if (loaded.RowCount() != kRows || loaded.Cells(4, 11) != grid.Cells(4, 11)) {
            std::fprintf(stderr, "loaded grid differs from the saved one\n");
            return 1;
        }
        saves.push_back(seconds(t1 - t0));
        loads.push_back(seconds(t2 - t1));
        std::printf("run %d: save %.3f s, load %.3f s\n", run + 1, saves.back(), loads.back());
    }
    std::printf("file: %ju bytes, %d lines\n",
                static_cast<std::uintmax_t>(std::filesystem::file_size(path)), kRows);
    std::printf("median of %d runs: save %.3f s (target < 0.5 s), load %.3f s (target < 1 s)\n",
                kRuns, median(saves), median(loads));
    std::filesystem::remove(path);
    return median(saves) < 0.5 && median(loads) < 1.0 ? 0 : 2;
}
