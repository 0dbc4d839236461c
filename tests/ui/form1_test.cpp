// The window: its controls as it opens, navigation, activation, the error
// box, and the ordinary setup end to end against a pseudo-terminal clock.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QTest>
#include <memory>

#include "fake_clock_host.h"
#include "protocol/clock_connection.h"
#include "pty_peer.h"
#include "recording_message_boxes.h"
#include "recording_pacer.h"
#include "ui/form1.h"
#include "ui/qt_timeout_timer.h"
#include "ui_form1.h"
#include "ui_test_main.h"

namespace sk {
namespace {

using Box = test::RecordingMessageBoxes::Box;

class Form1Test : public ::testing::Test {
  protected:
    void SetUp() override {
        test::uiApp();
        form = std::make_unique<TForm1>(FormServices{&pacer, &ports, &boxes});
    }
    void TearDown() override {
        form.reset();
        QApplication::processEvents();
    }

    Ui::Form1& ui() { return form->ui(); }
    QWidget* page() { return ui().PageControl1->currentWidget(); }
    void showAndActivate() {
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        // FormActivate is queued behind the focus change.
        QTest::qWait(20);
    }

    test::RecordingPacer pacer;
    test::FakePortEnumerator ports;
    test::RecordingMessageBoxes boxes;
    std::unique_ptr<TForm1> form;
};

TEST_F(Form1Test, OpensWithTheStoredDefinition) {
    EXPECT_EQ(QStringLiteral("Tovik Vuzirirezir"), form->windowTitle());
    EXPECT_EQ(QSize(751, 440), form->size());
    EXPECT_EQ(ui().TabSheet1, page());
    EXPECT_EQ(7, ui().PageControl1->count());
    EXPECT_EQ(41, ui().Panel22->height());
    EXPECT_EQ(QStringLiteral("Ver 2"), ui().Label42->text());
    EXPECT_EQ(QStringLiteral("Koble til klokken..."), ui().cbserieporter->currentText());
    EXPECT_TRUE(ui().cbserieporter->isEditable());
    EXPECT_EQ(QStringLiteral("Tovik timing system"), ui().lbserial->text());
    EXPECT_FALSE(form->Timer1().Enabled());
    EXPECT_EQ(20000, form->Timer1().qtimer().interval());
}

TEST_F(Form1Test, EntriesOpenWithTheirInitialValues) {
    EXPECT_EQ(0, ui().rbModus->itemIndex());
    EXPECT_EQ((QStringList{"Kun tid", "Intervall", "Intervall med startnr",
                           "Intervall nedtelling og startnr"}),
              ui().rbModus->items());
    EXPECT_FALSE(ui().cblyd->isChecked());
    EXPECT_FALSE(ui().cbforvarsel->isChecked());

    const std::pair<QString, QString> texts[] = {
        {ui().txtInt->text(), "30"},
        {ui().TimeEdit1->timeText(), "10:00:00"},
        {ui().TimeEdit2->timeText(), "10:00:00"},
        {ui().TimeEdit4->timeText(), "10:00:00"},
        {ui().txtSluse->text(), "Alle"},
        {ui().tctdelay->text(), "300"},
        {ui().Edit4->text(), "abcdef"},
        {ui().Edit5->text(), "abcdef"},
        {ui().Edit6->text(), "1"},
        {ui().Edit2->text(), "Tovik timing system"},
        {ui().Memo1->toPlainText(), "-"},
        {ui().FileEdit1->text(), ""},
        {ui().LedLabel1->text(), "ABCDEF"},
    };
    for (const auto& [actual, expected] : texts) {
        EXPECT_EQ(expected, actual);
    }
    EXPECT_EQ(1, ui().Memo1->document()->blockCount());
    EXPECT_EQ(3, ui().grid->textGrid().RowCount());
    EXPECT_EQ("Fra startnr", ui().grid->textGrid().Cells(0, 0));
    EXPECT_EQ(3, ui().faktexcel->textGrid().RowCount());
}

TEST_F(Form1Test, ControlsThatOpenHiddenAreHidden) {
    form->show();
    QWidget* hidden[] = {ui().lbfunnet,  ui().lbprogram,   ui().spoppdater, ui().goppdater,
                         ui().lbferdig,  ui().memoProgam,  ui().igjen,      ui().prog,
                         ui().faktexcel, ui().SpeedButton1};
    for (QWidget* w : hidden) {
        EXPECT_FALSE(w->isVisibleTo(form.get())) << w->objectName().toStdString();
    }
}

TEST_F(Form1Test, NavigationButtonsShowTheirPagesAndMenuReturns) {
    const std::pair<QAbstractButton*, QWidget*> routes[] = {
        {ui().Button21, ui().TabSheet2}, {ui().Button22, ui().TabSheet5},
        {ui().btjakt, ui().TabSheet3},   {ui().Button24, ui().TabSheet4},
        {ui().Button4, ui().TabSheet7},  {ui().btAvansert, ui().TabSheet6},
    };
    for (const auto& [button, target] : routes) {
        button->click();
        EXPECT_EQ(target, page()) << button->objectName().toStdString();
        ui().Button14->click();
        EXPECT_EQ(ui().TabSheet1, page());
    }
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(0, ports.runs) << "navigation never touches the port";
}

TEST_F(Form1Test, NavigationKeepsTypedText) {
    showAndActivate();
    ui().Button21->click();
    ui().txtInt->setText("45");
    ui().TimeEdit1->setTimeText("12:30:15");
    ui().rbModus->setItemIndex(2);
    ui().cblyd->setChecked(true);
    ui().btjakt->click();
    ui().txtSluse->setText("3");
    ui().tctdelay->setText("150");
    ui().FileEdit1->setText("/tmp/jakt.txt");
    ui().Button24->click();
    ui().Edit4->setText("START");
    ui().Button4->click();
    ui().Edit2->setText("Velkommen");
    ui().Button22->click();
    ui().grid->textGrid().SetCell(0, 1, "1");
    ui().cbserieporter->setEditText("COM7");

    // Round trip through every page.
    for (QAbstractButton* b : {ui().Button14, ui().btAvansert, ui().Button14, ui().Button21,
                               ui().Button14, ui().btjakt, ui().Button14}) {
        b->click();
    }
    EXPECT_EQ(QStringLiteral("45"), ui().txtInt->text());
    EXPECT_EQ(QStringLiteral("12:30:15"), ui().TimeEdit1->timeText());
    EXPECT_EQ(2, ui().rbModus->itemIndex());
    EXPECT_TRUE(ui().cblyd->isChecked());
    EXPECT_EQ(QStringLiteral("3"), ui().txtSluse->text());
    EXPECT_EQ(QStringLiteral("150"), ui().tctdelay->text());
    EXPECT_EQ(QStringLiteral("/tmp/jakt.txt"), ui().FileEdit1->text());
    EXPECT_EQ(QStringLiteral("START"), ui().Edit4->text());
    EXPECT_EQ(QStringLiteral("Velkommen"), ui().Edit2->text());
    EXPECT_EQ("1", ui().grid->textGrid().Cells(0, 1));
}

TEST_F(Form1Test, FormActivateRunsWhenTheWindowIsFirstShown) {
    ui().PageControl1->setCurrentWidget(ui().TabSheet3);
    showAndActivate();
    EXPECT_EQ(1, form->activationCount());
    EXPECT_EQ(1, ports.runs);
    EXPECT_EQ(ui().TabSheet1, page()) << "activation ends on the start page";
    EXPECT_EQ(QStringLiteral("Koble til klokken..."), ui().cbserieporter->currentText())
        << "no ports: the selector keeps its text";
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(Form1Test, FormActivateRunsAgainAfterAnotherWindowOfTheProgram) {
    showAndActivate();
    ASSERT_EQ(1, form->activationCount());
    ui().Button21->click();

    QWidget dialog;
    dialog.resize(200, 100);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    dialog.close();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::qWait(20);
    EXPECT_EQ(2, form->activationCount());
    EXPECT_EQ(2, ports.runs);
    EXPECT_EQ(ui().TabSheet1, page());
}

TEST_F(Form1Test, FormActivateDoesNotRunOnReturnFromAnotherProgram) {
    showAndActivate();
    ASSERT_EQ(1, form->activationCount());
    ui().Button21->click();
    // Focus leaves the program (no window of ours has it) and comes back.
    emit qGuiApp->focusWindowChanged(nullptr);
    emit qGuiApp->focusWindowChanged(form->windowHandle());
    QTest::qWait(20);
    EXPECT_EQ(1, form->activationCount());
    EXPECT_EQ(ui().TabSheet2, page());

    // A window of ours in between (a message box) does count, also when the
    // focus passes through "nobody" on the way back.
    QWidget box;
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    emit qGuiApp->focusWindowChanged(box.windowHandle());
    emit qGuiApp->focusWindowChanged(nullptr);
    emit qGuiApp->focusWindowChanged(form->windowHandle());
    QTest::qWait(20);
    EXPECT_EQ(2, form->activationCount());
    EXPECT_EQ(ui().TabSheet1, page());
}

TEST_F(Form1Test, AFailedActivationIsNotRepeatedByClosingItsOwnErrorBox) {
    ports.ports = {{"/nonexistent/skport", ""}};
    showAndActivate();
    ASSERT_EQ(1, form->activationCount());
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ(QStringLiteral("Unable to open com port (win error code: 2)"), boxes.boxes[0].text);

    // The error box had the focus; back on the window, the activation that
    // failed is not started again (it would raise the same box for ever).
    QWidget box;
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    emit qGuiApp->focusWindowChanged(box.windowHandle());
    emit qGuiApp->focusWindowChanged(form->windowHandle());
    QTest::qWait(20);
    EXPECT_EQ(1, form->activationCount());
    EXPECT_EQ(1u, boxes.boxes.size());

    // Any later return from a window of ours activates again.
    emit qGuiApp->focusWindowChanged(box.windowHandle());
    emit qGuiApp->focusWindowChanged(form->windowHandle());
    QTest::qWait(20);
    EXPECT_EQ(2, form->activationCount());
}

TEST_F(Form1Test, AMissingPortShowsThePortErrorUnchanged) {
    ui().cbserieporter->setEditText("/nonexistent/skport Serial port");
    boxes.boxes.clear();
    ui().Button8->click();
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ(Box::Critical, boxes.boxes[0].kind);
    EXPECT_EQ(QStringLiteral("Tovik Vuzirirezir"), boxes.boxes[0].title);
    EXPECT_EQ(QStringLiteral("Unable to open com port (win error code: 2)"), boxes.boxes[0].text);
}

TEST_F(Form1Test, SetTimeAsGivenReportsEveryFailureWithItsOwnMessage) {
    ui().cbserieporter->setEditText("/nonexistent/skport Serial port");
    boxes.boxes.clear();
    ui().Button6->click();
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ(Box::Information, boxes.boxes[0].kind);
    EXPECT_EQ(QStringLiteral("Feilt format på klokekslettet"), boxes.boxes[0].text);
}

TEST_F(Form1Test, AnUnparsableTimeShowsTheConversionError) {
    ui().cbserieporter->setEditText("/nonexistent/skport Serial port");
    ui().TimeEdit1->setTimeText("25:00:00");
    boxes.boxes.clear();
    ui().Button23->click();
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ(Box::Critical, boxes.boxes[0].kind);
    EXPECT_EQ(QStringLiteral("'25:00:00' is not a valid date and time."), boxes.boxes[0].text);
}

TEST_F(Form1Test, TheTestButtonComesIntoViewOnlyWhenTheWindowIsWidenedEnough) {
    showAndActivate();
    auto wholeInPanel = [this] {
        // The resize and the layout pass that follows it arrive as events.
        QTest::qWait(20);
        return ui().Panel25->rect().contains(ui().BitBtn1->geometry());
    };
    ui().btjakt->click();
    EXPECT_EQ(571, ui().Panel25->width());
    EXPECT_FALSE(wholeInPanel());
    form->resize(751 + 109, 440);
    EXPECT_FALSE(wholeInPanel());
    form->resize(751 + 110, 440);
    EXPECT_TRUE(wholeInPanel());

    // The reset buttons lie below their bands at every size.
    for (int extra : {0, 300}) {
        form->resize(751 + extra, 440 + extra);
        QTest::qWait(20);
        EXPECT_FALSE(ui().Panel11->rect().intersects(ui().BitBtn9->geometry())) << extra;
        EXPECT_FALSE(ui().Panel8->rect().intersects(ui().BitBtn2->geometry())) << extra;
    }
}

TEST_F(Form1Test, SelectorEditsReachTheChangeHandlerButListRefreshesDoNot) {
    // The change handler opens the port com1 holds ("COM1" at start, which
    // maps to a device this machine may not have); either way it ran once
    // per change when it reports one error box per change or none at all.
    boxes.boxes.clear();
    std::vector<std::string> items{"/dev/a Serial port", "/dev/b Serial port"};
    form->SetSelectorItems(items, 1);
    EXPECT_EQ(QStringLiteral("/dev/b Serial port"), ui().cbserieporter->currentText());
    EXPECT_EQ(1, form->SelectorIndex());
    EXPECT_TRUE(boxes.boxes.empty()) << "a refresh does not run the change handler";
    form->SetSelectorItems(items, -1);
    EXPECT_EQ(QStringLiteral("/dev/b Serial port"), ui().cbserieporter->currentText());
    EXPECT_EQ(-1, form->SelectorIndex()) << "kept text, no entry chosen";
    EXPECT_EQ(items, form->SelectorItems());
}

TEST_F(Form1Test, RepliesAreShownAsPlainText) {
    form->SetStatusText("<b>Start</b>");
    EXPECT_EQ(Qt::PlainText, ui().lbserial->textFormat());
    form->ShowClockFound("Dizeradozudn er tilkoblet");
    EXPECT_TRUE(ui().lbfunnet->isVisibleTo(form.get()));
    form->AppendLog("Svarer:+\r\n");
    // The packet's CR LF ends its line in the log.
    EXPECT_EQ(QStringLiteral("-\nSvarer:+\n"), ui().Memo1->toPlainText());
    form->AppendLog("Timed out og overf\xF8rsel avbrutt");
    EXPECT_TRUE(ui().Memo1->toPlainText().endsWith(QStringLiteral("overførsel avbrutt")));
}

// --- end to end, against a pseudo-terminal in the clock's place

class Form1PtyTest : public Form1Test {
  protected:
    void SetUp() override {
        Form1Test::SetUp();
        ports.ports = {{peer.slavePath(), ""}};
        peer.onReceive("/ID", "Start KS20 v2\r\n");
    }
    test::PtyPeer peer;
};

TEST_F(Form1PtyTest, ActivationIdentifiesTheClockAndShowsItsAnswer) {
    showAndActivate();
    ASSERT_TRUE(peer.waitForText("/ID"));
    EXPECT_EQ(QString::fromStdString(peer.slavePath() + " Serial port"),
              ui().cbserieporter->currentText());
    ASSERT_TRUE(QTest::qWaitFor([this] { return ui().lbfunnet->isVisibleTo(form.get()); }, 3000));
    EXPECT_EQ(QStringLiteral("Dizeradozudn er tilkoblet"), ui().lbfunnet->text());
    EXPECT_TRUE(ui().lbserial->text().startsWith(QStringLiteral("Start KS20 v2")));
    EXPECT_TRUE(ui().Memo1->toPlainText().contains(QStringLiteral("Svarer:Start KS20 v2")));
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(Form1PtyTest, TypingInTheSelectorRunsTheChangeHandlerEachTime) {
    showAndActivate();
    ASSERT_TRUE(peer.waitForText("/ID"));
    ASSERT_EQ(9600, peer.lineSettings().baud);
    // Every keystroke runs the handler, which reopens the port the connection
    // holds at the speed the selector's text calls for.
    QLineEdit* edit = ui().cbserieporter->lineEdit();
    const QString path = QString::fromStdString(peer.slavePath());
    edit->selectAll();
    QTest::keyClicks(edit, path + QStringLiteral(" Tovik USB TIMER "));
    EXPECT_TRUE(QTest::qWaitFor([this] { return peer.lineSettings().baud == 115200; }, 2000));
    edit->selectAll();
    QTest::keyClicks(edit, path + QStringLiteral(" Serial port"));
    EXPECT_TRUE(QTest::qWaitFor([this] { return peer.lineSettings().baud == 9600; }, 2000));
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(Form1PtyTest, OrdinarySetupWritesItsCommandsAndClosesThePort) {
    showAndActivate();
    ASSERT_TRUE(peer.waitForText("/ID"));
    peer.clearReceived();
    pacer.clear();

    ui().Button21->click();
    ui().Button8->click();
    ASSERT_TRUE(peer.waitForText("/DM1/SND0/S100/SI030/SS100000"));
    EXPECT_EQ("/DM1/SND0/S100/SI030/SS100000", peer.received());
    EXPECT_TRUE(pacer.pauses().empty());

    peer.clearReceived();
    ui().rbModus->setItemIndex(3);
    ui().cblyd->setChecked(true);
    ui().cbforvarsel->setChecked(true);
    ui().txtInt->setText("5");
    ui().TimeEdit1->setTimeText("09:15:30");
    ui().Button23->click();
    ASSERT_TRUE(peer.waitForText("/DM3/SND1/S101/SI005/SS091530"));

    peer.clearReceived();
    pacer.clear();
    ui().Button17->click();
    ASSERT_TRUE(peer.waitForText("/DM3/SND1/S101"));
    EXPECT_EQ((std::vector<int>{500, 500}), pacer.pauses());

    peer.clearReceived();
    ui().Button6->click();
    ASSERT_TRUE(peer.waitForText("/SC091530"));
    EXPECT_TRUE(boxes.boxes.empty()) << boxes.boxes.front().text.toStdString();
    EXPECT_EQ(ui().TabSheet2, page()) << "the tasks leave the page alone";
}

}  // namespace
}  // namespace sk
