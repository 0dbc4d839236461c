#pragma once
// RadioGroup: a captioned box of radio buttons, one per item, stacked and
// spread over the box's height. ItemIndex is the selected item, -1 for none;
// setting the items keeps the index when it is still in range.
// Main thread only.
#include <QButtonGroup>
#include <QGroupBox>
#include <QStringList>

class QRadioButton;

namespace sk {

class RadioGroup : public QGroupBox {
    Q_OBJECT
    Q_PROPERTY(QStringList items READ items WRITE setItems)
    Q_PROPERTY(int itemIndex READ itemIndex WRITE setItemIndex NOTIFY itemIndexChanged)

  public:
    explicit RadioGroup(QWidget* parent = nullptr);

    QStringList items() const;
    void setItems(const QStringList& items);
    int itemIndex() const;
    void setItemIndex(int index);
    // The radio button of an item (nullptr outside the range).
    QRadioButton* button(int index) const;

  signals:
    void itemIndexChanged(int index);

  private:
    QButtonGroup group_;
    int pendingIndex_ = -1;
};

}  // namespace sk
