#pragma once
// FlatButton: the flat task and bar button: caption, an optional 16 x 16
// image before it (named by `glyph`, drawn from the style's standard icons),
// an optional hint shown as tool tip, and the click signal.
// Main thread only.
#include <QString>
#include <QToolButton>

namespace sk {

class FlatButton : public QToolButton {
    Q_OBJECT
    Q_PROPERTY(QString glyph READ glyph WRITE setGlyph)

  public:
    explicit FlatButton(QWidget* parent = nullptr);

    // "" (none), "next", "send", "clock", "open", "save", "help", "search",
    // "menu", "exit", "erase", "stop", "sound", "update", "test", "reset".
    QString glyph() const { return glyph_; }
    void setGlyph(const QString& name);

  private:
    QString glyph_;
};

}  // namespace sk
