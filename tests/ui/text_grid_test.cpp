// The class-table grid: its shape, the CP1252 boundary and its keyboard.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLineEdit>
#include <QTest>

#include "ui/text_grid_model.h"
#include "ui/text_grid_widget.h"
#include "ui_test_main.h"

namespace sk {
namespace {

class TextGridTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::uiApp();
        grid.setTitles({"Fra startnr", "Til startnr", "Første start", "Intervall", "Antall"});
        grid.resize(420, 200);
        grid.show();
        grid.setFocus();
        QApplication::processEvents();
    }

    // Types into the current cell's open editor.
    void typeInCell(const QString& text) {
        QWidget* editor = QApplication::focusWidget();
        ASSERT_NE(nullptr, qobject_cast<QLineEdit*>(editor)) << "no cell editor open";
        QTest::keyClicks(editor, text);
    }
    void press(Qt::Key key) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &grid;
        QTest::keyClick(target, key);
        QApplication::processEvents();
    }
    std::string cell(int col, int row) { return grid.textGrid().Cells(col, row); }
    QPoint current() { return {grid.currentIndex().column(), grid.currentIndex().row()}; }

    TTextGrid grid;
};

TEST_F(TextGridTest, OpensWithTitleRowTwoEmptyRowsAndTheGivenColumnWidths) {
    const TextGrid& g = grid.textGrid();
    EXPECT_EQ(5, g.ColCount());
    EXPECT_EQ(3, g.RowCount());
    EXPECT_EQ(1, g.FixedRows());
    // The title row is a real row of the grid, stored as CP1252.
    EXPECT_EQ("F\xF8rste start", g.Cells(2, 0));
    EXPECT_EQ("", g.Cells(0, 1));
    const int widths[] = {64, 64, 85, 64, 64};
    for (int col = 0; col < 5; ++col) {
        EXPECT_EQ(widths[col], grid.columnWidth(col)) << col;
    }
    EXPECT_EQ(21, grid.rowHeight(1));
    EXPECT_FALSE(grid.horizontalHeader()->isVisible());
    EXPECT_FALSE(grid.verticalHeader()->isVisible());
    EXPECT_EQ(Qt::ScrollBarAlwaysOn, grid.horizontalScrollBarPolicy());
    EXPECT_EQ(Qt::ScrollBarAlwaysOn, grid.verticalScrollBarPolicy());
    EXPECT_EQ(QAbstractItemView::ExtendedSelection, grid.selectionMode());
}

TEST_F(TextGridTest, TitleRowIsBoldAndNeitherEditableNorSelectable) {
    TextGridModel* model = grid.gridModel();
    const QModelIndex title = model->index(0, 2);
    EXPECT_EQ(QStringLiteral("Første start"), model->data(title).toString());
    EXPECT_TRUE(model->data(title, Qt::FontRole).value<QFont>().bold());
    EXPECT_FALSE(model->data(model->index(1, 2), Qt::FontRole).value<QFont>().bold());
    EXPECT_FALSE(model->flags(title) & Qt::ItemIsEditable);
    EXPECT_FALSE(model->flags(title) & Qt::ItemIsSelectable);
    EXPECT_FALSE(model->setData(title, QStringLiteral("x")));
    EXPECT_EQ("F\xF8rste start", cell(2, 0));
}

TEST_F(TextGridTest, OpensOnTheFirstDataCellWithItsEditorOpen) {
    EXPECT_EQ(QPoint(0, 1), current());
    EXPECT_TRUE(grid.isEditing());
}

TEST_F(TextGridTest, TypedTextIsStoredAsCp1252) {
    typeInCell(QStringLiteral("Første"));
    press(Qt::Key_Tab);
    EXPECT_EQ("F\xF8rste", cell(0, 1));
}

TEST_F(TextGridTest, TabAndEnterMoveLeftToRightThenToTheNextRow) {
    typeInCell(QStringLiteral("1"));
    press(Qt::Key_Tab);
    EXPECT_EQ(QPoint(1, 1), current());
    typeInCell(QStringLiteral("50"));
    press(Qt::Key_Return);
    EXPECT_EQ(QPoint(2, 1), current());
    EXPECT_EQ("1", cell(0, 1));
    EXPECT_EQ("50", cell(1, 1));
    press(Qt::Key_Enter);
    press(Qt::Key_Tab);
    press(Qt::Key_Return);
    EXPECT_EQ(QPoint(0, 2), current()) << "the end of a row goes on to the next row";
    EXPECT_EQ(3, grid.textGrid().RowCount()) << "nothing appended before the last cell";
}

TEST_F(TextGridTest, EnterInTheLastCellAppendsAnEmptyRow) {
    grid.setCurrentIndex(grid.gridModel()->index(2, 4));
    typeInCell(QStringLiteral("9"));
    press(Qt::Key_Return);
    EXPECT_EQ(4, grid.textGrid().RowCount());
    EXPECT_EQ("9", cell(4, 2));
    EXPECT_EQ(QPoint(0, 3), current());
    EXPECT_EQ("", cell(0, 3));
}

TEST_F(TextGridTest, TabInTheLastCellAppendsNothing) {
    grid.setCurrentIndex(grid.gridModel()->index(2, 4));
    press(Qt::Key_Tab);
    EXPECT_EQ(3, grid.textGrid().RowCount());
    EXPECT_EQ(QPoint(4, 2), current());
}

TEST_F(TextGridTest, ArrowDownInTheLastRowAppendsAnEmptyRow) {
    press(Qt::Key_Down);
    EXPECT_EQ(3, grid.textGrid().RowCount()) << "row 1 is not the last row";
    EXPECT_EQ(QPoint(0, 2), current());
    grid.setCurrentIndex(grid.gridModel()->index(2, 3));
    typeInCell(QStringLiteral("30"));
    press(Qt::Key_Down);
    EXPECT_EQ(4, grid.textGrid().RowCount());
    EXPECT_EQ(QPoint(3, 3), current());
    EXPECT_EQ("30", cell(3, 2));
}

TEST_F(TextGridTest, ArrowUpStopsBelowTheTitleRow) {
    press(Qt::Key_Up);
    EXPECT_EQ(QPoint(0, 1), current());
}

TEST_F(TextGridTest, InsertPutsAnEmptyRowAtTheCurrentRow) {
    typeInCell(QStringLiteral("1"));
    press(Qt::Key_Tab);
    typeInCell(QStringLiteral("50"));
    grid.setCurrentIndex(grid.gridModel()->index(1, 1));
    press(Qt::Key_Insert);
    EXPECT_EQ(4, grid.textGrid().RowCount());
    EXPECT_EQ("", cell(0, 1));
    EXPECT_EQ("", cell(1, 1));
    EXPECT_EQ("1", cell(0, 2));
    EXPECT_EQ("50", cell(1, 2));
    EXPECT_EQ("Fra startnr", cell(0, 0));
    EXPECT_EQ(QPoint(1, 1), current());
}

TEST_F(TextGridTest, ReloadShowsAGridChangedBehindTheView) {
    TextGrid& g = grid.textGrid();
    g.SetRowCount(6);
    g.SetColCount(7);
    g.SetCell(6, 5, "x");
    grid.reload();
    EXPECT_EQ(6, grid.gridModel()->rowCount());
    EXPECT_EQ(7, grid.gridModel()->columnCount());
    EXPECT_EQ(QStringLiteral("x"), grid.gridModel()->index(5, 6).data().toString());
    EXPECT_EQ(64, grid.columnWidth(6));
    EXPECT_EQ(85, grid.columnWidth(2));
}

}  // namespace
}  // namespace sk
