#pragma once
// What the program sets on the application before the window is created:
// its name (the message boxes' title is applicationTitle(), message_boxes.h).
// Used by main and by the tests that build the window.
class QApplication;

namespace sk {

void initApplication(QApplication& app);

}  // namespace sk
