#include "tasks/firmware_update.h"

#include <string>

#include "files/firmware_image.h"
#include "protocol/clock_command.h"
#include "protocol/clock_connection.h"
#include "protocol/clock_host.h"
#include "protocol/timeout_timer.h"
#include "support/pacer.h"

namespace sk::firmware_update {

namespace {

constexpr int kAfterEraseMs = 30000;
constexpr int kAfterCodeMs = 300;
constexpr int kAfterRecordMs = 100;
constexpr int kBeforeRepeatMs = 500;

constexpr int kWaiting = 0;
constexpr int kRejected = -1;

// Records at 0xF000 and above are not the loader's to write.
bool Skipped(const std::string& line) {
    return line.size() > 3 && line[3] == 'F';
}

}  // namespace

void SperaseClick(ClockConnection& conn) {
    TaskPort port(conn, TaskPort::Trimmed, TaskPort::CloseAtEndOnly);
    conn.SendCommand(ClockCommand::EraseFlash);
    port.Close();
}

void spoppdaterClick(ClockConnection& conn, TimeoutTimer& Timer1, const FirmwareImage& image,
                     UpdateProgress& progress) {
    if (!conn.host().Confirm(std::string(kConfirmText))) {
        return;
    }
    TaskPort port(conn, TaskPort::Untrimmed, TaskPort::CloseAtEndOnly);
    Pacer& pacer = conn.pacer();
    conn.SendCommand(ClockCommand::EraseFlash);
    pacer.sleep(kAfterEraseMs);
    conn.SendCommand(ClockCommand::ServiceCode1);
    pacer.sleep(kAfterCodeMs);
    conn.SendCommand(ClockCommand::ServiceCode2);
    pacer.sleep(kAfterCodeMs);

    const int count = image.LineCount();
    progress.Begin(count);
    for (int i = 0; i < count; ++i) {
        conn.replyState = kWaiting;
        const std::string& line = image.Line(i);
        if (Skipped(line)) {
            continue;
        }
        conn.SendCommand(ClockCommand::FirmwareRecord(line));
        pacer.sleep(kAfterRecordMs);
        Timer1.SetEnabled(true);
        do {
            // Nothing to do until a reply or the timer arrives: block. After a
            // rejection only what is already pending is handled, so the
            // record goes out again every 500 ms until the answer changes.
            if (conn.replyState == kWaiting) {
                conn.host().WaitForEvents();
            } else {
                conn.host().ProcessPendingEvents();
            }
            if (conn.replyState == kRejected) {
                pacer.sleep(kBeforeRepeatMs);
                conn.SendCommand(line);
            }
        } while (conn.replyState == kWaiting || conn.replyState == kRejected);
        progress.Step();
    }
    progress.Finish();
    port.Close();
}

}  // namespace sk::firmware_update
