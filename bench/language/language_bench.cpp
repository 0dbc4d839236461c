// Times a language switch over the window's whole table, on a window with a
// named control for every row and on the real TForm1, both shown on the
// current Qt platform (run with QT_QPA_PLATFORM=offscreen where there is no
// display). Prints medians; exits 1 when a median misses 20 ms.
#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "fake_clock_host.h"
#include "recording_message_boxes.h"
#include "recording_pacer.h"
#include "ui/app_setup.h"
#include "ui/form1.h"
#include "ui/language_data.h"
#include "ui/language_table.h"

namespace {

bool startsWith(const QString& key, const char* prefix) {
    return key.startsWith(QLatin1String(prefix));
}

// A control of the kind the real window has under each key.
QWidget* controlFor(const QString& key, QWidget* parent) {
    if (startsWith(key, "Panel") || startsWith(key, "TabSheet")) {
        auto* panel = new QFrame(parent);
        panel->setProperty("caption", key);
        return panel;
    }
    if (key == "rbModus") {
        auto* group = new QGroupBox(parent);
        group->setProperty("items", QStringList{"1", "2", "3", "4"});
        return group;
    }
    if (key == "LedLabel1") {
        auto* led = new QWidget(parent);
        led->setProperty("text", QStringLiteral("ABCDEF"));
        return led;
    }
    if (startsWith(key, "cb")) {
        return new QCheckBox(key, parent);
    }
    if (startsWith(key, "Button") || startsWith(key, "BitBtn") || startsWith(key, "Speed") ||
        startsWith(key, "bt") || key == "Sperase" || key == "spoppdater") {
        return new QPushButton(key, parent);
    }
    return new QLabel(key, parent);
}

// The offscreen platform reports each size-hint change it cannot pass on.
void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (!text.contains(QLatin1String("propagateSizeHints"))) {
        std::fprintf(stderr, "%d: %s\n", int(type), qPrintable(text));
    }
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Figures {
    double switchOnly;
    double withRedraw;
    double worst;
};

// Switches `rounds` times between English and Norwegian; the redraw figure
// includes the layout and paint events the switch posts.
Figures timeSwitches(int rounds) {
    std::vector<double> switchOnly;
    std::vector<double> withRedraw;
    for (int round = 0; round < rounds; ++round) {
        const std::uint8_t language = round % 2 == 0 ? 1 : 0;
        QElapsedTimer timer;
        timer.start();
        sk::SwitchLanguage(language);
        const qint64 switched = timer.nsecsElapsed();
        QApplication::processEvents();
        const qint64 redrawn = timer.nsecsElapsed();
        switchOnly.push_back(double(switched) / 1e6);
        withRedraw.push_back(double(redrawn) / 1e6);
    }
    return {median(switchOnly), median(withRedraw),
            *std::max_element(withRedraw.begin(), withRedraw.end())};
}

void print(const char* what, int controls, const Figures& f) {
    std::printf("%s (%d named controls):\n", what, controls);
    std::printf("  switch only            median %7.3f ms\n", f.switchOnly);
    std::printf("  switch + layout/paint  median %7.3f ms (worst %.3f ms)\n", f.withRedraw,
                f.worst);
}

int namedControls(const QWidget& window) {
    int count = 0;
    for (const QWidget* w : window.findChildren<QWidget*>()) {
        count += !w->objectName().isEmpty() && !w->objectName().startsWith("qt_");
    }
    return count;
}

// A window shaped like the program's: seven pages of which one shows, and a
// bottom bar; every key of the table names a plain control on the page whose
// rows it follows.
Figures benchSyntheticWindow(int rounds, int& controls) {
    QWidget window;
    window.setObjectName("Form1");
    window.resize(759, 474);
    auto* outer = new QVBoxLayout(&window);
    auto* pages = new QStackedWidget(&window);
    pages->setObjectName("PageControl1");
    auto* bar = new QFrame(&window);
    bar->setObjectName("bar");
    auto* barLayout = new QHBoxLayout(bar);
    outer->addWidget(pages, 1);
    outer->addWidget(bar);
    QBoxLayout* target = nullptr;
    for (const sk::LanguageRow& row : sk::parseLanguageRows(sk::languageTableSource())) {
        const QString& key = row.key;
        if (key.startsWith(QLatin1Char('"')) || key == "%Form%" || key == "Label2" ||
            key == "Label6" || key == "Button2" || key == "Button1") {
            continue;
        }
        if (key.startsWith("TabSheet")) {
            auto* page = new QFrame(pages);
            page->setObjectName(key);
            pages->addWidget(page);
            target = new QVBoxLayout(page);
            continue;
        }
        if (key == "Panel22") {
            target = barLayout;
        }
        QWidget* control = controlFor(key, &window);
        control->setObjectName(key);
        target->addWidget(control);
    }
    // Entry fields no row names, as the pages have them.
    for (int n = 0; n < pages->count(); ++n) {
        auto* edit = new QLineEdit(QStringLiteral("edit %1").arg(n), pages->widget(n));
        edit->setObjectName(QStringLiteral("Edit%1").arg(100 + n));
        pages->widget(n)->layout()->addWidget(edit);
    }
    auto* lang = new sk::TLanguageTable(&window);
    lang->setObjectName("lang");
    sk::loadWindowLanguageTable(*lang);
    window.show();
    QApplication::processEvents();
    controls = namedControls(window);
    return timeSwitches(rounds);
}

// The program's window, with no ports to find so that activation opens none.
Figures benchRealWindow(int rounds, int& controls) {
    sk::test::RecordingPacer pacer;
    sk::test::FakePortEnumerator ports;
    sk::test::RecordingMessageBoxes boxes;
    sk::TForm1 form(sk::FormServices{&pacer, &ports, &boxes});
    bool ownsTable = false;
    for (sk::TBaseLanguageTable* table : sk::TBaseLanguageTable::livingTables()) {
        ownsTable = ownsTable || table->window() == &form;
    }
    if (!ownsTable) {
        auto* lang = new sk::TLanguageTable(&form);
        lang->setObjectName("lang");
        sk::loadWindowLanguageTable(*lang);
    }
    form.show();
    QApplication::processEvents();
    controls = namedControls(form);
    return timeSwitches(rounds);
}

}  // namespace

int main(int argc, char** argv) {
    qInstallMessageHandler(quietMessages);
    QApplication app(argc, argv);
    sk::initApplication(app);
    constexpr int kRounds = 200;

    std::printf("language switch over %d rows, %d rounds each\n",
                int(sk::parseLanguageRows(sk::languageTableSource()).size()), kRounds);
    int controls = 0;
    const Figures synthetic = benchSyntheticWindow(kRounds, controls);
    print("window of plain controls", controls, synthetic);
    const Figures real = benchRealWindow(kRounds, controls);
    print("TForm1", controls, real);

    const bool met = synthetic.withRedraw < 20.0 && real.withRedraw < 20.0;
    std::printf("target: median < 20 ms -> %s\n", met ? "met" : "MISSED");
    return met ? 0 : 1;
}
