#pragma once
// TextGridModel: a Qt table model that holds an sk::TextGrid. The grid keeps
// its cells as CP1252 bytes (what the CSV files and the clock see); text is
// converted at this boundary only. Rows below FixedRows (the title row) are
// shown bold on the button colour and can be neither edited nor selected;
// they stay ordinary grid rows, so the files include them.
// Code that changes the grid directly (a file load, an import) calls reload().
// Main thread only.
#include <QAbstractTableModel>
#include <QFont>

#include "files/text_grid.h"

namespace sk {

class TextGridModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    explicit TextGridModel(QObject* parent = nullptr);

    TextGrid& grid() { return grid_; }
    const TextGrid& grid() const { return grid_; }
    // Tells the views that the grid was changed behind the model's back.
    void reload();

    // Sets the texts of row 0 (the titles), widening the grid when needed.
    void setTitles(const QStringList& titles);

    // One empty row at the end.
    void appendRow();
    // One empty row before `row` (0 <= row <= RowCount); rows below move down.
    void insertRowAt(int row);

    void setFont(const QFont& font);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  private:
    TextGrid grid_{5, 3, 1};
    QFont font_;
    QFont titleFont_;
};

}  // namespace sk
