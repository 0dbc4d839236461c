#include "ui_test_main.h"

#include "ui/app_setup.h"

namespace sk::test {

QApplication& uiApp() {
    static int argc = 1;
    static char name[] = "ui_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        auto* a = new QApplication(argc, argv);
        initApplication(*a);
        return a;
    }();
    return *app;
}

}  // namespace sk::test
