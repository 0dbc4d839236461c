#include "tasks/class_table.h"

#include <cstdint>
#include <filesystem>

#include "files/grid_csv.h"
#include "protocol/clock_command.h"
#include "protocol/clock_connection.h"
#include "support/pacer.h"

namespace sk::class_table {

namespace {

constexpr int kBeforeClosingDisplayModeMs = 300;

bool isSeparator(char c) {
    return c == '/' || c == static_cast<char>(std::filesystem::path::preferred_separator);
}

// One row; each cell is read just before its own command, so a failing cell
// leaves the commands before it written.
void SendClass(ClockConnection& conn, const TextGrid& grid, int row, const Inputs& in) {
    conn.SendCommandPaced(ClockCommand::MakeClass);
    const std::int32_t from = StrToInt(grid.Cells(FromNumber, row));
    conn.SendCommandPaced(ClockCommand::ClassFrom(from));
    const std::int32_t to = StrToInt(grid.Cells(ToNumber, row));
    conn.SendCommandPaced(ClockCommand::ClassTo(to));
    const TimeOfDay start = StrToTime(grid.Cells(FirstStart, row), in.timeSeparator);
    conn.SendCommandPaced(ClockCommand::ClassStart(start));
    const std::int32_t interval = StrToInt(grid.Cells(Interval, row));
    conn.SendCommandPaced(ClockCommand::ClassInterval(interval));
    conn.SendCommandPaced(ClockCommand::ClassCount(grid.Cells(Count, row)));
    conn.SendCommandPaced(ClockCommand::ClassSave);
    conn.SendCommand(ClockCommand::ClassEnd);
    conn.SendCommand(ClockCommand::Sound(in.cblyd));
    conn.SendCommand(ClockCommand::PreWarning(in.cbforvarsel));
    conn.pacer().sleep(kBeforeClosingDisplayModeMs);
    conn.SendCommandPaced(ClockCommand::DisplayMode4);
}

}  // namespace

void BitBtn10Click(ClockConnection& conn, const TextGrid& grid, const Inputs& in) {
    TaskPort port(conn, TaskPort::Untrimmed, TaskPort::CloseEvenOnFailure);
    conn.SendCommand(ClockCommand::DisplayMode4);
    for (int row = 1; row < grid.RowCount(); ++row) {
        // Exactly empty: a blank is a class (and fails as a number).
        if (grid.Cells(FromNumber, row).empty()) {
            continue;
        }
        SendClass(conn, grid, row, in);
    }
    port.Close();
}

std::string ClassFilePath(const std::string& folder) {
    std::string path = folder;
    if (!path.empty() && !isSeparator(path.back())) {
        path += static_cast<char>(std::filesystem::path::preferred_separator);
    }
    path += kClassFileName;
    return path;
}

void BitBtn12Click(TextGrid& grid, const std::string& folder) {
    LoadGridCsv(grid, ClassFilePath(folder));
}

void BitBtn11Click(const TextGrid& grid, const std::string& folder) {
    SaveGridCsv(grid, ClassFilePath(folder));
}

}  // namespace sk::class_table
