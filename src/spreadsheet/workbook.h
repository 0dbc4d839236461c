#pragma once
// A workbook as the list conversion sees it: worksheets in order, and for
// each the display text of its cells and its merged ranges. Rows and
// columns are 1-based. Texts are CP1252 with line breaks as CR LF.
//
// Errors: EWorkbookError, its message ready for the operator. Opening is in
// workbook_reader.h.
// Threads: a Workbook is used by one thread at a time (worksheet() fills a
// cache). The caller owns the Workbook; Worksheet references stay valid as
// long as it lives.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

namespace sk {

// The workbook is missing, is not a workbook, is encrypted or is damaged;
// what() says which, naming the file.
class EWorkbookError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct SheetRange {
    int firstRow = 0;
    int lastRow = 0;
    int firstColumn = 0;
    int lastColumn = 0;
    friend bool operator==(const SheetRange&, const SheetRange&) = default;
};

class Worksheet {
  public:
    explicit Worksheet(std::string name = {}) : name_(std::move(name)) {}

    const std::string& name() const { return name_; }

    // The last row and column holding a cell with a non-empty display text;
    // 0 and 0 for a sheet that holds nothing. Blank formatted cells and
    // merged ranges do not count.
    int lastRow() const { return lastRow_; }
    int lastColumn() const { return lastColumn_; }

    // Empty for an empty cell and for cells outside the sheet.
    const std::string& cellText(int row, int column) const;

    // In the order the file lists them; each covers at least two cells.
    const std::vector<SheetRange>& mergedRanges() const { return merged_; }

    // For the readers. Row and column from 1; a later text for the same cell
    // replaces the earlier one. Raises a Damaged WorkbookFault when the
    // sheet passes what a list can reasonably hold (2^20 cells with text,
    // 64 MiB of text).
    void setCell(int row, int column, std::string text);
    void addMergedRange(const SheetRange& range);

  private:
    static std::uint64_t key(int row, int column) {
        return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(row)) << 32) |
               static_cast<std::uint32_t>(column);
    }
    std::string name_;
    std::unordered_map<std::uint64_t, std::string> cells_;
    std::vector<SheetRange> merged_;
    std::size_t textBytes_ = 0;
    int lastRow_ = 0;
    int lastColumn_ = 0;
};

class Workbook {
  public:
    virtual ~Workbook() = default;

    // Worksheet names in workbook order (chart sheets are not listed).
    const std::vector<std::string>& worksheetNames() const { return names_; }
    std::size_t worksheetCount() const { return names_.size(); }

    // The sheet at `index` (0 = first), read on first use. Throws
    // EWorkbookError when that sheet is damaged and std::out_of_range for an
    // index past the end.
    const Worksheet& worksheet(std::size_t index);

  protected:
    explicit Workbook(std::string displayName) : displayName_(std::move(displayName)) {}
    void addWorksheetName(std::string name) { names_.push_back(std::move(name)); }
    const std::string& displayName() const { return displayName_; }
    virtual Worksheet readWorksheet(std::size_t index) = 0;

  private:
    std::string displayName_;
    std::vector<std::string> names_;
    std::vector<std::unique_ptr<Worksheet>> cache_;
};

}  // namespace sk
