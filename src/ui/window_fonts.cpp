#include "ui/window_fonts.h"

#include <QStringList>

namespace sk {

namespace {

QFont sansAt(const QStringList& families, int pixels, bool bold) {
    QFont f;
    f.setFamilies(families);
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setStyleHint(QFont::SansSerif);
    return f;
}

// Arial-like faces keep the narrow MS Sans Serif widths; DejaVu is wider and
// comes last.
const QStringList& windowFamilies() {
    static const QStringList families{"MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans",
                                      "Arial",         "Nimbus Sans",          "Helvetica",
                                      "DejaVu Sans"};
    return families;
}

}  // namespace

QFont windowFont() {
    return sansAt(windowFamilies(), 11, false);
}
QFont titleFont() {
    return sansAt(windowFamilies(), 19, true);
}
QFont subtitleFont() {
    return sansAt(windowFamilies(), 13, true);
}
QFont gridFont() {
    // Tahoma is narrow; Verdana and DejaVu are not, and would not fit the
    // titles into 64-pixel columns.
    return sansAt({"Tahoma", "Liberation Sans", "Arial", "Nimbus Sans", "DejaVu Sans"}, 11, false);
}

}  // namespace sk
