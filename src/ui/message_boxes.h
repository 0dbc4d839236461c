#pragma once
// The window's message boxes behind one seam, so tests can record what the
// operator would have seen and answer questions without a modal loop.
// Texts arrive as QString; the window converts CP1252 at its edge.
// Main thread only.
#include <QString>
#include <functional>
#include <string_view>

class QWidget;

namespace sk {

class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    // The error box: error icon, OK button.
    virtual void critical(QWidget* parent, const QString& title, const QString& text) = 0;
    // A plain message with an OK button.
    virtual void information(QWidget* parent, const QString& title, const QString& text) = 0;
    // Yes / No; true for Yes.
    virtual bool question(QWidget* parent, const QString& title, const QString& text) = 0;
};

// The real boxes (QMessageBox, modal).
class QtMessageBoxes final : public MessageBoxes {
  public:
    void critical(QWidget* parent, const QString& title, const QString& text) override;
    void information(QWidget* parent, const QString& title, const QString& text) override;
    bool question(QWidget* parent, const QString& title, const QString& text) override;
};

// The text of the error box for an error message in CP1252: the message,
// with "." appended when its last byte sorts after "." (so "...: 2" and
// "...connected" get one, "...file." and "...)" do not).
QString errorBoxText(std::string_view cp1252Message);

// The caption of every box: the application's title ("Tovik Vuzirirezir").
QString applicationTitle();

// Runs one handler; an exception it lets out ends it and is shown in the
// error box (applicationTitle, errorBoxText(what())). Returns false then.
// Everything outside std::exception is left to propagate.
bool runGuarded(QWidget* parent, MessageBoxes& boxes, const std::function<void()>& handler);

}  // namespace sk
