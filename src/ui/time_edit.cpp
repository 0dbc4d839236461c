#include "ui/time_edit.h"

#include "support/conversion.h"

namespace sk {

namespace {

QString separator() {
    return QString(QChar::fromLatin1(regionalTimeSeparator()));
}

}  // namespace

TimeEdit::TimeEdit(QWidget* parent) : QLineEdit(parent) {
    applyMask();
    setTimeText(QStringLiteral("10:00:00"));
}

void TimeEdit::applyMask() {
    const QString shown = displayText();
    // Escaped, so a separator that is also a mask character stays a literal.
    const QString sep = QLatin1Char('\\') + separator();
    const QChar blank = zeroForEmpty_ ? QLatin1Char('0') : QLatin1Char(' ');
    setInputMask(QStringLiteral("99") + sep + QStringLiteral("99") + sep + QStringLiteral("99;") +
                 blank);
    if (!shown.isEmpty()) {
        setText(shown);
    }
}

QString TimeEdit::timeText() const {
    // text() leaves out every position that holds the blank character, and
    // with a blank of "0" that would drop typed zeros too.
    return displayText();
}

void TimeEdit::setTimeText(const QString& text) {
    QString t = text;
    t.replace(QLatin1Char(':'), separator());
    setText(t);
}

void TimeEdit::setZeroForEmpty(bool on) {
    if (on == zeroForEmpty_) {
        return;
    }
    zeroForEmpty_ = on;
    applyMask();
}

}  // namespace sk
