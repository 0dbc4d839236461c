// The program: one window on the Qt event loop, ended when the window closes.
#include <QApplication>

#include "ui/app_setup.h"
#include "ui/form1.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    sk::initApplication(app);
    sk::TForm1 form;
    form.show();
    // Window managers activate a new window themselves; without one (a bare X
    // server) the window would never become active and never connect.
    form.activateWindow();
    return app.exec();
}
