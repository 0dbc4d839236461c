#include "ui/app_setup.h"

#include <QApplication>

namespace sk {

void initApplication(QApplication& app) {
    app.setApplicationName(QStringLiteral("startklokke"));
    // No display name: the window system would append it to every caption
    // that does not end in it ("Tovik Duduzurero — Tovik Vuzirirezir" in
    // English). The message boxes' title is applicationTitle().
}

}  // namespace sk
