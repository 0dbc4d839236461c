#include "ui/language_data.h"

#include <cstddef>
#include <string>

#include "ui/language_table.h"

namespace sk {

extern const char kLanguageTableSource[];
extern const std::size_t kLanguageTableSourceSize;

std::string_view languageTableSource() {
    return std::string_view(kLanguageTableSource, kLanguageTableSourceSize);
}

std::vector<LanguageRow> parseLanguageRows(std::string_view source) {
    std::vector<LanguageRow> rows;
    int lineNumber = 0;
    while (!source.empty()) {
        ++lineNumber;
        const std::size_t end = source.find('\n');
        std::string_view line = source.substr(0, end);
        source = end == std::string_view::npos ? std::string_view() : source.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        const std::size_t first = line.find('\t');
        const std::size_t second =
            first == std::string_view::npos ? first : line.find('\t', first + 1);
        if (second == std::string_view::npos || line.find('\t', second + 1) != line.npos ||
            first == 0) {
            throw ELanguageData("language table line " + std::to_string(lineNumber) +
                                ": expected a key, a Norwegian and an English cell");
        }
        auto cell = [&](std::size_t from, std::size_t to) {
            const std::string_view text = line.substr(from, to - from);
            return QString::fromUtf8(text.data(), qsizetype(text.size()));
        };
        rows.push_back({cell(0, first), cell(first + 1, second), cell(second + 1, line.size())});
    }
    return rows;
}

QStringList languageTableWords(const std::vector<LanguageRow>& rows, int languages) {
    QStringList words;
    words.reserve(qsizetype(rows.size()) * (languages + 1));
    for (const LanguageRow& row : rows) {
        words << row.key << row.norwegian << row.english;
        for (int cell = 2; cell < languages; ++cell) {
            words << QString();
        }
    }
    return words;
}

void loadWindowLanguageTable(TBaseLanguageTable& lang) {
    constexpr int kLanguages = 10;
    lang.beginLoading();
    lang.setDefaultEnabled(true);
    lang.setLanguages(kLanguages);
    lang.setWords(languageTableWords(parseLanguageRows(languageTableSource()), kLanguages));
    QStringList charSets;
    for (int n = 0; n < kLanguages; ++n) {
        charSets << QStringLiteral("MS Sans Serif,1");
    }
    lang.setCharSets(charSets);
    lang.Loaded();
}

}  // namespace sk
