#pragma once
// WorkbookReader opens a spreadsheet workbook, .xls (BIFF8 in an OLE2
// compound file, and Excel 5/95 BIFF5) or .xlsx (Office Open XML), for the
// list conversion. The format is told by the file's content, not its name.
//
// Errors: EWorkbookError (workbook.h), its message naming the file and
// saying whether it is missing or unreadable, not a workbook, encrypted
// (password protected), damaged, or without any worksheet (chart sheets do
// not count), so an opened workbook has at least one. Nothing is kept open: the file is read
// whole into memory (at most kMaxFileBytes) and closed before open returns.
// Threads: any thread; the returned Workbook belongs to the caller.
// Display texts use `timeSeparator` in place of ':' in time formats.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "spreadsheet/workbook.h"
#include "support/conversion.h"

namespace sk {

enum class WorkbookKind { Xls, Xlsx, Other };

// By the file name's extension, without regard to letter case.
WorkbookKind kindOf(const std::string& path);

class WorkbookReader {
  public:
    static constexpr std::uint64_t kMaxFileBytes = 256ull << 20;

    static std::unique_ptr<Workbook> open(const std::string& path,
                                          char timeSeparator = regionalTimeSeparator());

    // The same from bytes in memory; `name` stands for the file in messages.
    static std::unique_ptr<Workbook> openBytes(std::string_view bytes, const std::string& name,
                                               char timeSeparator = regionalTimeSeparator());
};

}  // namespace sk
