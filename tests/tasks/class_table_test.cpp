#include "tasks/class_table.h"

#include <gtest/gtest.h>

#include <vector>

#include "files/file_errors.h"
#include "files/scratch_dir.h"
#include "serial/serial_error.h"
#include "task_fixture.h"

namespace sk::test {
namespace {

using class_table::Inputs;
using Row = std::vector<std::string>;

// The writes of one class after its "/MAKEC", as the clock must get them.
Steps ClassSteps(const std::string& from, const std::string& to, const std::string& start,
                 const std::string& interval, const std::string& count, bool sound = false,
                 bool preWarning = false) {
    return {{"/MAKEC", 300},
            {"/CF" + from, 300},
            {"/CT" + to, 300},
            {"/CS" + start, 300},
            {"/CI" + interval, 300},
            {"/CP" + count, 300},
            {"/CLASSAVE", 300},
            {"/CE", 0},
            {sound ? "/SND1" : "/SND0", 0},
            {preWarning ? "/S101" : "/S100", 300},
            {"/DM4", 300}};
}

Steps Concat(std::initializer_list<Steps> parts) {
    Steps all;
    for (const Steps& p : parts) {
        all.insert(all.end(), p.begin(), p.end());
    }
    return all;
}

const Steps kOpening{{"/DM4", 0}};

class ClassTable : public TaskFixture {
  protected:
    ClassTable() { in.timeSeparator = ':'; }
    // The table as the window creates it, with `rows` below the titles.
    static TextGrid Table(const std::vector<Row>& rows) {
        TextGrid g(5, 3, 1);
        const Row titles{"Fra startnr", "Til startnr", "F\xF8rste start", "Intervall", "Antall"};
        for (int col = 0; col < 5; ++col) {
            g.SetCell(col, 0, titles[col]);
        }
        if (static_cast<int>(rows.size()) + 1 > g.RowCount()) {
            g.SetRowCount(static_cast<int>(rows.size()) + 1);
        }
        for (std::size_t r = 0; r < rows.size(); ++r) {
            for (std::size_t col = 0; col < rows[r].size(); ++col) {
                g.SetCell(static_cast<int>(col), static_cast<int>(r) + 1, rows[r][col]);
            }
        }
        return g;
    }

