#pragma once
// The comma-separated grid files: the class table "Klasser.csv" and the
// converted pursuit-start list. Bytes are written and read as the cells hold
// them (CP1252, no conversion, no byte-order mark); lines end with CR LF.
//
// Contract (main thread; the grid is the caller's):
// - SaveGridCsv writes every row from row 0 and every column, "," between
//   fields, a field quoted when it holds a quote or a comma (quotes doubled),
//   an empty cell as "", and CR LF inside a cell that holds a comma as 0x0B.
//   The old file is replaced only once the new one is completely written;
//   on failure, and when the existing file may not be written, it is left
//   as it was and EFCreateError ("Cannot Create file " + path) is raised.
//   The grid is never changed.
// - LoadGridCsv reads the whole file first, detects the delimiter from the
//   first two lines, and stores the fields from row 0, column 0. Cells the
//   file does not reach keep their text; columns only grow; RowCount becomes
//   the number of lines (at least 1, with one ordinary row kept when the
//   lines do not exceed FixedRows). Merged ranges are kept.
//   Errors, each leaving the grid unchanged: EFOpenError ("Cannot open file "
//   + path) when the file cannot be read; EFFormatError when it holds more
//   than kMaxCsvRows lines, a line of more than kMaxCsvColumns fields, or
//   would leave the grid with more than kMaxCsvCells cells (no list or class
//   table comes near; the limits keep a hostile file, such as one long line
//   of delimiters above many short lines, from making a grid nothing can
//   show or save).
#include <string>
#include <string_view>

#include "files/text_grid.h"

namespace sk {

inline constexpr int kMaxCsvRows = 1'048'576;
inline constexpr int kMaxCsvColumns = 16'384;
inline constexpr long long kMaxCsvCells = 16'777'216;

void SaveGridCsv(const TextGrid& grid, const std::string& path);
void LoadGridCsv(TextGrid& grid, const std::string& path);

// The file's bytes as SaveGridCsv writes them.
std::string GridCsvBytes(const TextGrid& grid);
// LoadGridCsv on bytes already read; `sourceName` names them in errors.
void LoadGridCsvFromBytes(TextGrid& grid, std::string_view bytes, const std::string& sourceName);

// The delimiter the reader uses for a file whose first two lines are given
// (line2 empty for a one-line file), or '\0' when none is found and each line
// is one field.
char DetectCsvDelimiter(std::string_view line1, std::string_view line2);

}  // namespace sk
