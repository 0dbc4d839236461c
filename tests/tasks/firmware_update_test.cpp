#include "tasks/firmware_update.h"

#include <gtest/gtest.h>

#include "files/firmware_image.h"
#include "protocol/connection_fixture.h"
#include "serial/serial_error.h"

namespace sk::test {
namespace {

using namespace std::chrono_literals;

const std::string kPrologue = "/ERASEFLASH\r\n/RE7D2C9\n3857\n";
const std::vector<int> kProloguePauses = {30000, 300, 300};
const std::string kTimedOut = "Timed out og overf\xF8rsel avbrutt";

// Records as the image holds them.
const std::string kRecord4000 = ":10400000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFC0";
const std::string kRecord4010 = ":10401000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFB0";
const std::string kRecordFFE0 = ":10FFE000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF21";
const std::string kRecordF000 = ":10F00000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF10";
const std::string kEnd = ":00000001FF";

class RecordingProgress : public firmware_update::UpdateProgress {
  public:
    void Begin(int maximum) override { calls.push_back("Begin " + std::to_string(maximum)); }
    void Step() override { ++steps; }
    void Finish() override { calls.push_back("Finish"); }
    std::vector<std::string> calls;
    int steps = 0;
};

class FirmwareUpdate : public ConnectionFixture {
  protected:
    FirmwareUpdate() {
        host.selectorText = PlainEntry();
        host.confirmAnswers = {true};
        // The window's wait: it returns once a reply has changed replyState;
        // when the clock stays silent the timer's interval ends instead.
        host.waitAndPump = [this] {
            ++waits;
            if (!queue.pumpUntil([this] { return conn->replyState != 0; }, silence)) {
                ASSERT_TRUE(timer.Fire()) << "waiting with the timer off";
            }
        };
        // What is pending right after a repeated record: the clock's answer
        // to it, if it gives one.
        host.pump = [this] { queue.pumpUntil([this] { return conn->replyState != -1; }, 300ms); };
    }

    // The peer answers each of these texts once with "+".
    void Acknowledge(const std::vector<std::string>& texts) {
        for (const std::string& text : texts) {
            peer.onReceive(text, "+");
        }
    }

    void Upload(const std::vector<std::string>& lines) {
        image = FirmwareImage::FromLines(lines);
        firmware_update::spoppdaterClick(*conn, timer, image, progress);
    }

