// ui_bench: how quickly the window is up, and what it costs in memory.
// Prints, offscreen unless QT_QPA_PLATFORM says otherwise:
//   startup   from program start (before QApplication) to the window shown
//   activated the same, until FormActivate has run (port discovery included)
//   window    median time to create and show a further window (warm)
//   rss       resident memory after start-up
#include <QApplication>
#include <QFile>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "ui/app_setup.h"
#include "ui/form1.h"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// Resident set size in MB, from the kernel's process status (Linux).
double residentMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
        }
    }
    return -1;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char* argv[]) {
    const auto start = Clock::now();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    sk::initApplication(app);

    auto form = std::make_unique<sk::TForm1>();
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get())) {
        std::fprintf(stderr, "window not shown\n");
        return 1;
    }
    const double startup = msSince(start);
    const bool activatedInTime = QTest::qWaitFor([&] { return form->activationCount() > 0; }, 2000);
    const double activated = activatedInTime ? msSince(start) : -1;
    const double rss = residentMb();
    form.reset();

    std::vector<double> warm;
    for (int i = 0; i < 11; ++i) {
        const auto t0 = Clock::now();
        sk::TForm1 again;
        again.show();
        if (!QTest::qWaitForWindowExposed(&again)) {
            std::fprintf(stderr, "window not shown\n");
            return 1;
        }
        warm.push_back(msSince(t0));
    }

    std::printf("startup   %.1f ms (window shown, target < 400 ms)\n", startup);
    std::printf("activated %.1f ms (FormActivate done)\n", activated);
    std::printf("window    %.1f ms median of %zu (create and show again)\n", median(warm),
                warm.size());
    std::printf("rss       %.1f MB after start-up (target well under 80 MB)\n", rss);
    return 0;
}
