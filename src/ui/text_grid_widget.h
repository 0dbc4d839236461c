#pragma once
// TTextGrid: the window's grid of text cells (`grid`, `faktexcel`) over a
// TextGridModel. It opens with five columns (64, 64, 85, 64, 64 px), rows of
// 21 px, three rows (the title row and two empty ones) and no fixed column.
// It is always editing: the current cell has its editor open. Tab and Enter
// move to the next cell, left to right and then to the next row; Enter in
// the last cell of the last row and arrow down in the last row append an
// empty row; Insert inserts an empty row at the current one. Ranges of cells
// can be selected; both scroll bars are always shown.
// Main thread only.
#include <QStringList>
#include <QTableView>

#include "files/text_grid.h"

namespace sk {

class TextGridModel;

class TTextGrid : public QTableView {
    Q_OBJECT
    Q_PROPERTY(QStringList titles READ titles WRITE setTitles)

  public:
    static constexpr int kRowHeight = 21;
    static constexpr int kDefaultColumnWidth = 64;

    explicit TTextGrid(QWidget* parent = nullptr);

    TextGrid& textGrid();
    TextGridModel* gridModel() const { return model_; }
    // After the TextGrid was changed directly: shows it anew (row and column
    // counts, widths of new columns) and puts the cursor on the first cell.
    void reload();

    // Whether a cell editor is open (the grid's normal state while it works).
    bool isEditing() const { return state() == EditingState; }
    // Stores the open cell editor's text in the grid, leaving it open. The
    // window's buttons take no focus, so a click leaves the editor open with
    // text the grid does not hold yet; tasks that read the grid call this first.
    void commitEditor();

    QStringList titles() const;
    void setTitles(const QStringList& titles);

    // The moves of the keyboard, also used by tests: returns true when the
    // key was one of the grid's own (Tab, Backtab, Enter, Return, Up, Down,
    // Insert) and was handled.
    bool handleGridKey(int key, Qt::KeyboardModifiers modifiers);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

  private:
    void applyColumnWidths();
    void goTo(int row, int col);
    int firstDataRow() const;

    TextGridModel* model_;
};

}  // namespace sk
