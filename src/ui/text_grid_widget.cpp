#include "ui/text_grid_widget.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QStyledItemDelegate>
#include <array>

#include "support/cp1252.h"
#include "ui/text_grid_model.h"
#include "ui/window_fonts.h"

namespace sk {

namespace {

constexpr std::array<int, 5> kColumnWidths{64, 64, 85, 64, 64};

bool isGridKey(const QKeyEvent& event) {
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier)) {
        return false;
    }
    switch (event.key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Up:
        case Qt::Key_Down:
            // With Shift they extend the selected range (the view's own move).
            return !(event.modifiers() & Qt::ShiftModifier);
        case Qt::Key_Insert:
            return true;
        default:
            return false;
    }
}

// The editor's keys that move between cells go to the grid, not to the
// delegate's own handling (which would close the editor without moving).
class GridDelegate : public QStyledItemDelegate {
  public:
    explicit GridDelegate(TTextGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

  protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (isGridKey(*key)) {
                if (auto* editor = qobject_cast<QWidget*>(object)) {
                    emit commitData(editor);
                }
                grid_->handleGridKey(key->key(), key->modifiers());
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

  private:
    TTextGrid* grid_;
};

}  // namespace

TTextGrid::TTextGrid(QWidget* parent) : QTableView(parent), model_(new TextGridModel(this)) {
    setFont(gridFont());
    model_->setFont(gridFont());
    setModel(model_);
    setItemDelegate(new GridDelegate(this));

    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(kRowHeight);
    verticalHeader()->setDefaultSectionSize(kRowHeight);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setMinimumSectionSize(8);
    horizontalHeader()->setDefaultSectionSize(kDefaultColumnWidth);
    applyColumnWidths();

    setEditTriggers(QAbstractItemView::AllEditTriggers);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setTabKeyNavigation(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);

    QPalette p = palette();
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::Text, Qt::black);
    setPalette(p);

    goTo(firstDataRow(), 0);
}

TextGrid& TTextGrid::textGrid() {
    return model_->grid();
}

void TTextGrid::reload() {
    model_->reload();
    applyColumnWidths();
    goTo(firstDataRow(), 0);
}

void TTextGrid::commitEditor() {
    if (!isEditing()) {
        return;
    }
    if (QWidget* editor = indexWidget(currentIndex())) {
        commitData(editor);
    }
}

QStringList TTextGrid::titles() const {
    QStringList out;
    const TextGrid& g = model_->grid();
    for (int col = 0; col < g.ColCount(); ++col) {
        out << QString::fromStdString(cp1252ToUtf8(g.Cells(col, 0)));
    }
    return out;
}

void TTextGrid::setTitles(const QStringList& titles) {
    model_->setTitles(titles);
    applyColumnWidths();
    goTo(firstDataRow(), 0);
}

void TTextGrid::applyColumnWidths() {
    for (int col = 0; col < model_->columnCount(); ++col) {
        setColumnWidth(col,
                       col < int(kColumnWidths.size()) ? kColumnWidths[col] : kDefaultColumnWidth);
    }
}

int TTextGrid::firstDataRow() const {
    return qMin(model_->grid().FixedRows(), model_->grid().RowCount() - 1);
}

void TTextGrid::goTo(int row, int col) {
    const QModelIndex target = model_->index(row, col);
    if (!target.isValid()) {
        return;
    }
    setCurrentIndex(target);
    scrollTo(target);
}

QModelIndex TTextGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const QModelIndex current = currentIndex();
    if (!current.isValid()) {
        return QTableView::moveCursor(action, modifiers);
    }
    const int lastCol = model_->columnCount() - 1;
    const int lastRow = model_->rowCount() - 1;
    int row = current.row();
    int col = current.column();
    switch (action) {
        case MoveNext:
            if (col < lastCol) {
                ++col;
            } else if (row < lastRow) {
                ++row;
                col = 0;
            }
            return model_->index(row, col);
        case MovePrevious:
            if (col > 0) {
                --col;
            } else if (row > firstDataRow()) {
                --row;
                col = lastCol;
            }
            return model_->index(row, col);
        case MoveUp:
        case MovePageUp:
        case MoveHome: {
            const QModelIndex moved = QTableView::moveCursor(action, modifiers);
            // The title row is never the current cell.
            if (moved.isValid() && moved.row() < firstDataRow()) {
                return model_->index(firstDataRow(), moved.column());
            }
            return moved;
        }
        default:
            return QTableView::moveCursor(action, modifiers);
    }
}

bool TTextGrid::handleGridKey(int key, Qt::KeyboardModifiers modifiers) {
    const QModelIndex current = currentIndex();
    if (!current.isValid()) {
        return false;
    }
    const int lastCol = model_->columnCount() - 1;
    const int lastRow = model_->rowCount() - 1;
    const int row = current.row();
    const int col = current.column();
    switch (key) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab: {
            const QModelIndex next =
                moveCursor(key == Qt::Key_Tab ? MoveNext : MovePrevious, modifiers);
            goTo(next.row(), next.column());
            return true;
        }
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (row == lastRow && col == lastCol) {
                model_->appendRow();
                goTo(row + 1, 0);
            } else {
                const QModelIndex next = moveCursor(MoveNext, modifiers);
                goTo(next.row(), next.column());
            }
            return true;
        case Qt::Key_Down:
            if (row == lastRow) {
                model_->appendRow();
            }
            goTo(row + 1, col);
            return true;
        case Qt::Key_Up:
            goTo(qMax(firstDataRow(), row - 1), col);
            return true;
        case Qt::Key_Insert: {
            // The current row and its open editor move down with the insert;
            // the cursor stays on the new empty row.
            const int at = qMax(row, model_->grid().FixedRows());
            model_->insertRowAt(at);
            goTo(at, col);
            return true;
        }
        default:
            return false;
    }
}

void TTextGrid::keyPressEvent(QKeyEvent* event) {
    if (isGridKey(*event) && handleGridKey(event->key(), event->modifiers())) {
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void TTextGrid::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    // Always in edit mode: coming back to the grid opens the current cell.
    const QModelIndex current = currentIndex();
    if (current.isValid() && state() != EditingState &&
        (model_->flags(current) & Qt::ItemIsEditable)) {
        edit(current);
    }
}

}  // namespace sk
