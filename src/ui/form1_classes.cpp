// The programmed-classes page: the handlers take the grid (with what is
// being typed into its open cell), the two boxes of the ordinary-setup page
// and the executable's folder, and hand them to the task.
#include <QCoreApplication>
#include <QDir>

#include "tasks/class_table.h"
#include "ui/form1.h"
#include "ui/text_grid_widget.h"
#include "ui_form1.h"

namespace sk {

namespace {

// The files layer takes UTF-8 paths.
std::string classFolder() {
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toStdString();
}

}  // namespace

void TForm1::BitBtn10Click() {
    ui_->grid->commitEditor();
    class_table::Inputs in;
    in.cblyd = ui_->cblyd->isChecked();
    in.cbforvarsel = ui_->cbforvarsel->isChecked();
    class_table::BitBtn10Click(*connection_, ui_->grid->textGrid(), in);
}

void TForm1::BitBtn12Click() {
    ui_->grid->commitEditor();
    class_table::BitBtn12Click(ui_->grid->textGrid(), classFolder());
    ui_->grid->reload();
}

void TForm1::BitBtn11Click() {
    ui_->grid->commitEditor();
    class_table::BitBtn11Click(ui_->grid->textGrid(), classFolder());
}

}  // namespace sk
