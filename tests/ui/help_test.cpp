// "Hjelp": the compiled-in help pages, the help window following the
// language shown, and the return from it re-running the activation.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QStackedWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <memory>

#include "fake_clock_host.h"
#include "recording_message_boxes.h"
#include "recording_pacer.h"
#include "ui/form1.h"
#include "ui/help_window.h"
#include "ui/language_table.h"
#include "ui_form1.h"
#include "ui_test_main.h"

namespace sk {
namespace {

TEST(HelpPage, TopicInnExistsInBothLanguagesWithTheSameSections) {
    struct Case {
        int language;
        QStringList mustHold;
    };
    const Case cases[] = {
        {0,
         {"Koble til klokken", "Søk etter porter", "Vanlig oppsett", "Programerte klasser",
          "Jaktstart", "Tekst til klokke", "Rulletekst", "Avansert", "1;13:02:08;1;",
          "kolonne A startnummer, B starttid og\nC sluse"}},
        {1,
         {"Connecting the clock", "Search for ports", "Ordinary setup", "Programmed classes",
          "Pursuit start", "Text to clock", "Scroll text", "Advanced", "1;13:02:08;1;",
          "column A start number, B start time\nand C corridor"}},
    };
    for (const Case& c : cases) {
        const QString page = helpPage("inn", c.language);
        for (const QString& text : c.mustHold) {
            EXPECT_TRUE(page.contains(text)) << c.language << ": " << text.toStdString();
        }
    }
}

TEST(HelpPage, OtherLanguagesShowNorwegianAndUnknownTopicsNothing) {
    const QString norwegian = helpPage("inn", 0);
    ASSERT_FALSE(norwegian.isEmpty());
    EXPECT_NE(norwegian, helpPage("inn", 1));
    for (int language : {2, 9, 255, -1}) {
        EXPECT_EQ(norwegian, helpPage("inn", language)) << language;
    }
    for (const char* topic : {"", "ut", "INN", "inn.no", "../help/inn", "inn/../inn"}) {
        EXPECT_TRUE(helpPage(topic, 0).isEmpty()) << topic;
    }
}

class HelpOnTheWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        test::uiApp();
        SwitchLanguage(0);
        form = std::make_unique<TForm1>(FormServices{&pacer, &ports, &boxes});
    }
    void TearDown() override {
        EXPECT_TRUE(boxes.boxes.empty()) << boxes.boxes[0].text.toStdString();
        form.reset();
        SwitchLanguage(0);
        QApplication::processEvents();
    }

    Ui::Form1& ui() { return form->ui(); }
    QWidget* page() { return ui().PageControl1->currentWidget(); }
    QString helpText() { return form->helpWindow()->browser()->toPlainText(); }

    // Gives the focus to `widget`'s window and waits until the window
    // system says it has it.
    static bool focus(QWidget* widget) {
        widget->activateWindow();
        return QTest::qWaitFor(
            [widget] { return QGuiApplication::focusWindow() == widget->windowHandle(); });
    }
    bool activationsReach(int count) {
        return QTest::qWaitFor([this, count] { return form->activationCount() >= count; });
    }

    void showAndActivate() {
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        QTest::qWait(20);  // FormActivate is queued behind the focus change
    }

    test::RecordingPacer pacer;
    test::FakePortEnumerator ports;
    test::RecordingMessageBoxes boxes;
    std::unique_ptr<TForm1> form;
};

TEST_F(HelpOnTheWindow, HjelpOpensTheTopicInTheLanguageShown) {
    EXPECT_EQ(nullptr, form->helpWindow());
    ui().Button10->click();
    HelpWindow* help = form->helpWindow();
    ASSERT_NE(nullptr, help);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->isWindow());
    EXPECT_EQ("inn", help->topic());
    EXPECT_EQ("Hjelp - Tovik Vuzirirezir", help->windowTitle());
    EXPECT_TRUE(helpText().contains("Koble til klokken"));

    // An open page follows the flag buttons.
    ui().Button26->click();
    EXPECT_EQ(1, help->language());
    EXPECT_EQ("Help - Tovik Duduzurero", help->windowTitle());
    EXPECT_TRUE(helpText().contains("Connecting the clock"));

    // Closed, it stays in the language it had; the next "Hjelp" shows the
    // language now shown, in the same window.
    help->close();
    ui().Button25->click();
    EXPECT_EQ(1, help->language());
    ui().Button10->click();
    EXPECT_EQ(help, form->helpWindow());
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(0, help->language());
    EXPECT_TRUE(helpText().contains("Koble til klokken"));
}

TEST_F(HelpOnTheWindow, HjelpChangesNothingOnTheMainWindow) {
    ui().cbserieporter->setEditText("COM7 Serial port");
    const QString caption = form->windowTitle();
    const QString status = ui().lbserial->text();
    ui().Button10->click();
    EXPECT_EQ(ui().TabSheet1, page());
    EXPECT_EQ(caption, form->windowTitle());
    EXPECT_EQ(status, ui().lbserial->text());
    EXPECT_EQ("COM7 Serial port", ui().cbserieporter->currentText());
    EXPECT_EQ(0, form->activationCount());
}

TEST_F(HelpOnTheWindow, ReturningFromHelpRunsTheActivationAgain) {
    showAndActivate();
    ASSERT_EQ(1, form->activationCount());
    ui().Button26->click();

    ui().Button10->click();
    HelpWindow* help = form->helpWindow();
    ASSERT_TRUE(focus(help));
    // While help has the focus the operator may still use the window.
    ui().Button21->click();
    EXPECT_EQ(ui().TabSheet2, page());

    ASSERT_TRUE(focus(form.get()));
    EXPECT_TRUE(activationsReach(2));
    EXPECT_EQ(2, form->activationCount());
    EXPECT_EQ(2, ports.runs);
    EXPECT_EQ(ui().TabSheet1, page()) << "the activation ends on the start page";
    EXPECT_TRUE(help->isVisible()) << "help stays open beside the window";
    EXPECT_EQ("Tovik Duduzurero", form->windowTitle()) << "the language is kept";
    EXPECT_EQ(1, help->language());

    // And again: each return counts once.
    ASSERT_TRUE(focus(help));
    ASSERT_TRUE(focus(form.get()));
    EXPECT_TRUE(activationsReach(3));
    QTest::qWait(20);
    EXPECT_EQ(3, form->activationCount());
}

TEST_F(HelpOnTheWindow, ClosingTheWindowEndsTheProgramWithHelpOpen) {
    showAndActivate();
    ui().Button10->click();
    ASSERT_TRUE(focus(form->helpWindow()));
    // The event loop ends when the last window closes, as the program's does.
    QTimer avslutt;
    avslutt.setSingleShot(true);
    QObject::connect(&avslutt, &QTimer::timeout, ui().Button13, &QAbstractButton::click);
    avslutt.start(0);
    bool timedOut = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&timedOut] {
        timedOut = true;
        QApplication::quit();
    });
    guard.start(3000);
    QApplication::exec();
    EXPECT_FALSE(timedOut) << "the help window kept the program running";
    EXPECT_FALSE(form->isVisible());
}

}  // namespace
}  // namespace sk