    Inputs in;
};

TEST_F(ClassTable, TheTableAsCreatedSendsOnlyTheDisplayModeAndCloses) {
    class_table::BitBtn10Click(*conn, Table({}), in);
    EXPECT_EQ(kOpening, steps);
    EXPECT_EQ(0, pacer.totalMs());
    EXPECT_FALSE(conn->com1().Connected());
}

TEST_F(ClassTable, OneClassSendsItsCommandsWithTheirPausesAndTheBoxesAsTicked) {
    const struct {
        bool sound;
        bool preWarning;
    } boxes[] = {{false, false}, {true, true}, {true, false}, {false, true}};
    for (const auto& b : boxes) {
        steps.clear();
        pacer.clear();
        const std::size_t before = peer.received().size();
        in.cblyd = b.sound;
        in.cbforvarsel = b.preWarning;
        class_table::BitBtn10Click(*conn, Table({{"1", "50", "10:00:00", "30", "1"}}), in);
        EXPECT_EQ(Concat({kOpening,
                          ClassSteps("0001", "0050", "100000", "030", "1", b.sound, b.preWarning)}),
                  steps)
            << "sound " << b.sound << ", pre-warning " << b.preWarning;
        EXPECT_EQ(2700, pacer.totalMs());
        EXPECT_FALSE(conn->com1().Connected());
        std::string wire;
        for (const Step& s : steps) {
            wire += s.bytes;
        }
        EXPECT_EQ(wire, peer.received().substr(before)) << "the line gets the same bytes";
    }
}

TEST_F(ClassTable, ValuesAreSentAsReadNeverCutAndUnchecked) {
    // Wide numbers, hexadecimal, a leading blank, a sign, a short time, a
    // range that runs backwards and an empty count all go as they come.
    class_table::BitBtn10Click(*conn,
                               Table({{"12345", "12400", "10:00", "1000", "25"},
                                      {"$1F", " +7", "7:05:09", "-5", ""},
                                      {"0x10", "3", "23:59", "0", "ab c"}}),
                               in);
    EXPECT_EQ(Concat({kOpening, ClassSteps("12345", "12400", "100000", "1000", "25"),
                      ClassSteps("0031", "0007", "070509", "0-5", ""),
                      ClassSteps("0016", "0003", "235900", "000", "ab c")}),
              steps);
    EXPECT_EQ(3 * 2700, pacer.totalMs());
}

TEST_F(ClassTable, RowsWithAnExactlyEmptyFirstCellAreSkipped) {
    class_table::BitBtn10Click(*conn,
                               Table({{"1", "50", "10:00:00", "30", "1"},
                                      {"", "99", "not a time", "x", "9"},
                                      {"51", "80", "11:00:00", "60", "2"},
                                      {"", "", "", "", ""}}),
                               in);
    EXPECT_EQ(Concat({kOpening, ClassSteps("0001", "0050", "100000", "030", "1"),
                      ClassSteps("0051", "0080", "110000", "060", "2")}),
              steps);
    EXPECT_FALSE(conn->com1().Connected());
}

TEST_F(ClassTable, ATitleRowIsNeverSent) {
    TextGrid g = Table({{"5", "6", "10:00", "30", "1"}});
    g.SetCell(0, 0, "1");  // a file without titles put a class up there
    class_table::BitBtn10Click(*conn, g, in);
    EXPECT_EQ(Concat({kOpening, ClassSteps("0005", "0006", "100000", "030", "1")}), steps);
}

struct FailureCase {
    const char* name;
    Row failing;
    const char* message;
    Steps sentOfFailingRow;
};

class ClassTableFailure : public ClassTable, public ::testing::WithParamInterface<FailureCase> {};

// The failing row comes second: the class before it is complete, the row
// stops at its bad cell, the one after it is not sent, and the port closes.
TEST_P(ClassTableFailure, ABadCellEndsTheTaskThereWithThePortClosed) {
    const FailureCase& c = GetParam();
    try {
        class_table::BitBtn10Click(
            *conn,
            Table(
                {{"1", "50", "10:00:00", "30", "1"}, c.failing, {"51", "80", "11:00", "30", "1"}}),
            in);
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_EQ(std::string(c.message), e.what());
    }
    EXPECT_EQ(
        Concat({kOpening, ClassSteps("0001", "0050", "100000", "030", "1"), c.sentOfFailingRow}),
        steps);
    EXPECT_FALSE(conn->com1().Connected());
}

INSTANTIATE_TEST_SUITE_P(
    Table, ClassTableFailure,
    ::testing::Values(
        FailureCase{"BlankFirstCell",
                    {" ", "50", "10:00:00", "30", "1"},
                    "' ' is not a valid integer value",
                    {{"/MAKEC", 300}}},
        FailureCase{"TrailingTextInTheLastNumber",
                    {"1", "50x", "10:00:00", "30", "1"},
                    "'50x' is not a valid integer value",
                    {{"/MAKEC", 300}, {"/CF0001", 300}}},
        FailureCase{"HourOutOfRange",
                    {"1", "50", "25:00", "30", "1"},
                    "'25:00' is not a valid time",
                    {{"/MAKEC", 300}, {"/CF0001", 300}, {"/CT0050", 300}}},
        FailureCase{"EmptyTime",
                    {"1", "50", "", "30", "1"},
                    "'' is not a valid time",
                    {{"/MAKEC", 300}, {"/CF0001", 300}, {"/CT0050", 300}}},
        FailureCase{"IntervalBeyond32Bits",
                    {"1", "50", "10:00", "2147483648", "1"},
                    "'2147483648' is not a valid integer value",
                    {{"/MAKEC", 300}, {"/CF0001", 300}, {"/CT0050", 300}, {"/CS100000", 300}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ClassTable, TheRegionalSeparatorReadsTheFirstStart) {
    in.timeSeparator = '.';
    class_table::BitBtn10Click(*conn, Table({{"1", "2", "10.15", "30", "1"}}), in);
    EXPECT_EQ(Concat({kOpening, ClassSteps("0001", "0002", "101500", "030", "1")}), steps);

    steps.clear();
    EXPECT_THROW(class_table::BitBtn10Click(*conn, Table({{"1", "2", "10:15", "30", "1"}}), in),
                 EConvertError);
}

TEST_F(ClassTable, NoPortMeansNothingIsSent) {
    host.Type("Koble til klokken...");
    EXPECT_THROW(class_table::BitBtn10Click(*conn, Table({{"1", "50", "10:00", "30", "1"}}), in),
                 ESerialPort);
    EXPECT_TRUE(steps.empty());
    EXPECT_FALSE(conn->com1().Connected());
}

TEST_F(ClassTable, AFailedWriteEndsTheTaskWithThePortClosed) {
    conn->OpenForTask(false);
    peer.hangUp();
    EXPECT_THROW(class_table::BitBtn10Click(*conn, Table({{"1", "50", "10:00", "30", "1"}}), in),
                 ESerialPort);
    EXPECT_FALSE(conn->com1().Connected());
}

// --- the class file

TEST(ClassFile, LiesInTheGivenFolderWithOneSeparator) {
    EXPECT_EQ("/opt/sk/Klasser.csv", class_table::ClassFilePath("/opt/sk"));
    EXPECT_EQ("/opt/sk/Klasser.csv", class_table::ClassFilePath("/opt/sk/"));
}

TEST(ClassFile, SaveThenLoadGivesBackTheTable) {
    ScratchDir dir;
    TextGrid saved(5, 4, 1);
    const Row cells{"Fra startnr",
                    "Til startnr",
                    "F\xF8rste start",
                    "Intervall",
                    "Antall",
                    "1",
                    "50",
                    "10:00:00",
                    "30",
                    "1",
                    "",
                    "",
                    "",
                    "",
                    "",
                    "51",
                    "a,\"b\"",
                    " ",
                    "",
                    "2"};
    for (int i = 0; i < 20; ++i) {
        saved.SetCell(i % 5, i / 5, cells[static_cast<std::size_t>(i)]);
    }
    class_table::BitBtn11Click(saved, dir.path().string());
    EXPECT_EQ(std::string("Fra startnr,Til startnr,F\xF8rste start,Intervall,Antall\r\n"
                          "1,50,10:00:00,30,1\r\n"
                          "\"\",\"\",\"\",\"\",\"\"\r\n"
                          "51,\"a,\"\"b\"\"\", ,\"\",2\r\n"),
              readBytes(dir.file("Klasser.csv")));

    TextGrid loaded(5, 3, 1);
    class_table::BitBtn12Click(loaded, dir.path().string());
    ASSERT_EQ(4, loaded.RowCount());
    ASSERT_EQ(5, loaded.ColCount());
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(cells[static_cast<std::size_t>(i)], loaded.Cells(i % 5, i / 5)) << i;
    }
}

TEST(ClassFile, LoadingAMissingFileNamesItAndLeavesTheTable) {
    ScratchDir dir;
    TextGrid g(5, 3, 1);
    g.SetCell(0, 1, "7");
    try {
        class_table::BitBtn12Click(g, dir.path().string());
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ("Cannot open file " + dir.file("Klasser.csv"), e.what());
    }
    EXPECT_EQ(3, g.RowCount());
    EXPECT_EQ("7", g.Cells(0, 1));
}

TEST(ClassFile, SavingIntoAMissingFolderNamesTheFile) {
    ScratchDir dir;
    const std::string folder = dir.file("gone");
    try {
        class_table::BitBtn11Click(TextGrid(5, 3, 1), folder);
        FAIL() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ("Cannot Create file " + folder + "/Klasser.csv", e.what());
    }
}

}  // namespace
}  // namespace sk::test
