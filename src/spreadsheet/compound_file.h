#pragma once
// The OLE2 compound file that holds an .xls workbook: a FAT-linked set of
// sectors with a directory of named streams, small streams kept in a mini
// stream. Every chain is checked against loops and sectors past the file;
// a broken structure raises a Damaged WorkbookFault. Holds a view of the
// caller's bytes, which must outlive it.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sk {

class CompoundFile {
  public:
    static bool hasSignature(std::string_view data);

    // Reads the header, the FAT, the directory and the mini FAT.
    explicit CompoundFile(std::string_view data);

    // Stream names compare without regard to ASCII letter case.
    bool hasStream(std::string_view name) const;
    // The stream's bytes; a Damaged fault when it is missing or broken.
    std::string readStream(std::string_view name) const;

  private:
    struct Entry {
        std::string name;  // ASCII letters, other characters as '?'
        std::uint8_t type = 0;
        std::uint32_t start = 0;
        std::uint64_t size = 0;
    };
    const Entry* find(std::string_view name) const;
    std::string readChain(std::uint32_t start, std::uint64_t size, bool sizeKnown) const;
    std::string readMiniChain(std::uint32_t start, std::uint64_t size) const;
    std::string_view sector(std::uint32_t index) const;

    std::string_view data_;
    std::uint32_t sectorSize_ = 512;
    std::uint32_t miniCutoff_ = 4096;
    std::vector<std::uint32_t> fat_;
    std::vector<std::uint32_t> miniFat_;
    std::vector<Entry> entries_;
    std::string miniStream_;
};

}  // namespace sk
