#include "ui/language_table.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>
#include <map>
#include <memory>
#include <vector>

#include "fake_clock_host.h"
#include "recording_message_boxes.h"
#include "recording_pacer.h"
#include "support/conversion.h"
#include "ui/form1.h"
#include "ui/language_data.h"
#include "ui/radio_group.h"
#include "ui_form1.h"
#include "ui_test_main.h"

// fontconfig keeps its font cache until the process ends; the leak checker
// would count it against every test that lays out text.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

// Readable failures for Qt strings.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace sk::test {

// A radio group as the window has it: a captioned box whose items are a
// string list and whose selection survives new items.
class FakeRadioGroup : public QGroupBox {
    Q_OBJECT
    Q_PROPERTY(QStringList items READ items WRITE setItems)
    Q_PROPERTY(int itemIndex READ itemIndex WRITE setItemIndex)

  public:
    using QGroupBox::QGroupBox;
    QStringList items() const { return items_; }
    // Replacing the items drops the selection, as rebuilding radio buttons does.
    void setItems(const QStringList& items) {
        items_ = items;
        index_ = -1;
    }
    int itemIndex() const { return index_; }
    void setItemIndex(int index) { index_ = index; }

  private:
    QStringList items_;
    int index_ = -1;
};

// The LED preview: a plain widget with a text property.
class FakeLedLabel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)

  public:
    using QWidget::QWidget;
    QString text() const { return text_; }
    void setText(const QString& text) { text_ = text; }

  private:
    QString text_;
};

}  // namespace sk::test

namespace sk {
namespace {

using test::FakeLedLabel;
using test::FakeRadioGroup;

struct Message {
    QMessageBox::Icon icon;
    QString text;
    QMessageBox::StandardButtons buttons;
};

// Everything a switch may set, per named object, to compare whole windows.
std::map<QString, QString> snapshot(QWidget* window) {
    std::map<QString, QString> texts;
    QList<QObject*> objects = window->findChildren<QObject*>();
    objects.prepend(window);
    for (QObject* object : objects) {
        if (object->objectName().isEmpty()) {
            continue;
        }
        QString all;
        for (const char* name : {"windowTitle", "text", "title", "caption", "toolTip", "plainText",
                                 "itemIndex", "currentIndex"}) {
            all += QString::fromLatin1(name) + '=' + object->property(name).toString() + '|';
        }
        all += object->property("items").toStringList().join('/');
        if (auto* combo = qobject_cast<QComboBox*>(object)) {
            for (int n = 0; n < combo->count(); ++n) {
                all += '/' + combo->itemText(n);
            }
        }
        texts[object->objectName()] = all;
    }
    return texts;
}

class LanguageTableBase : public ::testing::Test {
  protected:
    void SetUp() override {
        test::uiApp();
        SwitchLanguage(0);  // no table lives yet: only resets GlobalLanguage
        window = std::make_unique<QWidget>();
        window->setObjectName("Form1");
        window->setWindowTitle("Form1");
        QFont font = window->font();
        font.setFamily("MS Sans Serif");
        window->setFont(font);
    }

    void TearDown() override {
        window.reset();
        SwitchLanguage(0);
    }

    template <typename T>
    T* add(const char* name, QWidget* parent = nullptr) {
        auto* widget = new T(parent != nullptr ? parent : window.get());
        widget->setObjectName(name);
        return widget;
    }

    QLabel* label(const char* name, const QString& text, QWidget* parent = nullptr) {
        auto* l = add<QLabel>(name, parent);
        l->setText(text);
        return l;
    }

    template <typename T = QObject>
    T* find(const char* name) {
        T* found = window->findChild<T*>(name);
        EXPECT_NE(nullptr, found) << name;
        return found;
    }

    QString text(const char* name) { return find<QObject>(name)->property("text").toString(); }
    QString caption(const char* name) {
        return find<QObject>(name)->property("caption").toString();
    }

    void answerMessagesWith(TBaseLanguageTable& table, QMessageBox::StandardButton answer) {
        table.setMessageBox([this, answer](QMessageBox::Icon icon, const QString& text,
                                           QMessageBox::StandardButtons buttons) {
            messages.push_back({icon, text, buttons});
            return answer;
        });
    }

