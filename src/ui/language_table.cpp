#include "ui/language_table.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMetaProperty>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextEdit>
#include <QToolButton>
#include <QVariant>
#include <QWidget>
#include <algorithm>
#include <exception>

#include "support/conversion.h"

namespace sk {

const QString TBaseLanguageTable::kContinuationKey = QStringLiteral("\"");
const QString TBaseLanguageTable::kHintKey = QStringLiteral("\".Hint");
const QString TBaseLanguageTable::kFormKey = QStringLiteral("%Form%");

const QString TBaseLanguageTable::kMsgValueTooHigh =
    QStringLiteral("Value must not be higher than\nnumber of available languages.");
const QString TBaseLanguageTable::kMsgAtLeastOneLanguage =
    QStringLiteral("You have to provide at least 1 language.");
const QString TBaseLanguageTable::kMsgDecreaseDeletesActive = QStringLiteral(
    "You are decreasing the number of languages.\nEntries for the removed language will be "
    "lost.\nThe currently displayed language will be deleted, too.\n\nDo you really want to "
    "continue?");
const QString TBaseLanguageTable::kMsgDecrease = QStringLiteral(
    "You are decreasing the number of languages.\nEntries for the removed language will be "
    "lost.\n\nContinue?");

namespace {

std::vector<TBaseLanguageTable*>& registry() {
    static std::vector<TBaseLanguageTable*> tables;
    return tables;
}

std::uint8_t globalLanguage = 0;

// Qt has no character sets; the number is kept with the window so that the
// font recorded for a language can be given back unchanged.
const char* const kCharSetProperty = "charSet";
constexpr int kDefaultCharSet = 1;

QMessageBox::StandardButton showMessageBox(QWidget* parent, QMessageBox::Icon icon,
                                           const QString& text,
                                           QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, QApplication::applicationDisplayName(), text, buttons, parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

bool hasProperty(const QObject* object, const char* name) {
    return object->metaObject()->indexOfProperty(name) >= 0 ||
           object->dynamicPropertyNames().contains(QByteArray(name));
}

bool hasWritableTextProperty(const QObject* object) {
    const QMetaObject* meta = object->metaObject();
    const int index = meta->indexOfProperty("text");
    if (index >= 0) {
        return meta->property(index).isWritable();
    }
    return object->dynamicPropertyNames().contains(QByteArrayLiteral("text"));
}

// Panels and pages are plain QWidget/QFrame objects; their caption is held as
// a property so that a painter may show it.
bool hasCaption(const QObject* object) {
    const QMetaObject* meta = object->metaObject();
    return meta == &QWidget::staticMetaObject || meta == &QFrame::staticMetaObject ||
           hasProperty(object, "caption");
}

bool isStringList(const QVariant& value) {
    return value.typeId() == QMetaType::QStringList;
}

QStringList linesOf(const QString& text) {
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

}  // namespace

TBaseLanguageTable::TBaseLanguageTable(QWidget* window) : QObject(window), window_(window) {
    registry().push_back(this);
}

TBaseLanguageTable::~TBaseLanguageTable() {
    auto& tables = registry();
    tables.erase(std::remove(tables.begin(), tables.end(), this), tables.end());
}

const std::vector<TBaseLanguageTable*>& TBaseLanguageTable::livingTables() {
    return registry();
}

QMessageBox::StandardButton TBaseLanguageTable::ask(QMessageBox::Icon icon, const QString& text,
                                                    QMessageBox::StandardButtons buttons) const {
    if (messageBox_) {
        return messageBox_(icon, text, buttons);
    }
    return showMessageBox(window_, icon, text, buttons);
}

void TBaseLanguageTable::setLanguages(std::uint8_t value) {
    const std::uint8_t old = languages_;
    if (value == old) {
        return;
    }
    if (value < old && !loading_) {
        if (value == 0) {
            ask(QMessageBox::Information, kMsgAtLeastOneLanguage, QMessageBox::Ok);
            return;
        }
        if (activeLanguage_ >= value) {
            if (ask(QMessageBox::Question, kMsgDecreaseDeletesActive,
                    QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
                return;
            }
            setActiveLanguage(0);
        } else if (ask(QMessageBox::Question, kMsgDecrease, QMessageBox::Yes | QMessageBox::No) !=
                   QMessageBox::Yes) {
            return;
        }
    }

    const int oldStep = old + 1;
    const int kept = std::min(old, value);
    QStringList reshaped;
    reshaped.reserve(words_.size() / oldStep * (value + 1) + oldStep);
    for (qsizetype row = 0; row < words_.size(); row += oldStep) {
        const qsizetype available = std::min<qsizetype>(oldStep, words_.size() - row);
        const qsizetype copied = std::min<qsizetype>(available, kept + 1);
        for (qsizetype cell = 0; cell < copied; ++cell) {
            reshaped.append(words_[row + cell]);
        }
        if (value > old && available == oldStep) {
            for (int extra = old; extra < value; ++extra) {
                reshaped.append(QStringLiteral("?"));
            }
        }
    }
    words_ = std::move(reshaped);
    languages_ = value;
    // Indices past the new width would read the cells of the following rows.
    if (activeLanguage_ >= value) {
        activeLanguage_ = 0;
    }
    if (defaultLanguage_ >= value) {
        defaultLanguage_ = 0;
    }
}

void TBaseLanguageTable::setDefaultLanguage(std::uint8_t value) {
    if (value >= languages_) {
        ask(QMessageBox::Information, kMsgValueTooHigh, QMessageBox::Cancel);
        return;
    }
    if (value != defaultLanguage_) {
        defaultLanguage_ = value;
        setActiveLanguage(activeLanguage_);
    }
}

void TBaseLanguageTable::setDefaultEnabled(bool value) {
    if (value != defaultEnabled_) {
        defaultEnabled_ = value;
        setActiveLanguage(activeLanguage_);
    }
}

void TBaseLanguageTable::setActiveLanguage(std::uint8_t value) {
    if (value >= languages_) {
        ask(QMessageBox::Information, kMsgValueTooHigh, QMessageBox::Cancel);
        return;
    }
    bool allowIt = true;
    if (BeforeLanguageChange) {
        BeforeLanguageChange(*this, value, allowIt);
        if (!allowIt) {
            return;
        }
    }
    const std::uint8_t old = activeLanguage_;
    activeLanguage_ = value;
    applyFont(old, value);
    walk();
    if (AfterLanguageChanged) {
        AfterLanguageChanged(*this, value);
    }
}

void TBaseLanguageTable::applyFont(std::uint8_t oldLanguage, std::uint8_t newLanguage) {
    const QVariant storedCharSet = window_->property(kCharSetProperty);
    const int currentCharSet = storedCharSet.isValid() ? storedCharSet.toInt() : kDefaultCharSet;
    const QString current =
        window_->font().family() + QLatin1Char(',') + QString::number(currentCharSet);
    while (charSets_.size() < languages_) {
        charSets_.append(current);
    }
    if (oldLanguage < charSets_.size()) {
        charSets_[oldLanguage] = current;
    }

    if (newLanguage >= charSets_.size()) {
        return;
    }
    const QString& entry = charSets_[newLanguage];
    const qsizetype comma = entry.indexOf(QLatin1Char(','));
    const QString name = comma < 0 ? QString() : entry.left(comma);
    const QString number = entry.mid(comma + 1, 999);
    const int charSet = StrToInt(number.toStdString());

    // An entry without a name keeps the family rather than asking for a nameless font.
    if (!name.isEmpty() && name != window_->font().family()) {
        QFont font = window_->font();
        font.setFamily(name);
        window_->setFont(font);
    }
    window_->setProperty(kCharSetProperty, charSet);
}

void TBaseLanguageTable::walk() {
    // One index per switch: the table has a row for nearly every control, so
    // a search of the tree per row would cost more than building it.
    QHash<QString, QObject*> byName;
    const QList<QObject*> children = window_->findChildren<QObject*>();
    byName.reserve(children.size() + 1);
    // The first of equal names wins, as a search in creation order would find it.
    for (QObject* child : children) {
        const QString name = child->objectName().toLower();
        if (!name.isEmpty() && !byName.contains(name)) {
            byName.insert(name, child);
        }
    }
    const QString windowName = window_->objectName().toLower();
    if (!windowName.isEmpty() && !byName.contains(windowName)) {
        byName.insert(windowName, window_);
    }

    const int step = languages_ + 1;
    int i = 0;
    while (i < words_.size()) {
        const QString& key = words_[i];
        if (key == kFormKey) {
            int row = i;
            QString text;
            if (NextText(row, text)) {
                window_->setWindowTitle(text);
            }
            i += step;
            continue;
        }
        QObject* component = byName.value(key.toLower());
        if (component == nullptr) {
            i += step;
            continue;
        }
        const int start = i;
        try {
            ApplyComponent(component, i);
        } catch (const std::exception&) {
            // One control's failure must not leave the rest of the window untranslated.
        }
        if (i <= start) {
            i = start + step;
        }
    }
}

bool TBaseLanguageTable::NextText(int& i, QString& text) const {
    const qsizetype cell = qsizetype(i) + activeLanguage_ + 1;
    if (i < 0 || cell >= words_.size()) {
        return false;
    }
    text = words_[cell];
    if (text.isEmpty() && defaultEnabled_) {
        const qsizetype fallback = qsizetype(i) + defaultLanguage_ + 1;
        if (fallback < words_.size()) {
            text = words_[fallback];
        }
    }
    i += languages_ + 1;
    return true;
}

bool TBaseLanguageTable::isHintKey(int i) const {
    return i >= 0 && i < words_.size() && words_[i].compare(kHintKey, Qt::CaseInsensitive) == 0;
}

bool TBaseLanguageTable::applyList(QStringList& items, int& i) const {
    if (qsizetype(i) + activeLanguage_ + 1 >= words_.size() || items.isEmpty()) {
        return false;
    }
    qsizetype k = 0;
    do {
        QString text;
        if (NextText(i, text)) {
            items[k] = text;
        }
        ++k;
    } while (i < words_.size() && words_[i] == kContinuationKey && k < items.size());
    for (; k < items.size(); ++k) {
        items[k].clear();
    }
    return true;
}

bool TBaseLanguageTable::ShouldTranslate(const QObject* component) const {
    if (translateEdits_ == TTranslateEdits::teAlways) {
        return true;
    }
    if (const auto* tool = qobject_cast<const QToolButton*>(component)) {
        if (tool->defaultAction() != nullptr) {
            return false;
        }
    }
    if (!hasProperty(component, "readOnly")) {
        return true;
    }
    const bool holdsText = hasProperty(component, "text") || hasProperty(component, "plainText");
    if (!holdsText) {
        return true;
    }
    if (translateEdits_ == TTranslateEdits::teNever) {
        return false;
    }
    return component->property("readOnly").toBool();
}

void TBaseLanguageTable::Loaded() {
    loading_ = false;
    setActiveLanguage(globalLanguage);
}

void TLanguageTable::ApplyComponent(QObject* component, int& i) {
    const int start = i;
    auto* widget = qobject_cast<QWidget*>(component);
    QString text;

    if (ShouldTranslate(component)) {
        if (widget != nullptr && widget->isWindow()) {
            if (NextText(i, text)) {
                widget->setWindowTitle(text);
            }
        } else if (const QVariant items = component->property("items"); isStringList(items)) {
            // A radio group: caption row first, then one row per item.
            if (NextText(i, text)) {
                if (hasProperty(component, "caption")) {
                    component->setProperty("caption", text);
                } else if (hasProperty(component, "title")) {
                    component->setProperty("title", text);
                }
            }
            QStringList list = items.toStringList();
            const QVariant selected = component->property("itemIndex");
            if (applyList(list, i)) {
                component->setProperty("items", list);
                if (selected.isValid()) {
                    component->setProperty("itemIndex", selected);
                }
            }
        } else if (auto* plain = qobject_cast<QPlainTextEdit*>(component)) {
            QStringList lines = linesOf(plain->toPlainText());
            if (applyList(lines, i)) {
                plain->setPlainText(lines.join(QLatin1Char('\n')));
            }
        } else if (auto* rich = qobject_cast<QTextEdit*>(component)) {
            QStringList lines = linesOf(rich->toPlainText());
            if (applyList(lines, i)) {
                rich->setPlainText(lines.join(QLatin1Char('\n')));
            }
        } else if (auto* combo = qobject_cast<QComboBox*>(component)) {
            QStringList list;
            for (int n = 0; n < combo->count(); ++n) {
                list.append(combo->itemText(n));
            }
            const int selected = combo->currentIndex();
            if (applyList(list, i)) {
                // Changing item texts is not a change of selection for the handlers.
                const QSignalBlocker quiet(combo);
                for (int n = 0; n < combo->count(); ++n) {
                    combo->setItemText(n, list[n]);
                }
                combo->setCurrentIndex(selected);
            }
        } else if (auto* group = qobject_cast<QGroupBox*>(component)) {
            if (NextText(i, text)) {
                group->setTitle(text);
            }
        } else if (auto* label = qobject_cast<QLabel*>(component)) {
            if (NextText(i, text)) {
                label->setText(text);
            }
        } else if (auto* button = qobject_cast<QAbstractButton*>(component)) {
            if (NextText(i, text)) {
                button->setText(text);
            }
        } else if (auto* edit = qobject_cast<QLineEdit*>(component)) {
            if (NextText(i, text)) {
                edit->setText(text);
            }
        } else {
            if (hasCaption(component) && NextText(i, text)) {
                component->setProperty("caption", text);
            }
            // Time entries are masked: their text is not theirs to take.
            if (hasWritableTextProperty(component) &&
                qobject_cast<QAbstractSpinBox*>(component) == nullptr && NextText(i, text)) {
                component->setProperty("text", text);
            }
        }
    }

    if (widget != nullptr) {
        if (i == start) {
            NextText(i, text);
        }
        if (isHintKey(i) && NextText(i, text) && !text.isEmpty()) {
            widget->setToolTip(text);
        }
    }
}

void SwitchLanguage(std::uint8_t index) {
    // A handler may destroy a table while the others switch.
    const std::vector<TBaseLanguageTable*> tables = registry();
    for (TBaseLanguageTable* table : tables) {
        const auto& living = registry();
        if (std::find(living.begin(), living.end(), table) == living.end()) {
            continue;
        }
        if (table->Languages() > index) {
            table->setActiveLanguage(index);
        }
    }
    globalLanguage = index;
}

std::uint8_t GlobalLanguage() {
    return globalLanguage;
}

}  // namespace sk
