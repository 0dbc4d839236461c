// Times a language switch over the window's whole table on a window with a
// named control for every row, shown on the current Qt platform (run with
// QT_QPA_PLATFORM=offscreen where there is no display). Prints medians.
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <algorithm>
#include <cstdio>
#include <vector>

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

}  // namespace

int main(int argc, char** argv) {
    qInstallMessageHandler(quietMessages);
    QApplication app(argc, argv);
    QWidget window;
    window.setObjectName("Form1");
    window.resize(759, 474);
    auto* grid = new QGridLayout(&window);

    int controls = 0;
    for (const sk::LanguageRow& row : sk::parseLanguageRows(sk::languageTableSource())) {
        const QString& key = row.key;
        if (key.startsWith(QLatin1Char('"')) || key == "%Form%" || key == "Label2" ||
            key == "Label6" || key == "Button2" || key == "Button1") {
            continue;
        }
        QWidget* control = controlFor(key, &window);
        control->setObjectName(key);
        grid->addWidget(control, controls / 8, controls % 8);
        ++controls;
    }
    // Controls no row names, as the window has them.
    for (int n = 0; n < 20; ++n) {
        auto* edit = new QLineEdit(QStringLiteral("edit %1").arg(n), &window);
        edit->setObjectName(QStringLiteral("Edit%1").arg(100 + n));
        grid->addWidget(edit, controls / 8, controls % 8);
        ++controls;
    }

    auto* lang = new sk::TLanguageTable(&window);
    lang->setObjectName("lang");
    sk::loadWindowLanguageTable(*lang);
    window.show();
    QApplication::processEvents();

    constexpr int kRounds = 200;
    std::vector<double> switchOnly;
    std::vector<double> withRedraw;
    for (int round = 0; round < kRounds; ++round) {
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

    std::printf("language switch over %lld strings (%lld rows), %d controls, %d rounds\n",
                static_cast<long long>(lang->Words().size()),
                static_cast<long long>(lang->Words().size() / (lang->Languages() + 1)), controls,
                kRounds);
    std::printf("  switch only:          median %.3f ms, max %.3f ms\n", median(switchOnly),
                *std::max_element(switchOnly.begin(), switchOnly.end()));
    std::printf("  switch + layout/paint: median %.3f ms, max %.3f ms\n", median(withRedraw),
                *std::max_element(withRedraw.begin(), withRedraw.end()));
    std::printf("  target: < 20 ms -> %s\n", median(withRedraw) < 20.0 ? "met" : "MISSED");
    return median(withRedraw) < 20.0 ? 0 : 1;
}
