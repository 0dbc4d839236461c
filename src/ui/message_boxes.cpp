#include "ui/message_boxes.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <exception>

#include "support/cp1252.h"

namespace sk {

void QtMessageBoxes::critical(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox::critical(parent, title, text);
}

void QtMessageBoxes::information(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox::information(parent, title, text);
}

bool QtMessageBoxes::question(QWidget* parent, const QString& title, const QString& text) {
    return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

QString errorBoxText(std::string_view cp1252Message) {
    std::string text(cp1252Message);
    if (!text.empty() &&
        static_cast<unsigned char>(text.back()) > static_cast<unsigned char>('.')) {
        text += '.';
    }
    return QString::fromStdString(cp1252ToUtf8(text));
}

QString applicationTitle() {
    // Fixed: the window's caption changes with the language, this title does not.
    return QStringLiteral("Tovik Vuzirirezir");
}

bool runGuarded(QWidget* parent, MessageBoxes& boxes, const std::function<void()>& handler) {
    try {
        handler();
        return true;
    } catch (const std::exception& e) {
        boxes.critical(parent, applicationTitle(), errorBoxText(e.what()));
        return false;
    }
}

}  // namespace sk
