#pragma once
// ListWorkbook: the first worksheet of a list workbook as the list conversion
// reads it, kept apart from the grid so that the workbook's and the grid's
// range types never meet in one unit.
//
// Errors: the constructor passes on EWorkbookError (spreadsheet/workbook.h):
// the file is missing, not a workbook, encrypted, damaged or has no worksheet.
// Threads: one thread at a time; the object owns the opened workbook.
#include <memory>
#include <string>
#include <vector>

namespace sk {

class Workbook;
class Worksheet;

// Inclusive, 1-based rows and columns of a merged range of the sheet.
struct ListSheetRange {
    int firstRow = 0;
    int lastRow = 0;
    int firstColumn = 0;
    int lastColumn = 0;
};

class ListWorkbook {
  public:
    // Opens the workbook at `path`; display texts use `timeSeparator`.
    ListWorkbook(const std::string& path, char timeSeparator);
    ~ListWorkbook();
    ListWorkbook(const ListWorkbook&) = delete;
    ListWorkbook& operator=(const ListWorkbook&) = delete;

    // The first worksheet: its last used row and column (0 and 0 when it
    // holds nothing), the display text of a cell (CP1252, line breaks as
    // CR LF; empty outside the sheet), and its merged ranges.
    int lastRow() const;
    int lastColumn() const;
    const std::string& cellText(int row, int column) const;
    std::vector<ListSheetRange> mergedRanges() const;

  private:
    std::unique_ptr<Workbook> book_;
    const Worksheet* sheet_ = nullptr;
};

}  // namespace sk
