#include "window_send.h"

#include <sys/resource.h>

#include <QApplication>
#include <QLineEdit>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <vector>

#include "fake_clock_host.h"
#include "protocol/clock_connection.h"
#include "pty_peer.h"
#include "recording_message_boxes.h"
#include "serial/serial_link.h"
#include "serial/serial_port.h"
#include "support/pacer.h"
#include "ui/file_edit.h"
#include "ui/form1.h"
#include "ui_form1.h"

namespace sk::bench {

namespace {

double processCpuMs() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec * 1e3 + u.ru_utime.tv_usec / 1e3 + u.ru_stime.tv_sec * 1e3 +
           u.ru_stime.tv_usec / 1e3;
}

}  // namespace

void benchWindowSend(const std::string& listPath, std::size_t listBytes, int runs,
                     int fixedPausesMs) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    int argc = 1;
    char name[] = "pursuit_bench";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);

    std::vector<double> beyond;
    std::vector<double> cpuShare;
    for (int run = 0; run < runs; ++run) {
        test::PtyPeer peer;
        SystemPacer pacer;
        test::FakePortEnumerator ports;
        test::RecordingMessageBoxes boxes;
        auto form = std::make_unique<TForm1>(FormServices{&pacer, &ports, &boxes});
        std::size_t written = 0;
        TSerialLink counter;
        counter.OnTxBuf = [&written](TCustomSerialPort&, const char*, int count) {
            written += static_cast<std::size_t>(count);
        };
        TSerialPort& com1 = form->connection().com1();
        com1.RegisterLink(&counter);
        // A pty drops what its peer has not read when the port closes.
        com1.OnBeforeClose = [&](TCustomSerialPort&) { peer.waitForBytes(written); };
        form->SetSelectorItems({peer.slavePath() + " Serial port"}, 0);
        form->ui().FileEdit1->setText(QString::fromStdString(listPath));
        form->ui().tctdelay->setText(QStringLiteral("0"));

        const auto t0 = std::chrono::steady_clock::now();
        const double c0 = processCpuMs();
        form->ui().Button18->click();
        const double wall =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                .count();
        const double cpu = processCpuMs() - c0;
        if (!boxes.boxes.empty() || !peer.waitForBytes(listBytes) ||
            peer.received().find("/SC100000") == std::string::npos) {
            throw std::runtime_error("the window's transfer did not complete");
        }
        com1.UnRegisterLink(&counter);
        form.reset();
        QApplication::processEvents();
        beyond.push_back(wall - fixedPausesMs);
        cpuShare.push_back(100.0 * cpu / wall);
    }
    std::sort(beyond.begin(), beyond.end());
    std::sort(cpuShare.begin(), cpuShare.end());
    std::printf(
        "send through the window (offscreen), delay 0: median %.0f ms beyond the %d ms of fixed "
        "pauses (target < 500 ms); process CPU %.1f %% of one core, over %d runs\n",
        beyond[beyond.size() / 2], fixedPausesMs, cpuShare[cpuShare.size() / 2], runs);
}

}  // namespace sk::bench
