#pragma once
// The window's language table, kept in src/ui/language_data.tsv and compiled
// into the program: one row per line, "key<TAB>Norwegian<TAB>English" in UTF-8,
// rows in the order the walk meets them. An empty English cell shows the
// Norwegian text. Main thread only where a table is touched.
#include <QString>
#include <QStringList>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace sk {

class TBaseLanguageTable;

// A data line without exactly three cells; what() names the line.
class ELanguageData : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct LanguageRow {
    QString key;
    QString norwegian;
    QString english;
};

// The compiled-in text of language_data.tsv.
std::string_view languageTableSource();

// Rows of data in the layout above; a CR before a line end is dropped.
// Raises ELanguageData on a malformed line.
std::vector<LanguageRow> parseLanguageRows(std::string_view source);

// The flat Words layout for `languages` (at least 2) text cells per row:
// key, Norwegian, English, then empty cells.
QStringList languageTableWords(const std::vector<LanguageRow>& rows, int languages);

// Gives `lang` the settings the window is stored with, as the window loads:
// DefaultEnabled, 10 languages, the table, a font entry per language, then
// Loaded(), which applies GlobalLanguage(). Call it once every control exists.
void loadWindowLanguageTable(TBaseLanguageTable& lang);

}  // namespace sk
