#pragma once
// TextGrid: the plain model behind the window's text grids (the class table
// and the hidden grid of an imported pursuit-start list). The CSV reader and
// writer work on it; the Qt grid widget holds or mirrors one.
//
// Contract:
// - Cells are 8-bit CP1252 byte strings, empty by default. Indices are
//   (col, row) from 0.
// - Growing ColCount or RowCount keeps every cell; shrinking drops the cells
//   outside the new size for good.
// - RowCount and ColCount are at least 1. Setting RowCount to FixedRows or
//   less lowers FixedRows to RowCount - 1, so a grid always keeps one
//   ordinary row. SetFixedRows raises std::invalid_argument unless
//   0 <= n < RowCount.
// - Cells() outside the grid reads as empty; SetCell() outside the grid
//   raises std::out_of_range.
// - A cell inside a merged range reads as the range's top-left cell.
//   SetCell writes the cell itself; its own text shows again once the range
//   is cleared. Merged ranges are kept until ClearMergedRanges().
// - Cost: storage grows with the text actually held, not with
//   RowCount * ColCount (rows hold only up to their last non-empty cell), so
//   100 000 rows cost a few MB. Cells() scans the merged ranges; imports
//   make a handful.
// - Not thread-safe: one thread (the main thread) uses a grid at a time.
#include <string>
#include <vector>

namespace sk {

// Inclusive cell range; (left, top) is the cell whose text the range shows.
struct MergedRange {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const MergedRange&, const MergedRange&) = default;
};

class TextGrid {
  public:
    TextGrid() = default;
    // Raises std::invalid_argument for counts below 1 or fixedRows out of range.
    TextGrid(int colCount, int rowCount, int fixedRows = 0);

    int ColCount() const { return colCount_; }
    void SetColCount(int n);
    int RowCount() const { return static_cast<int>(rows_.size()); }
    void SetRowCount(int n);
    int FixedRows() const { return fixedRows_; }
    void SetFixedRows(int n);

    // The text shown at (col, row), following merged ranges.
    const std::string& Cells(int col, int row) const;
    void SetCell(int col, int row, std::string text);

    // Empties every cell; counts, fixed rows and merged ranges stay.
    void Clear();

    // The range must lie inside the grid with left <= right and top <= bottom,
    // else std::invalid_argument.
    void AddMergedRange(const MergedRange& range);
    void ClearMergedRanges() { merged_.clear(); }
    const std::vector<MergedRange>& MergedRanges() const { return merged_; }

  private:
    const std::string& OwnCell(int col, int row) const;

    int colCount_ = 1;
    int fixedRows_ = 0;
    // Each row holds cells up to its last stored one; the rest read as empty.
    std::vector<std::vector<std::string>> rows_ = std::vector<std::vector<std::string>>(1);
    std::vector<MergedRange> merged_;
};

}  // namespace sk
