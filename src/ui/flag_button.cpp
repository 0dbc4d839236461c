#include "ui/flag_button.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionButton>

namespace sk {

namespace {

// Norway: red field, blue cross edged in white, 22 x 16 units.
void drawNorway(QPainter& p, const QRectF& r) {
    const double u = r.width() / 22.0;
    const double v = r.height() / 16.0;
    p.fillRect(r, QColor(186, 12, 47));
    p.fillRect(QRectF(r.left() + 6 * u, r.top(), 4 * u, r.height()), Qt::white);
    p.fillRect(QRectF(r.left(), r.top() + 6 * v, r.width(), 4 * v), Qt::white);
    p.fillRect(QRectF(r.left() + 7 * u, r.top(), 2 * u, r.height()), QColor(0, 32, 91));
    p.fillRect(QRectF(r.left(), r.top() + 7 * v, r.width(), 2 * v), QColor(0, 32, 91));
}

// United Kingdom: blue field, white and red saltires (the red one set off
// the diagonal, counterchanged), white-edged red cross; 60 x 30 units.
void drawUnitedKingdom(QPainter& p, const QRectF& r) {
    const QColor blue(1, 33, 105);
    const QColor red(200, 16, 46);
    p.fillRect(r, blue);
    p.save();
    p.setClipRect(r);
    p.translate(r.topLeft());
    p.scale(r.width() / 60.0, r.height() / 30.0);
    p.setRenderHint(QPainter::Antialiasing);

    p.setPen(QPen(Qt::white, 6));
    p.drawLine(QLineF(0, 0, 60, 30));
    p.drawLine(QLineF(60, 0, 0, 30));

    // Each red arm lies off the middle of its white arm, all to the same
    // turning side, so the flag reads the same after a half turn.
    p.setPen(QPen(red, 2));
    p.drawLine(QLineF(0, 1, 30, 16));    // hoist top: below the diagonal
    p.drawLine(QLineF(60, 29, 30, 14));  // fly bottom: above it
    p.drawLine(QLineF(60, -1, 30, 14));  // fly top: above it
    p.drawLine(QLineF(0, 31, 30, 16));   // hoist bottom: below it

    p.fillRect(QRectF(25, 0, 10, 30), Qt::white);
    p.fillRect(QRectF(0, 10, 60, 10), Qt::white);
    p.fillRect(QRectF(27, 0, 6, 30), red);
    p.fillRect(QRectF(0, 12, 60, 6), red);
    p.restore();
}

}  // namespace

FlagButton::FlagButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
}

void FlagButton::setFlag(const QString& code) {
    flag_ = code;
    setAccessibleName(code == QLatin1String("no")   ? QStringLiteral("Norsk")
                      : code == QLatin1String("gb") ? QStringLiteral("English")
                                                    : QString());
    update();
}

void FlagButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QStyleOptionButton opt;
    opt.initFrom(this);
    opt.state |= isDown() ? QStyle::State_Sunken : QStyle::State_Raised;
    style()->drawPrimitive(QStyle::PE_PanelButtonCommand, &opt, &p, this);

    // The flag sits inside the edge and moves by a pixel while pressed.
    QRectF inner = QRectF(rect()).adjusted(4, 4, -4, -4);
    if (isDown()) {
        inner.translate(1, 1);
    }
    if (flag_ == QLatin1String("no")) {
        drawNorway(p, inner);
    } else if (flag_ == QLatin1String("gb")) {
        drawUnitedKingdom(p, inner);
    } else {
        p.fillRect(inner, Qt::lightGray);
    }
    if (hasFocus()) {
        p.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        p.drawRect(rect().adjusted(2, 2, -3, -3));
    }
}

}  // namespace sk
