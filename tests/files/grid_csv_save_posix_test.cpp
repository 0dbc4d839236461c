// Saving over an existing file where only POSIX can stage the failure: tests
// run as root, so a full disk is simulated with a file-size limit.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "file_size_limit.h"
#include "files/file_errors.h"
#include "files/grid_csv.h"
#include "scratch_dir.h"

namespace sk {
namespace {

TextGrid bigGrid() {
    TextGrid g(5, 2000);
    for (int r = 0; r < 2000; ++r) {
        g.SetCell(0, r, std::to_string(r));
        g.SetCell(1, r, "10:00:00");
    }
    return g;
}

TEST(GridCsvSave, FailedWriteKeepsOldFileByteForByte) {
    test::ScratchDir dir;
    const std::string path = dir.file("Klasser.csv");
    const std::string old = "Fra startnr,Til startnr\r\n1,50\r\n";
    test::writeBytes(path, old);
    try {
        test::FileSizeLimit limit(1024);
        SaveGridCsv(bigGrid(), path);
        FAIL() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ("Cannot Create file " + path, std::string(e.what()));
    }
    EXPECT_EQ(old, test::readBytes(path));
    EXPECT_EQ(std::vector<std::string>{"Klasser.csv"}, dir.entries());
}

TEST(GridCsvSave, ReplacementKeepsPermissionsAndFollowsLink) {
    test::ScratchDir dir;
    const std::string real = dir.file("real.csv");
    const std::string link = dir.file("Klasser.csv");
    test::writeBytes(real, "old\r\n");
    ASSERT_EQ(0, chmod(real.c_str(), 0640));
    std::filesystem::create_symlink("real.csv", link);

    TextGrid g(2, 1);
    g.SetCell(0, 0, "new");
    SaveGridCsv(g, link);

    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ("new,\"\"\r\n", test::readBytes(real));
    struct stat st {};
    ASSERT_EQ(0, stat(real.c_str(), &st));
    EXPECT_EQ(0640u, st.st_mode & 0777u);
}

}  // namespace
}  // namespace sk
