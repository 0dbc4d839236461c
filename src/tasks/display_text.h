#pragma once
// The pages "Tekst til klokke" and "Rulletekst": free text on the clock's two
// display lines, leaving the clock's text mode, and removing its scroll text.
//
// Every operation hands the untrimmed port name to com1, opens the port,
// writes its commands with their fixed pauses and closes the port; none waits
// for a reply. BitBtn9Click ("Reset") closes the port even when opening or
// writing fails; the others let ESerialPort pass to the caller's error box and
// leave an opened port open. Main thread only.
#include <string>
#include <string_view>

namespace sk {

class ClockConnection;

namespace display_text {

// What BitBtn8Click reads from the page (CP1252, as typed).
struct Inputs {
    std::string Edit4 = "abcdef";  // "Øvre linje", the upper display line
    std::string Edit5 = "abcdef";  // "Nedre linje", the lower display line
    std::string Edit6 = "1";       // "Tavlenr", the board number
};

// CP1252: shown by "Overfør rulleteksten", which has no command to send.
inline constexpr std::string_view kScrollTextNotSent =
    "Rulleteksten er ikke sendt. Programmet kjenner ikke klokkens kommando for "
    "rulletekst, s\xE5 ingenting ble overf\xF8rt til klokken.";

// "Overfør teksten": SerialPacket1 gets the stop string "\n" (for the rest of
// the run, even when the port then fails), "/PCEXIT" 300 ms, "/EOFF" 300 ms,
// "/PCSLAVE" 300 + 300 ms, pending window events handled, then the display
// line in one write; closes at once.
void BitBtn8Click(ClockConnection& conn, const Inputs& in);
// "Avslutt modus": "/PCEXIT", 300 ms, closes.
void Button12Click(ClockConnection& conn);
// "Reset" (BitBtn9 and BitBtn2): "/PCEXIT", closes without a pause, also when
// a step fails (the error still reaches the caller).
void BitBtn9Click(ClockConnection& conn);
// "Fjern rulleteksten": "/RBT", 300 ms, closes.
void Button8Click(ClockConnection& conn);
// "Overfør rulleteksten": opens and writes nothing; tells the operator in a
// message box that nothing was sent.
void BitBtn4Click(ClockConnection& conn);

}  // namespace display_text
}  // namespace sk
