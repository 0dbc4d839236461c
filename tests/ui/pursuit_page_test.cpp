// The pursuit-start page end to end: a list picked in the file field and
// sent with "Overfør" to a pseudo-terminal clock, the clock's replies in the
// log, a workbook list through the hidden grid, and the page's other buttons.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStackedWidget>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <thread>

#include "connected_form_fixture.h"
#include "fake_clock_host.h"
#include "protocol/clock_connection.h"
#include "pty_peer.h"
#include "recording_message_boxes.h"
#include "recording_pacer.h"
#include "serial/serial_link.h"
#include "serial/serial_port.h"
#include "ui/file_edit.h"
#include "ui/form1.h"
#include "ui/text_grid_widget.h"
#include "ui/time_edit.h"
#include "ui_form1.h"
#include "ui_test_main.h"

namespace sk {
namespace {

class PursuitPageTest : public test::ConnectedFormTest {
  protected:
    QWidget* page() override { return ui().TabSheet3; }
    QAbstractButton* pageButton() override { return ui().btjakt; }

    void SetUp() override {
        std::random_device rd;
        dir = std::filesystem::temp_directory_path() /
              ("sk_pursuit_page_" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(dir);
        if (const char* old = std::getenv("TMPDIR")) {
            oldTmp = old;
        }
        setenv("TMPDIR", dir.c_str(), 1);
        ConnectedFormTest::SetUp();
    }
    void TearDown() override {
        ConnectedFormTest::TearDown();
        if (oldTmp.empty()) {
            unsetenv("TMPDIR");
        } else {
            setenv("TMPDIR", oldTmp.c_str(), 1);
        }
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    QStringList logLines() { return ui().Memo1->toPlainText().split('\n'); }
    std::string listFile(const std::string& bytes) {
        const std::string path = (dir / "jakt.txt").string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    std::filesystem::path dir;
    std::string oldTmp;
    bool answerWaited = false;
};

TEST_F(PursuitPageTest, PageOpensWithItsFieldsAsCreated) {
    EXPECT_EQ(QStringLiteral("Alle"), ui().txtSluse->text());
    EXPECT_EQ(QStringLiteral("300"), ui().tctdelay->text());
    EXPECT_FALSE(ui().prog->isVisible());
    EXPECT_EQ(0, ui().prog->value());
    EXPECT_EQ(QStringLiteral("-"), ui().Memo1->toPlainText());
    EXPECT_EQ(QStringLiteral("10:00:00"), ui().TimeEdit2->timeText());
    EXPECT_FALSE(ui().faktexcel->isVisible());
}

TEST_F(PursuitPageTest, TransferSendsTheListLogsItAndTheClocksReplies) {
    // The clock answers "/RECVLIST"; the pause after it gives the answer time
    // to arrive, and the first character's event handling logs it.
    peer.onReceive("/RECVLIST\r\n", "+\r\n");
    pacer.onSleep = [this](int) {
        if (peer.received().find("/RECVLIST") != std::string::npos && !answerWaited) {
            answerWaited = true;
            // Until the peer has answered, then time for the port's thread to
            // read it and post it to the window.
            const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
            while (peer.lastWriteTime() == test::PtyPeer::Clock::time_point{} &&
                   std::chrono::steady_clock::now() < until) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
        }
    };
    ui().FileEdit1->setText(QString::fromStdString(
        listFile("Startnr;Starttid;Sluse;\r\n1;13:02:08;1;\r\n2,13:02:38,2\r\n")));
    ui().txtSluse->setText("2");
    ui().tctdelay->setText("0");
    ui().Button18->click();
    ASSERT_TRUE(boxes.boxes.empty()) << boxes.boxes.front().text.toStdString();

    EXPECT_EQ(
        "/ERASELIST\r\n/EON\r\n/SGATE02\r\n/RECVLIST\r\n1;13:02:08;1;\r\n2;13:02:38;2\r\n"
        "/PUREND\r\n/DM6\r\n/SC100000",
        sent());
    EXPECT_EQ((std::vector<int>{300, 300, 300, 300, 300, 300, 300}), pacer.pauses());
    EXPECT_TRUE(closed());
    EXPECT_FALSE(ui().prog->isVisible());
    EXPECT_EQ(30, ui().prog->value());
    const QStringList log = logLines();
    EXPECT_EQ(QStringLiteral("Starter overføring"), log.front());
    EXPECT_EQ(QStringLiteral("Ferdig"), log.back());
    const auto answer = log.indexOf(QStringLiteral("Svarer:+"));
    const auto firstLine = log.indexOf(QStringLiteral("1;13:02:08;1;"));
    EXPECT_TRUE(answer > 0 && answer < firstLine) << log.join('|').toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("2,13:02:38,2")));
}

TEST_F(PursuitPageTest, WorkbookListGoesThroughTheHiddenGrid) {
    ui().FileEdit1->setText(QStringLiteral(SK_SPREADSHEET_DATA "/pursuit.xlsx"));
    ui().tctdelay->setText("0");
    ui().Button18->click();
    ASSERT_TRUE(boxes.boxes.empty()) << boxes.boxes.front().text.toStdString();
    EXPECT_EQ(8, ui().faktexcel->model()->rowCount()) << "the view shows the imported list";
    EXPECT_NE(std::string::npos, sent().find("\r\n4;13:02:08;2;\"Nordmann; \"\"Kari\"\"\"\r\n"));
    EXPECT_TRUE(std::filesystem::exists(dir / "pursuittvk"));
    EXPECT_EQ(QStringLiteral("Ferdig"), logLines().back());
}

TEST_F(PursuitPageTest, MissingListShowsItsNameAfterTheOpeningCommandsAndLeavesThePortOpen) {
    const std::string path = (dir / "borte.txt").string();
    ui().FileEdit1->setText(QString::fromStdString(path));
    ui().Button18->click();
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ(QString::fromStdString("Cannot open file " + path + "."), boxes.boxes[0].text);
    // The port stays open: the last bytes may still be on their way.
    EXPECT_TRUE(peer.waitForText("/RECVLIST\r\n"));
    EXPECT_EQ("/ERASELIST\r\n/EON\r\n/RGATE\r\n/RECVLIST\r\n", sent());
    EXPECT_TRUE(com1().Connected());
    EXPECT_FALSE(ui().prog->isVisible());
}

TEST_F(PursuitPageTest, TimeButtonsAndTheTestButtonSendAndClose) {
    ui().TimeEdit2->setTimeText("13:02:08");
    ui().Button16->click();
    EXPECT_TRUE(closed());
    EXPECT_EQ(QStringLiteral("Klokken satt til: 130208"), logLines().back());

    ui().BitBtn1->click();  // beyond the panel's edge, but a click still runs it
    EXPECT_TRUE(closed());
    pacer.setNow(10, 0, 0, 400);
    ui().Button15->click();
    EXPECT_TRUE(closed());
    EXPECT_TRUE(boxes.boxes.empty()) << boxes.boxes.front().text.toStdString();
    EXPECT_EQ("/SC130208/DM4/SHOWLIST/SC100001", sent());
}

}  // namespace
}  // namespace sk
