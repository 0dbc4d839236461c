#pragma once
// Service operations on the clock's memory: "Flasherase" and "Oppdater
// program", the upload of the firmware image record by record.
//
// The upload waits for the clock's answer after every record through the
// reply monitor (replyState) and Timer1: it blocks in host().WaitForEvents()
// while the answer is outstanding (never spinning), repeats a rejected record
// every 500 ms without limit, and goes on after an acknowledgement or a
// timeout alike. The gauge and the labels of the start page's firmware area
// are reached through UpdateProgress.
//
// Errors: neither operation catches one. A failing opening or write raises
// ESerialPort to the caller and leaves an opened port open; the upload then
// leaves the gauge shown, does not show the end, and may leave Timer1 on.
// Main thread only. The image, the timer and the progress must outlive the call.
#include <string_view>

namespace sk {

class ClockConnection;
class FirmwareImage;
class TimeoutTimer;

namespace firmware_update {

inline constexpr std::string_view kConfirmText =
    "Update program should only be used by skilled Tovik personell";

// The start page's firmware area as the upload moves it.
class UpdateProgress {
  public:
    virtual ~UpdateProgress() = default;
    // Shows goppdater and igjen and sets the gauge's maximum (its position is
    // left where it stood).
    virtual void Begin(int maximum) = 0;
    // One more record done; the gauge never passes its maximum.
    virtual void Step() = 0;
    // Shows lbferdig; hides goppdater, spoppdater and lbprogram.
    virtual void Finish() = 0;
};

// "Flasherase": "/ERASEFLASH\r\n" on the trimmed port name, closed at once.
void SperaseClick(ClockConnection& conn);

// "Oppdater program": asks kConfirmText (Yes/No; No ends it untouched), then
// "/ERASEFLASH\r\n" 30000 ms, "/RE7D2C9\n" 300 ms, "3857\n" 300 ms, and every
// line of the image whose fourth character is not "F": line + "\n", 100 ms,
// Timer1 on, wait for replyState 1 or 2. Timer1 is the connection's timeout
// timer (the one whose OnTimer runs Timer1Timer).
void spoppdaterClick(ClockConnection& conn, TimeoutTimer& Timer1, const FirmwareImage& image,
                     UpdateProgress& progress);

}  // namespace firmware_update
}  // namespace sk
