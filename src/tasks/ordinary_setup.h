#pragma once
// The ordinary-setup page ("Vanlig oppsett"): set the clock's time, its
// display mode, beeper, pre-warning, interval and first start.
//
// Each operation takes the port from the selector (untrimmed name), opens it,
// writes its commands with their fixed pauses and closes it. Only
// BitBtn2Click catches errors (it shows "Feilt format på klokekslettet" and
// closes the port even then); the others let ESerialPort and EConvertError
// pass to the caller's error box, leaving an opened port open.
// Main thread only. TimeEdit4 is not read by any operation.
#include <string>
#include <string_view>

#include "support/conversion.h"

namespace sk {

class ClockConnection;

namespace ordinary_setup {

// CP1252: "Feilt format på klokekslettet".
inline constexpr std::string_view kBadTimeMessage = "Feilt format p\xE5 klokekslettet";

// What the TForm1 handlers gather from the page.
struct Inputs {
    std::string timeEdit1;      // TimeEdit1's text
    std::string txtInt = "30";  // the interval field, sent as text
    int rbModus = 0;            // selected mode item
    bool cblyd = false;         // "Med lyd (Pip 5 siste sekund)"
    bool cbforvarsel = false;   // "Forvarsel (10 sek før start)"
    char timeSeparator = regionalTimeSeparator();
};

// "Still likt med PC klokken": waits for the next whole second of the PC
// clock, sends it ("/SC" + HHMMSS) so that it is complete at that second,
// pauses 300 ms, closes.
void BitBtn1Click(ClockConnection& conn);
// "Sett tiden som angitt over": "/SC" + TimeEdit1, parsed before the port is
// touched. Any error shows kBadTimeMessage; the port is closed even then.
void BitBtn2Click(ClockConnection& conn, const Inputs& in);
// "Oppdater intervall" and "Sett modus": mode, sound, pre-warning, interval
// and first start (TimeEdit1), back to back without pauses.
void BitBtn3Click(ClockConnection& conn, const Inputs& in);
// "Oppdater lydvalg": mode (sound-update mapping) 500 ms, sound 500 ms,
// pre-warning.
void Button17Click(ClockConnection& conn, const Inputs& in);

}  // namespace ordinary_setup
}  // namespace sk
