#pragma once
// FileEdit: a text field with a browse button at its right end. The button
// opens the platform's file-open dialog (no file-type filter, no read-only
// option) and puts the chosen full path into the field; a cancelled dialog
// leaves the field as it was. The field also takes typed text.
// Main thread only.
#include <QString>
#include <QWidget>
#include <functional>

class QLineEdit;
class QToolButton;

namespace sk {

class FileEdit : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)

  public:
    explicit FileEdit(QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);

    QLineEdit* lineEdit() const { return edit_; }
    QToolButton* browseButton() const { return button_; }

    // Replaces the dialog (tests): called with the field's current text,
    // returns the chosen path or an empty string for "cancelled".
    void setChooser(std::function<QString(const QString& current)> chooser);

  public slots:
    void browse();

  private:
    QLineEdit* edit_;
    QToolButton* button_;
    std::function<QString(const QString&)> chooser_;
};

}  // namespace sk
