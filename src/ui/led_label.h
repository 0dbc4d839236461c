#pragma once
// LedLabel: an LED-style preview of a display line, a row of character cells
// (six by default) drawn as 14-segment glyphs: lit segments yellow, unlit ones
// dark. Letters are shown in upper case; characters without a glyph show
// blank. Text beyond the cells is not drawn. Main thread only.
#include <QString>
#include <QWidget>
#include <cstdint>

namespace sk {

class LedLabel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)
    Q_PROPERTY(int cells READ cells WRITE setCells)

  public:
    explicit LedLabel(QWidget* parent = nullptr);

    QString text() const { return text_; }
    void setText(const QString& text);
    int cells() const { return cells_; }
    void setCells(int n);

    // The segments lit for a character: bits 0..13 are a, b, c, d, e, f,
    // g1, g2, h, i, j, k, l, m (outer ring clockwise from the top, the two
    // middle bars, then the diagonals and centre bars from top left).
    static std::uint16_t segmentsFor(QChar c);

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString text_ = QStringLiteral("ABCDEF");
    int cells_ = 6;
};

}  // namespace sk
