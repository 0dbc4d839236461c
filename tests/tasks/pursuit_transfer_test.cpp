#include "tasks/pursuit_transfer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "files/file_errors.h"
#include "serial/serial_error.h"
#include "serial/serial_packet.h"
#include "support/conversion.h"
#include "task_fixture.h"

namespace sk::test {
namespace {

using pursuit_transfer::PursuitPage;

// The page's controls as plain fields; the bar's visibility is recorded.
class FakePage : public PursuitPage {
  public:
    std::string FileEdit1() override { return fileEdit1; }
    std::string txtSluse() override { return sluse; }
    std::string tctdelay() override { return delay; }
    std::string TimeEdit2() override { return timeEdit2; }
    char TimeSeparator() override { return ':'; }
    TextGrid& faktexcel() override { return grid; }
    void FaktexcelChanged() override { ++gridChanges; }
    void SetProgressVisible(bool visible) override {
        if (visible != progVisible) {
            progShown.push_back(visible);
        }
        progVisible = visible;
    }
    int ProgressPosition() override { return progPosition; }
    void SetProgressPosition(int position) override { progPosition = position; }

    std::string fileEdit1;
    std::string sluse = "Alle";
    std::string delay = "300";
    std::string timeEdit2 = "10:00:00";
    TextGrid grid{5, 3, 1};
    int gridChanges = 0;
    bool progVisible = false;
    std::vector<bool> progShown;  // each change of visibility
    int progPosition = 0;
};

// The writes every transfer begins with, for the corridor field "Alle".
Steps Opening(const std::string& gate = "/RGATE\r\n") {
    return {{"/ERASELIST\r\n", 300}, {"/EON\r\n", 300}, {gate, 300}, {"/RECVLIST\r\n", 300}};
}

// A list line as the clock gets it: one write per character, "\r\n", and the
// line's delay.
Steps LineWrites(const std::string& sent, int delayMs) {
    Steps s;
    for (char c : sent) {
        s.push_back({std::string(1, c), 0});
    }
    s.push_back({"\r\n", delayMs});
    return s;
}

// The normal end for TimeEdit2 "10:00:00".
Steps Ending() {
    return {{"/PUREND\r\n", 300}, {"/DM6\r\n", 300}, {"/SC100000", 0}};
}

class PursuitTransfer : public TaskFixture {
  protected:
    PursuitTransfer() {
        host.log = {"-"};
        std::random_device rd;
        dir_ = std::filesystem::temp_directory_path() /
               ("sk_pursuit_test_" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(dir_);
    }
    ~PursuitTransfer() override {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    // Writes a text list and points the file field at it.
    void List(const std::string& bytes, const std::string& name = "jakt.txt") {
        page.fileEdit1 = (dir_ / name).string();
        std::ofstream(page.fileEdit1, std::ios::binary) << bytes;
    }

    void Transfer() { pursuit_transfer::BitBtn6Click(*conn, timer, page); }

    FakePage page;
    std::filesystem::path dir_;
};

TEST_F(PursuitTransfer, ThreeLineListWithTitleSendsTwoLinesAndEndsWithTheClockTime) {
    List("Startnr;Starttid;Sluse;\r\n1;13:02:08;1;\r\n2;13:02:38;2;\r\n");
    Transfer();
    // After the last line: its delay, then the fixed 300 ms.
    Steps expected =
        Opening() + LineWrites("1;13:02:08;1;", 300) + LineWrites("2;13:02:38;2;", 600) + Ending();
    EXPECT_EQ(expected, steps);
    EXPECT_EQ((std::vector<std::string>{"Starter overf\xF8ring", "1;13:02:08;1;", "2;13:02:38;2;",
                                        "Ferdig"}),
              host.log);
    EXPECT_EQ(30, page.progPosition);  // the title line counts too
    EXPECT_EQ((std::vector<bool>{true, false}), page.progShown);
    EXPECT_FALSE(conn->com1().Connected());
    EXPECT_EQ("\n", conn->SerialPacket1().StopString());
    EXPECT_EQ(0, conn->replyState);
}

struct CorridorCase {
    const char* name;
    const char* field;
    const char* sent;
};

class Corridor : public PursuitTransfer, public ::testing::WithParamInterface<CorridorCase> {};

TEST_P(Corridor, FirstCharacterAOrZeroClearsTheFilterAnythingElseIsSentAsTyped) {
    List("");
    page.sluse = GetParam().field;
    Transfer();
    Steps expected = Opening(GetParam().sent);
    expected.back().pauseAfterMs += 300;  // no lines: the fixed pause before the end
    EXPECT_EQ(expected + Ending(), steps);
}

INSTANTIATE_TEST_SUITE_P(Table, Corridor,
                         ::testing::Values(CorridorCase{"Alle", "Alle", "/RGATE\r\n"},
                                           CorridorCase{"Zero", "0", "/RGATE\r\n"},
                                           CorridorCase{"Two", "2", "/SGATE02\r\n"},
                                           CorridorCase{"Twelve", "12", "/SGATE012\r\n"},
                                           CorridorCase{"Empty", "", "/SGATE0\r\n"},
                                           CorridorCase{"LowerCaseAlle", "alle", "/SGATE0alle\r\n"},
                                           CorridorCase{"BlankBeforeTwo", " 2", "/SGATE0 2\r\n"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PursuitTransfer, EmptyListIsStartedAndFinished) {
    List("");
    Transfer();
    EXPECT_EQ((std::vector<std::string>{"Starter overf\xF8ring", "Ferdig"}), host.log);
    EXPECT_EQ(0, page.progPosition);
}

struct DelayCase {
    const char* name;
    const char* field;
    int pauseMs;
};

class Delay : public PursuitTransfer, public ::testing::WithParamInterface<DelayCase> {};

TEST_P(Delay, PauseAfterEachLineFollowsTheDelayField) {
    List("1;10:00:00;1;\n2;10:00:30;1;\n");
    page.delay = GetParam().field;
    Transfer();
    const int d = GetParam().pauseMs;
    EXPECT_EQ(Opening() + LineWrites("1;10:00:00;1;", d) + LineWrites("2;10:00:30;1;", d + 300) +
                  Ending(),
              steps);
    EXPECT_EQ(GetParam().pauseMs, pursuit_transfer::LineDelayMs(GetParam().field));
}

INSTANTIATE_TEST_SUITE_P(
    Table, Delay,
    ::testing::Values(DelayCase{"Zero", "0", 0}, DelayCase{"OneSecond", "1000", 1000},
                      DelayCase{"Empty", "", 300}, DelayCase{"NotANumber", "abc", 300},
                      DelayCase{"NegativeIsNoPause", "-5", 0},
                      DelayCase{"HugeIsCappedAtAMinute", "2000000000", 60000},
                      DelayCase{"TooBigForAnIntegerIsNotANumber", "99999999999", 300}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PursuitTransfer, CommasGoAsSemicolonsAndTheLogKeepsThemAsInTheFile) {
    List("1,13:02:08,1\r\n");
    page.delay = "0";
    Transfer();
    EXPECT_EQ(Opening() + LineWrites("1;13:02:08;1", 300) + Ending(), steps);
    EXPECT_EQ("1,13:02:08,1", host.log.at(1));
}

TEST_F(PursuitTransfer, LinesAreTrimmedFilteredAndALastLineWithoutEndIsSent) {
    List("0;13:00:00;1;\r\n   7;13:05:30;2;  \r\n\r\n\"3\";x\r\n-4\r\n8;13:06:00;1;");
    page.delay = "0";
    Transfer();
    EXPECT_EQ(
        Opening() + LineWrites("7;13:05:30;2;", 0) + LineWrites("8;13:06:00;1;", 300) + Ending(),
        steps);
    EXPECT_EQ(60, page.progPosition);  // every line steps the bar, skipped ones too
}

TEST_F(PursuitTransfer, ProgressGoesOnFromWhereItStoodAndStartsAgainPastTheEnd) {
    List("1;10:00:00;1;\n2;10:00:30;1;\n");
    page.progPosition = 90;
    Transfer();
    EXPECT_EQ(0, page.progPosition);
    const std::pair<int, int> table[] = {{0, 10}, {90, 100}, {100, 0}, {95, 0}, {55, 65}};
    for (auto [from, to] : table) {
        EXPECT_EQ(to, pursuit_transfer::NextProgressPosition(from)) << from;
    }
}

TEST_F(PursuitTransfer, PendingEventsAreHandledAfterEveryCharacterAndEveryLine) {
    List("12;1\n");
    Transfer();
    // 4 characters, then once after the line.
    EXPECT_EQ(5, host.pumpCalls);
}

TEST_F(PursuitTransfer, TimeoutDuringTheListEndsWithTheErrorBranchAndLeavesThePortOpen) {
    List("1;10:00:00;1;\n");
    // A timer started by another task fires in the event handling after the
    // line; its handler ends the list on the clock itself.
    timer.SetEnabled(true);
    bool fired = false;
    host.pump = [this, &fired] {
        queue.pump();
        if (!fired && host.log.back() == "1;10:00:00;1;") {
            fired = true;
            timer.Fire();
        }
    };
    Transfer();
    Steps expected = Opening() + LineWrites("1;10:00:00;1;", 0);
    expected = expected + Steps{{"/PUREND\r\n", 300}, {"/ERASELIST\r\n", 300 + 300}} +
               Steps{{"/PUREND\r\n", 300}, {"/ERASELIST\r\n", 300}};
    EXPECT_EQ(expected, steps);
    EXPECT_EQ((std::vector<std::string>{"Starter overf\xF8ring", "1;10:00:00;1;",
                                        "Timed out og overf\xF8rsel avbrutt",
                                        "Overf\xF8ringen ble stoppet med feil"}),
              host.log);
    EXPECT_FALSE(timer.Enabled());
    EXPECT_TRUE(conn->com1().Connected());
    EXPECT_FALSE(page.progVisible);
}

TEST_F(PursuitTransfer, UnreadableTimeAtTheEndStopsAfterDisplayModeWithThePortOpen) {
    List("1;10:00:00;1;\n");
    page.timeEdit2 = "25:61";
    try {
        Transfer();
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ("'25:61' is not a valid date and time", e.what());
    }
    Steps expected = Opening() + LineWrites("1;10:00:00;1;", 600) +
                     Steps{{"/PUREND\r\n", 300}, {"/DM6\r\n", 300}};
    EXPECT_EQ(expected, steps);
    EXPECT_EQ("1;10:00:00;1;", host.log.back());
    EXPECT_TRUE(conn->com1().Connected());
    EXPECT_FALSE(page.progVisible);
}

TEST_F(PursuitTransfer, ListThatCannotBeOpenedFailsAfterTheOpeningCommandsNamingTheFile) {
    for (const std::string& path : {(dir_ / "gone.txt").string(), std::string()}) {
        SCOPED_TRACE(path);
        steps.clear();
        page.fileEdit1 = path;
        try {
            Transfer();
            FAIL() << "no error";
        } catch (const EFOpenError& e) {
            EXPECT_EQ("Cannot open file " + path, e.what());
        }
        EXPECT_EQ(Opening(), steps);
        EXPECT_TRUE(conn->com1().Connected());
        EXPECT_FALSE(page.progVisible);
        EXPECT_TRUE(host.log.empty());
    }
}

TEST_F(PursuitTransfer, TextListWithNulBytesIsRefusedBeforeAnythingIsSent) {
    List(std::string("1;10:00:00;1;\n\0\0\x03\x04", 18), "jakt.csv");
    EXPECT_THROW(Transfer(), EFFormatError);
    EXPECT_TRUE(steps.empty());
    EXPECT_EQ(std::vector<std::string>{"-"}, host.log);
    EXPECT_FALSE(conn->com1().Connected());
}

class WorkbookList : public PursuitTransfer, public ::testing::WithParamInterface<const char*> {
  protected:
    WorkbookList() {
        if (const char* old = std::getenv("TMPDIR")) {
            oldTmp_ = old;
        }
        setenv("TMPDIR", dir_.c_str(), 1);
    }
    ~WorkbookList() override {
        if (oldTmp_.empty()) {
            unsetenv("TMPDIR");
        } else {
            setenv("TMPDIR", oldTmp_.c_str(), 1);
        }
    }
    std::string oldTmp_;
};

TEST_P(WorkbookList, IsConvertedAndItsDataLinesSent) {
    page.fileEdit1 = std::string(SK_SPREADSHEET_DATA) + "/pursuit." + GetParam();
    page.delay = "0";
    Transfer();
    EXPECT_EQ(
        (std::vector<std::string>{
            "Starter overf\xF8ring", "1,13:02:08,1,\"\"", "2,13:02:38,\"\",\"\"", "3,13:03,2,\"\"",
            "4,13:02:08,2,\"Nordmann, \"\"Kari\"\"\"", "5,13:04:00,1,\xC6rlig \xD8vre \xC5sen",
            "6.5,\"\",\"\",\x8Elu? \x80?", "Ferdig"}),
        host.log);
    EXPECT_TRUE(std::filesystem::exists(dir_ / "pursuittvk"));
    EXPECT_EQ("Startnr", page.grid.Cells(0, 0));
    EXPECT_EQ(1, page.gridChanges);
    // Nine lines in the file: the title, six rows (one spans two lines), "Slutt".
    EXPECT_EQ(90, page.progPosition);
    const std::string all = ReceivedAfter("/SC100000");
    EXPECT_NE(std::string::npos, all.find("2;13:02:38;\"\";\"\"\r\n"));
}

TEST_P(WorkbookList, ThatCannotBeReadEndsItBeforeTheLogIsClearedOrAnythingSent) {
    page.fileEdit1 = std::string(SK_SPREADSHEET_DATA) + "/truncated." + GetParam();
    EXPECT_THROW(Transfer(), std::runtime_error);
    EXPECT_TRUE(steps.empty());
    EXPECT_EQ(std::vector<std::string>{"-"}, host.log);
    EXPECT_EQ(1, page.gridChanges);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, WorkbookList, ::testing::Values("xls", "xlsx"));

TEST_F(PursuitTransfer, TestButtonShowsTheListAndClosesThePort) {
    pursuit_transfer::BitBtn7Click(*conn);
    EXPECT_EQ((Steps{{"/DM4", 0}, {"/SHOWLIST", 0}}), steps);
    EXPECT_EQ("/DM4/SHOWLIST", peer.received());
    EXPECT_FALSE(conn->com1().Connected());
}

TEST_F(PursuitTransfer, TestButtonClosesThePortWhenTheWriteFails) {
    conn->OpenForTask(false);
    peer.hangUp();
    EXPECT_THROW(pursuit_transfer::BitBtn7Click(*conn), ESerialPort);
    EXPECT_FALSE(conn->com1().Connected());
}

TEST_F(PursuitTransfer, PcTimeIsSentAtTheNextSecondThenPausesAndCloses) {
    pacer.setNow(10, 0, 0, 400);
    pursuit_transfer::Button15Click(*conn);
    EXPECT_EQ((Steps{{"", 590}, {"/SC100001", 300}}), steps);
    EXPECT_EQ(std::vector<std::string>{"-"}, host.log);  // nothing logged
    EXPECT_FALSE(conn->com1().Connected());
}

TEST_F(PursuitTransfer, TypedTimeIsSentLoggedAndThePortClosed) {
    page.timeEdit2 = "13:02:08";
    pursuit_transfer::Button16Click(*conn, page);
    EXPECT_EQ((Steps{{"/SC130208", 300}}), steps);
    EXPECT_EQ("Klokken satt til: 130208", host.log.back());
    EXPECT_FALSE(conn->com1().Connected());
}

TEST_F(PursuitTransfer, TypedTimeThatDoesNotReadLeavesThePortUntouched) {
    page.timeEdit2 = "abc";
    EXPECT_THROW(pursuit_transfer::Button16Click(*conn, page), EConvertError);
    EXPECT_TRUE(steps.empty());
    EXPECT_FALSE(conn->com1().Connected());
    EXPECT_EQ(std::vector<std::string>{"-"}, host.log);
}

TEST_F(PursuitTransfer, TypedTimeClosesThePortWhenTheWriteFails) {
    conn->OpenForTask(false);
    peer.hangUp();
    EXPECT_THROW(pursuit_transfer::Button16Click(*conn, page), ESerialPort);
    EXPECT_FALSE(conn->com1().Connected());
}

}  // namespace
}  // namespace sk::test
