// ui_screenshots: opens the window and saves a picture of every page in both
// languages and of the help window, so a person can look at the layout
// (scripts/screenshots runs it under Xvfb).
//   ui_screenshots <folder>
// Norwegian pages are <page>.png, English ones <page>_en.png; the help window
// is help.png and help_en.png. Under X11 it also reads the caption the window
// system shows (with xprop) and fails when it is not exactly the window's
// caption. No port is listed, so nothing is opened or written.
#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QStackedWidget>
#include <QTest>
#include <cstdio>

#include "serial/port_discovery.h"
#include "ui/app_setup.h"
#include "ui/form1.h"
#include "ui/help_window.h"
#include "ui_form1.h"

namespace {

class NoPorts : public sk::PortEnumerator {
  public:
    std::vector<sk::DiscoveredPort> Enumerate() override { return {}; }
};

bool save(QWidget* widget, const QDir& folder, const QString& name) {
    const QString path = folder.filePath(name + QStringLiteral(".png"));
    if (!widget->grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// The caption as the X server holds it; true when it cannot be asked.
bool nativeCaptionIs(QWidget* window, const QString& expected) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        return true;
    }
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window->winId()),
                                          QStringLiteral("_NET_WM_NAME")});
    if (!xprop.waitForFinished(5000) || xprop.exitCode() != 0) {
        std::printf("caption not checked (no xprop)\n");
        return true;
    }
    const QString line = QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
    const QString want = QStringLiteral("_NET_WM_NAME(UTF8_STRING) = \"%1\"").arg(expected);
    std::printf("X11 caption: %s\n", qPrintable(line));
    if (line != want) {
        std::fprintf(stderr, "the window system shows another caption than \"%s\"\n",
                     qPrintable(expected));
        return false;
    }
    return true;
}

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
    struct Language {
        void (sk::TForm1::*flag)();
        const char* suffix;
        const char* caption;
    };
    const Language languages[] = {
        {&sk::TForm1::Button25Click, "", "Tovik Vuzirirezir"},
        {&sk::TForm1::Button26Click, "_en", "Tovik Duduzurero"},
    };
    bool ok = true;
    for (const Language& language : languages) {
        (form.*language.flag)();
        QTest::qWait(100);
        ok = nativeCaptionIs(&form, QString::fromUtf8(language.caption)) && ok;
        for (const auto& [page, name] : pages) {
            form.ui().PageControl1->setCurrentWidget(page);
            QTest::qWait(100);
            if (!save(&form, folder, QString::fromLatin1(name) + QLatin1String(language.suffix))) {
                return 1;
            }
        }
    }

    // The help follows the language shown; English is active now.
    form.Button10Click();
    sk::HelpWindow* help = form.helpWindow();
    if (help == nullptr || !QTest::qWaitForWindowExposed(help)) {
        std::fprintf(stderr, "the help window was not shown\n");
        return 1;
    }
    QTest::qWait(100);
    if (!save(help, folder, QStringLiteral("help_en"))) {
        return 1;
    }
    form.Button25Click();
    QTest::qWait(100);
    if (!save(help, folder, QStringLiteral("help"))) {
        return 1;
    }
    return ok ? 0 : 1;
}
