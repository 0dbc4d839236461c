#include "ui/help_window.h"

#include <QFile>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "ui/window_fonts.h"

// The pages live in a static library: nothing would pull their resource in
// unless it is initialised by name.
static void initHelpResource() {
    Q_INIT_RESOURCE(help);
}

namespace sk {

namespace {

QString languageCode(int language) {
    return language == 1 ? QStringLiteral("en") : QStringLiteral("no");
}

QString windowTitleFor(int language) {
    return language == 1 ? QStringLiteral("Help - Tovik Duduzurero")
                         : QStringLiteral("Hjelp - Tovik Vuzirirezir");
}

}  // namespace

QString helpPage(const QString& topic, int language) {
    // Topics are plain names; anything else could reach other resources.
    for (const QChar c : topic) {
        if (!c.isLetterOrNumber() && c != QLatin1Char('_')) {
            return QString();
        }
    }
    if (topic.isEmpty()) {
        return QString();
    }
    static const bool initialised = (initHelpResource(), true);
    (void)initialised;
    QFile file(QStringLiteral(":/help/%1.%2.html").arg(topic, languageCode(language)));
    if (!file.open(QIODevice::ReadOnly)) {
        return QString();
    }
    return QString::fromUtf8(file.readAll());
}

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("HelpWindow"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    // An open help page does not keep the program running once the main
    // window has closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("HelpText"));
    browser_->setOpenLinks(false);
    QPalette p = browser_->palette();
    p.setColor(QPalette::Base, kSkyBlue);
    browser_->setPalette(p);
    QFont font = windowFont();
    font.setPixelSize(12);  // a page of running text: a little larger than the window's
    browser_->setFont(font);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    // Readable beside the main window at its design size.
    resize(480, 520);
}

bool HelpWindow::load(const QString& topic, int language) {
    const QString page = helpPage(topic, language);
    if (page.isEmpty()) {
        return false;
    }
    topic_ = topic;
    language_ = language;
    browser_->setHtml(page);
    setWindowTitle(windowTitleFor(language));
    return true;
}

bool HelpWindow::ShowTopic(const QString& topic, int language) {
    if (!load(topic, language)) {
        return false;
    }
    show();
    raise();
    activateWindow();
    return true;
}

void HelpWindow::SetLanguage(int language) {
    if (isVisible() && !topic_.isEmpty()) {
        load(topic_, language);
    }
}

}  // namespace sk
