// The workbook list conversion on the checked-in fixtures (made by
// tests/data/spreadsheet/make_fixtures.py), with the temporary folder pointed
// at a scratch folder.
#include "files/convert_spreadsheet_list.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "files/file_errors.h"
#include "files/file_io.h"
#include "scratch_dir.h"
#include "spreadsheet/workbook.h"

namespace sk::test {
namespace {

std::string fixture(const std::string& name) {
    return std::string(SK_SPREADSHEET_DATA) + "/" + name;
}

// faktexcel as the window creates it.
TextGrid windowGrid() {
    TextGrid grid(5, 3, 1);
    const char* titles[] = {"Fra startnr", "Til startnr", "F\xF8rste start", "Intervall", "Antall"};
    for (int c = 0; c < 5; ++c) {
        grid.SetCell(c, 0, titles[c]);
    }
    return grid;
}

class ConvertSpreadsheetListTest : public ::testing::Test {
  protected:
    ConvertSpreadsheetListTest() {
        const char* old = std::getenv("TMPDIR");
        hadTmp_ = old != nullptr;
        if (hadTmp_) {
            oldTmp_ = old;
        }
        setenv("TMPDIR", tmp.path().c_str(), 1);
    }
    ~ConvertSpreadsheetListTest() override {
        if (hadTmp_) {
            setenv("TMPDIR", oldTmp_.c_str(), 1);
        } else {
            unsetenv("TMPDIR");
        }
    }

    std::string convert(const std::string& name) {
        return ConvertSpreadsheetList(grid, fixture(name), ':');
    }

    ScratchDir tmp;
    TextGrid grid = windowGrid();

  private:
    bool hadTmp_ = false;
    std::string oldTmp_;
};

// The pursuit fixture: title row, an empty corridor cell, "h:mm", a time just
// under a second rounded up, a fourth column with a comma and quotes, a line
// break without a comma, a text outside CP1252, and "Slutt" merged over A8:C8.
const char* const kPursuitCsv =
    "Startnr,Starttid,Sluse,\"\"\r\n"
    "1,13:02:08,1,\"\"\r\n"
    "2,13:02:38,\"\",\"\"\r\n"
    "3,13:03,2,\"\"\r\n"
    "4,13:02:08,2,\"Nordmann, \"\"Kari\"\"\"\r\n"
    "5,13:04:00,1,\xC6rlig \xD8vre \xC5sen\r\nlinje 2\r\n"
    "6.5,\"\",\"\",\x8Elu? \x80?\r\n"
    "Slutt,Slutt,Slutt,\"\"\r\n";

class BothFormats : public ConvertSpreadsheetListTest,
                    public ::testing::WithParamInterface<const char*> {};

TEST_P(BothFormats, PursuitListBecomesTheCommaSeparatedFileInTheTempFolder) {
    const std::string path = convert(std::string("pursuit.") + GetParam());
    EXPECT_EQ(tmp.file("pursuittvk"), path);
    EXPECT_EQ(kPursuitCsv, ReadWholeFile(path));
    EXPECT_EQ(8, grid.RowCount());
    EXPECT_EQ(4, grid.ColCount());
}

TEST_P(BothFormats, SingleUsedRowKeepsThePreviousRowCountWithItsRowsCleared) {
    convert(std::string("single_row.") + GetParam());
    EXPECT_EQ("7,13:05:30,2\r\n\"\",\"\",\"\"\r\n\"\",\"\",\"\"\r\n",
              ReadWholeFile(tmp.file("single_rowtvk")));

    convert(std::string("pursuit.") + GetParam());
    const std::string path = convert(std::string("single_row.") + GetParam());
    std::string expected = "7,13:05:30,2\r\n";
    for (int row = 2; row <= 8; ++row) {
        expected += "\"\",\"\",\"\"\r\n";  // the merged "Slutt" went with the clearing
    }
    EXPECT_EQ(expected, ReadWholeFile(path));
}

TEST_P(BothFormats, EmptyFirstSheetClearsTheGridAndKeepsItsCounts) {
    const std::string path = convert(std::string("empty_first.") + GetParam());
    const std::string emptyLine = "\"\",\"\",\"\",\"\",\"\"\r\n";
    EXPECT_EQ(emptyLine + emptyLine + emptyLine, ReadWholeFile(path));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, BothFormats, ::testing::Values("xls", "xlsx"));

TEST_F(ConvertSpreadsheetListTest, ConvertingTheSameNameAgainReplacesTheFile) {
    writeBytes(tmp.file("pursuittvk"), "old contents that are longer than the new ones\r\n");
    convert("pursuit.xls");
    EXPECT_EQ(kPursuitCsv, ReadWholeFile(tmp.file("pursuittvk")));
}

TEST_F(ConvertSpreadsheetListTest, UnreadableWorkbooksRaiseTheReadersErrorAndChangeNothing) {
    for (const char* name :
         {"missing.xls", "not_a_workbook.xlsx", "encrypted.xls", "truncated.xlsx"}) {
        SCOPED_TRACE(name);
        // The reader's error, naming the file.
        try {
            convert(name);
            ADD_FAILURE() << "no error";
        } catch (const EWorkbookError& e) {
            EXPECT_NE(std::string::npos, std::string(e.what()).find(name)) << e.what();
        }
        EXPECT_EQ("F\xF8rste start", grid.Cells(2, 0));
        EXPECT_EQ(3, grid.RowCount());
    }
    EXPECT_TRUE(tmp.entries().empty());
}

TEST_F(ConvertSpreadsheetListTest, UnwritableTempFolderRaisesCannotCreateFile) {
    setenv("TMPDIR", tmp.file("no/such/folder").c_str(), 1);
    try {
        convert("pursuit.xlsx");
        FAIL() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ("Cannot Create file " + tmp.file("no/such/folder/pursuittvk"), e.what());
    }
}

}  // namespace
}  // namespace sk::test
