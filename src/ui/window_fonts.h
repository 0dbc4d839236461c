#pragma once
// The window's fonts and colours in one place. The window was drawn for
// "MS Sans Serif" and "Tahoma" at fixed pixel sizes; on systems without them
// the families fall back to sans fonts of similar width, at the same sizes.
#include <QColor>
#include <QFont>

namespace sk {

inline const QColor kSkyBlue{166, 202, 240};
inline const QColor kBandBlue{5, 174, 231};
inline const QColor kLedYellow{255, 255, 0};

// The window font: 11 px, regular.
QFont windowFont();
// Page titles: bold, 19 px.
QFont titleFont();
// Page subtitles: bold, 13 px.
QFont subtitleFont();
// The grids: Tahoma-like, 11 px.
QFont gridFont();

}  // namespace sk
