// The pursuit-start page: the handlers hand the page's controls to the task
// through PursuitPage, read at the moment the task asks, since the operator
// may edit them while a transfer handles events.
#include "protocol/clock_connection.h"
#include "support/conversion.h"
#include "support/cp1252.h"
#include "tasks/pursuit_transfer.h"
#include "ui/form1.h"
#include "ui/qt_timeout_timer.h"
#include "ui/text_grid_widget.h"
#include "ui_form1.h"

namespace sk {

namespace {

std::string toWire(const QString& text) {
    return utf8ToCp1252(text.toStdString());
}

class WindowPursuitPage final : public pursuit_transfer::PursuitPage {
  public:
    explicit WindowPursuitPage(Ui::Form1& ui) : ui_(ui) {}

    // The files layer takes UTF-8 paths.
    std::string FileEdit1() override { return ui_.FileEdit1->text().toStdString(); }
    std::string txtSluse() override { return toWire(ui_.txtSluse->text()); }
    std::string tctdelay() override { return toWire(ui_.tctdelay->text()); }
    std::string TimeEdit2() override { return toWire(ui_.TimeEdit2->timeText()); }
    char TimeSeparator() override { return regionalTimeSeparator(); }
    TextGrid& faktexcel() override { return ui_.faktexcel->textGrid(); }
    void FaktexcelChanged() override { ui_.faktexcel->reload(); }
    void SetProgressVisible(bool visible) override { ui_.prog->setVisible(visible); }
    int ProgressPosition() override { return ui_.prog->value(); }
    void SetProgressPosition(int position) override { ui_.prog->setValue(position); }

  private:
    Ui::Form1& ui_;
};

}  // namespace

void TForm1::BitBtn6Click() {
    WindowPursuitPage page(*ui_);
    pursuit_transfer::BitBtn6Click(*connection_, *timer1_, page);
}

void TForm1::BitBtn7Click() {
    pursuit_transfer::BitBtn7Click(*connection_);
}

void TForm1::Button15Click() {
    pursuit_transfer::Button15Click(*connection_);
}

void TForm1::Button16Click() {
    WindowPursuitPage page(*ui_);
    pursuit_transfer::Button16Click(*connection_, page);
}

}  // namespace sk
