#include "spreadsheet/workbook.h"

#include <algorithm>

#include "spreadsheet/workbook_fault.h"

namespace sk {

namespace {
// Far beyond any start list; stops a small file from filling memory with
// repeated formatted cells.
constexpr std::size_t kMaxSheetTextBytes = 64u << 20;
constexpr std::size_t kMaxSheetCells = 1u << 20;
}  // namespace

const std::string& Worksheet::cellText(int row, int column) const {
    static const std::string empty;
    if (row < 1 || column < 1) {
        return empty;
    }
    auto it = cells_.find(key(row, column));
    return it == cells_.end() ? empty : it->second;
}

void Worksheet::setCell(int row, int column, std::string text) {
    if (text.empty()) {
        cells_.erase(key(row, column));
        return;
    }
    textBytes_ += text.size();
    if (textBytes_ > kMaxSheetTextBytes) {
        damaged("the sheet \"" + name_ + "\" holds more text than a list can");
    }
    std::string& cell = cells_[key(row, column)];
    if (cells_.size() > kMaxSheetCells) {
        cells_.erase(key(row, column));
        damaged("the sheet \"" + name_ + "\" holds more cells than a list can");
    }
    cell = std::move(text);
    lastRow_ = std::max(lastRow_, row);
    lastColumn_ = std::max(lastColumn_, column);
}

void Worksheet::addMergedRange(const SheetRange& range) {
    merged_.push_back(range);
}

const Worksheet& Workbook::worksheet(std::size_t index) {
    if (index >= names_.size()) {
        throw std::out_of_range("worksheet index " + std::to_string(index) + " past the last");
    }
    cache_.resize(names_.size());
    if (!cache_[index]) {
        try {
            cache_[index] = std::make_unique<Worksheet>(readWorksheet(index));
        } catch (const WorkbookFault& f) {
            throw EWorkbookError(faultMessage(f, displayName_));
        }
    }
    return *cache_[index];
}

std::string faultMessage(const WorkbookFault& fault, const std::string& name) {
    switch (fault.kind()) {
        case FaultKind::NotWorkbook:
            return "'" + name + "' is not a workbook (" + fault.what() + ")";
        case FaultKind::Encrypted:
            return "The workbook '" + name +
                   "' is protected by a password; save it without one and try again";
        case FaultKind::Damaged:
        default:
            return "The workbook '" + name + "' is damaged: " + fault.what();
    }
}

}  // namespace sk