    std::unique_ptr<QWidget> window;
    std::vector<Message> messages;
};

// A small window holding one of each kind of control the real table names.
class WindowTable : public LanguageTableBase {
  protected:
    void SetUp() override {
        LanguageTableBase::SetUp();
        auto* pages = add<QStackedWidget>("PageControl1");
        for (const char* name : {"TabSheet1", "TabSheet2"}) {
            auto* page = add<QWidget>(name);
            pages->addWidget(page);
        }
        auto* panel = add<QFrame>("Panel27");
        panel->setProperty("caption", "Panel27");
        add<QFrame>("Panel1")->setProperty("caption", "Panel1");
        add<QWidget>("Panel16");
        label("Label42", "Ver 2.3", panel);
        label("lbserial", "Tovik timing system");
        label("lbfunnet", "lbfunnet");
        label("lbdelay", "Delay");
        label("igjen", "igjen");
        label("Label53", "stored");
        add<QCheckBox>("cblyd")->setText("Med lyd");
        add<QCheckBox>("cbforvarsel")->setText("Forvarsel");
        auto* button21 = add<QPushButton>("Button21");
        button21->setText("Vanlig oppsett");
        button21->setToolTip("stored hint");
        add<QPushButton>("Button24")->setText("Tekst til klokke");
        add<QPushButton>("button22")->setText("stored");  // letter case differs from the key
        add<QPushButton>("Button25")->setText("NO");
        add<QToolButton>("Sperase")->setText("stored");
        add<QPushButton>("BitBtn1")->setText("stored");
        auto* modus = add<FakeRadioGroup>("rbModus");
        modus->setTitle("stored caption");
        modus->setItems(
            {"Kun tid", "Intervall", "Intervall med startnr", "Intervall nedtelling og startnr"});
        modus->setItemIndex(2);
        add<FakeLedLabel>("LedLabel1")->setText("ABCDEF");
        add<QLineEdit>("txtSluse")->setText("Alle");
        auto* readOnly = add<QLineEdit>("Edit2");
        readOnly->setText("Tovik timing system");
        readOnly->setReadOnly(true);

        lang = new TLanguageTable(window.get());
        lang->setObjectName("lang");
        answerMessagesWith(*lang, QMessageBox::Cancel);
        loadWindowLanguageTable(*lang);
    }

