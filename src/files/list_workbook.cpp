#include "files/list_workbook.h"

#include "spreadsheet/workbook.h"
#include "spreadsheet/workbook_reader.h"

namespace sk {

ListWorkbook::ListWorkbook(const std::string& path, char timeSeparator)
    : book_(WorkbookReader::open(path, timeSeparator)), sheet_(&book_->worksheet(0)) {}

ListWorkbook::~ListWorkbook() = default;

int ListWorkbook::lastRow() const {
    return sheet_->lastRow();
}

int ListWorkbook::lastColumn() const {
    return sheet_->lastColumn();
}

const std::string& ListWorkbook::cellText(int row, int column) const {
    return sheet_->cellText(row, column);
}

std::vector<ListSheetRange> ListWorkbook::mergedRanges() const {
    std::vector<ListSheetRange> ranges;
    for (const MergedRange& r : sheet_->mergedRanges()) {
        ranges.push_back({r.firstRow, r.lastRow, r.firstColumn, r.lastColumn});
    }
    return ranges;
}

}  // namespace sk
