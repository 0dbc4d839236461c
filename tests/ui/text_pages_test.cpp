// The text, scroll-text and advanced pages and the start page's firmware
// area, driven through the window against a pseudo-terminal clock.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QProgressBar>
#include <QTest>
#include <memory>

#include "fake_clock_host.h"
#include "files/firmware_image.h"
#include "protocol/clock_connection.h"
#include "pty_peer.h"
#include "recording_message_boxes.h"
#include "recording_pacer.h"
#include "serial/serial_port.h"
#include "ui/form1.h"
#include "ui/qt_timeout_timer.h"
#include "ui_form1.h"
#include "ui_test_main.h"

namespace sk {
namespace {

using Box = test::RecordingMessageBoxes::Box;

class TextPages : public ::testing::Test {
  protected:
    void SetUp() override {
        test::uiApp();
        ports.ports = {{peer.slavePath(), ""}};
        peer.onReceive("/ID", "Start KS20 v2\r\n");
        form = std::make_unique<TForm1>(FormServices{&pacer, &ports, &boxes});
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        // Identified, and the answer handled: nothing stale is left pending.
        ASSERT_TRUE(QTest::qWaitFor([this] { return ui().lbfunnet->isVisibleTo(form.get()); }));
        peer.clearReceived();
        pacer.clear();
    }
    void TearDown() override {
        form.reset();
        QApplication::processEvents();
    }

    // The clock's loader acknowledges every record of the update; it listens
    // from the second service code on.
    void AcknowledgeRecords() {
        pacer.onSleep = [this](int) {
            if (pacer.pauses().size() == 3) {
                ASSERT_TRUE(peer.waitForText("3857\n"));
                peer.onReceive("\n", "+");
            }
        };
    }

    Ui::Form1& ui() { return form->ui(); }
    bool portOpen() { return form->connection().com1().Connected(); }

    test::PtyPeer peer;
    test::RecordingPacer pacer;
    test::FakePortEnumerator ports;
    test::RecordingMessageBoxes boxes;
    std::unique_ptr<TForm1> form;
};

TEST_F(TextPages, TextPageButtonsWriteTheirCommandsAndClose) {
    ui().Button24->click();
    ui().Edit4->setText(QStringLiteral("Hei på"));
    ui().Edit5->setText(QStringLiteral("18"));
    ui().Button11->click();
    const std::string line =
        "/PCEXIT/EOFF/PCSLAVE1Hei p\xE5"
        "18\r\n";
    ASSERT_TRUE(peer.waitForText(line));
    EXPECT_EQ((std::vector<int>{300, 300, 300, 300}), pacer.pauses());
    EXPECT_FALSE(portOpen());

    // "Avslutt modus", both hidden "Reset" buttons, "Fjern rulleteksten".
    for (QAbstractButton* b : {ui().Button12, ui().BitBtn9, ui().BitBtn2, ui().Button7}) {
        b->click();
        EXPECT_FALSE(portOpen()) << b->objectName().toStdString();
    }
    ASSERT_TRUE(peer.waitForText(line + "/PCEXIT/PCEXIT/PCEXIT/RBT"));
    EXPECT_EQ((std::vector<int>{300, 300, 300, 300, 300, 300}), pacer.pauses());
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(TextPages, ScrollTextTransferTellsTheOperatorThatNothingWasSent) {
    ui().Button4->click();
    ui().Button3->click();
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ(Box::Information, boxes.boxes[0].kind);
    EXPECT_EQ(QStringLiteral("Rulleteksten er ikke sendt. Programmet kjenner ikke klokkens "
                             "kommando for rulletekst, så ingenting ble overført til klokken."),
              boxes.boxes[0].text);
    QTest::qWait(50);
    EXPECT_EQ("", peer.received());
}

TEST_F(TextPages, FlashEraseWritesItsCommandAndCloses) {
    ui().btAvansert->click();
    ui().Sperase->click();
    ASSERT_TRUE(peer.waitForText("/ERASEFLASH\r\n"));
    EXPECT_TRUE(pacer.pauses().empty());
    EXPECT_FALSE(portOpen());
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(TextPages, DecliningTheUpdateWritesNothing) {
    form->spoppdaterClick();
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ(Box::Question, boxes.boxes[0].kind);
    EXPECT_EQ(QStringLiteral("Update program should only be used by skilled Tovik personell"),
              boxes.boxes[0].text);
    EXPECT_FALSE(ui().goppdater->isVisibleTo(form.get()));
    EXPECT_TRUE(portOpen()) << "left as activation left it";
    QTest::qWait(50);
    EXPECT_EQ("", peer.received());
}

TEST_F(TextPages, UpdateSendsTheBuiltinImageAndShowsTheEnd) {
    boxes.answers = {true};
    AcknowledgeRecords();
    form->spoppdaterClick();

    const FirmwareImage& image = FirmwareImage::Builtin();
    std::string sent = "/ERASEFLASH\r\n/RE7D2C9\n3857\n";
    int records = 0;
    for (int i = 0; i < image.LineCount(); ++i) {
        if (image.Line(i)[3] != 'F') {
            sent += image.Line(i) + "\n";
            ++records;
        }
    }
    EXPECT_EQ(2666, records);
    ASSERT_TRUE(peer.waitForBytes(sent.size()));
    EXPECT_EQ(sent, peer.received());
    EXPECT_EQ(std::size_t(3 + records), pacer.pauses().size());

    EXPECT_EQ(2882, ui().goppdater->maximum());
    EXPECT_EQ(2666, ui().goppdater->value());
    QWidget* shown[] = {ui().lbferdig, ui().igjen};
    QWidget* hidden[] = {ui().goppdater, ui().spoppdater, ui().lbprogram};
    for (QWidget* w : shown) {
        EXPECT_TRUE(w->isVisibleTo(form.get())) << w->objectName().toStdString();
    }
    for (QWidget* w : hidden) {
        EXPECT_FALSE(w->isVisibleTo(form.get())) << w->objectName().toStdString();
    }
    EXPECT_FALSE(form->Timer1().Enabled());
    EXPECT_FALSE(portOpen());
    EXPECT_EQ(1u, boxes.boxes.size()) << "only the question";
}

TEST_F(TextPages, GaugeCountsOnFromWhereItStoodAndStopsAtItsMaximum) {
    ui().goppdater->setMaximum(2882);
    ui().goppdater->setValue(2800);
    boxes.answers = {true};
    AcknowledgeRecords();
    form->spoppdaterClick();
    EXPECT_EQ(2882, ui().goppdater->value());
    EXPECT_TRUE(ui().lbferdig->isVisibleTo(form.get()));
}

}  // namespace
}  // namespace sk
