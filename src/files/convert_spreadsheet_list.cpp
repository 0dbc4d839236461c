#include "files/convert_spreadsheet_list.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "files/file_errors.h"
#include "files/grid_csv.h"
#include "files/pursuit_list.h"
#include "spreadsheet/workbook.h"
#include "spreadsheet/workbook_reader.h"

namespace sk {

namespace {

// The part of a sheet range that lies inside the grid, in grid indices; false
// when less than two cells of it are left.
bool clipToGrid(const SheetRange& r, const TextGrid& grid, MergedRange& out) {
    out.left = std::max(r.firstColumn, 1) - 1;
    out.top = std::max(r.firstRow, 1) - 1;
    out.right = std::min(r.lastColumn, grid.ColCount()) - 1;
    out.bottom = std::min(r.lastRow, grid.RowCount()) - 1;
    if (out.left > out.right || out.top > out.bottom) {
        return false;
    }
    return out.left < out.right || out.top < out.bottom;
}

bool coveredButNotTopLeft(const std::vector<SheetRange>& ranges, int row, int column) {
    for (const SheetRange& r : ranges) {
        if (row >= r.firstRow && row <= r.lastRow && column >= r.firstColumn &&
            column <= r.lastColumn) {
            return row != r.firstRow || column != r.firstColumn;
        }
    }
    return false;
}

}  // namespace

std::string ConvertSpreadsheetList(TextGrid& faktexcel, const std::string& path,
                                   char timeSeparator) {
    const std::string folder = TempFolderPath();
    std::unique_ptr<Workbook> book = WorkbookReader::open(path, timeSeparator);
    const Worksheet& sheet = book->worksheet(0);
    const int lastRow = sheet.lastRow();
    const int lastCol = sheet.lastColumn();
    const std::vector<SheetRange>& ranges = sheet.mergedRanges();
    if (static_cast<long long>(lastRow) * lastCol > kMaxListCells) {
        throw EFFormatError("The first sheet of " + path +
                            " uses more cells than a start list can hold");
    }
    if (ranges.size() > static_cast<std::size_t>(kMaxListMergedRanges)) {
        throw EFFormatError("The first sheet of " + path +
                            " has more merged ranges than a start list can hold");
    }

    faktexcel.Clear();
    faktexcel.ClearMergedRanges();
    if (lastRow > 1) {
        faktexcel.SetRowCount(lastRow);
    }
    if (lastCol > 0) {
        faktexcel.SetColCount(lastCol);
    }
    const int rows = std::min(lastRow, faktexcel.RowCount());
    const int cols = std::min(lastCol, faktexcel.ColCount());
    for (int i = 1; i <= rows; ++i) {
        for (int j = 1; j <= cols; ++j) {
            if (!coveredButNotTopLeft(ranges, i, j)) {
                faktexcel.SetCell(j - 1, i - 1, sheet.cellText(i, j));
            }
        }
    }
    for (const SheetRange& r : ranges) {
        MergedRange inGrid;
        if (clipToGrid(r, faktexcel, inGrid)) {
            faktexcel.AddMergedRange(inGrid);
        }
    }

    const std::string converted = folder + ConvertedListName(path);
    SaveGridCsv(faktexcel, converted);
    return converted;
}

}  // namespace sk
