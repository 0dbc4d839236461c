#include "spreadsheet/compound_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "spreadsheet/workbook_fault.h"

namespace sk {
namespace {

constexpr std::uint32_t kEnd = 0xFFFFFFFE;
constexpr std::uint32_t kFree = 0xFFFFFFFF;
constexpr std::uint32_t kFatSect = 0xFFFFFFFD;

// A small compound file with 512-byte sectors: sector 0 the FAT, sector 1
// the directory, sector 2 the mini FAT, sector 3 the mini stream, sectors
// 4..6 the 1536-byte stream "Workbook" (the cutoff is lowered to 1024 so a
// big stream stays small), and "Small" (100 bytes) in the mini stream.
struct Crafted {
    std::string bytes;

    Crafted() {
        bytes.assign(512 * 8, '\0');
        std::memcpy(&bytes[0], "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
        put16(24, 0x3E);
        put16(26, 3);
        put16(28, 0xFFFE);
        put16(30, 9);
        put16(32, 6);
        put32(44, 1);     // FAT sectors
        put32(48, 1);     // first directory sector
        put32(56, 1024);  // mini stream cutoff
        put32(60, 2);     // first mini FAT sector
        put32(64, 1);     // mini FAT sectors
        put32(68, kEnd);  // no DIFAT sectors
        put32(72, 0);
        put32(76, 0);  // DIFAT[0] = sector 0
        for (int i = 1; i < 109; ++i) {
            put32(76 + 4 * i, kFree);
        }
        std::uint32_t fat[] = {kFatSect, kEnd, kEnd, kEnd, 5, 6, kEnd};
        for (std::uint32_t i = 0; i < 128; ++i) {
            setFat(i, i < 7 ? fat[i] : kFree);
        }
        entry(0, "Root Entry", 5, 3, 128);
        entry(1, "Workbook", 2, 4, 1536);
        entry(2, "Small", 2, 0, 100);
        // mini FAT: mini sectors 0 and 1 hold "Small"
        for (std::uint32_t i = 0; i < 128; ++i) {
            put32(sectorOffset(2) + 4 * i, i == 0 ? 1 : i == 1 ? kEnd : kFree);
        }
        for (int i = 0; i < 128; ++i) {
            bytes[sectorOffset(3) + i] = static_cast<char>('a' + i % 26);
        }
        for (int i = 0; i < 1536; ++i) {
            bytes[sectorOffset(4) + i] = static_cast<char>(i % 251);
        }
    }
    static std::size_t sectorOffset(std::uint32_t s) { return 512 * (s + 1); }
    void put16(std::size_t off, std::uint16_t v) { std::memcpy(&bytes[off], &v, 2); }
    void put32(std::size_t off, std::uint32_t v) { std::memcpy(&bytes[off], &v, 4); }
    void setFat(std::uint32_t i, std::uint32_t v) { put32(sectorOffset(0) + 4 * i, v); }
    void setMiniFat(std::uint32_t i, std::uint32_t v) { put32(sectorOffset(2) + 4 * i, v); }
    std::size_t entryOffset(int i) const { return sectorOffset(1) + 128 * i; }
    void entry(int i, const std::string& name, std::uint8_t type, std::uint32_t start,
               std::uint32_t size) {
        std::size_t off = entryOffset(i);
        for (std::size_t k = 0; k < name.size(); ++k) {
            bytes[off + 2 * k] = name[k];
        }
        put16(off + 64, static_cast<std::uint16_t>(2 * name.size() + 2));
        bytes[off + 66] = static_cast<char>(type);
        put32(off + 68, kFree);
        put32(off + 72, kFree);
        put32(off + 76, i == 0 ? 1 : kFree);
        put32(off + 116, start);
        put32(off + 120, size);
    }
};

TEST(CompoundFile, ReadsStreamsFromSectorsAndMiniStream) {
    Crafted f;
    CompoundFile cf(f.bytes);
    EXPECT_TRUE(cf.hasStream("workbook"));
    EXPECT_FALSE(cf.hasStream("Book"));
    std::string wb = cf.readStream("Workbook");
    ASSERT_EQ(1536u, wb.size());
    EXPECT_EQ(f.bytes.substr(Crafted::sectorOffset(4), 1536), wb);
    EXPECT_EQ(f.bytes.substr(Crafted::sectorOffset(3), 100), cf.readStream("Small"));
}

struct Damage {
    const char* name;
    std::function<void(Crafted&)> apply;
    bool atOpen;         // the fault shows when the file is opened
    const char* stream;  // else when this stream is read
    const char* detail;  // part of the fault's text
};

void PrintTo(const Damage& d, std::ostream* os) {
    *os << d.name;
}

class DamagedCompoundFile : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedCompoundFile, RaisesADamagedFault) {
    const Damage& d = GetParam();
    Crafted f;
    d.apply(f);
    try {
        CompoundFile cf(f.bytes);
        ASSERT_FALSE(d.atOpen) << "opened";
        cf.readStream(d.stream);
        FAIL() << "read";
    } catch (const WorkbookFault& e) {
        EXPECT_EQ(FaultKind::Damaged, e.kind());
        EXPECT_NE(std::string::npos, std::string(e.what()).find(d.detail)) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedCompoundFile,
    ::testing::Values(
        Damage{"StreamChainLoops", [](Crafted& f) { f.setFat(5, 4); }, false, "Workbook", "loops"},
        Damage{"StreamChainLoopsOnItself", [](Crafted& f) { f.setFat(4, 4); }, false, "Workbook",
               "loops"},
        Damage{"StreamSectorOutOfRange", [](Crafted& f) { f.setFat(4, 100000); }, false, "Workbook",
               "leaves the file"},
        Damage{"StreamEndsEarly", [](Crafted& f) { f.setFat(5, kEnd); }, false, "Workbook",
               "ends early"},
        Damage{"StreamStartsPastTheFile", [](Crafted& f) { f.put32(f.entryOffset(1) + 116, 127); },
               false, "Workbook", "past the end"},
        Damage{"HugeStreamSize", [](Crafted& f) { f.put32(f.entryOffset(1) + 120, 0xFFFFFFF0); },
               false, "Workbook", "larger than the file"},
        Damage{"MiniChainLoops", [](Crafted& f) { f.setMiniFat(0, 0); }, false, "Small", "loops"},
        Damage{"MiniChainOutOfRange", [](Crafted& f) { f.setMiniFat(0, 5000); }, false, "Small",
               "broken"},
        Damage{"SmallStreamBeyondMiniStream",
               [](Crafted& f) { f.put32(f.entryOffset(2) + 120, 1000); }, false, "Small",
               "larger than the mini stream"},
        Damage{"MissingStream", [](Crafted&) {}, false, "Book", "missing"},
        Damage{"DirectoryChainLoops", [](Crafted& f) { f.setFat(1, 1); }, true, "", "loops"},
        Damage{"DirectoryOutOfRange", [](Crafted& f) { f.put32(48, 0xFFFFFFF0); }, true, "",
               "leaves the file"},
        Damage{"HugeFatCount", [](Crafted& f) { f.put32(44, 0x7FFFFFFF); }, true, "",
               "more sectors"},
        Damage{"DifatChainLoops",
               [](Crafted& f) {
                   // More FAT sectors than the header and one DIFAT sector
                   // name, and that DIFAT sector points to itself.
                   f.bytes.resize(512 * 300);
                   f.put32(44, 109 + 127 + 1);
                   f.put32(68, 150);
                   f.put32(72, 2);
                   for (int i = 0; i < 109; ++i) {
                       f.put32(76 + 4 * i, 0);
                   }
                   f.put32(Crafted::sectorOffset(150), 0);
                   f.put32(Crafted::sectorOffset(150) + 508, 150);
                   for (int i = 1; i < 127; ++i) {
                       f.put32(Crafted::sectorOffset(150) + 4 * i, 0);
                   }
               },
               true, "", "allocation table list"},
        Damage{"BadSectorShift", [](Crafted& f) { f.put16(30, 30); }, true, "", "invalid"},
        Damage{"TruncatedHeader", [](Crafted& f) { f.bytes.resize(300); }, true, "", "incomplete"},
        Damage{"NoRootEntry", [](Crafted& f) { f.bytes[f.entryOffset(0) + 66] = 2; }, true, "",
               "root"}));

}  // namespace
}  // namespace sk
