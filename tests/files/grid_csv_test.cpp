#include "files/grid_csv.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "files/file_errors.h"
#include "scratch_dir.h"

namespace sk {
namespace {

using Rows = std::vector<std::vector<std::string>>;

const char* const kTitles[] = {"Fra startnr", "Til startnr", "F\xF8rste start", "Intervall",
                               "Antall"};

// The class table as the window creates it.
TextGrid classTable() {
    TextGrid g(5, 3, 1);
    for (int c = 0; c < 5; ++c) {
        g.SetCell(c, 0, kTitles[c]);
    }
    return g;
}

// The class table with a marker in every ordinary cell, to see which cells a
// load reaches.
TextGrid markedClassTable() {
    TextGrid g = classTable();
    for (int r = 1; r < 3; ++r) {
        for (int c = 0; c < 5; ++c) {
            g.SetCell(c, r, "k" + std::to_string(c) + std::to_string(r));
        }
    }
    return g;
}

Rows dump(const TextGrid& g) {
    Rows rows;
    for (int r = 0; r < g.RowCount(); ++r) {
        rows.emplace_back();
        for (int c = 0; c < g.ColCount(); ++c) {
            rows.back().push_back(g.Cells(c, r));
        }
    }
    return rows;
}

struct WriterCase {
    const char* name;
    std::string cell;
    std::string field;
};

class GridCsvWriter : public testing::TestWithParam<WriterCase> {};

TEST_P(GridCsvWriter, WritesCellAsField) {
    TextGrid g(2, 1);
    g.SetCell(0, 0, GetParam().cell);
    g.SetCell(1, 0, "x");
    EXPECT_EQ(GetParam().field + ",x\r\n", GridCsvBytes(g));
}

INSTANTIATE_TEST_SUITE_P(
    Fields, GridCsvWriter,
    testing::Values(WriterCase{"Plain", "10:00:00", "10:00:00"},
                    WriterCase{"Quote", "a\"b", "\"a\"\"b\""},
                    WriterCase{"Comma", "a,b", "\"a,b\""},
                    WriterCase{"QuoteAndComma", "say \"hi\", now", "\"say \"\"hi\"\", now\""},
                    WriterCase{"Empty", "", "\"\""}, WriterCase{"Blank", " ", " "},
                    WriterCase{"LineBreakWithoutComma", "a\r\nb", "a\r\nb"},
                    WriterCase{"LineBreakWithComma", "a,\r\nb\r\n",
                               "\"a,\x0B"
                               "b\x0B\""},
                    WriterCase{"LoneBreakBytesWithComma", "a\r,\nb", "\"a\r,\nb\""},
                    WriterCase{"CP1252Bytes", "F\xF8rste\x80", "F\xF8rste\x80"},
                    WriterCase{"SemicolonStaysBare", "1;2", "1;2"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GridCsv, ClassTableAsCreatedIsSavedAsThreeLines) {
    EXPECT_EQ(
        "Fra startnr,Til startnr,F\xF8rste start,Intervall,Antall\r\n"
        "\"\",\"\",\"\",\"\",\"\"\r\n"
        "\"\",\"\",\"\",\"\",\"\"\r\n",
        GridCsvBytes(classTable()));
}

TEST(GridCsv, MergedCellsAreWrittenAsTheirTopLeftCell) {
    TextGrid g(3, 2);
    g.SetCell(0, 0, "m");
    g.SetCell(1, 1, "hidden");
    g.AddMergedRange({0, 0, 1, 1});
    EXPECT_EQ("m,m,\"\"\r\nm,m,\"\"\r\n", GridCsvBytes(g));
}

struct ReaderCase {
    const char* name;
    std::string bytes;
    Rows expected;
    int fixedRows;
};

class GridCsvReader : public testing::TestWithParam<ReaderCase> {};

TEST_P(GridCsvReader, LoadsIntoMarkedClassTable) {
    TextGrid g = markedClassTable();
    LoadGridCsvFromBytes(g, GetParam().bytes, "test.csv");
    EXPECT_EQ(GetParam().expected, dump(g));
    EXPECT_EQ(GetParam().fixedRows, g.FixedRows());
}

const std::string kFr = "F\xF8rste start";

INSTANTIATE_TEST_SUITE_P(
    Files, GridCsvReader,
    testing::Values(
        ReaderCase{"Semicolon",
                   "a;b;c\r\nd;e;f\r\n",
                   {{"a", "b", "c", "Intervall", "Antall"}, {"d", "e", "f", "k31", "k41"}},
                   1},
        ReaderCase{"Tab",
                   "a\tb c\r\nd\te,f\r\n",
                   {{"a", "b c", kFr, "Intervall", "Antall"}, {"d", "e,f", "k21", "k31", "k41"}},
                   1},
        ReaderCase{"EmptyFieldBetweenDelimiters",
                   "a,b,,c\r\n1,2,,3\r\n",
                   {{"a", "b", "", "c", "Antall"}, {"1", "2", "", "3", "k41"}},
                   1},
        ReaderCase{"LineEndingInDelimiterKeepsRestOfRow",
                   "1,2,\r\n3,4,\r\n",
                   {{"1", "2", kFr, "Intervall", "Antall"}, {"3", "4", "k21", "k31", "k41"}},
                   1},
        ReaderCase{"MoreFieldsThanColumnsWidensGrid",
                   "1,2,3,4,5,6,7\r\n",
                   {{"1", "2", "3", "4", "5", "6", "7"}},
                   0},
        ReaderCase{
            "OneLineLeavesOneOrdinaryRow", "x,y\r\n", {{"x", "y", kFr, "Intervall", "Antall"}}, 0},
        ReaderCase{"EmptyFileLeavesOneRowWithItsText",
                   "",
                   {{"Fra startnr", "Til startnr", kFr, "Intervall", "Antall"}},
                   0},
        ReaderCase{"SavedClassTableLoadsBackOverMarkers",
                   "Fra startnr,Til startnr,F\xF8rste start,Intervall,Antall\r\n"
                   "\"\",\"\",\"\",\"\",\"\"\r\n\"\",\"\",\"\",\"\",\"\"\r\n",
                   {{"Fra startnr", "Til startnr", kFr, "Intervall", "Antall"},
                    {"", "", "", "", ""},
                    {"", "", "", "", ""}},
                   1},
        ReaderCase{"BlankCellLoadsAsBlankAndEmptyFieldOverwrites",
                   "1, ,3\r\n, ,\r\n",
                   {{"1", " ", "3", "Intervall", "Antall"}, {"", " ", "k21", "k31", "k41"}},
                   1},
        ReaderCase{"LfLineEndsAndLastLineWithoutEnd",
                   "1,50,10:00:00,30,1\n51,99,11:00:00,30,1",
                   {{"1", "50", "10:00:00", "30", "1"}, {"51", "99", "11:00:00", "30", "1"}},
                   1},
        ReaderCase{"QuotedFields",
                   "\"a,b\",\"say \"\"hi\"\"\",\"\"\"\",\"q\"\"\"\r\n"
                   "x,\"y\"junk,z,\"\"\r\n",
                   {{"a,b", "say \"hi\"", "\"", "q\"", "Antall"}, {"x", "y", "z", "", "k41"}},
                   1},
        ReaderCase{
            "CellBreakByteBecomesLineBreak",
            "\"a,\x0B"
            "b\",c\x0B\r\nd,e\r\n",
            {{"a,\r\nb", "c\r\n", kFr, "Intervall", "Antall"}, {"d", "e", "k21", "k31", "k41"}},
            1},
        ReaderCase{"UnclosedQuoteGivesEmptyFieldAndGoesOn",
                   "\"abc,def\r\n1,2\r\n",
                   {{"", "def", kFr, "Intervall", "Antall"}, {"1", "2", "k21", "k31", "k41"}},
                   1},
        ReaderCase{"StrayQuotesInBareFieldAreDropped",
                   "a\"b,c\"\"d,\"e\r\n1,2,3\r\n",
                   {{"ab", "c\"d", "e", "Intervall", "Antall"}, {"1", "2", "3", "k31", "k41"}},
                   1},
        ReaderCase{"NoDelimiterMakesEachLineOneField",
                   "hello world\r\nfoo\r\n",
                   {{"hello world", "Til startnr", kFr, "Intervall", "Antall"},
                    {"foo", "k11", "k21", "k31", "k41"}},
                   1},
        ReaderCase{"OnlyOneCrBeforeLfIsDropped",
                   "a,b\r\r\nc,d\r\n",
                   {{"a", "b\r", kFr, "Intervall", "Antall"}, {"c", "d", "k21", "k31", "k41"}},
                   1},
        ReaderCase{"MoreLinesThanRowsGrowsGrid",
                   "1\r\n2\r\n3\r\n4\r\n",
                   {{"1", "Til startnr", kFr, "Intervall", "Antall"},
                    {"2", "k11", "k21", "k31", "k41"},
                    {"3", "k12", "k22", "k32", "k42"},
                    {"4", "", "", "", ""}},
                   1}),
    [](const auto& info) { return std::string(info.param.name); });

struct DelimiterCase {
    const char* line1;
    const char* line2;
    char expected;
};

TEST(GridCsv, DelimiterDetectionFollowsThreePasses) {
    const DelimiterCase cases[] = {
        {"a,b,c", "d,e,f", ','},
        {"a;b", "c;d", ';'},
        {"a#b", "c#d", '#'},
        {"a\tb", "c\td", '\t'},
        {"a|b@c", "d|e@f", '|'},      // equal counts: the earlier candidate stays
        {"a;b;c,d", "e;f;g,h", ';'},  // a later candidate with more wins
        {"a,b,,c", "1,2,,3", ','},    // odd runs: 1 in each
        {"a,b,,", "c,d,,", ','},      // a run ending the line counts
        {"a,,b", "c,,d", ','},        // no odd runs: plain counts 2 and 2
        {"a,b,c", "", ','},           // one line: pass 3
        {"a,b,c", "a,b", ','},        // unequal counts: pass 3
        {"1,2,-3---", "", '-'},       // pass 3 takes the larger count
        {"10:00:00 x", "abc", '\0'},  // nothing found
        {"", "", '\0'},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, DetectCsvDelimiter(c.line1, c.line2))
            << "lines '" << c.line1 << "' and '" << c.line2 << "'";
    }
}

TEST(GridCsv, FifteenHundredLinesGiveFifteenHundredRows) {
    std::string bytes;
    for (int i = 1; i <= 1500; ++i) {
        bytes += std::to_string(i) + ",50,10:00:00,30,1\r\n";
    }
    TextGrid g = classTable();
    LoadGridCsvFromBytes(g, bytes, "big.csv");
    EXPECT_EQ(1500, g.RowCount());
    EXPECT_EQ(5, g.ColCount());
    EXPECT_EQ(1, g.FixedRows());
    EXPECT_EQ("1", g.Cells(0, 0));
    EXPECT_EQ("1500", g.Cells(0, 1499));
    EXPECT_EQ("1", g.Cells(4, 1499));
}

TEST(GridCsv, SaveThenLoadGivesTheSameCells) {
    const unsigned seed = std::random_device{}();
    std::mt19937 rng(seed);
    // No other delimiter candidates and no lone LF or 0x0B: those are the
    // texts the format cannot carry; line breaks go in as CR LF.
    const std::string alphabet = "ab Z09:\",\r\xF8\xE6\x80";
    test::ScratchDir dir;
    const std::string path = dir.file("round.csv");
    for (int round = 0; round < 200; ++round) {
        const int cols = 2 + static_cast<int>(rng() % 6);
        const int rows = 1 + static_cast<int>(rng() % 20);
        TextGrid g(cols, rows);
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < cols; ++c) {
                std::string text;
                const int len = static_cast<int>(rng() % 8);
                for (int i = 0; i < len; ++i) {
                    if (rng() % 10 == 0) {
                        text += "\r\n";
                    } else {
                        text += alphabet[rng() % alphabet.size()];
                    }
                }
                if (text.find(',') == std::string::npos) {
                    for (auto p = text.find("\r\n"); p != std::string::npos;
                         p = text.find("\r\n")) {
                        text.erase(p + 1, 1);
                    }
                }
                g.SetCell(c, r, text);
            }
        }
        SaveGridCsv(g, path);
        TextGrid loaded;
        LoadGridCsv(loaded, path);
        ASSERT_EQ(dump(g), dump(loaded)) << "seed " << seed << " round " << round;
    }
}

TEST(GridCsv, SaveReplacesOldFileWithoutLeavingTempFiles) {
    test::ScratchDir dir;
    const std::string path = dir.file("Klasser.csv");
    test::writeBytes(path, std::string(5000, 'x'));
    TextGrid g = classTable();
    g.SetCell(0, 1, "1");
    SaveGridCsv(g, path);
    EXPECT_EQ(GridCsvBytes(g), test::readBytes(path));
    EXPECT_EQ(std::vector<std::string>{"Klasser.csv"}, dir.entries());
}

TEST(GridCsv, SaveIntoMissingFolderRaisesCreateError) {
    test::ScratchDir dir;
    const std::string path = dir.file("missing/Klasser.csv");
    try {
        SaveGridCsv(classTable(), path);
        FAIL() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ("Cannot Create file " + path, std::string(e.what()));
    }
    EXPECT_EQ(std::vector<std::string>{}, dir.entries());
}

TEST(GridCsv, SaveOverFolderFailsAndLeavesNothingBehind) {
    test::ScratchDir dir;
    const std::string path = dir.file("Klasser.csv");
    std::filesystem::create_directory(path);
    test::writeBytes(path + "/inside", "keep");
    EXPECT_THROW(SaveGridCsv(classTable(), path), EFCreateError);
    EXPECT_EQ(std::vector<std::string>{"Klasser.csv"}, dir.entries());
    EXPECT_EQ("keep", test::readBytes(path + "/inside"));
}

TEST(GridCsv, LoadErrorsLeaveGridUnchanged) {
    test::ScratchDir dir;
    const Rows before = dump(markedClassTable());
    for (const std::string& path : {dir.file("missing.csv"), dir.path().string(), std::string()}) {
        TextGrid g = markedClassTable();
        try {
            LoadGridCsv(g, path);
            FAIL() << "no error for '" << path << "'";
        } catch (const EFOpenError& e) {
            EXPECT_EQ("Cannot open file " + path, std::string(e.what()));
        }
        EXPECT_EQ(before, dump(g));
        EXPECT_EQ(1, g.FixedRows());
    }
}

TEST(GridCsv, FileBeyondGridLimitsIsRefusedWhole) {
    std::string wide = "1,2\r\n";
    for (int i = 0; i < kMaxCsvColumns; ++i) {
        wide += "a,";
    }
    wide += "a\r\n";
    const std::string tall(static_cast<std::size_t>(kMaxCsvRows) + 1, '\n');
    // One wide line above many short ones: few bytes, a huge grid.
    std::string wideAndTall(static_cast<std::size_t>(kMaxCsvColumns - 1), ',');
    wideAndTall += std::string(static_cast<std::size_t>(kMaxCsvCells / kMaxCsvColumns) + 1, '\n');
    for (const std::string& bytes : {wide, tall, wideAndTall}) {
        TextGrid g = markedClassTable();
        EXPECT_THROW(LoadGridCsvFromBytes(g, bytes, "hostile.csv"), EFFormatError);
        ASSERT_EQ(5, g.ColCount());
        ASSERT_EQ(3, g.RowCount());
        EXPECT_EQ(dump(markedClassTable()), dump(g));
    }
}

TEST(GridCsv, LineOfBareDelimitersUpToLimitLoads) {
    TextGrid g = classTable();
    LoadGridCsvFromBytes(g, std::string(kMaxCsvColumns - 1, ',') + "x", "wide.csv");
    EXPECT_EQ(kMaxCsvColumns, g.ColCount());
    EXPECT_EQ("x", g.Cells(kMaxCsvColumns - 1, 0));
    EXPECT_EQ("", g.Cells(0, 0));
}

}  // namespace
}  // namespace sk