    FirmwareImage image = FirmwareImage::FromLines({});
    RecordingProgress progress;
    int waits = 0;
    std::chrono::milliseconds silence = 2000ms;
};

TEST_F(FirmwareUpdate, AnsweringNoWritesNothingAndLeavesThePortAlone) {
    host.confirmAnswers = {false};
    Upload({kRecord4000, kEnd});
    EXPECT_EQ(std::vector<std::string>{std::string(firmware_update::kConfirmText)}, host.questions);
    EXPECT_FALSE(conn->com1().Connected());
    EXPECT_TRUE(pacer.pauses().empty());
    EXPECT_TRUE(progress.calls.empty());
    EXPECT_EQ("", peer.received());
}

TEST_F(FirmwareUpdate, EmptyImageSendsEraseAndCodesThenEnds) {
    Upload({});
    EXPECT_EQ(kPrologue, ReceivedAfter(kPrologue));
    EXPECT_EQ(kProloguePauses, pacer.pauses());
    EXPECT_EQ((std::vector<std::string>{"Begin 0", "Finish"}), progress.calls);
    EXPECT_EQ(0, progress.steps);
    EXPECT_EQ(0, timer.starts());
    EXPECT_FALSE(conn->com1().Connected());
}

TEST_F(FirmwareUpdate, EachRecordWaitsOnceForItsAcknowledgementAndHighRecordsAreSkipped) {
    // "ok" is not a record: only its fourth character is looked at, and short
    // lines are sent like any other.
    const std::vector<std::string> lines = {kRecord4000, kRecordFFE0, kRecord4010,
                                            kRecordF000, "ok",        kEnd};
    Acknowledge({kRecord4000 + "\n", kRecord4010 + "\n", "ok\n", kEnd + "\n"});
    Upload(lines);
    const std::string sent = kPrologue + kRecord4000 + "\n" + kRecord4010 + "\nok\n" + kEnd + "\n";
    EXPECT_EQ(sent, ReceivedAfter(sent));
    std::vector<int> pauses = kProloguePauses;
    pauses.insert(pauses.end(), {100, 100, 100, 100});
    EXPECT_EQ(pauses, pacer.pauses());
    EXPECT_EQ(4, waits) << "one blocking wait per record, no polling";
    EXPECT_EQ(4, timer.starts());
    EXPECT_FALSE(timer.Enabled());
    EXPECT_EQ((std::vector<std::string>{"Begin 6", "Finish"}), progress.calls);
    EXPECT_EQ(4, progress.steps) << "skipped lines do not move the gauge";
    EXPECT_FALSE(conn->com1().Connected());
}

TEST_F(FirmwareUpdate, RejectedRecordIsWrittenAgainWithoutLineFeedUntilAcknowledged) {
    peer.onReceive(kRecord4000 + "\n", "-");
    Acknowledge({kRecord4000 + "\n" + kRecord4000, kEnd + "\n"});
    Upload({kRecord4000, kEnd});
    const std::string sent = kPrologue + kRecord4000 + "\n" + kRecord4000 + kEnd + "\n";
    EXPECT_EQ(sent, ReceivedAfter(sent));
    std::vector<int> pauses = kProloguePauses;
    pauses.insert(pauses.end(), {100, 500, 100});
    EXPECT_EQ(pauses, pacer.pauses());
    EXPECT_EQ(2, progress.steps);
    EXPECT_EQ(2, timer.starts()) << "the repeat does not restart the timer";
}

TEST_F(FirmwareUpdate, RecordKeepsGoingOutEvery500MsWhileTheClockRejectsIt) {
    // Two rejections in a row: the second repeat follows the first by one pause.
    peer.onReceive(kRecord4000 + "\n", "-");
    peer.onReceive(kRecord4000 + "\n" + kRecord4000, "-");
    Acknowledge({kRecord4000 + "\n" + kRecord4000 + kRecord4000});
    Upload({kRecord4000});
    const std::string sent = kPrologue + kRecord4000 + "\n" + kRecord4000 + kRecord4000;
    EXPECT_EQ(sent, ReceivedAfter(sent));
    std::vector<int> pauses = kProloguePauses;
    pauses.insert(pauses.end(), {100, 500, 500});
    EXPECT_EQ(pauses, pacer.pauses());
    EXPECT_EQ(1, progress.steps);
}

TEST_F(FirmwareUpdate, SilenceTimesOutTellsTheClockAndGoesOnWithTheNextRecord) {
    silence = 200ms;
    Acknowledge({kEnd + "\n"});
    Upload({kRecord4000, kEnd});
    const std::string sent = kPrologue + kRecord4000 + "\n/PUREND\r\n/ERASELIST\r\n" + kEnd + "\n";
    EXPECT_EQ(sent, ReceivedAfter(sent));
    std::vector<int> pauses = kProloguePauses;
    pauses.insert(pauses.end(), {100, 300, 300, 100});
    EXPECT_EQ(pauses, pacer.pauses());
    ASSERT_FALSE(host.log.empty());
    EXPECT_EQ(kTimedOut, host.log.front());
    EXPECT_EQ(2, progress.steps) << "a timed-out record still counts";
    EXPECT_EQ((std::vector<std::string>{"Begin 2", "Finish"}), progress.calls);
    EXPECT_FALSE(timer.Enabled());
    EXPECT_FALSE(conn->com1().Connected());
}

TEST_F(FirmwareUpdate, LostPortEndsTheUploadWithoutTheEndAndLeavesThePortOpen) {
    host.waitAndPump = [this] {
        ASSERT_TRUE(peer.waitForText(kRecord4000 + "\n"));
        peer.hangUp();
        timer.Fire();  // its writes fail on the vanished port
    };
    EXPECT_THROW(Upload({kRecord4000, kEnd}), ESerialPort);
    EXPECT_EQ((std::vector<std::string>{"Begin 2"}), progress.calls);
    EXPECT_EQ(0, progress.steps);
    EXPECT_TRUE(conn->com1().Connected()) << "closed only at the normal end";
    conn->ClosePort();
}

TEST_F(FirmwareUpdate, FlashEraseWritesItsCommandOnTheTrimmedNameAndClosesAtOnce) {
    host.selectorText = " " + PlainEntry();
    firmware_update::SperaseClick(*conn);
    EXPECT_EQ("/ERASEFLASH\r\n", ReceivedAfter("/ERASEFLASH\r\n"));
    EXPECT_TRUE(pacer.pauses().empty());
    EXPECT_TRUE(host.questions.empty());
    EXPECT_FALSE(conn->com1().Connected());
}

}  // namespace
}  // namespace sk::test
