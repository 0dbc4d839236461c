#include "spreadsheet/cell_text.h"

#include "support/cp1252.h"

namespace sk {

std::string utf16ToCp1252(std::u16string_view units) {
    std::string out;
    out.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        char16_t u = units[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            ++i;
            out += '?';
            continue;
        }
        int b = unicodeToCp1252(u);
        out += b < 0 ? '?' : static_cast<char>(b);
    }
    return out;
}

std::string withCrLf(std::string text) {
    if (text.find_first_of("\r\n") == std::string::npos) {
        return text;
    }
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            out += "\r\n";
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace sk
