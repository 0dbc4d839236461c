#include "files/pursuit_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/file_errors.h"
#include "scratch_dir.h"

namespace sk {
namespace {

TEST(PursuitList, KindFollowsExtensionOfFileNameInAnyCase) {
    const struct {
        const char* path;
        ListKind kind;
    } cases[] = {
        {"liste.xls", ListKind::Xls},
        {"LISTE.XLS", ListKind::Xls},
        {"/data/Liste.Xls", ListKind::Xls},
        {"liste.txt.xls", ListKind::Xls},
        {".xls", ListKind::Xls},
        {"liste.xlsx", ListKind::Xlsx},
        {"C:/Lister/LISTE.XLSX", ListKind::Xlsx},
        {"liste.csv", ListKind::Text},
        {"liste.xls.txt", ListKind::Text},
        {"liste.xlsb", ListKind::Text},
        {"liste.", ListKind::Text},
        {"liste", ListKind::Text},
        {"/data/lister.xls/jakt", ListKind::Text},  // the dot is in a folder name
        {"", ListKind::Text},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.kind, ListKindOf(c.path)) << c.path;
        EXPECT_EQ(c.kind != ListKind::Text, IsSpreadsheetList(c.path)) << c.path;
    }
}

TEST(PursuitList, ConvertedNameDropsExtensionWithDotAndAppendsTvk) {
    const struct {
        const char* path;
        const char* name;
    } cases[] = {
        {"jakt.xls", "jakttvk"},
        {"jakt.2024.xls", "jakt.2024tvk"},
        {"/home/ola/L\xF8p/Jakt.XLSX", "Jakttvk"},
        {"/data/lister.v2/jakt", "jakttvk"},
        {"jakt.", "jakttvk"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.name, ConvertedListName(c.path)) << c.path;
    }
}

TEST(PursuitList, LineFilterTrimsAndAcceptsOnlyLinesStartingWithOneToNine) {
    const struct {
        const char* raw;
        bool accepted;
        const char* trimmed;
    } cases[] = {
        {"   7;13:05:30;2;  ", true, "7;13:05:30;2;"},
        {"1;13:02:08;1;\r", true, "1;13:02:08;1;"},
        {"\t\x01"
         "9,13:02:08,1\x1F",
         true, "9,13:02:08,1"},
        {"1,13:02:08,\"\"", true, "1,13:02:08,\"\""},
        {"0;13:00:00;1;", false, "0;13:00:00;1;"},
        {"Startnr;Starttid;Sluse;", false, "Startnr;Starttid;Sluse;"},
        {"\"1\";13:00:00", false, "\"1\";13:00:00"},
        {"-1;13:00:00", false, "-1;13:00:00"},
        {"+1;13:00:00", false, "+1;13:00:00"},
        {"\xA0"
         "1;13:00:00",
         false,
         "\xA0"
         "1;13:00:00"},  // 0xA0 is no blank
        {" \t\r ", false, ""},
        {"", false, ""},
    };
    for (const auto& c : cases) {
        std::string trimmed = "stale";
        EXPECT_EQ(c.accepted, AcceptListLine(c.raw, trimmed)) << c.raw;
        EXPECT_EQ(c.trimmed, trimmed) << c.raw;
    }
}

TEST(PursuitList, LinesEndAtLfWithOneCrDropped) {
    using Lines = std::vector<std::string_view>;
    EXPECT_EQ((Lines{"a", "b", "c"}), SplitLines("a\r\nb\nc"));
    EXPECT_EQ((Lines{"a", "", "b"}), SplitLines("a\n\nb\n"));
    EXPECT_EQ((Lines{"a\r", "b\r"}), SplitLines("a\r\r\nb\r"));
    EXPECT_EQ((Lines{""}), SplitLines("\r\n"));
    EXPECT_EQ(Lines{}, SplitLines(""));
}

TEST(PursuitList, TextListWithNulBytesIsRefused) {
    test::ScratchDir dir;
    const std::string path = dir.file("jakt.txt");
    test::writeBytes(path, std::string("1;13:02:08;1;\r\n2;13:0\0"
                                       "2:38;1;\r\n",
                                       27));
    try {
        CheckTextList(path);
        FAIL() << "no error";
    } catch (const EFFormatError& e) {
        EXPECT_EQ("The list file holds NUL bytes and is not a text list: " + path,
                  std::string(e.what()));
    }
    EXPECT_THROW(ReadListLines(path), EFFormatError);
}

TEST(PursuitList, ReadsTextListLinesAndLeavesMissingFileToTheTransfer) {
    test::ScratchDir dir;
    const std::string path = dir.file("jakt.txt");
    test::writeBytes(path, "Startnr;Starttid;Sluse;\r\n1;13:02:08;1;\r\n2;13:02:38;1;");
    EXPECT_NO_THROW(CheckTextList(path));
    EXPECT_EQ(
        (std::vector<std::string>{"Startnr;Starttid;Sluse;", "1;13:02:08;1;", "2;13:02:38;1;"}),
        ReadListLines(path));

    const std::string missing = dir.file("borte.txt");
    EXPECT_NO_THROW(CheckTextList(missing));
    try {
        ReadListLines(missing);
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ("Cannot open file " + missing, std::string(e.what()));
    }
}

}  // namespace
}  // namespace sk
