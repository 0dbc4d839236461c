#pragma once
// Plain helpers of the pursuit-start lists: which kind a chosen file is, the
// name and folder of a converted workbook list, the lines of a text list and
// the filter that picks the lines sent to the clock.
//
// Paths are UTF-8 std::string; both '/' and the platform's own separator end a
// folder name. Everything here may be called from any thread.
#include <string>
#include <string_view>
#include <vector>

#include "files/file_io.h"  // SplitLines

namespace sk {

enum class ListKind { Text, Xls, Xlsx };

// The extension is the part from the last dot when that dot comes after the
// last separator. ".xls" in any letter case is an Excel workbook and ".xlsx"
// an Office Open XML workbook; everything else is a text list.
ListKind ListKindOf(std::string_view path);
// True for both workbook kinds: they are converted before the transfer (an
// .xlsx sent as text would put parts of a zip file on the line).
bool IsSpreadsheetList(std::string_view path);

// The file-name part of `path` with its extension and dot removed and "tvk"
// appended: jakt.xls -> jakttvk, jakt.2024.xls -> jakt.2024tvk.
std::string ConvertedListName(std::string_view path);

// The user's temporary folder, ending in a separator.
std::string TempFolderPath();

// Removes bytes 0..32 from both ends of `rawLine` into `trimmedOut`; true when
// something is left and it begins with a digit 1 to 9 (the lines the clock
// takes; titles, blanks and start number 0 are skipped).
bool AcceptListLine(std::string_view rawLine, std::string& trimmedOut);

bool HoldsNulBytes(std::string_view bytes);
// Raises EFFormatError ("The list file holds NUL bytes and is not a text
// list: " + path) when the file holds a NUL byte. A file that cannot be read
// passes: the transfer reports it when it opens the list.
void CheckTextList(const std::string& path);
// The lines of a text list. EFOpenError ("Cannot open file " + path) when it
// cannot be read; EFFormatError as CheckTextList.
std::vector<std::string> ReadListLines(const std::string& path);

}  // namespace sk
