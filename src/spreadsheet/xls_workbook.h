#pragma once
// An .xls workbook: the BIFF8 records (or BIFF5 for Excel 5/95 "Book"
// streams) of the compound file's workbook stream. The global records
// (sheet list, shared strings, formats) are read on construction; each
// sheet's cells when it is asked for. Raises WorkbookFault; the workbook
// owns a copy of the stream.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "spreadsheet/number_format.h"
#include "spreadsheet/workbook.h"

namespace sk {

class XlsWorkbook : public Workbook {
  public:
    // `file` is the whole compound file.
    XlsWorkbook(std::string_view file, std::string displayName, char timeSeparator);

  protected:
    Worksheet readWorksheet(std::size_t index) override;

  private:
    struct SheetRef {
        std::string name;
        std::uint32_t offset;
    };
    void readGlobals();
    std::string numberText(double value, std::uint16_t xf) const;
    std::string byteText(std::string_view bytes) const;

    std::string stream_;
    bool biff8_ = true;
    std::uint16_t codePage_ = 1252;
    NumberFormatOptions options_;
    std::vector<SheetRef> sheets_;
    std::vector<std::string> sst_;
    std::vector<std::uint16_t> xfFormat_;
    std::map<std::uint16_t, std::string> formats_;
};

}  // namespace sk
