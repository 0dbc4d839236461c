#pragma once
// An .xlsx workbook: a zip of XML parts read with libzip and expat. The
// workbook part, its relationships, the shared strings and the styles are
// read on construction; each sheet's part when it is asked for. Every part
// is decompressed in bounded chunks with a cap per part and in total, so a
// zip bomb ends in a Damaged fault. Raises WorkbookFault; the workbook owns
// a copy of the file's bytes.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "spreadsheet/number_format.h"
#include "spreadsheet/workbook.h"

namespace sk {

class XlsxWorkbook : public Workbook {
  public:
    XlsxWorkbook(std::string_view file, std::string displayName, char timeSeparator);
    ~XlsxWorkbook() override;

    // The most a single part may expand to, and all parts together.
    static constexpr std::uint64_t kMaxPartBytes = 64ull << 20;
    static constexpr std::uint64_t kMaxTotalBytes = 256ull << 20;

  protected:
    Worksheet readWorksheet(std::size_t index) override;

  private:
    class Archive;
    std::string numberText(double value, std::size_t style) const;

    std::string file_;
    std::unique_ptr<Archive> archive_;
    NumberFormatOptions options_;
    std::vector<std::string> sheetParts_;
    std::vector<std::string> sst_;
    std::vector<int> xfFormat_;
    std::map<int, std::string> formats_;
};

}  // namespace sk
