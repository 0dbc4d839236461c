#include "ui/text_grid_model.h"

#include <QBrush>
#include <QGuiApplication>
#include <QPalette>

#include "support/cp1252.h"

namespace sk {

TextGridModel::TextGridModel(QObject* parent) : QAbstractTableModel(parent) {}

void TextGridModel::reload() {
    beginResetModel();
    endResetModel();
}

void TextGridModel::setTitles(const QStringList& titles) {
    beginResetModel();
    if (titles.size() > grid_.ColCount()) {
        grid_.SetColCount(static_cast<int>(titles.size()));
    }
    for (int col = 0; col < titles.size(); ++col) {
        grid_.SetCell(col, 0, utf8ToCp1252(titles[col].toStdString()));
    }
    endResetModel();
}

void TextGridModel::appendRow() {
    insertRowAt(grid_.RowCount());
}

void TextGridModel::insertRowAt(int row) {
    const int n = grid_.RowCount();
    if (row < 0 || row > n) {
        return;
    }
    beginInsertRows(QModelIndex(), row, row);
    grid_.SetRowCount(n + 1);
    for (int r = n; r > row; --r) {
        for (int col = 0; col < grid_.ColCount(); ++col) {
            grid_.SetCell(col, r, grid_.Cells(col, r - 1));
        }
    }
    if (row < n) {
        for (int col = 0; col < grid_.ColCount(); ++col) {
            grid_.SetCell(col, row, std::string());
        }
    }
    endInsertRows();
}

void TextGridModel::setFont(const QFont& font) {
    font_ = font;
    titleFont_ = font;
    titleFont_.setBold(true);
}

int TextGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : grid_.RowCount();
}

int TextGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : grid_.ColCount();
}

QVariant TextGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const bool title = index.row() < grid_.FixedRows();
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return QString::fromStdString(cp1252ToUtf8(grid_.Cells(index.column(), index.row())));
        case Qt::FontRole:
            return title ? titleFont_ : font_;
        case Qt::BackgroundRole:
            return title ? QBrush(QGuiApplication::palette().color(QPalette::Button))
                         : QBrush(Qt::white);
        case Qt::ForegroundRole:
            return QBrush(Qt::black);
        default:
            return {};
    }
}

bool TextGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole || index.row() < grid_.FixedRows()) {
        return false;
    }
    std::string bytes = utf8ToCp1252(value.toString().toStdString());
    if (bytes == grid_.Cells(index.column(), index.row())) {
        return true;
    }
    grid_.SetCell(index.column(), index.row(), std::move(bytes));
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

Qt::ItemFlags TextGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    if (index.row() < grid_.FixedRows()) {
        return Qt::ItemIsEnabled;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

}  // namespace sk
