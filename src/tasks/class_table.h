#pragma once
// The programmed-classes page ("Programerte klasser"): the class table in the
// grid, sent to the clock class by class, and kept in "Klasser.csv" beside
// the executable.
//
// BitBtn10Click opens the port (untrimmed name) and closes it at the end,
// also when a step raises: ESerialPort from the port, EConvertError from a
// cell that does not convert ("'%s' is not a valid integer value" for the
// numbers, "'%s' is not a valid time" for the first start). A failing cell
// ends the task there: the row's commands before it have been written, later
// rows are not sent. Nothing checks the values for sense.
// BitBtn12Click / BitBtn11Click load and save the grid (files/grid_csv.h):
// EFOpenError / EFCreateError name the class file; a failed load leaves the
// grid and a failed save leaves the old file as they were.
// Main thread only; none of them handles window events, so the grid and the
// inputs cannot change while a task runs. The caller owns the grid.
#include <string>
#include <string_view>

#include "files/text_grid.h"
#include "support/conversion.h"

namespace sk {

class ClockConnection;

namespace class_table {

inline constexpr std::string_view kClassFileName = "Klasser.csv";

// The grid's columns.
enum Column { FromNumber = 0, ToNumber = 1, FirstStart = 2, Interval = 3, Count = 4 };

// What the TForm1 handler gathers besides the grid.
struct Inputs {
    bool cblyd = false;        // "Med lyd (Pip 5 siste sekund)", ordinary-setup page
    bool cbforvarsel = false;  // "Forvarsel (10 sek før start)", ordinary-setup page
    char timeSeparator = regionalTimeSeparator();
};

// "Overfør klassene": "/DM4", then for every row below the title row whose
// first cell is not exactly empty: "/MAKEC", "/CF", "/CT", "/CS", "/CI",
// "/CP", "/CLASSAVE" (300 ms after each), "/CE", sound, pre-warning, 300 ms,
// "/DM4" and 300 ms: 2700 ms per class.
void BitBtn10Click(ClockConnection& conn, const TextGrid& grid, const Inputs& in);

// The class file in `folder` (the executable's folder, as the file system
// names it): the folder, a separator unless it ends with one, "Klasser.csv".
std::string ClassFilePath(const std::string& folder);

// "Hent fra excelfil": loads ClassFilePath(folder) into the grid.
void BitBtn12Click(TextGrid& grid, const std::string& folder);
// "Lagre til excelfil": saves the grid to ClassFilePath(folder).
void BitBtn11Click(const TextGrid& grid, const std::string& folder);

}  // namespace class_table
}  // namespace sk
