// The programmed-classes page end to end: the table typed into the grid and
// sent to a pseudo-terminal clock, and "Klasser.csv" beside the executable
// saved and loaded through the page's buttons.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "connected_form_fixture.h"
#include "fake_clock_host.h"
#include "file_size_limit.h"
#include "protocol/clock_connection.h"
#include "pty_peer.h"
#include "recording_message_boxes.h"
#include "recording_pacer.h"
#include "serial/serial_link.h"
#include "serial/serial_port.h"
#include "ui/form1.h"
#include "ui/text_grid_widget.h"
#include "ui_form1.h"
#include "ui_test_main.h"

namespace sk {
namespace {

using Box = test::RecordingMessageBoxes::Box;

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

class ClassesPageTest : public test::ConnectedFormTest {
  protected:
    QWidget* page() override { return ui().TabSheet5; }
    QAbstractButton* pageButton() override { return ui().Button22; }

    void SetUp() override {
        classFile = QCoreApplication::applicationDirPath().toStdString() + "/Klasser.csv";
        std::filesystem::remove(classFile);
        ConnectedFormTest::SetUp();
        ui().grid->setFocus();
        QApplication::processEvents();
    }
    void TearDown() override {
        ConnectedFormTest::TearDown();
        std::filesystem::remove(classFile);
    }

    TextGrid& table() { return ui().grid->textGrid(); }

    // Types row after row into the grid as an operator would: text, Tab,
    // ..., Enter in the last cell; the last cell is left open, not committed.
    void typeRows(const std::vector<std::vector<QString>>& rows) {
        for (std::size_t r = 0; r < rows.size(); ++r) {
            for (std::size_t c = 0; c < rows[r].size(); ++c) {
                QWidget* editor = QApplication::focusWidget();
                ASSERT_NE(nullptr, qobject_cast<QLineEdit*>(editor)) << "no cell editor open";
                QTest::keyClicks(editor, rows[r][c]);
                const bool last = r + 1 == rows.size() && c + 1 == rows[r].size();
                if (!last) {
                    QTest::keyClick(editor, c + 1 == rows[r].size() ? Qt::Key_Return : Qt::Key_Tab);
                    QApplication::processEvents();
                }
            }
        }
    }
    std::string classFile;
};

TEST_F(ClassesPageTest, TypedClassesAreSentWithTheBoxesOfTheSetupPage) {
    ui().cblyd->setChecked(true);
    typeRows({{"1", "50", "10:00:00", "30", "1"}, {"51", "99", "11:00", "1000", "2"}});
    ASSERT_EQ(3, table().RowCount()) << "the second row was there already";
    EXPECT_TRUE(ui().grid->isEditing()) << "the last cell is still open";

    ui().Button9->click();
    EXPECT_TRUE(boxes.boxes.empty()) << boxes.boxes.front().text.toStdString();
    EXPECT_EQ(
        "/DM4"
        "/MAKEC/CF0001/CT0050/CS100000/CI030/CP1/CLASSAVE/CE/SND1/S100/DM4"
        "/MAKEC/CF0051/CT0099/CS110000/CI1000/CP2/CLASSAVE/CE/SND1/S100/DM4",
        sent());
    EXPECT_EQ(std::vector<int>(18, 300), pacer.pauses());
    EXPECT_TRUE(closed());
    EXPECT_EQ("2", table().Cells(4, 2)) << "the open cell was taken into the table";
}

TEST_F(ClassesPageTest, ABadCellShowsTheConversionErrorAndClosesThePort) {
    typeRows({{"1", "50", "25:00", "30", "1"}});
    ui().Button9->click();
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ(Box::Critical, boxes.boxes[0].kind);
    EXPECT_EQ(QStringLiteral("'25:00' is not a valid time."), boxes.boxes[0].text);
    EXPECT_EQ("/DM4/MAKEC/CF0001/CT0050", sent());
    EXPECT_TRUE(closed());
}

TEST_F(ClassesPageTest, SavedTableLoadsBackOverLaterEdits) {
    typeRows({{"1", "50", "10:00:00", "30", "1"}, {"51", "99", "11:00", "30", "Første"}});
    ui().Button20->click();
    ASSERT_TRUE(boxes.boxes.empty()) << boxes.boxes.front().text.toStdString();
    EXPECT_EQ(std::string("Fra startnr,Til startnr,F\xF8rste start,Intervall,Antall\r\n"
                          "1,50,10:00:00,30,1\r\n"
                          "51,99,11:00,30,F\xF8rste\r\n"),
              readBytes(classFile));

    // Edits after the save: a changed cell and a fourth row.
    table().SetCell(0, 1, "7");
    table().SetRowCount(4);
    table().SetCell(0, 3, "100");
    ui().grid->reload();

    ui().Button19->click();
    ASSERT_TRUE(boxes.boxes.empty()) << boxes.boxes.front().text.toStdString();
    EXPECT_EQ(3, table().RowCount());
    EXPECT_EQ(3, ui().grid->model()->rowCount()) << "the view shows the loaded table";
    EXPECT_EQ("1", table().Cells(0, 1));
    EXPECT_EQ("F\xF8rste", table().Cells(4, 2));
    EXPECT_EQ(QStringLiteral("Første"), ui().grid->model()->index(2, 4).data().toString());
    EXPECT_EQ("F\xF8rste start", table().Cells(2, 0));
}

TEST_F(ClassesPageTest, LoadingWithoutAClassFileShowsItsPathAndKeepsTheTable) {
    typeRows({{"5"}});
    ui().Button19->click();
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ(QString::fromStdString("Cannot open file " + classFile + "."), boxes.boxes[0].text);
    EXPECT_EQ(3, table().RowCount());
    EXPECT_EQ("5", table().Cells(0, 1));
}

TEST_F(ClassesPageTest, RangesAreSelectedWithShiftFromTheOpenCellAndWithShiftClick) {
    auto selected = [this] {
        return static_cast<int>(ui().grid->selectionModel()->selectedIndexes().size());
    };
    ASSERT_TRUE(ui().grid->isEditing());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(2, selected()) << "Shift+Down from the open cell extends the range";
    EXPECT_EQ(3, table().RowCount()) << "and appends nothing";

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    EXPECT_EQ(1, selected());
    const QRect corner = ui().grid->visualRect(ui().grid->model()->index(2, 2));
    QTest::mouseClick(ui().grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, corner.center());
    EXPECT_EQ(6, selected()) << "two rows by three columns";
}

TEST_F(ClassesPageTest, AFailedSaveLeavesTheOldClassFileByteForByte) {
    const std::string old = "Fra startnr,Til startnr\r\n1,50,10:00:00,30,1\r\n";
    writeBytes(classFile, old);
    table().SetRowCount(2000);
    for (int r = 1; r < 2000; ++r) {
        table().SetCell(0, r, std::to_string(r));
    }
    ui().grid->reload();
    {
        test::FileSizeLimit limit(1024);
        ui().Button20->click();
    }
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ(QString::fromStdString("Cannot Create file " + classFile + "."), boxes.boxes[0].text);
    EXPECT_EQ(old, readBytes(classFile));
    const auto folder = std::filesystem::path(classFile).parent_path();
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "Klasser.csv" || name.rfind("Klasser.csv", 0) != 0)
            << "left behind: " << name;
    }
}

}  // namespace
}  // namespace sk
