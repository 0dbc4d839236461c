#pragma once
// The language component: a table of texts, one row per text-bearing property
// of a control and one cell per language, applied to every control of the
// window that owns it.
//
// Contract:
// - Main thread only: the table, the program-wide list of living tables and
//   GlobalLanguage are touched without locks.
// - The window passed to the constructor owns the table (Qt parent); the table
//   enters the program-wide list when constructed and leaves it when destroyed.
// - Controls are found by object name, letter case ignored, among the window's
//   descendants and the window itself; a key that names none is passed over.
// - Texts are reached through Qt: QLabel/QAbstractButton text, QGroupBox title,
//   QComboBox items, QPlainTextEdit/QTextEdit lines, QLineEdit text, the window
//   title, tool tips for hints, and for other widgets a "caption" property
//   (declared, dynamic, or added to plain QWidget/QFrame panels and pages)
//   followed by a writable "text" property. A widget with a QStringList "items"
//   property is a list with a caption (a radio group); its "itemIndex" property,
//   when present, is restored after the items change.
// - Errors: a malformed CharSets entry raises EConvertError ("'%s' is not a
//   valid integer value") from a language switch, after ActiveLanguage has
//   changed and before any text is set. An error while one control's texts are
//   set is swallowed and the walk goes on. Out-of-range values and shrinking
//   the table are answered through the message-box function, which a test may
//   replace (the default is a modal QMessageBox titled with the application's
//   display name); their line breaks are '\n'. Nothing else is shown.
// - The window's font family follows CharSets per language; Qt has no
//   character sets, so the number is only kept in the window's "charSet"
//   property to be recorded back.
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

class QWidget;

namespace sk {

enum class TTranslateEdits { teNever, teReadOnly, teAlways };

// Asks the operator; returns the button pressed. The default shows a QMessageBox.
using LanguageMessageBox = std::function<QMessageBox::StandardButton(
    QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons)>;

class TBaseLanguageTable : public QObject {
  public:
    // Key of a row that carries the next item of the list of the control above.
    static const QString kContinuationKey;
    // Key of a row that carries the hint of the control above (letter case ignored).
    static const QString kHintKey;
    // Key of the row that carries the window's own caption (compared exactly).
    static const QString kFormKey;

    static const QString kMsgValueTooHigh;
    static const QString kMsgAtLeastOneLanguage;
    static const QString kMsgDecreaseDeletesActive;
    static const QString kMsgDecrease;

    // `window` owns the table and is the window the texts are applied to.
    explicit TBaseLanguageTable(QWidget* window);
    ~TBaseLanguageTable() override;
    TBaseLanguageTable(const TBaseLanguageTable&) = delete;
    TBaseLanguageTable& operator=(const TBaseLanguageTable&) = delete;

    QWidget* window() const { return window_; }

    std::uint8_t Languages() const { return languages_; }
    // Reshapes every row of Words to the new number of text cells. Fewer
    // languages ask first (unless the definition is loading) and keep
    // everything when the answer is No or the new number is 0.
    void setLanguages(std::uint8_t value);

    std::uint8_t DefaultLanguage() const { return defaultLanguage_; }
    // Out of range: message, nothing changes. Otherwise a new value is stored
    // and the active language applied again.
    void setDefaultLanguage(std::uint8_t value);

    bool DefaultEnabled() const { return defaultEnabled_; }
    void setDefaultEnabled(bool value);

    std::uint8_t ActiveLanguage() const { return activeLanguage_; }
    // Applies language `value` to the window; may throw EConvertError (CharSets).
    void setActiveLanguage(std::uint8_t value);

    // Flat list read in groups of Languages() + 1: key, then one text per language.
    const QStringList& Words() const { return words_; }
    void setWords(const QStringList& words) { words_ = words; }

    // One entry per language: "font name,character set number".
    const QStringList& CharSets() const { return charSets_; }
    void setCharSets(const QStringList& charSets) { charSets_ = charSets; }

    TTranslateEdits TranslateEdits() const { return translateEdits_; }
    void setTranslateEdits(TTranslateEdits value) { translateEdits_ = value; }

    // May veto a switch by setting allowIt to false.
    std::function<void(TBaseLanguageTable& sender, std::uint8_t newLanguage, bool& allowIt)>
        BeforeLanguageChange;
    std::function<void(TBaseLanguageTable& sender, std::uint8_t newLanguage)> AfterLanguageChanged;

    void setMessageBox(LanguageMessageBox messageBox) { messageBox_ = std::move(messageBox); }

    // The window is loading its stored definition: setLanguages asks nothing.
    void beginLoading() { loading_ = true; }
    // The definition has been loaded: applies GlobalLanguage().
    void Loaded();

    // The text of the row at i for the active language (rule for empty cells
    // included). False when the table holds no such cell; i then stays,
    // otherwise it moves to the next row.
    bool NextText(int& i, QString& text) const;

    // Whether the control's texts are set at all (TranslateEdits decides for
    // entry fields and text boxes).
    bool ShouldTranslate(const QObject* component) const;

    // Sets the texts of `component` from the rows starting at i and moves i
    // past the rows it took.
    virtual void ApplyComponent(QObject* component, int& i) = 0;

    // Living tables in order of creation.
    static const std::vector<TBaseLanguageTable*>& livingTables();

  protected:
    // Rule for a list of strings: the first item from row i, the following ones
    // from continuation rows; items without a row become empty.
    // Returns false when it did nothing (table ends before row i, or no items).
    bool applyList(QStringList& items, int& i) const;
    bool isHintKey(int i) const;

  private:
    void applyFont(std::uint8_t oldLanguage, std::uint8_t newLanguage);
    void walk();
    QMessageBox::StandardButton ask(QMessageBox::Icon icon, const QString& text,
                                    QMessageBox::StandardButtons buttons) const;

    QWidget* window_;
    std::uint8_t languages_ = 2;
    std::uint8_t defaultLanguage_ = 0;
    bool defaultEnabled_ = false;
    std::uint8_t activeLanguage_ = 0;
    QStringList words_;
    QStringList charSets_;
    TTranslateEdits translateEdits_ = TTranslateEdits::teReadOnly;
    bool loading_ = false;
    LanguageMessageBox messageBox_;
};

// Sets the texts of the Qt widget classes a window like ours holds.
class TLanguageTable : public TBaseLanguageTable {
  public:
    using TBaseLanguageTable::TBaseLanguageTable;
    void ApplyComponent(QObject* component, int& i) override;
};

// Switches every living table with more than `index` languages to `index`, in
// order of creation, then records `index` in GlobalLanguage. May throw what
// setActiveLanguage throws; GlobalLanguage is then left as it was.
void SwitchLanguage(std::uint8_t index);
// The index of the last program-wide switch; 0 at start.
std::uint8_t GlobalLanguage();

}  // namespace sk
