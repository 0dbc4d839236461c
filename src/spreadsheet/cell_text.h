#pragma once
// Text as the cells hold it, turned into the CP1252 text with CR LF line
// breaks that the list conversion writes.
#include <string>
#include <string_view>

namespace sk {

// UTF-16 code units to CP1252; a character without a CP1252 byte (a
// surrogate pair counts as one) becomes '?'.
std::string utf16ToCp1252(std::u16string_view units);

// Every LF, CR LF and lone CR becomes CR LF.
std::string withCrLf(std::string text);

}  // namespace sk
