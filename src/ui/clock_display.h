#pragma once
// ClockDisplay: the PC's time of day as HH:MM:SS (24 hours, leading zeros,
// no date), redrawn every 450 ms. The timer runs only while the display is
// visible, so a hidden page costs nothing; between ticks the thread sleeps.
// Main thread only.
#include <QTime>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace sk {

class ClockDisplay : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kRedrawMs = 450;

    explicit ClockDisplay(QWidget* parent = nullptr);

    // The time source; QTime::currentTime by default. Tests set a fixed clock.
    void setTimeSource(std::function<QTime()> source);
    // The text drawn now.
    QString text() const;
    bool ticking() const { return timer_.isActive(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    QTimer timer_;
    std::function<QTime()> source_;
};

}  // namespace sk
