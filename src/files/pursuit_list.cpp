#include "files/pursuit_list.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "files/file_errors.h"
#include "files/file_io.h"

namespace sk {

namespace {

bool isSeparator(char c) {
    return c == '/' || c == static_cast<char>(std::filesystem::path::preferred_separator);
}

std::string_view fileNamePart(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i) {
        if (isSeparator(path[i - 1])) {
            return path.substr(i);
        }
    }
    return path;
}

// The extension with its dot, or empty when the file name has no dot.
std::string_view extensionOf(std::string_view path) {
    const std::string_view name = fileNamePart(path);
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view{} : name.substr(dot);
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) ==
               std::toupper(static_cast<unsigned char>(y));
    });
}

void throwIfNul(std::string_view bytes, const std::string& path) {
    if (HoldsNulBytes(bytes)) {
        throw EFFormatError("The list file holds NUL bytes and is not a text list: " + path);
    }
}

}  // namespace

ListKind ListKindOf(std::string_view path) {
    const std::string_view ext = extensionOf(path);
    if (equalsIgnoringCase(ext, ".xls")) {
        return ListKind::Xls;
    }
    if (equalsIgnoringCase(ext, ".xlsx")) {
        return ListKind::Xlsx;
    }
    return ListKind::Text;
}

bool IsSpreadsheetList(std::string_view path) {
    return ListKindOf(path) != ListKind::Text;
}

std::string ConvertedListName(std::string_view path) {
    std::string_view name = fileNamePart(path);
    name.remove_suffix(extensionOf(path).size());
    return std::string(name) + "tvk";
}

bool AcceptListLine(std::string_view rawLine, std::string& trimmedOut) {
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    while (!rawLine.empty() && blank(rawLine.front())) {
        rawLine.remove_prefix(1);
    }
    while (!rawLine.empty() && blank(rawLine.back())) {
        rawLine.remove_suffix(1);
    }
    trimmedOut.assign(rawLine);
    return !rawLine.empty() && rawLine.front() >= '1' && rawLine.front() <= '9';
}

bool HoldsNulBytes(std::string_view bytes) {
    return bytes.find('\0') != std::string_view::npos;
}

void CheckTextList(const std::string& path) {
    std::string bytes;
    try {
        bytes = ReadWholeFile(path);
    } catch (const EFOpenError&) {
        return;
    }
    throwIfNul(bytes, path);
}

std::vector<std::string> ReadListLines(const std::string& path) {
    const std::string bytes = ReadWholeFile(path);
    throwIfNul(bytes, path);
    std::vector<std::string> lines;
    for (std::string_view line : SplitLines(bytes)) {
        lines.emplace_back(line);
    }
    return lines;
}

}  // namespace sk
