#pragma once
// The program's help: one short page per topic and language, compiled in
// from src/ui/help/<topic>.<no|en>.html, shown in a window of its own beside
// the main window (not modal, so the operator can read while working).
//
// Contract:
// - Main thread only.
// - Languages: 0 Norwegian, 1 English; any other index shows the Norwegian
//   page, as the language table shows Norwegian for a cell it lacks.
// - A topic without a page shows nothing and reports false; nothing raises.
// - The window's parent (the main window) owns it; closing it only hides it,
//   so the next request reuses it.
#include <QString>
#include <QWidget>

class QTextBrowser;

namespace sk {

// The page of `topic` in `language` as HTML, or empty when there is none.
QString helpPage(const QString& topic, int language);

class HelpWindow : public QWidget {
    Q_OBJECT

  public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows the topic's page in the language and raises the window. False,
    // and the window left as it was, when the topic has no page.
    bool ShowTopic(const QString& topic, int language);
    // Shows the current topic again in another language, if the window is open.
    void SetLanguage(int language);

    QString topic() const { return topic_; }
    int language() const { return language_; }
    QTextBrowser* browser() const { return browser_; }

  private:
    bool load(const QString& topic, int language);

    QTextBrowser* browser_;
    QString topic_;
    int language_ = 0;
};

}  // namespace sk
