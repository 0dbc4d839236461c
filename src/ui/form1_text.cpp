// The pages "Tekst til klokke" and "Rulletekst": the handlers gather the
// entries and hand them to the task.
#include "support/cp1252.h"
#include "tasks/display_text.h"
#include "ui/form1.h"
#include "ui_form1.h"

namespace sk {

namespace {

std::string wireText(const QLineEdit* edit) {
    return utf8ToCp1252(edit->text().toStdString());
}

}  // namespace

void TForm1::BitBtn8Click() {
    display_text::Inputs in;
    in.Edit4 = wireText(ui_->Edit4);
    in.Edit5 = wireText(ui_->Edit5);
    in.Edit6 = wireText(ui_->Edit6);
    display_text::BitBtn8Click(*connection_, in);
}

void TForm1::Button12Click() {
    display_text::Button12Click(*connection_);
}

void TForm1::BitBtn9Click() {
    display_text::BitBtn9Click(*connection_);
}

void TForm1::Button8Click() {
    display_text::Button8Click(*connection_);
}

void TForm1::BitBtn4Click() {
    display_text::BitBtn4Click(*connection_);
}

}  // namespace sk
