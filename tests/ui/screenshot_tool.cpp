// ui_screenshots: opens the window and saves a picture of every page, so a
// person can look at the layout (scripts/screenshots runs it under Xvfb).
//   ui_screenshots <folder>
// No port is listed, so nothing is opened or written.
#include <QApplication>
#include <QDir>
#include <QStackedWidget>
#include <QTest>
#include <cstdio>

#include "serial/port_discovery.h"
#include "ui/app_setup.h"
#include "ui/form1.h"
#include "ui_form1.h"

namespace {

class NoPorts : public sk::PortEnumerator {
  public:
    std::vector<sk::DiscoveredPort> Enumerate() override { return {}; }
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    sk::initApplication(app);
    if (argc != 2) {
        std::fprintf(stderr, "usage: ui_screenshots <folder>\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }

    NoPorts ports;
    sk::TForm1 form(sk::FormServices{nullptr, &ports, nullptr});
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) {
        std::fprintf(stderr, "the window was not shown\n");
        return 1;
    }
    QTest::qWait(300);  // activation, then the clock displays' first tick

    const std::pair<QWidget*, const char*> pages[] = {
        {form.ui().TabSheet1, "start"},         {form.ui().TabSheet2, "ordinary_setup"},
        {form.ui().TabSheet3, "pursuit_start"}, {form.ui().TabSheet4, "text_to_clock"},
        {form.ui().TabSheet5, "classes"},       {form.ui().TabSheet6, "advanced"},
        {form.ui().TabSheet7, "scroll_text"},
    };
    for (const auto& [page, name] : pages) {
        form.ui().PageControl1->setCurrentWidget(page);
        QTest::qWait(100);
        const QString path = folder.filePath(QString::fromLatin1(name) + ".png");
        if (!form.grab().save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("%s\n", qPrintable(path));
    }
    return 0;
}
