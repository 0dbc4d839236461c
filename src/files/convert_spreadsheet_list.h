#pragma once
// ConvertSpreadsheetList: a pursuit-start list workbook (.xls or .xlsx)
// becomes a comma-separated text file in the temporary folder, which the
// transfer then reads like a text list.
//
// The first worksheet is read into `faktexcel` (the window's hidden grid):
// every cell is cleared, title row included, and the previous import's merged
// ranges are dropped; the row count is set to the sheet's last used row only
// when that is above 1 and the column count to its last used column only when
// that is above 0, so a one-row sheet keeps the previous row count (3 before
// the first import) and the rows below it are written as empty fields. Each
// cell gets its display text; a merged range shows its top-left text in every
// cell it covers. The grid is written with SaveGridCsv to TempFolderPath() +
// ConvertedListName(path) (jakt.xls -> jakttvk), replacing an older file of
// that name, and that path is returned.
//
// Errors, nothing sent and nothing written in each case:
// - EWorkbookError: the workbook is missing, not a workbook, encrypted,
//   damaged, or has no worksheet (the grid is untouched);
// - EFFormatError: the used area of the sheet passes kMaxListCells cells or
//   it has more than kMaxListMergedRanges merged ranges (no start list comes
//   near; the limits keep a hostile file from making a huge file or a slow
//   write) (the grid is untouched);
// - EFCreateError ("Cannot Create file " + path): the converted file cannot
//   be written (the grid holds the new list; the old file stays).
// Main thread (the grid is the window's); the grid is the caller's.
#include <string>

#include "files/text_grid.h"
#include "support/conversion.h"

namespace sk {

inline constexpr long long kMaxListCells = 1'048'576;
inline constexpr int kMaxListMergedRanges = 1000;

std::string ConvertSpreadsheetList(TextGrid& faktexcel, const std::string& path,
                                   char timeSeparator = regionalTimeSeparator());

}  // namespace sk