    TLanguageTable* lang = nullptr;
};

TEST_F(WindowTable, StartShowsTheNorwegianColumn) {
    EXPECT_EQ("Tovik Vuzirirezir", window->windowTitle());
    EXPECT_EQ("Ver 2", text("Label42"));
    EXPECT_EQ("Start side", caption("TabSheet1"));
    EXPECT_EQ("Utfører", caption("Panel27"));
    EXPECT_EQ("Med lyd (Pip 5 siste sekund)", text("cblyd"));
    EXPECT_EQ("Programerte klasser", text("button22"));
    EXPECT_EQ("Sett starttid, startintervall og modus for klokken",
              find<QWidget>("Button21")->toolTip());
    EXPECT_EQ("Send ", find<QWidget>("Button24")->toolTip());
    EXPECT_EQ("Excelfil format: A:Startnr  B:Starttid  C:Sluse   Må være første ark",
              text("Label53"));
    EXPECT_EQ(0, lang->ActiveLanguage());
    EXPECT_TRUE(messages.empty());
}

TEST_F(WindowTable, EnglishThenNorwegianReturnsEveryText) {
    const auto atStart = snapshot(window.get());

    SwitchLanguage(1);
    EXPECT_EQ("Tovik Duduzurero", window->windowTitle());
    EXPECT_EQ("Start page", caption("TabSheet1"));
    EXPECT_EQ("Execute", caption("Panel27"));
    EXPECT_EQ("With beep (5 last sec)", text("cblyd"));
    EXPECT_EQ("Prewarningbeep (10 sec)", text("cbforvarsel"));
    EXPECT_EQ("Set starttime, interval and modus", find<QWidget>("Button21")->toolTip());
    EXPECT_EQ("left", text("igjen"));
    EXPECT_EQ((QStringList{"Only time", "Intervall", "Intervall with startno.",
                           "Intervall with countdown and startno"}),
              find<FakeRadioGroup>("rbModus")->items());
    EXPECT_EQ(1, GlobalLanguage());

    SwitchLanguage(0);
    EXPECT_EQ(atStart, snapshot(window.get()));
}

TEST_F(WindowTable, EmptyEnglishCellsShowTheNorwegianText) {
    SwitchLanguage(1);
    const std::vector<std::pair<const char*, const char*>> fallbacks = {
        {"Label42", "Ver 2"},    {"lbserial", "Tovik timing system"}, {"lbfunnet", "lbfunnet"},
        {"LedLabel1", "ABCDEF"}, {"Sperase", "Flasherase"},           {"BitBtn1", "Test"},
    };
    for (const auto& [name, expected] : fallbacks) {
        EXPECT_EQ(expected, text(name)) << name;
    }
    EXPECT_EQ("TabSheet2", caption("TabSheet2"));
    EXPECT_EQ("Panel16", caption("Panel16"));
}

TEST_F(WindowTable, RowsWithAnEmptyNorwegianCellSetEmptyCaptions) {
    for (std::uint8_t language : {1, 0}) {
        SwitchLanguage(language);
        EXPECT_EQ("", caption("Panel1"));
        EXPECT_EQ("", text("Button25"));
        EXPECT_EQ("", find<QGroupBox>("rbModus")->title());
    }
}

TEST_F(WindowTable, RadioGroupKeepsItsSelection) {
    EXPECT_EQ(2, find<FakeRadioGroup>("rbModus")->itemIndex());
    SwitchLanguage(1);
    EXPECT_EQ(2, find<FakeRadioGroup>("rbModus")->itemIndex());
    SwitchLanguage(0);
    EXPECT_EQ(2, find<FakeRadioGroup>("rbModus")->itemIndex());
}

TEST_F(WindowTable, SwitchPutsBackTextsOthersWrote) {
    find<QLabel>("lbserial")->setText("KS20 ver 4.1");
    find<QLabel>("lbfunnet")->setText("Dizeradozudn er tilkoblet");
    SwitchLanguage(1);
    EXPECT_EQ("Tovik timing system", text("lbserial"));
    EXPECT_EQ("lbfunnet", text("lbfunnet"));
}

TEST_F(WindowTable, TextsNoRowCoversStay) {
    find<QLineEdit>("txtSluse")->setText("3");
    for (std::uint8_t language : {1, 0}) {
        SwitchLanguage(language);
        EXPECT_EQ("Delay", text("lbdelay"));
        EXPECT_EQ("3", text("txtSluse"));
        EXPECT_EQ("Tovik timing system", text("Edit2"));
    }
}

TEST_F(WindowTable, IndexOfTenOrMoreIsRecordedButChangesNothing) {
    SwitchLanguage(1);
    const auto english = snapshot(window.get());
    for (std::uint8_t index : {10, 11, 255}) {
        SwitchLanguage(index);
        EXPECT_EQ(index, GlobalLanguage());
        EXPECT_EQ(1, lang->ActiveLanguage());
        EXPECT_EQ(english, snapshot(window.get()));
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(WindowTable, MalformedCharSetEntryRaisesBeforeAnyTextIsSet) {
    const std::vector<std::pair<QString, std::string>> cases = {
        {"MS Sans Serif,x", "'x' is not a valid integer value"},
        {"MS Sans Serif", "'MS Sans Serif' is not a valid integer value"},
        {"MS Sans Serif,", "'' is not a valid integer value"},
        {"Arial,1,2", "'1,2' is not a valid integer value"},
    };
    for (const auto& [entry, message] : cases) {
        SwitchLanguage(0);
        QStringList charSets = lang->CharSets();
        charSets[1] = entry;
        lang->setCharSets(charSets);
        try {
            SwitchLanguage(1);
            ADD_FAILURE() << "no error for " << entry.toStdString();
        } catch (const EConvertError& error) {
            EXPECT_EQ(message, error.what());
        }
        EXPECT_EQ(1, lang->ActiveLanguage());
        EXPECT_EQ(0, GlobalLanguage());
        EXPECT_EQ("Tovik Vuzirirezir", window->windowTitle());
    }
}

TEST_F(WindowTable, CharSetsCarryTheWindowFontPerLanguage) {
    const QString norwegianFamily = window->font().family();
    QStringList charSets = lang->CharSets();
    charSets[1] = "Courier,0";
    lang->setCharSets(charSets);

    SwitchLanguage(1);
    EXPECT_EQ("Courier", window->font().family());
    EXPECT_EQ(0, window->property("charSet").toInt());

    SwitchLanguage(0);
    EXPECT_EQ(norwegianFamily, window->font().family());
    EXPECT_EQ(norwegianFamily + ",1", lang->CharSets()[0]);
    EXPECT_EQ("Courier,0", lang->CharSets()[1]);
}

TEST_F(WindowTable, BeforeLanguageChangeMayVetoAndAfterIsTold) {
    std::vector<int> told;
    lang->AfterLanguageChanged = [&](TBaseLanguageTable&, std::uint8_t v) { told.push_back(v); };
    lang->BeforeLanguageChange = [](TBaseLanguageTable&, std::uint8_t v, bool& allowIt) {
        allowIt = v != 1;
    };
    SwitchLanguage(1);
    EXPECT_EQ("Tovik Vuzirirezir", window->windowTitle());
    EXPECT_EQ(0, lang->ActiveLanguage());
    EXPECT_TRUE(told.empty());

    lang->BeforeLanguageChange = nullptr;
    SwitchLanguage(1);
    EXPECT_EQ("Tovik Duduzurero", window->windowTitle());
    EXPECT_EQ(std::vector<int>{1}, told);
}

TEST_F(WindowTable, OutOfRangeValuesAreRefusedWithAMessage) {
    lang->setActiveLanguage(10);
    lang->setDefaultLanguage(12);
    ASSERT_EQ(2u, messages.size());
    for (const Message& m : messages) {
        EXPECT_EQ(QMessageBox::Information, m.icon);
        EXPECT_EQ("Value must not be higher than\nnumber of available languages.", m.text);
        EXPECT_EQ(QMessageBox::StandardButtons(QMessageBox::Cancel), m.buttons);
    }
    EXPECT_EQ(0, lang->ActiveLanguage());
    EXPECT_EQ(0, lang->DefaultLanguage());
}

TEST_F(WindowTable, DefaultEnabledOffLeavesEmptyCellsEmpty) {
    SwitchLanguage(1);
    lang->setDefaultEnabled(false);  // applies the active language again
    EXPECT_EQ("", text("Label42"));
    EXPECT_EQ("", text("lbserial"));
    EXPECT_EQ("Execute", caption("Panel27"));
}

// A table of a few rows on its own window, for the rules of single controls.
class SmallTable : public LanguageTableBase {
  protected:
    void SetUp() override {
        LanguageTableBase::SetUp();
        lang = new TLanguageTable(window.get());
        answerMessagesWith(*lang, answer);
    }

    void load(const QStringList& words, std::uint8_t languages = 2) {
        lang->beginLoading();
        lang->setLanguages(languages);
        lang->setWords(words);
        lang->Loaded();
    }

    QMessageBox::StandardButton answer = QMessageBox::Yes;
    TLanguageTable* lang = nullptr;
};

TEST_F(SmallTable, EntryFieldsFollowTranslateEdits) {
    struct Case {
        TTranslateEdits mode;
        bool editableTakesRow;
        bool readOnlyTakesRow;
    };
    const Case cases[] = {
        {TTranslateEdits::teNever, false, false},
        {TTranslateEdits::teReadOnly, false, true},
        {TTranslateEdits::teAlways, true, true},
    };
    auto* editable = add<QLineEdit>("txtInt");
    auto* readOnly = add<QLineEdit>("Edit9");
    readOnly->setReadOnly(true);
    auto* memo = add<QPlainTextEdit>("Memo1");
    auto* readOnlyMemo = add<QPlainTextEdit>("memoProgam");
    readOnlyMemo->setReadOnly(true);
    const QStringList words = {"txtInt", "30 table", "", "Edit9",      "ro table", "",
                               "Memo1",  "memo",     "", "memoProgam", "hex",      ""};
    for (const Case& c : cases) {
        editable->setText("30");
        readOnly->setText("ro");
        memo->setPlainText("-");
        readOnlyMemo->setPlainText(":00");
        lang->setTranslateEdits(c.mode);
        load(words);
        const auto name = int(c.mode);
        EXPECT_EQ(c.editableTakesRow ? "30 table" : "30", editable->text()) << name;
        EXPECT_EQ(c.readOnlyTakesRow ? "ro table" : "ro", readOnly->text()) << name;
        EXPECT_EQ(c.editableTakesRow ? "memo" : "-", memo->toPlainText()) << name;
        EXPECT_EQ(c.readOnlyTakesRow ? "hex" : ":00", readOnlyMemo->toPlainText()) << name;
    }
}

TEST_F(SmallTable, ToolButtonWithAnActionIsLeftToItsAction) {
    auto* tool = add<QToolButton>("tool");
    EXPECT_TRUE(lang->ShouldTranslate(tool));
    tool->setDefaultAction(new QAction("act", tool));
    EXPECT_FALSE(lang->ShouldTranslate(tool));
    lang->setTranslateEdits(TTranslateEdits::teAlways);
    EXPECT_TRUE(lang->ShouldTranslate(tool));
}

TEST_F(SmallTable, ComboItemsFollowTheListRuleAndKeepTheSelection) {
    auto* three = add<QComboBox>("cbThree");
    three->addItems({"x", "y", "z"});
    three->setCurrentIndex(1);
    auto* one = add<QComboBox>("cbOne");
    one->addItem("x");
    auto* empty = add<QComboBox>("cbEmpty");
    label("after", "stored");
    int changes = 0;
    QObject::connect(three, &QComboBox::currentIndexChanged, [&] { ++changes; });
    load({
        "cbThree",
        "a",
        "A",  // first item from the control's own row
        "\"",
        "b",
        "B",  // second item; the third has no row and becomes empty
        "cbOne",
        "c",
        "C",  // one item: the continuation below is left to the walk
        "\"",
        "d",
        "D",  //
        "cbEmpty",
        "e",
        "E",  // no items: nothing is set and the row is passed over
        "after",
        "f",
        "F",
    });
    EXPECT_EQ("a", three->itemText(0));
    EXPECT_EQ("b", three->itemText(1));
    EXPECT_EQ("", three->itemText(2));
    EXPECT_EQ(1, three->currentIndex());
    EXPECT_EQ(0, changes);
    EXPECT_EQ(1, one->count());
    EXPECT_EQ("c", one->itemText(0));
    EXPECT_EQ(0, empty->count());
    EXPECT_EQ("f", text("after"));

    SwitchLanguage(1);
    EXPECT_EQ("B", three->itemText(1));
    EXPECT_EQ(1, three->currentIndex());
}

TEST_F(SmallTable, MemoLinesFollowTheListRule) {
    auto* memo = add<QPlainTextEdit>("Memo1");
    memo->setReadOnly(true);
    memo->setPlainText("1\n2\n3");
    load({"Memo1", "en", "one", "\"", "to", "two"});
    EXPECT_EQ("en\nto\n", memo->toPlainText());
}

TEST_F(SmallTable, HintRowsSetToolTipsOnlyWhenNotEmpty) {
    auto* withText = add<QPushButton>("b1");
    auto* emptyHint = add<QPushButton>("b2");
    emptyHint->setToolTip("kept");
    auto* editable = add<QLineEdit>("e1");  // takes no text row, but its hint
    load({
        "b1",
        "knapp",
        "button",
        "\".hint",
        "hjelp",
        "help",  // hint key in any letter case
        "b2",
        "knapp",
        "button",
        "\".Hint",
        "",
        "",  //
        "e1",
        "felt",
        "field",
        "\".Hint",
        "tips",
        "tip",
    });
    EXPECT_EQ("knapp", withText->text());
    EXPECT_EQ("hjelp", withText->toolTip());
    EXPECT_EQ("kept", emptyHint->toolTip());
    EXPECT_EQ("", editable->text());
    EXPECT_EQ("tips", editable->toolTip());
}

TEST_F(SmallTable, RowsThatNameNoControlArePassedOver) {
    label("Label9", "stored");
    auto* timer = new QObject(window.get());
    timer->setObjectName("Timer1");  // a component without texts takes one row
    load({"Label2", "x", "X", "\"", "y", "Y", "\".Hint", "z", "Z", "Timer1", "t", "T", "LABEL9",
          "ni", "nine"});
    EXPECT_EQ("ni", text("Label9"));
}

TEST_F(SmallTable, DefaultLanguageStandsInForEmptyCells) {
    auto* l = label("L", "stored");
    auto* m = label("M", "stored");
    load({"L", "", "en", "M", "nei", ""});
    EXPECT_EQ("", l->text());  // default cells are off at creation
    lang->setDefaultEnabled(true);
    EXPECT_EQ("", l->text());  // the default language is the one shown
    EXPECT_EQ("nei", m->text());
    lang->setDefaultLanguage(1);
    EXPECT_EQ("en", l->text());
    SwitchLanguage(1);
    lang->setDefaultLanguage(0);
    EXPECT_EQ("en", l->text());
    EXPECT_EQ("nei", m->text());
}

TEST_F(SmallTable, TruncatedTableSetsWhatItHas) {
    label("Label1", "stored");
    label("Label2", "stored");
    load({"Label1", "en", "one", "Label2"});
    EXPECT_EQ("en", text("Label1"));
    EXPECT_EQ("stored", text("Label2"));
}

TEST_F(SmallTable, MoreLanguagesAddQuestionMarkCells) {
    load({"a", "1", "2", "b", "3", "4"});
    lang->setLanguages(4);
    EXPECT_EQ((QStringList{"a", "1", "2", "?", "?", "b", "3", "4", "?", "?"}), lang->Words());
    EXPECT_EQ(4, lang->Languages());
    EXPECT_TRUE(messages.empty());
}

TEST_F(SmallTable, FewerLanguagesAskFirst) {
    struct Case {
        std::uint8_t active;
        std::uint8_t to;
        QMessageBox::StandardButton answer;
        QString message;
        QMessageBox::StandardButtons buttons;
        bool changes;
    };
    const QMessageBox::StandardButtons yesNo = QMessageBox::Yes | QMessageBox::No;
    const Case cases[] = {
        {0, 2, QMessageBox::No, TBaseLanguageTable::kMsgDecrease, yesNo, false},
        {0, 2, QMessageBox::Yes, TBaseLanguageTable::kMsgDecrease, yesNo, true},
        {2, 2, QMessageBox::No, TBaseLanguageTable::kMsgDecreaseDeletesActive, yesNo, false},
        {2, 2, QMessageBox::Yes, TBaseLanguageTable::kMsgDecreaseDeletesActive, yesNo, true},
        {0, 0, QMessageBox::Ok, TBaseLanguageTable::kMsgAtLeastOneLanguage, QMessageBox::Ok, false},
    };
    auto* l = label("L", "stored");
    const QStringList three = {"L", "null", "en", "to"};
    for (const Case& c : cases) {
        messages.clear();
        answer = c.answer;
        answerMessagesWith(*lang, answer);
        load(three, 3);
        lang->setActiveLanguage(c.active);
        lang->setLanguages(c.to);

        ASSERT_EQ(1u, messages.size());
        EXPECT_EQ(c.message, messages[0].text);
        EXPECT_EQ(c.buttons, messages[0].buttons);
        if (c.changes) {
            EXPECT_EQ(c.to, lang->Languages());
            EXPECT_EQ(three.mid(0, c.to + 1), lang->Words());
            EXPECT_EQ(0, lang->ActiveLanguage());
            EXPECT_EQ("null", l->text());  // a Yes to losing the shown language shows language 0
        } else {
            EXPECT_EQ(3, lang->Languages());
            EXPECT_EQ(three, lang->Words());
            EXPECT_EQ(c.active, lang->ActiveLanguage());
        }
    }
}

TEST_F(SmallTable, FewerLanguagesWhileLoadingAskNothing) {
    lang->beginLoading();
    lang->setLanguages(3);
    lang->setWords({"L", "null", "en", "to"});
    lang->setLanguages(1);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ((QStringList{"L", "null"}), lang->Words());
}

TEST_F(SmallTable, SwitchLanguageSkipsTablesWithTooFewLanguages) {
    auto* mine = label("L", "stored");
    load({"L", "null", "en", "to"}, 3);
    QWidget other;
    auto* theirs = new QLabel(&other);
    theirs->setObjectName("L");
    {
        TLanguageTable small(&other);
        answerMessagesWith(small, QMessageBox::Cancel);
        small.setWords({"L", "null", "en"});
        EXPECT_EQ(2u, TBaseLanguageTable::livingTables().size());

        SwitchLanguage(2);
        EXPECT_EQ("to", mine->text());
        EXPECT_EQ("", theirs->text());
        EXPECT_EQ(2, GlobalLanguage());
        SwitchLanguage(1);
        EXPECT_EQ("en", mine->text());
        EXPECT_EQ("en", theirs->text());
    }
    EXPECT_EQ(1u, TBaseLanguageTable::livingTables().size());
    EXPECT_TRUE(messages.empty());
}

// The real window with the real table.
class RealWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        test::uiApp();
        SwitchLanguage(0);
        form = std::make_unique<TForm1>(FormServices{&pacer, &ports, &boxes});
        lang = &form->lang();
        lang->setMessageBox(
            [this](QMessageBox::Icon, const QString& text, QMessageBox::StandardButtons) {
                unexpected.push_back(text);
                return QMessageBox::Cancel;
            });
    }
    void TearDown() override {
        EXPECT_TRUE(unexpected.empty());
        form.reset();
        SwitchLanguage(0);
        QApplication::processEvents();
    }

    Ui::Form1& ui() { return form->ui(); }

    // Shown and active, with the activation that this starts behind it.
    void showAndActivate() {
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        ASSERT_TRUE(QTest::qWaitFor([this] { return form->activationCount() >= 1; }));
    }

    static bool namesNoControl(const QString& key) {
        return key.startsWith('"') || key == "%Form%" || key == "Label2" || key == "Label6" ||
               key == "Button2" || key == "Button1";
    }

    test::RecordingPacer pacer;
    test::FakePortEnumerator ports;
    test::RecordingMessageBoxes boxes;
    std::unique_ptr<TForm1> form;
    TBaseLanguageTable* lang = nullptr;
    QStringList unexpected;
};

TEST_F(RealWindow, LabelsAndButtonsAgreeWithTheNorwegianColumn) {
    // The stored definition, before any table touched it.
    QWidget plain;
    Ui::Form1 stored;
    stored.setupUi(&plain);
    const std::vector<LanguageRow> rows = parseLanguageRows(languageTableSource());
    QString owner;
    for (const LanguageRow& row : rows) {
        if (row.key == "\".Hint") {
            EXPECT_EQ(row.norwegian, plain.findChild<QWidget*>(owner)->toolTip())
                << owner.toStdString();
            continue;
        }
        if (namesNoControl(row.key)) {
            continue;
        }
        owner = row.key;
        QObject* control = plain.findChild<QObject*>(row.key);
        if (qobject_cast<QLabel*>(control) == nullptr &&
            qobject_cast<QAbstractButton*>(control) == nullptr) {
            continue;
        }
        const QString storedText = control->property("text").toString();
        if (row.key == "Label42") {
            EXPECT_EQ("Ver 2.3", storedText);  // the table shortens it as the window loads
        } else if (!storedText.isEmpty()) {
            EXPECT_EQ(row.norwegian, storedText) << row.key.toStdString();
        }
    }
    EXPECT_EQ(stored.rbModus->items(), (QStringList{rows[56].norwegian, rows[57].norwegian,
                                                    rows[58].norwegian, rows[59].norwegian}));
}

TEST_F(RealWindow, RowKeysNameControlsOfTheWindow) {
    QStringList missing;
    for (const LanguageRow& row : parseLanguageRows(languageTableSource())) {
        if (!namesNoControl(row.key) && form->findChild<QObject*>(row.key) == nullptr) {
            missing << row.key;
        }
    }
    for (const char* none : {"Label2", "Label6", "Button2", "Button1"}) {
        EXPECT_EQ(nullptr, form->findChild<QObject*>(none)) << none;
    }
    // A panel the window draws without only loses an unseen caption; any
    // other missing control would lose a text the operator reads.
    for (const QString& key : missing) {
        EXPECT_TRUE(key.startsWith("Panel")) << key.toStdString();
    }
}

TEST_F(RealWindow, StartsInNorwegianSwitchesToEnglishAndBack) {
    EXPECT_EQ("Tovik Vuzirirezir", form->windowTitle());
    EXPECT_EQ("Ver 2", ui().Label42->text());
    EXPECT_EQ("Start side", ui().TabSheet1->property("caption").toString());
    const auto atStart = snapshot(form.get());

    SwitchLanguage(1);
    EXPECT_EQ(1, GlobalLanguage());
    EXPECT_EQ("Tovik Duduzurero", form->windowTitle());
    EXPECT_EQ("Ordinary setup", ui().Button21->text());
    EXPECT_EQ("Set starttime, interval and modus", ui().Button21->toolTip());
    EXPECT_EQ("Search for ports", ui().SpeedButton3->text());
    EXPECT_EQ("Ver 2", ui().Label42->text());
    EXPECT_EQ("Execute", ui().Panel27->property("caption").toString());
    EXPECT_EQ("Only time", ui().rbModus->items().value(0));
    EXPECT_EQ("", ui().Button26->text());

    SwitchLanguage(0);
    EXPECT_EQ(0, GlobalLanguage());
    EXPECT_EQ(atStart, snapshot(form.get()));
}

TEST_F(RealWindow, OperatorValuesAndUncoveredTextsSurviveSwitches) {
    ui().rbModus->setItemIndex(3);
    ui().txtInt->setText("45");
    ui().Edit2->setText("Hei");
    form->SetStatusText("KS20 ver 4.1");
    SwitchLanguage(1);
    EXPECT_EQ(3, ui().rbModus->itemIndex());
    EXPECT_EQ("45", ui().txtInt->text());
    EXPECT_EQ("Hei", ui().Edit2->text());
    EXPECT_EQ("Delay", ui().lbdelay->text());
    EXPECT_EQ("-", ui().Memo1->toPlainText());
    EXPECT_EQ("Tovik timing system", ui().lbserial->text());
    SwitchLanguage(0);
    EXPECT_EQ(3, ui().rbModus->itemIndex());
    EXPECT_EQ("Kun tid", ui().rbModus->items().value(0));
}

TEST_F(RealWindow, TheWindowLoadsOneTableOfItsOwn) {
    int own = 0;
    for (TBaseLanguageTable* table : TBaseLanguageTable::livingTables()) {
        own += table->window() == form.get();
    }
    EXPECT_EQ(1, own);
    EXPECT_EQ(10, lang->Languages());
    EXPECT_EQ(1639, lang->Words().size());
    EXPECT_EQ(0, lang->ActiveLanguage());
}

TEST_F(RealWindow, FlagButtonsSwitchOnEveryPageAndLeaveItShowing) {
    QWidget* const pages[] = {ui().TabSheet1, ui().TabSheet2, ui().TabSheet3, ui().TabSheet4,
                              ui().TabSheet5, ui().TabSheet6, ui().TabSheet7};
    ui().rbModus->setItemIndex(2);
    const auto norwegian = snapshot(form.get());
    for (QWidget* page : pages) {
        ui().PageControl1->setCurrentWidget(page);
        ui().Button26->click();
        EXPECT_EQ(page, ui().PageControl1->currentWidget()) << page->objectName().toStdString();
        EXPECT_EQ(1, GlobalLanguage());
        EXPECT_EQ("Tovik Duduzurero", form->windowTitle());
        EXPECT_EQ("Menu", ui().Button14->text());
        EXPECT_EQ("Intervall with startno.", ui().rbModus->items().value(2));
        EXPECT_EQ(2, ui().rbModus->itemIndex());

        ui().Button25->click();
        EXPECT_EQ(page, ui().PageControl1->currentWidget()) << page->objectName().toStdString();
        EXPECT_EQ(0, GlobalLanguage());
        EXPECT_EQ(2, ui().rbModus->itemIndex());
        ui().PageControl1->setCurrentWidget(ui().TabSheet1);  // the snapshot's page
        EXPECT_EQ(norwegian, snapshot(form.get())) << page->objectName().toStdString();
    }
}

TEST_F(RealWindow, StatusLineReadsTheTableTextAgainAfterAFlag) {
    for (QAbstractButton* flag : {ui().Button25, ui().Button26}) {
        form->SetStatusText("KS20 ver 4.1");
        flag->click();
        EXPECT_EQ("Tovik timing system", ui().lbserial->text()) << flag->objectName().toStdString();
    }
}

TEST_F(RealWindow, ModeNamesFitTheirColumnInBothLanguages) {
    showAndActivate();
    ui().PageControl1->setCurrentWidget(ui().TabSheet2);
    for (QAbstractButton* flag : {ui().Button26, ui().Button25, ui().Button26}) {
        flag->click();
        // New items are shown and laid out by queued events.
        ASSERT_TRUE(QTest::qWaitFor([this] {
            QRadioButton* last = ui().rbModus->button(3);
            return last != nullptr && last->isVisible();
        }));
        QApplication::processEvents();
        for (int n = 0; n < 4; ++n) {
            QRadioButton* item = ui().rbModus->button(n);
            const QString name = item->text();
            EXPECT_LE(item->sizeHint().width(), item->width()) << name.toStdString();
            const QRect inColumn(item->mapTo(ui().Panel34, QPoint(0, 0)), item->size());
            EXPECT_TRUE(ui().Panel34->rect().contains(inColumn)) << name.toStdString();
        }
    }
}

// Labels that only carry a table row are never seen: a panel covers them.
TEST_F(RealWindow, LabelsKeptOutOfSightStayHiddenInBothLanguages) {
    showAndActivate();
    const std::pair<QWidget*, std::vector<QLabel*>> hidden[] = {
        {ui().TabSheet1, {ui().Label12, ui().Label41, ui().igjen}},
        {ui().TabSheet3, {ui().Label24, ui().Label25, ui().Label26, ui().Label27, ui().Label37}},
        {ui().TabSheet7, {ui().Label15, ui().Label43, ui().Label44}},
    };
    for (QAbstractButton* flag : {ui().Button25, ui().Button26}) {
        flag->click();
        for (const auto& [page, labels] : hidden) {
            ui().PageControl1->setCurrentWidget(page);
            QApplication::processEvents();
            ASSERT_TRUE(page->isVisible()) << page->objectName().toStdString();
            for (QLabel* label : labels) {
                label->show();  // igjen is shown by an upload, the others always are
                EXPECT_FALSE(label->text().isEmpty()) << label->objectName().toStdString();
                EXPECT_TRUE(label->visibleRegion().isEmpty()) << label->objectName().toStdString();
            }
        }
    }
}

const char* const kStoredKeys[] = {
    "%Form%",     "TabSheet1", "Panel1",      "Label12",      "igjen",        "Label22",
    "Panel28",    "Label21",   "Button21",    "\".Hint",      "Button22",     "\".Hint",
    "btjakt",     "\".Hint",   "Button24",    "\".Hint",      "btAvansert",   "Button4",
    "Button10",   "Panel19",   "Label41",     "Panel18",      "lbferdig",     "lbprogram",
    "spoppdater", "\".Hint",   "Panel24",     "Label39",      "SpeedButton3", "Label40",
    "Label42",    "lbfunnet",  "TabSheet2",   "Panel7",       "Panel29",      "Panel5",
    "Label3",     "cblyd",     "cbforvarsel", "Button17",     "Panel20",      "Panel3",
    "Label4",     "Button5",   "Button6",     "Panel4",       "Label50",      "Label51",
    "Label1",     "Label16",   "Button23",    "Panel31",      "Label49",      "Panel34",
    "Label48",    "rbModus",   "\"",          "\"",           "\"",           "\"",
    "Button8",    "TabSheet3", "Label34",     "Label35",      "Panel9",       "Label24",
    "Label25",    "Label26",   "Label27",     "BitBtn7",      "Panel27",      "Label37",
    "Panel23",    "Label5",    "Button15",    "Button16",     "Panel25",      "Label17",
    "Label18",    "Label38",   "BitBtn1",     "Panel14",      "Label36",      "Button18",
    "TabSheet4",  "Panel11",   "Label9",      "BitBtn9",      "Panel17",      "Label10",
    "Label7",     "Label8",    "Label19",     "Label20",      "Label28",      "Panel10",
    "Label31",    "Button11",  "Button12",    "TabSheet5",    "Panel13",      "Label29",
    "Label30",    "Panel15",   "Label11",     "Button9",      "Button19",     "Button20",
    "Panel16",    "TabSheet6", "Panel8",      "Label32",      "BitBtn2",      "Panel32",
    "Label33",    "Panel2",    "Label2",      "Label6",       "Button2",      "Panel12",
    "Label23",    "Sperase",   "\".Hint",     "SpeedButton1", "\".Hint",      "Button1",
    "TabSheet7",  "Label14",   "Panel26",     "Label13",      "Button3",      "Button7",
    "Panel30",    "Label15",   "Label43",     "Label44",      "Label47",      "Label46",
    "LedLabel1",  "Panel33",   "Label45",     "Panel22",      "lbserial",     "Button13",
    "Button14",   "Button25",  "Button26",    "Label52",      "Label53",
};

TEST(LanguageData, HoldsTheRowsInStoredOrder) {
    const std::vector<LanguageRow> rows = parseLanguageRows(languageTableSource());
    ASSERT_EQ(std::size(kStoredKeys), rows.size());
    for (std::size_t n = 0; n < rows.size(); ++n) {
        EXPECT_EQ(QString::fromUtf8(kStoredKeys[n]), rows[n].key) << "row " << n + 1;
    }
    int empty = 0;
    int norwegianOnly = 0;
    int english = 0;
    for (const LanguageRow& row : rows) {
        empty += row.norwegian.isEmpty() && row.english.isEmpty();
        norwegianOnly += !row.norwegian.isEmpty() && row.english.isEmpty();
        english += !row.english.isEmpty();
    }
    EXPECT_EQ(33, empty);
    EXPECT_EQ(18, norwegianOnly);
    EXPECT_EQ(98, english);
    EXPECT_EQ("Send ", rows[15].norwegian);  // a trailing blank is part of the text
    EXPECT_EQ(1639, languageTableWords(rows, 10).size());
}

TEST(LanguageData, MalformedLinesAreRefusedWithTheirNumber) {
    const std::pair<std::string_view, std::string> cases[] = {
        {"a\tb\tc\nno tabs\n", "language table line 2: "},
        {"a\tb\n", "language table line 1: "},
        {"a\tb\tc\td\n", "language table line 1: "},
        {"\tb\tc\n", "language table line 1: "},
    };
    for (const auto& [source, start] : cases) {
        try {
            parseLanguageRows(source);
            ADD_FAILURE() << "accepted: " << source;
        } catch (const ELanguageData& error) {
            EXPECT_EQ(start, std::string(error.what()).substr(0, start.size()));
        }
    }
}

TEST(LanguageData, WindowsLineEndsAreAccepted) {
    const auto rows = parseLanguageRows("a\tb \tc\r\nd\t\t\r\n");
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ("b ", rows[0].norwegian);
    EXPECT_EQ("c", rows[0].english);
    EXPECT_EQ("d", rows[1].key);
    EXPECT_EQ("", rows[1].english);
}

}  // namespace
}  // namespace sk

#include "language_table_test.moc"
