// The ordinary-setup page: the handlers gather the page's entries and hand
// them to the task.
#include "protocol/clock_connection.h"
#include "support/cp1252.h"
#include "tasks/ordinary_setup.h"
#include "ui/form1.h"
#include "ui_form1.h"

namespace sk {

namespace {

ordinary_setup::Inputs gatherSetup(Ui::Form1& ui) {
    ordinary_setup::Inputs in;
    in.timeEdit1 = utf8ToCp1252(ui.TimeEdit1->timeText().toStdString());
    in.txtInt = utf8ToCp1252(ui.txtInt->text().toStdString());
    in.rbModus = ui.rbModus->itemIndex();
    in.cblyd = ui.cblyd->isChecked();
    in.cbforvarsel = ui.cbforvarsel->isChecked();
    return in;
}

}  // namespace

void TForm1::BitBtn1Click() {
    ordinary_setup::BitBtn1Click(*connection_);
}

void TForm1::BitBtn2Click() {
    ordinary_setup::BitBtn2Click(*connection_, gatherSetup(*ui_));
}

void TForm1::BitBtn3Click() {
    ordinary_setup::BitBtn3Click(*connection_, gatherSetup(*ui_));
}

void TForm1::Button17Click() {
    ordinary_setup::Button17Click(*connection_, gatherSetup(*ui_));
}

}  // namespace sk
