#pragma once
// The 20 000-row pursuit lists of the spreadsheet benchmark (start number,
// start time as hh:mm:ss, corridor, under a title row), written as .xls and
// as .xlsx.
#include <filesystem>

namespace sk::bench {

inline constexpr int kListRows = 20000;

void writeXlsList(const std::filesystem::path& path);
void writeXlsxList(const std::filesystem::path& path);

}  // namespace sk::bench
