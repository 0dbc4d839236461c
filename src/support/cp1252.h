#pragma once
// The wire, the files and the grid cells hold 8-bit text in code page 1252.
// These convert it to and from UTF-8 at the edges (the window, the workbooks).
#include <string>
#include <string_view>

namespace sk {

// Each CP1252 byte becomes its Unicode character in UTF-8. The five bytes
// that code page 1252 leaves undefined map to the C1 controls of the same value.
std::string cp1252ToUtf8(std::string_view bytes);

// Each Unicode character becomes its CP1252 byte; characters that code page
// 1252 cannot hold, and malformed UTF-8, become '?'.
std::string utf8ToCp1252(std::string_view utf8);

// One code point to its CP1252 byte, or -1 when there is none.
int unicodeToCp1252(char32_t cp);
char32_t cp1252ToUnicode(unsigned char byte);

}  // namespace sk
