#include "ui/file_edit.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

namespace sk {

FileEdit::FileEdit(QWidget* parent)
    : QWidget(parent), edit_(new QLineEdit(this)), button_(new QToolButton(this)) {
    edit_->setObjectName(QStringLiteral("edit"));
    button_->setObjectName(QStringLiteral("browse"));
    button_->setText(QStringLiteral("..."));
    button_->setFocusPolicy(Qt::NoFocus);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(edit_, 1);
    layout->addWidget(button_);
    setFocusProxy(edit_);
    connect(button_, &QToolButton::clicked, this, &FileEdit::browse);
}

QString FileEdit::text() const {
    return edit_->text();
}

void FileEdit::setText(const QString& text) {
    edit_->setText(text);
}

void FileEdit::setChooser(std::function<QString(const QString&)> chooser) {
    chooser_ = std::move(chooser);
}

void FileEdit::browse() {
    QString chosen;
    if (chooser_) {
        chosen = chooser_(text());
    } else {
        const QString start = text().isEmpty() ? QString() : QFileInfo(text()).absolutePath();
        chosen = QFileDialog::getOpenFileName(this, QString(), start);
    }
    if (!chosen.isEmpty()) {
        edit_->setText(QFileInfo(chosen).absoluteFilePath());
    }
}

}  // namespace sk
