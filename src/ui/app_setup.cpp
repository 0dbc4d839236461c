#include "ui/app_setup.h"

#include <QApplication>

namespace sk {

void initApplication(QApplication& app) {
    app.setApplicationName(QStringLiteral("startklokke"));
    app.setApplicationDisplayName(QStringLiteral("Tovik Vuzirirezir"));
}

}  // namespace sk
