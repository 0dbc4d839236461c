#pragma once
// The window offscreen with a pty clock peer as its only port: SetUp shows
// and activates it, waits for the identification "/ID", then opens `page()`'s
// button and clears what the start wrote (the peer's bytes before `from`,
// the pacer, the message boxes).
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QStackedWidget>
#include <QTest>
#include <memory>
#include <string>

#include "fake_clock_host.h"
#include "protocol/clock_connection.h"
#include "pty_peer.h"
#include "recording_message_boxes.h"
#include "recording_pacer.h"
#include "serial/serial_link.h"
#include "serial/serial_port.h"
#include "ui/form1.h"
#include "ui_form1.h"
#include "ui_test_main.h"

namespace sk::test {

class ConnectedFormTest : public ::testing::Test {
  protected:
    // The page the test works on and the start-page button that opens it.
    virtual QWidget* page() = 0;
    virtual QAbstractButton* pageButton() = 0;

    void SetUp() override {
        uiApp();
        form = std::make_unique<TForm1>(FormServices{&pacer, &ports, &boxes});
        ports.ports = {{peer.slavePath(), ""}};
        // Before each close, the peer (reading on a thread of its own) must
        // have every byte written so far, so a test sees all writes.
        written.OnTxBuf = [this](TCustomSerialPort&, const char*, int count) {
            writtenBytes += static_cast<std::size_t>(count);
        };
        com1().RegisterLink(&written);
        com1().OnBeforeClose = [this](TCustomSerialPort&) {
            EXPECT_TRUE(peer.waitForBytes(writtenBytes)) << "peer missed bytes";
        };

        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        // FormActivate is queued behind the focus change.
        ASSERT_TRUE(QTest::qWaitFor(
            [this] { return peer.received().find("/ID") != std::string::npos; }, 3000));
        pageButton()->click();
        ASSERT_EQ(page(), ui().PageControl1->currentWidget());
        QApplication::processEvents();
        from = peer.received().size();
        pacer.clear();
        boxes.boxes.clear();
    }
    void TearDown() override {
        com1().UnRegisterLink(&written);
        form.reset();
        QApplication::processEvents();
    }

    Ui::Form1& ui() { return form->ui(); }
    TSerialPort& com1() { return form->connection().com1(); }
    // What the port wrote since SetUp.
    std::string sent() { return peer.received().substr(from); }
    bool closed() {
        return QTest::qWaitFor([this] { return !com1().Connected(); }, 2000);
    }

    PtyPeer peer;
    RecordingPacer pacer;
    FakePortEnumerator ports;
    RecordingMessageBoxes boxes;
    std::unique_ptr<TForm1> form;
    std::size_t from = 0;

  private:
    TSerialLink written;
    std::size_t writtenBytes = 0;
};

}  // namespace sk::test
