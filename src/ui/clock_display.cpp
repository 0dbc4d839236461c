#include "ui/clock_display.h"

#include <QPainter>

#include "ui/window_fonts.h"

namespace sk {

ClockDisplay::ClockDisplay(QWidget* parent) : QWidget(parent), source_(&QTime::currentTime) {
    timer_.setInterval(kRedrawMs);
    // A coarse timer lets the system batch wake-ups; 450 ms needs no precision.
    timer_.setTimerType(Qt::CoarseTimer);
    connect(&timer_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, kSkyBlue);
    setPalette(p);
}

void ClockDisplay::setTimeSource(std::function<QTime()> source) {
    source_ = std::move(source);
    update();
}

QString ClockDisplay::text() const {
    return source_().toString(QStringLiteral("HH:mm:ss"));
}

void ClockDisplay::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QFont f = font();
    f.setPixelSize(qMax(10, height() * 2 / 3));
    f.setBold(true);
    painter.setFont(f);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect(), Qt::AlignCenter, text());
}

void ClockDisplay::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    timer_.start();
}

void ClockDisplay::hideEvent(QHideEvent* event) {
    timer_.stop();
    QWidget::hideEvent(event);
}

}  // namespace sk
