#pragma once
// FlagButton: an image-only button showing a national flag, drawn here
// (Norway or the United Kingdom), with a raised edge and a pressed look.
// The flag is the button's only content; its accessible name says which.
// Main thread only.
#include <QAbstractButton>
#include <QString>

namespace sk {

class FlagButton : public QAbstractButton {
    Q_OBJECT
    Q_PROPERTY(QString flag READ flag WRITE setFlag)

  public:
    explicit FlagButton(QWidget* parent = nullptr);

    // "no" (Norway) or "gb" (United Kingdom); anything else draws grey.
    QString flag() const { return flag_; }
    void setFlag(const QString& code);

    QSize sizeHint() const override { return QSize(35, 25); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString flag_;
};

}  // namespace sk
