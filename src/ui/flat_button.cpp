#include "ui/flat_button.h"

#include <QStyle>

namespace sk {

namespace {

QStyle::StandardPixmap pixmapFor(const QString& name, bool* found) {
    static const std::pair<const char*, QStyle::StandardPixmap> kTable[] = {
        {"next", QStyle::SP_ArrowRight},
        {"send", QStyle::SP_MediaPlay},
        {"clock", QStyle::SP_BrowserReload},
        {"open", QStyle::SP_DialogOpenButton},
        {"save", QStyle::SP_DialogSaveButton},
        {"help", QStyle::SP_MessageBoxQuestion},
        {"search", QStyle::SP_FileDialogContentsView},
        {"menu", QStyle::SP_FileDialogListView},
        {"exit", QStyle::SP_DialogCloseButton},
        {"erase", QStyle::SP_TrashIcon},
        {"stop", QStyle::SP_MediaStop},
        {"sound", QStyle::SP_MediaVolume},
        {"update", QStyle::SP_ArrowUp},
        {"test", QStyle::SP_DialogApplyButton},
        {"reset", QStyle::SP_DialogResetButton},
    };
    for (const auto& [key, pixmap] : kTable) {
        if (name == QLatin1String(key)) {
            *found = true;
            return pixmap;
        }
    }
    *found = false;
    return QStyle::SP_CustomBase;
}

}  // namespace

FlatButton::FlatButton(QWidget* parent) : QToolButton(parent) {
    setAutoRaise(true);
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setIconSize(QSize(16, 16));
    setCursor(Qt::PointingHandCursor);
}

void FlatButton::setGlyph(const QString& name) {
    glyph_ = name;
    bool found = false;
    const QStyle::StandardPixmap pixmap = pixmapFor(name, &found);
    setIcon(found ? style()->standardIcon(pixmap, nullptr, this) : QIcon());
}

}  // namespace sk
