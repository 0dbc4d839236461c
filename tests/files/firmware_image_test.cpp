#include "files/firmware_image.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace sk {
namespace {

struct Record {
    int count = 0;
    int address = 0;
    int type = 0;
    std::vector<int> data;
};

int hexByte(const std::string& line, std::size_t pos) {
    return std::stoi(line.substr(pos, 2), nullptr, 16);
}

// Parses one record line, checking its form and checksum as a loader would.
Record parse(const std::string& line) {
    Record r;
    EXPECT_GE(line.size(), 11u) << line;
    EXPECT_EQ(':', line[0]) << line;
    EXPECT_EQ(1u, line.size() % 2) << line;
    EXPECT_EQ(std::string::npos, line.find_first_not_of("0123456789ABCDEF", 1))
        << "not upper-case hex: " << line;
    if (::testing::Test::HasFailure()) {
        return r;
    }
    int sum = 0;
    for (std::size_t i = 1; i + 1 < line.size(); i += 2) {
        sum += hexByte(line, i);
    }
    EXPECT_EQ(0, sum % 256) << "checksum of " << line;
    r.count = hexByte(line, 1);
    r.address = hexByte(line, 3) * 256 + hexByte(line, 5);
    r.type = hexByte(line, 7);
    EXPECT_EQ(11u + 2u * static_cast<unsigned>(r.count), line.size()) << line;
    for (int i = 0; i < r.count; ++i) {
        r.data.push_back(hexByte(line, 9 + 2 * static_cast<std::size_t>(i)));
    }
    return r;
}

TEST(FirmwareImage, BuiltinImageHasTheLayoutOfTheClockFirmware) {
    const FirmwareImage& image = FirmwareImage::Builtin();
    ASSERT_EQ(2882, image.LineCount());

    struct Block {
        int firstLine;  // 0-based
        int records;
        int firstAddress;
        int lastSize;
    };
    const Block blocks[] = {
        {0, 2649, 0x4000, 7},
        {2649, 2, 0xFFE0, 16},
        {2651, 214, 0xF000, 14},
        {2865, 16, 0xEF00, 16},
    };
    for (const Block& b : blocks) {
        for (int i = 0; i < b.records; ++i) {
            const int lineIndex = b.firstLine + i;
            const Record r = parse(image.Line(lineIndex));
            ASSERT_FALSE(HasFailure()) << "line " << lineIndex + 1;
            EXPECT_EQ(0, r.type) << "line " << lineIndex + 1;
            EXPECT_EQ(b.firstAddress + 16 * i, r.address) << "line " << lineIndex + 1;
            EXPECT_EQ(i + 1 == b.records ? b.lastSize : 16, r.count) << "line " << lineIndex + 1;
            for (int byte : r.data) {
                ASSERT_EQ(0xFF, byte) << "line " << lineIndex + 1;
            }
        }
    }
    EXPECT_EQ(":00000001FF", image.Line(2881));
    EXPECT_EQ(25u, image.Line(2648).size());
    EXPECT_EQ(39u, image.Line(2864).size());

    // What the update sends: every line whose fourth character is not 'F'.
    int skipped = 0;
    int sent = 0;
    int sentDataBytes = 0;
    for (int i = 0; i < image.LineCount(); ++i) {
        const std::string& line = image.Line(i);
        if (line[3] == 'F') {
            ++skipped;
            continue;
        }
        ++sent;
        const Record r = parse(line);
        if (r.type == 0) {
            sentDataBytes += r.count;
        }
    }
    EXPECT_EQ(216, skipped);
    EXPECT_EQ(2666, sent);
    EXPECT_EQ(42631, sentDataBytes);
}

TEST(FirmwareImage, FromLinesKeepsLinesAsGivenAndRefusesBadIndex) {
    const FirmwareImage image = FirmwareImage::FromLines({"not a record", ":00000001FF"});
    EXPECT_EQ(2, image.LineCount());
    EXPECT_EQ("not a record", image.Line(0));
    EXPECT_EQ(":00000001FF", image.Line(1));
    EXPECT_THROW(image.Line(2), std::out_of_range);
    EXPECT_THROW(image.Line(-1), std::out_of_range);
    EXPECT_EQ(0, FirmwareImage::FromLines({}).LineCount());
}

}  // namespace
}  // namespace sk
