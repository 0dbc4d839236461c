#include "files/text_grid.h"

#include <stdexcept>
#include <utility>

namespace sk {

namespace {
const std::string kEmpty;
}

TextGrid::TextGrid(int colCount, int rowCount, int fixedRows) {
    if (colCount < 1 || rowCount < 1) {
        throw std::invalid_argument("A grid needs at least one column and one row");
    }
    colCount_ = colCount;
    rows_.resize(static_cast<std::size_t>(rowCount));
    SetFixedRows(fixedRows);
}

void TextGrid::SetColCount(int n) {
    if (n < 1) {
        n = 1;
    }
    if (n < colCount_) {
        for (auto& row : rows_) {
            if (row.size() > static_cast<std::size_t>(n)) {
                row.resize(static_cast<std::size_t>(n));
            }
        }
    }
    colCount_ = n;
}

void TextGrid::SetRowCount(int n) {
    if (n < 1) {
        n = 1;
    }
    if (n <= fixedRows_) {
        fixedRows_ = n - 1;
    }
    rows_.resize(static_cast<std::size_t>(n));
}

void TextGrid::SetFixedRows(int n) {
    if (n < 0 || n >= RowCount()) {
        throw std::invalid_argument("Fixed row count must be less than row count");
    }
    fixedRows_ = n;
}

const std::string& TextGrid::OwnCell(int col, int row) const {
    if (col < 0 || row < 0 || col >= colCount_ || row >= RowCount()) {
        return kEmpty;
    }
    const auto& cells = rows_[static_cast<std::size_t>(row)];
    if (static_cast<std::size_t>(col) >= cells.size()) {
        return kEmpty;
    }
    return cells[static_cast<std::size_t>(col)];
}

const std::string& TextGrid::Cells(int col, int row) const {
    for (const auto& m : merged_) {
        if (col >= m.left && col <= m.right && row >= m.top && row <= m.bottom) {
            return OwnCell(m.left, m.top);
        }
    }
    return OwnCell(col, row);
}

void TextGrid::SetCell(int col, int row, std::string text) {
    if (col < 0 || row < 0 || col >= colCount_ || row >= RowCount()) {
        throw std::out_of_range("Grid cell out of range");
    }
    auto& cells = rows_[static_cast<std::size_t>(row)];
    const auto c = static_cast<std::size_t>(col);
    if (c >= cells.size()) {
        // An empty cell past the row's end already reads as empty: storing it
        // would let a line of bare delimiters allocate one string per field.
        if (text.empty()) {
            return;
        }
        cells.resize(c + 1);
    }
    cells[c] = std::move(text);
}

void TextGrid::Clear() {
    for (auto& row : rows_) {
        row.clear();
    }
}

void TextGrid::AddMergedRange(const MergedRange& range) {
    if (range.left < 0 || range.top < 0 || range.left > range.right || range.top > range.bottom ||
        range.right >= colCount_ || range.bottom >= RowCount()) {
        throw std::invalid_argument("Merged range outside the grid");
    }
    merged_.push_back(range);
}

}  // namespace sk
