// Flash erase and the firmware upload: the start page's firmware area as the
// upload's progress, and the image carried inside the program.
#include <algorithm>

#include "files/firmware_image.h"
#include "tasks/firmware_update.h"
#include "ui/form1.h"
#include "ui/qt_timeout_timer.h"
#include "ui_form1.h"

namespace sk {

namespace {

class FirmwareArea final : public firmware_update::UpdateProgress {
  public:
    explicit FirmwareArea(Ui::Form1& ui) : ui_(ui) {}

    void Begin(int maximum) override {
        ui_.goppdater->show();
        ui_.igjen->show();
        ui_.goppdater->setMaximum(maximum);
    }
    void Step() override {
        QProgressBar* gauge = ui_.goppdater;
        // A bar Qt has reset reads below its minimum; count from there.
        const int at = std::max(gauge->value(), gauge->minimum());
        if (at < gauge->maximum()) {
            gauge->setValue(at + 1);
        }
    }
    void Finish() override {
        ui_.lbferdig->show();
        ui_.goppdater->hide();
        ui_.spoppdater->hide();
        ui_.lbprogram->hide();
    }

  private:
    Ui::Form1& ui_;
};

}  // namespace

void TForm1::SperaseClick() {
    firmware_update::SperaseClick(*connection_);
}

void TForm1::spoppdaterClick() {
    FirmwareArea area(*ui_);
    firmware_update::spoppdaterClick(*connection_, *timer1_, FirmwareImage::Builtin(), area);
}

}  // namespace sk
