// TForm1's languages and help: the language component `lang`, the two flag
// buttons and "Hjelp".
#include <QAbstractButton>
#include <QFrame>
#include <QLayout>
#include <QRadioButton>

#include "ui/form1.h"
#include "ui/help_window.h"
#include "ui/language_data.h"
#include "ui/language_table.h"
#include "ui/radio_group.h"
#include "ui_form1.h"

namespace sk {

void TForm1::attachLanguage() {
    lang_ = new TLanguageTable(this);
    lang_->setObjectName(QStringLiteral("lang"));
    // An open help page follows every switch, whoever starts it.
    lang_->AfterLanguageChanged = [this](TBaseLanguageTable&, std::uint8_t language) {
        fitModeColumn();
        if (help_ != nullptr) {
            help_->SetLanguage(language);
        }
    };
    // Applies language 0 over the stored texts before the window is shown.
    loadWindowLanguageTable(*lang_);

    connect(ui_->Button25, &QAbstractButton::clicked, this,
            [this] { guarded(&TForm1::Button25Click); });
    connect(ui_->Button26, &QAbstractButton::clicked, this,
            [this] { guarded(&TForm1::Button26Click); });
    connect(ui_->Button10, &QAbstractButton::clicked, this,
            [this] { guarded(&TForm1::Button10Click); });
}

void TForm1::fitModeColumn() {
    // The mode column is drawn 168 px wide; where a language's mode names
    // need more (the English ones do), it widens so no name is cut.
    constexpr int kDesignGroupWidth = 166;
    constexpr int kDesignColumnWidth = 168;
    // Measured from the items themselves: items made while the window is
    // shown are not yet counted by the group's layout.
    RadioGroup* group = ui_->rbModus;
    int widest = 0;
    for (int n = 0; QRadioButton* item = group->button(n); ++n) {
        widest = qMax(widest, item->sizeHint().width());
    }
    const QMargins inner = group->layout()->contentsMargins();
    const int frame = group->width() - group->contentsRect().width();
    const int groupWidth = qMax(kDesignGroupWidth, widest + inner.left() + inner.right() + frame);
    ui_->rbModus->setFixedWidth(groupWidth);
    ui_->Panel34->setFixedWidth(qMax(kDesignColumnWidth, groupWidth + 2));
}

void TForm1::Button25Click() {
    SwitchLanguage(0);
}

void TForm1::Button26Click() {
    SwitchLanguage(1);
}

void TForm1::Button10Click() {
    if (help_ == nullptr) {
        help_ = new HelpWindow(this);
    }
    help_->ShowTopic(QStringLiteral("inn"), lang_->ActiveLanguage());
}

}  // namespace sk
