#include "files/grid_csv.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "files/file_errors.h"
#include "files/file_io.h"

namespace sk {

namespace {

constexpr char kQuote = '"';
constexpr char kCellBreak = '\x0B';
constexpr std::array<char, 10> kCandidates = {',', ';', '#', '\t', '|', '@', '*', '-', '+', '&'};

void appendField(std::string& out, const std::string& cell) {
    std::string text;
    text.reserve(cell.size() + 2);
    for (char c : cell) {
        text += c;
        if (c == kQuote) {
            text += kQuote;
        }
    }
    const bool hasComma = text.find(',') != std::string::npos;
    if (!hasComma && text.find(kQuote) != std::string::npos) {
        text = kQuote + text + kQuote;
    }
    if (text.empty()) {
        text = "\"\"";
    }
    if (hasComma) {
        out += kQuote;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                out += kCellBreak;
                ++i;
            } else {
                out += text[i];
            }
        }
        out += kQuote;
    } else {
        out += text;
    }
}

// Runs of `d` of odd length, plus a run that ends the line whatever its length.
int oddRunCount(std::string_view line, char d) {
    int count = 0;
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] != d) {
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < line.size() && line[j] == d) {
            ++j;
        }
        if ((j - i) % 2 == 1 || j == line.size()) {
            ++count;
        }
        i = j;
    }
    return count;
}

int plainCount(std::string_view line, char d) {
    int count = 0;
    for (char c : line) {
        count += c == d ? 1 : 0;
    }
    return count;
}

// Pairs of quotes become one quote, any other quote goes, 0x0B becomes CR LF.
std::string unquote(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == kQuote) {
            if (i + 1 < text.size() && text[i + 1] == kQuote) {
                out += kQuote;
                ++i;
            }
        } else if (c == kCellBreak) {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

// The closing quote of an enclosed field whose opening quote is already
// dropped: the last quote of the first odd-length run of quotes that has a
// character after it, else a quote ending the line.
std::size_t closingQuote(std::string_view rest) {
    std::size_t i = 0;
    while (i < rest.size()) {
        if (rest[i] != kQuote) {
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < rest.size() && rest[j] == kQuote) {
            ++j;
        }
        if ((j - i) % 2 == 1 && j < rest.size()) {
            return j - 1;
        }
        i = j;
    }
    if (!rest.empty() && rest.back() == kQuote) {
        return rest.size() - 1;
    }
    return std::string_view::npos;
}

// Fields of one line, stored from column 0 on. No delimiter ('\0') makes the
// whole line one field.
std::vector<std::string> splitFields(std::string_view rest, char d) {
    std::vector<std::string> fields;
    if (d != '\0') {
        while (rest.find(d) != std::string_view::npos) {
            if (rest.front() == kQuote) {
                const std::string_view inner = rest.substr(1);
                const std::size_t close = closingQuote(inner);
                if (close != std::string_view::npos) {
                    fields.push_back(unquote(inner.substr(0, close)));
                    const std::size_t next = inner.find(d, close + 1);
                    rest = next == std::string_view::npos ? std::string_view{}
                                                          : inner.substr(next + 1);
                    continue;
                }
                fields.emplace_back();
                rest = rest.substr(rest.find(d) + 1);
                continue;
            }
            const std::size_t next = rest.find(d);
            fields.push_back(unquote(rest.substr(0, next)));
            rest = rest.substr(next + 1);
        }
    }
    if (!rest.empty()) {
        if (rest.front() == kQuote) {
            rest.remove_prefix(1);
        }
        if (!rest.empty() && rest.back() == kQuote) {
            rest.remove_suffix(1);
        }
        fields.push_back(unquote(rest));
    }
    return fields;
}

}  // namespace

char DetectCsvDelimiter(std::string_view line1, std::string_view line2) {
    char found = '\0';
    int best = 0;
    for (char d : kCandidates) {
        const int a = oddRunCount(line1, d);
        if (a == oddRunCount(line2, d) && a > best) {
            found = d;
            best = a;
        }
    }
    if (found != '\0') {
        return found;
    }
    for (char d : kCandidates) {
        const int a = plainCount(line1, d);
        if (a == plainCount(line2, d) && a > best) {
            found = d;
            best = a;
        }
    }
    if (found != '\0') {
        return found;
    }
    for (char d : kCandidates) {
        const int a = plainCount(line1, d);
        const int b = plainCount(line2, d);
        if (a > best || b > best) {
            found = d;
            best = a > b ? a : b;
        }
    }
    return found;
}

std::string GridCsvBytes(const TextGrid& grid) {
    std::string out;
    const int cols = grid.ColCount();
    const int rows = grid.RowCount();
    out.reserve(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols) * 4);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            if (c > 0) {
                out += ',';
            }
            appendField(out, grid.Cells(c, r));
        }
        out += "\r\n";
    }
    return out;
}

void SaveGridCsv(const TextGrid& grid, const std::string& path) {
    ReplaceFileContents(path, GridCsvBytes(grid));
}

void LoadGridCsvFromBytes(TextGrid& grid, std::string_view bytes, const std::string& sourceName) {
    const std::vector<std::string_view> lines = SplitLines(bytes);
    if (lines.size() > static_cast<std::size_t>(kMaxCsvRows)) {
        throw EFFormatError("The file has more than " + std::to_string(kMaxCsvRows) +
                            " lines: " + sourceName);
    }
    const char d = DetectCsvDelimiter(lines.empty() ? std::string_view{} : lines[0],
                                      lines.size() < 2 ? std::string_view{} : lines[1]);

    // Everything is split before the grid is touched, so a refused file
    // leaves the grid as it was.
    std::vector<std::vector<std::string>> rows;
    rows.reserve(lines.size());
    int widest = 0;
    for (std::string_view line : lines) {
        rows.push_back(splitFields(line, d));
        if (rows.back().size() > static_cast<std::size_t>(kMaxCsvColumns)) {
            throw EFFormatError("The file has a line of more than " +
                                std::to_string(kMaxCsvColumns) + " fields: " + sourceName);
        }
        widest = std::max(widest, static_cast<int>(rows.back().size()));
    }

    const long long cols = std::max(widest, grid.ColCount());
    if (static_cast<long long>(rows.size()) * cols > kMaxCsvCells) {
        throw EFFormatError("The file would make a grid of more than " +
                            std::to_string(kMaxCsvCells) + " cells: " + sourceName);
    }
    if (widest > grid.ColCount()) {
        grid.SetColCount(widest);
    }
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const int row = static_cast<int>(r);
        if (row >= grid.RowCount()) {
            grid.SetRowCount(row + 1000);
        }
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            grid.SetCell(static_cast<int>(c), row, std::move(rows[r][c]));
        }
    }
    grid.SetRowCount(static_cast<int>(rows.size()));
}

void LoadGridCsv(TextGrid& grid, const std::string& path) {
    LoadGridCsvFromBytes(grid, ReadWholeFile(path), path);
}

}  // namespace sk
