// LoadGridCsv on arbitrary bytes: no crash, no hang, bounded memory, and a
// refused file leaves the grid as it was.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "files/file_errors.h"
#include "files/grid_csv.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    sk::TextGrid grid(5, 3, 1);
    grid.SetCell(0, 0, "Fra startnr");
    grid.SetCell(4, 2, "kept");
    try {
        sk::LoadGridCsvFromBytes(grid, bytes, "fuzz.csv");
    } catch (const sk::EFFormatError&) {
        if (grid.RowCount() != 3 || grid.ColCount() != 5 || grid.Cells(4, 2) != "kept") {
            std::abort();
        }
        return 0;
    }
    if (grid.RowCount() < 1 || grid.FixedRows() >= grid.RowCount() || grid.ColCount() < 5 ||
        grid.ColCount() > sk::kMaxCsvColumns) {
        std::abort();
    }
    // What was loaded must save again (small grids only, to keep runs fast).
    if (static_cast<long long>(grid.RowCount()) * grid.ColCount() > 100'000) {
        return 0;
    }
    const std::string saved = sk::GridCsvBytes(grid);
    if (saved.size() < static_cast<std::size_t>(grid.RowCount()) * 2) {
        std::abort();
    }
    return 0;
}
