#pragma once
// TimeEdit: a time-of-day entry shown and edited as hours:minutes:seconds
// with the regional time separator. It opens at 10:00:00 and yields the text
// as shown; the tasks parse that text, so an entry such as 25:00:00 reaches
// them and fails there with the usual conversion error.
// With zeroForEmpty (the default) a digit position the operator cleared shows
// as "0" and reads as "0"; without it the position shows and reads as a blank.
// Main thread only.
#include <QLineEdit>
#include <QString>

namespace sk {

class TimeEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(bool zeroForEmpty READ zeroForEmpty WRITE setZeroForEmpty)

  public:
    explicit TimeEdit(QWidget* parent = nullptr);

    // The text as the entry shows it, e.g. "10:00:00".
    QString timeText() const;
    // Sets the shown time; characters that do not fit the mask are dropped.
    void setTimeText(const QString& text);

    bool zeroForEmpty() const { return zeroForEmpty_; }
    void setZeroForEmpty(bool on);

  private:
    void applyMask();

    bool zeroForEmpty_ = true;
};

}  // namespace sk
