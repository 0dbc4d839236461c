#include "ui/radio_group.h"

#include <QRadioButton>
#include <QVBoxLayout>

namespace sk {

RadioGroup::RadioGroup(QWidget* parent) : QGroupBox(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 4, 4, 4);
    layout->setSpacing(0);
    group_.setExclusive(true);
    connect(&group_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on) {
            emit itemIndexChanged(id);
        }
    });
}

QStringList RadioGroup::items() const {
    QStringList out;
    for (QAbstractButton* b : group_.buttons()) {
        out << b->text();
    }
    return out;
}

void RadioGroup::setItems(const QStringList& items) {
    const int keep = itemIndex() >= 0 ? itemIndex() : pendingIndex_;
    for (QAbstractButton* b : group_.buttons()) {
        group_.removeButton(b);
        delete b;
    }
    auto* box = static_cast<QVBoxLayout*>(layout());
    while (QLayoutItem* item = box->takeAt(0)) {
        delete item;
    }
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], this);
        b->setObjectName(QStringLiteral("item%1").arg(i));
        group_.addButton(b, i);
        // Stretch around every item spreads them evenly over the box, as a
        // radio group on the original window did.
        box->addStretch(1);
        box->addWidget(b);
    }
    box->addStretch(1);
    if (keep >= 0 && keep < items.size()) {
        setItemIndex(keep);
    }
    pendingIndex_ = -1;
}

int RadioGroup::itemIndex() const {
    return group_.checkedId();
}

void RadioGroup::setItemIndex(int index) {
    if (QAbstractButton* b = group_.button(index)) {
        b->setChecked(true);
        return;
    }
    pendingIndex_ = group_.buttons().isEmpty() ? index : -1;
    if (QAbstractButton* checked = group_.checkedButton()) {
        // An exclusive group refuses to clear its last button.
        group_.setExclusive(false);
        checked->setChecked(false);
        group_.setExclusive(true);
        emit itemIndexChanged(-1);
    }
}

QRadioButton* RadioGroup::button(int index) const {
    return qobject_cast<QRadioButton*>(group_.button(index));
}

}  // namespace sk
