#include "spreadsheet/workbook_reader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "spreadsheet/workbook_fault.h"

namespace sk {
namespace {

std::string fixture(const std::string& name) {
    return std::string(SK_SPREADSHEET_DATA) + "/" + name;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string errorOf(const std::string& path) {
    try {
        auto wb = WorkbookReader::open(path, ':');
        for (std::size_t i = 0; i < wb->worksheetCount(); ++i) {
            wb->worksheet(i);
        }
    } catch (const EWorkbookError& e) {
        return e.what();
    }
    return "no error";
}

// The pursuit list fixture is the same in both formats.
class PursuitList : public ::testing::TestWithParam<const char*> {
  protected:
    std::unique_ptr<Workbook> wb = WorkbookReader::open(fixture(GetParam()), ':');
};

TEST_P(PursuitList, ListsWorksheetsInOrder) {
    EXPECT_EQ((std::vector<std::string>{"Jakt", "Andre"}), wb->worksheetNames());
}

TEST_P(PursuitList, GivesTheUsedRangeOfTheFirstSheet) {
    const Worksheet& ws = wb->worksheet(0);
    EXPECT_EQ(8, ws.lastRow());
    EXPECT_EQ(4, ws.lastColumn());
}

TEST_P(PursuitList, GivesEachCellsDisplayText) {
    const Worksheet& ws = wb->worksheet(0);
    const std::vector<std::vector<std::string>> expected = {
        {"Startnr", "Starttid", "Sluse", ""},
        {"1", "13:02:08", "1", ""},
        {"2", "13:02:38", "", ""},
        {"3", "13:03", "2", ""},
        {"4", "13:02:08", "2", "Nordmann, \"Kari\""},
        {"5", "13:04:00", "1", "\xC6rlig \xD8vre \xC5sen\r\nlinje 2"},
        {"6.5", "", "", "\x8Elu? \x80?"},
        {"Slutt", "", "", ""},
    };
    for (int r = 1; r <= 8; ++r) {
        for (int c = 1; c <= 4; ++c) {
            EXPECT_EQ(expected[r - 1][c - 1], ws.cellText(r, c)) << "row " << r << " column " << c;
        }
    }
    EXPECT_EQ("", ws.cellText(9, 1));
    EXPECT_EQ("", ws.cellText(1, 5));
    EXPECT_EQ("", ws.cellText(0, 0));
}

TEST_P(PursuitList, GivesMergedRanges) {
    EXPECT_EQ((std::vector<SheetRange>{{8, 8, 1, 3}}), wb->worksheet(0).mergedRanges());
}

TEST_P(PursuitList, UsesTheGivenTimeSeparator) {
    auto dots = WorkbookReader::open(fixture(GetParam()), '.');
    EXPECT_EQ("13.02.08", dots->worksheet(0).cellText(2, 2));
    EXPECT_EQ("13.03", dots->worksheet(0).cellText(4, 2));
}

TEST_P(PursuitList, ReadsTheSameFromMemory) {
    auto mem = WorkbookReader::openBytes(readFile(fixture(GetParam())), "liste", ':');
    EXPECT_EQ("13:02:08", mem->worksheet(0).cellText(2, 2));
}

TEST_P(PursuitList, RefusesAnIndexPastTheLastSheet) {
    EXPECT_THROW(wb->worksheet(2), std::out_of_range);
}

INSTANTIATE_TEST_SUITE_P(Formats, PursuitList,
                         ::testing::Values("pursuit.xls", "pursuit.xlsx", "ministream.xls"));

class SmallLists : public ::testing::TestWithParam<const char*> {};

TEST_P(SmallLists, SingleUsedRowGivesOneRow) {
    auto wb = WorkbookReader::open(fixture(std::string("single_row.") + GetParam()), ':');
    const Worksheet& ws = wb->worksheet(0);
    EXPECT_EQ(1, ws.lastRow());
    EXPECT_EQ(3, ws.lastColumn());
    EXPECT_EQ("7", ws.cellText(1, 1));
    EXPECT_EQ("13:05:30", ws.cellText(1, 2));
    EXPECT_EQ("2", ws.cellText(1, 3));
}

TEST_P(SmallLists, EmptyFirstSheetHasNoUsedRange) {
    auto wb = WorkbookReader::open(fixture(std::string("empty_first.") + GetParam()), ':');
    ASSERT_EQ(2u, wb->worksheetCount());
    EXPECT_EQ(0, wb->worksheet(0).lastRow());
    EXPECT_EQ(0, wb->worksheet(0).lastColumn());
    EXPECT_EQ("1", wb->worksheet(1).cellText(1, 1));
}

TEST_P(SmallLists, DatesFollowTheNineteenOFourSystem) {
    auto wb = WorkbookReader::open(fixture(std::string("formats.") + GetParam()), ':');
    EXPECT_EQ("1904-01-01", wb->worksheet(0).cellText(1, 1));
}

INSTANTIATE_TEST_SUITE_P(Formats, SmallLists, ::testing::Values("xls", "xlsx"));

TEST(XlsRecords, GiveFormulaResultsBooleansErrorsAndRkNumbers) {
    auto wb = WorkbookReader::open(fixture("records.xls"), ':');
    const Worksheet& ws = wb->worksheet(0);
    EXPECT_EQ("Sum\r\nmer", ws.cellText(1, 1));
    EXPECT_EQ("13:02:08", ws.cellText(1, 2));
    EXPECT_EQ("TRUE", ws.cellText(1, 3));
    EXPECT_EQ("#DIV/0!", ws.cellText(1, 4));
    EXPECT_EQ("FALSE", ws.cellText(2, 1));
    EXPECT_EQ("#N/A", ws.cellText(2, 2));
    EXPECT_EQ("12.34", ws.cellText(3, 1));
    EXPECT_EQ("-5", ws.cellText(3, 2));
    EXPECT_EQ("0.5", ws.cellText(3, 3));
    EXPECT_EQ("fet \xE6", ws.cellText(4, 1));
    EXPECT_EQ("\xD8st", ws.cellText(4, 2));
    // blank cells in row 5 do not count as used
    EXPECT_EQ(4, ws.lastRow());
    EXPECT_EQ((std::vector<SheetRange>{{4, 5, 2, 3}}), ws.mergedRanges());
}

TEST(XlsRecords, ReadSharedStringsSplitAcrossContinueRecords) {
    auto wb = WorkbookReader::open(fixture("formats.xls"), ':');
    const Worksheet& ws = wb->worksheet(0);
    EXPECT_EQ(std::string(9000, 'a'), ws.cellText(2, 1));
    std::string twoByte;
    for (int i = 0; i < 2100; ++i) {
        twoByte += "\xF8\x80";
    }
    EXPECT_EQ(twoByte, ws.cellText(3, 1));
    EXPECT_EQ("1,234.50", ws.cellText(1, 3));
    EXPECT_EQ("TRUE", ws.cellText(1, 4));
}

TEST(XlsRecords, ReadExcel95BookStreams) {
    auto wb = WorkbookReader::open(fixture("excel95.xls"), ':');
    ASSERT_EQ((std::vector<std::string>{"Liste"}), wb->worksheetNames());
    const Worksheet& ws = wb->worksheet(0);
    EXPECT_EQ("\xC5sen", ws.cellText(1, 1));
    EXPECT_EQ("13:02:08", ws.cellText(1, 2));
    EXPECT_EQ("3", ws.cellText(1, 3));
}

TEST(XlsxParts, GiveStylesBooleansFormulaTextAndErrors) {
    auto wb = WorkbookReader::open(fixture("formats.xlsx"), ':');
    const Worksheet& ws = wb->worksheet(0);
    EXPECT_EQ("kl. 09:30", ws.cellText(1, 2));
    EXPECT_EQ("12.50%", ws.cellText(1, 3));
    EXPECT_EQ("TRUE", ws.cellText(1, 4));
    EXPECT_EQ("Sum\r\nmer", ws.cellText(1, 5));
    EXPECT_EQ("#DIV/0!", ws.cellText(1, 6));
}

struct Failure {
    const char* file;
    const char* message;
};

void PrintTo(const Failure& f, std::ostream* os) {
    *os << f.file;
}

class UnreadableWorkbooks : public ::testing::TestWithParam<Failure> {};

TEST_P(UnreadableWorkbooks, RaiseAClearError) {
    const Failure& f = GetParam();
    std::string path = fixture(f.file);
    std::string expected = std::string(f.message);
    std::size_t at = expected.find("PATH");
    if (at != std::string::npos) {
        expected.replace(at, 4, path);
    }
    std::string actual = errorOf(path);
    EXPECT_EQ(expected, actual.substr(0, expected.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnreadableWorkbooks,
    ::testing::Values(Failure{"missing.xls", "The workbook 'PATH' does not exist"},
                      Failure{"not_a_workbook.xlsx", "'PATH' is not a workbook"},
                      Failure{"make_fixtures.py", "'PATH' is not a workbook"},
                      Failure{"encrypted.xls", "The workbook 'PATH' is protected by a password"},
                      Failure{"encrypted.xlsx", "The workbook 'PATH' is protected by a password"},
                      Failure{"truncated.xls", "The workbook 'PATH' is damaged: "},
                      Failure{"truncated.xlsx", "The workbook 'PATH' is damaged: "},
                      Failure{"no_sheets.xlsx", "The workbook 'PATH' holds no worksheet"},
                      Failure{"entities.xlsx",
                              "The workbook 'PATH' is damaged: the part "
                              "xl/worksheets/sheet1.xml declares a document type"},
                      Failure{"bomb.xlsx",
                              "The workbook 'PATH' is damaged: the part "
                              "xl/worksheets/sheet1.xml expands beyond 64 MiB"}));

TEST(UnreadableWorkbooks, EmptyAndForeignBytesAreNotWorkbooks) {
    EXPECT_THROW(WorkbookReader::openBytes("", "x", ':'), EWorkbookError);
    EXPECT_THROW(WorkbookReader::openBytes("PK\x03\x04 not really", "x", ':'), EWorkbookError);
    std::string zipWithoutWorkbook = readFile(fixture("pursuit.xlsx"));
    try {
        // a zip whose parts are not those of a workbook
        std::string docx = zipWithoutWorkbook;
        for (std::size_t at = docx.find("xl/workbook.xml"); at != std::string::npos;
             at = docx.find("xl/workbook.xml", at)) {
            docx.replace(at, 2, "wd");
        }
        WorkbookReader::openBytes(docx, "brev", ':');
        FAIL();
    } catch (const EWorkbookError& e) {
        EXPECT_EQ("'brev' is not a workbook (a zip file without a workbook part)",
                  std::string(e.what()));
    }
}

TEST(WorkbookKindTest, FollowsTheExtensionInAnyCase) {
    EXPECT_EQ(WorkbookKind::Xls, kindOf("liste.xls"));
    EXPECT_EQ(WorkbookKind::Xls, kindOf("C:\\lister\\LISTE.XLS"));
    EXPECT_EQ(WorkbookKind::Xls, kindOf("jakt.2024.Xls"));
    EXPECT_EQ(WorkbookKind::Xlsx, kindOf("liste.xlsx"));
    EXPECT_EQ(WorkbookKind::Other, kindOf("liste.csv"));
    EXPECT_EQ(WorkbookKind::Other, kindOf("liste"));
    EXPECT_EQ(WorkbookKind::Other, kindOf("mappe.xls/liste"));
}

}  // namespace
}  // namespace sk

namespace sk {
namespace {

TEST(WorksheetCaps, RefuseMoreThanAListCanHold) {
    Worksheet cells("many");
    for (int i = 0; i < (1 << 20); ++i) {
        cells.setCell(1 + i / 1000, 1 + i % 1000, "1");
    }
    EXPECT_THROW(cells.setCell(5000, 1, "1"), WorkbookFault);
    cells.setCell(1, 1, "replaced");  // an existing cell may still change
    EXPECT_EQ("replaced", cells.cellText(1, 1));

    Worksheet text("long");
    std::string mib(1 << 20, 'x');
    for (int i = 0; i < 64; ++i) {
        text.setCell(i + 1, 1, mib);
    }
    EXPECT_THROW(text.setCell(65, 1, mib), WorkbookFault);
}

}  // namespace
}  // namespace sk
