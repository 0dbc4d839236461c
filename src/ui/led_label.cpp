#include "ui/led_label.h"

#include <QLineF>
#include <QPainter>
#include <array>

#include "ui/window_fonts.h"

namespace sk {

namespace {

enum Segment : std::uint16_t {
    A = 1 << 0,
    B = 1 << 1,
    C = 1 << 2,
    D = 1 << 3,
    E = 1 << 4,
    F = 1 << 5,
    G1 = 1 << 6,
    G2 = 1 << 7,
    H = 1 << 8,
    I = 1 << 9,
    J = 1 << 10,
    K = 1 << 11,
    L = 1 << 12,
    M = 1 << 13,
};

constexpr std::array<std::uint16_t, 26> kLetters{
    A | B | C | E | F | G1 | G2,  // A
    A | B | C | D | G2 | I | L,   // B
    A | D | E | F,                // C
    A | B | C | D | I | L,        // D
    A | D | E | F | G1 | G2,      // E
    A | E | F | G1,               // F
    A | C | D | E | F | G2,       // G
    B | C | E | F | G1 | G2,      // H
    A | D | I | L,                // I
    B | C | D | E,                // J
    E | F | G1 | J | M,           // K
    D | E | F,                    // L
    B | C | E | F | H | J,        // M
    B | C | E | F | H | M,        // N
    A | B | C | D | E | F,        // O
    A | B | E | F | G1 | G2,      // P
    A | B | C | D | E | F | M,    // Q
    A | B | E | F | G1 | G2 | M,  // R
    A | C | D | F | G1 | G2,      // S
    A | I | L,                    // T
    B | C | D | E | F,            // U
    E | F | J | K,                // V
    B | C | E | F | K | M,        // W
    H | J | K | M,                // X
    H | J | L,                    // Y
    A | D | J | K,                // Z
};

constexpr std::array<std::uint16_t, 10> kDigits{
    A | B | C | D | E | F | J | K,    // 0
    B | C | J,                        // 1
    A | B | D | E | G1 | G2,          // 2
    A | B | C | D | G2,               // 3
    B | C | F | G1 | G2,              // 4
    A | D | F | G1 | M,               // 5
    A | C | D | E | F | G1 | G2,      // 6
    A | B | C,                        // 7
    A | B | C | D | E | F | G1 | G2,  // 8
    A | B | C | D | F | G1 | G2,      // 9
};

}  // namespace

LedLabel::LedLabel(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void LedLabel::setText(const QString& text) {
    text_ = text;
    update();
}

void LedLabel::setCells(int n) {
    cells_ = qMax(1, n);
    updateGeometry();
    update();
}

std::uint16_t LedLabel::segmentsFor(QChar c) {
    const char16_t u = c.toUpper().unicode();
    if (u >= u'A' && u <= u'Z') {
        return kLetters[u - u'A'];
    }
    if (u >= u'0' && u <= u'9') {
        return kDigits[u - u'0'];
    }
    switch (u) {
        case u'-':
            return G1 | G2;
        case u'+':
            return G1 | G2 | I | L;
        case u'*':
            return G1 | G2 | H | I | J | K | L | M;
        case u'/':
            return J | K;
        case u'_':
            return D;
        case u'=':
            return D | G1 | G2;
        case u'Æ':
            return A | B | C | E | F | G1 | G2 | D;
        case u'Ø':
            return A | B | C | D | E | F | J | K;
        case u'Å':
            return A | B | C | E | F | G1 | G2 | I;
        default:
            return 0;
    }
}

QSize LedLabel::sizeHint() const {
    return QSize(cells_ * 30, 48);
}

void LedLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    p.setRenderHint(QPainter::Antialiasing);

    const double cellW = double(width()) / cells_;
    const double h = height();
    const double stroke = qMax(2.0, qMin(cellW, h) / 9.0);
    const QColor unlit(34, 34, 24);

    for (int cell = 0; cell < cells_; ++cell) {
        const QChar ch = cell < text_.size() ? text_.at(cell) : QChar(u' ');
        const std::uint16_t lit = segmentsFor(ch);

        const double x0 = cell * cellW + cellW * 0.2;
        const double x1 = (cell + 1) * cellW - cellW * 0.2;
        const double xc = (x0 + x1) / 2;
        const double y0 = h * 0.14;
        const double y1 = h * 0.86;
        const double ym = (y0 + y1) / 2;
        const double g = stroke * 0.9;  // gap where two segments meet
        const double d = stroke * 1.2;  // inset of the diagonals

        const std::array<QLineF, 14> segment{
            QLineF(x0 + g, y0, x1 - g, y0),          // a
            QLineF(x1, y0 + g, x1, ym - g),          // b
            QLineF(x1, ym + g, x1, y1 - g),          // c
            QLineF(x0 + g, y1, x1 - g, y1),          // d
            QLineF(x0, ym + g, x0, y1 - g),          // e
            QLineF(x0, y0 + g, x0, ym - g),          // f
            QLineF(x0 + g, ym, xc - g, ym),          // g1
            QLineF(xc + g, ym, x1 - g, ym),          // g2
            QLineF(x0 + d, y0 + d, xc - d, ym - d),  // h
            QLineF(xc, y0 + g, xc, ym - g),          // i
            QLineF(x1 - d, y0 + d, xc + d, ym - d),  // j
            QLineF(x0 + d, y1 - d, xc - d, ym + d),  // k
            QLineF(xc, ym + g, xc, y1 - g),          // l
            QLineF(x1 - d, y1 - d, xc + d, ym + d),  // m
        };
        for (int s = 0; s < 14; ++s) {
            const bool on = (lit >> s) & 1;
            p.setPen(QPen(on ? kLedYellow : unlit, stroke, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(segment[s]);
        }
    }
}

}  // namespace sk
