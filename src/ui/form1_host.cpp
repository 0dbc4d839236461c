// TForm1 as the ClockHost: the controls the protocol and the tasks read and
// write, converted between the wire's CP1252 and the window's text.
#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QStackedWidget>

#include "support/cp1252.h"
#include "ui/form1.h"
#include "ui/message_boxes.h"
#include "ui_form1.h"

namespace sk {

namespace {

QString fromWire(const std::string& bytes) {
    return QString::fromStdString(cp1252ToUtf8(bytes));
}
std::string toWire(const QString& text) {
    return utf8ToCp1252(text.toStdString());
}

}  // namespace

std::string TForm1::SelectorText() {
    return toWire(ui_->cbserieporter->currentText());
}

std::vector<std::string> TForm1::SelectorItems() {
    std::vector<std::string> items;
    for (int i = 0; i < ui_->cbserieporter->count(); ++i) {
        items.push_back(toWire(ui_->cbserieporter->itemText(i)));
    }
    return items;
}

int TForm1::SelectorIndex() {
    QComboBox* box = ui_->cbserieporter;
    const int index = box->currentIndex();
    // Typing over a chosen entry leaves Qt's index on it; the entry is no
    // longer what the selector shows.
    return (index >= 0 && box->itemText(index) == box->currentText()) ? index : -1;
}

void TForm1::SetSelectorItems(const std::vector<std::string>& items, int selectedIndex) {
    QComboBox* box = ui_->cbserieporter;
    const bool wasRefreshing = refreshingSelector_;
    refreshingSelector_ = true;
    const QString text = box->currentText();
    box->clear();
    for (const std::string& item : items) {
        box->addItem(fromWire(item));
    }
    if (selectedIndex >= 0 && selectedIndex < box->count()) {
        box->setCurrentIndex(selectedIndex);
    } else {
        box->setCurrentIndex(-1);
        box->setEditText(text);
    }
    // The field is narrow: show the start of the entry (the port name), and
    // let the list open wide enough for whole entries.
    if (QLineEdit* edit = box->lineEdit()) {
        edit->setCursorPosition(0);
    }
    box->view()->setMinimumWidth(box->view()->sizeHintForColumn(0) + 24);
    refreshingSelector_ = wasRefreshing;
}

void TForm1::AppendLog(const std::string& line) {
    ui_->Memo1->appendPlainText(fromWire(line));
}

void TForm1::ClearLog() {
    ui_->Memo1->clear();
}

void TForm1::SetStatusText(const std::string& text) {
    ui_->lbserial->setText(fromWire(text));
}

void TForm1::ShowClockFound(const std::string& text) {
    ui_->lbfunnet->setText(fromWire(text));
    ui_->lbfunnet->show();
}

void TForm1::ShowStartPage() {
    ui_->PageControl1->setCurrentWidget(ui_->TabSheet1);
}

void TForm1::ProcessPendingEvents() {
    QCoreApplication::processEvents();
}

void TForm1::WaitForEvents() {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void TForm1::ShowMessage(const std::string& text) {
    boxes_->information(this, applicationTitle(), fromWire(text));
}

bool TForm1::Confirm(const std::string& text) {
    return boxes_->question(this, applicationTitle(), fromWire(text));
}

}  // namespace sk
