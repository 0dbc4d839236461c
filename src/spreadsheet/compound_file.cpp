#include "spreadsheet/compound_file.h"

#include <algorithm>

#include "spreadsheet/byte_reader.h"
#include "spreadsheet/workbook_fault.h"

namespace sk {

namespace {

constexpr std::string_view kSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
constexpr std::uint32_t kMaxRegular = 0xFFFFFFFA;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kMiniSectorSize = 64;
constexpr std::size_t kHeaderDifatEntries = 109;

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return asciiLower(x) == asciiLower(y);
           });
}

std::uint32_t le32(std::string_view s, std::size_t off) {
    ByteReader r(s.substr(off), "sector");
    return r.u32();
}

}  // namespace

bool CompoundFile::hasSignature(std::string_view data) {
    return data.substr(0, 8) == kSignature;
}

CompoundFile::CompoundFile(std::string_view data) : data_(data) {
    if (!hasSignature(data) || data.size() < 512) {
        damaged("the compound file header is incomplete");
    }
    ByteReader h(data.substr(0, 512), "header");
    h.skip(24);
    h.u16();  // minor version
    h.u16();  // major version; the sector shift below is what matters
    std::uint16_t byteOrder = h.u16();
    std::uint16_t sectorShift = h.u16();
    std::uint16_t miniShift = h.u16();
    if (byteOrder != 0xFFFE || (sectorShift != 9 && sectorShift != 12) || miniShift != 6) {
        damaged("the compound file header is invalid");
    }
    sectorSize_ = 1u << sectorShift;
    h.skip(6);
    h.u32();  // directory sector count (0 for 512-byte sectors)
    std::uint32_t fatSectors = h.u32();
    std::uint32_t firstDir = h.u32();
    h.u32();
    miniCutoff_ = h.u32();
    std::uint32_t firstMiniFat = h.u32();
    std::uint32_t miniFatSectors = h.u32();
    std::uint32_t firstDifat = h.u32();
    std::uint32_t difatSectors = h.u32();

    // Sectors past the end of the file cannot be read, so no table may
    // claim more of them than the file holds.
    const std::uint64_t sectorsInFile =
        data.size() <= sectorSize_ ? 0
                                   : (data.size() - sectorSize_ + sectorSize_ - 1) / sectorSize_;
    if (fatSectors > sectorsInFile || difatSectors > sectorsInFile ||
        miniFatSectors > sectorsInFile) {
        damaged("the compound file claims more sectors than it holds");
    }

    std::vector<std::uint32_t> fatSectorIds;
    for (std::size_t i = 0; i < kHeaderDifatEntries && fatSectorIds.size() < fatSectors; ++i) {
        fatSectorIds.push_back(h.u32());
    }
    std::vector<bool> seenDifat(static_cast<std::size_t>(sectorsInFile), false);
    std::uint32_t next = firstDifat;
    const std::uint32_t perDifat = sectorSize_ / 4 - 1;
    for (std::uint32_t n = 0; fatSectorIds.size() < fatSectors; ++n) {
        if (n >= difatSectors || next >= sectorsInFile || seenDifat[next]) {
            damaged("the sector allocation table list is broken");
        }
        seenDifat[next] = true;
        std::string_view s = sector(next);
        for (std::uint32_t i = 0; i < perDifat && fatSectorIds.size() < fatSectors; ++i) {
            fatSectorIds.push_back(le32(s, i * 4));
        }
        next = le32(s, perDifat * 4);
    }
    fat_.reserve(static_cast<std::size_t>(fatSectors) * (sectorSize_ / 4));
    for (std::uint32_t id : fatSectorIds) {
        std::string_view s = sector(id);
        for (std::uint32_t i = 0; i < sectorSize_ / 4; ++i) {
            fat_.push_back(le32(s, i * 4));
        }
    }

    std::string dir = readChain(firstDir, 0, false);
    for (std::size_t off = 0; off + 128 <= dir.size(); off += 128) {
        ByteReader e(std::string_view(dir).substr(off, 128), "directory entry");
        std::string_view rawName = e.bytes(64);
        std::uint16_t nameBytes = e.u16();
        Entry entry;
        entry.type = e.u8();
        std::size_t chars = std::min<std::size_t>(nameBytes, 64) / 2;
        for (std::size_t i = 0; i < chars; ++i) {
            unsigned lo = static_cast<unsigned char>(rawName[2 * i]);
            unsigned hi = static_cast<unsigned char>(rawName[2 * i + 1]);
            if (lo == 0 && hi == 0) {
                break;
            }
            entry.name += (hi == 0 && lo < 0x80) ? static_cast<char>(lo) : '?';
        }
        e.skip(1 + 12 + 16 + 4 + 16);
        entry.start = e.u32();
        entry.size = e.u64();
        if (sectorSize_ == 512) {
            entry.size &= 0xFFFFFFFFu;  // the high half is not defined there
        }
        entries_.push_back(std::move(entry));
    }
    if (entries_.empty() || entries_[0].type != 5) {
        damaged("the compound file has no root entry");
    }
    if (miniFatSectors > 0 && firstMiniFat <= kMaxRegular) {
        std::string mf = readChain(firstMiniFat, 0, false);
        for (std::size_t off = 0; off + 4 <= mf.size(); off += 4) {
            miniFat_.push_back(le32(mf, off));
        }
    }
    if (entries_[0].size > 0) {
        miniStream_ = readChain(entries_[0].start, entries_[0].size, true);
    }
}

std::string_view CompoundFile::sector(std::uint32_t index) const {
    std::uint64_t off = (static_cast<std::uint64_t>(index) + 1) * sectorSize_;
    if (index > kMaxRegular || off >= data_.size()) {
        damaged("a sector lies past the end of the file");
    }
    // A last sector cut short by the writer is read as far as it goes.
    return data_.substr(static_cast<std::size_t>(off), sectorSize_);
}

std::string CompoundFile::readChain(std::uint32_t start, std::uint64_t size, bool sizeKnown) const {
    if (sizeKnown && size > data_.size()) {
        damaged("a stream is larger than the file");
    }
    std::string out;
    std::vector<bool> seen(fat_.size(), false);
    std::uint32_t id = start;
    while (!sizeKnown || out.size() < size) {
        if (id == kEndOfChain && !sizeKnown) {
            break;
        }
        if (id >= fat_.size()) {
            damaged(id == kEndOfChain ? "a stream ends early" : "a sector chain leaves the file");
        }
        if (seen[id]) {
            damaged("a sector chain loops");
        }
        seen[id] = true;
        std::string_view s = sector(id);
        out.append(s);
        if (s.size() < sectorSize_) {
            out.append(sectorSize_ - s.size(), '\0');
        }
        id = fat_[id];
    }
    if (sizeKnown) {
        out.resize(static_cast<std::size_t>(size));
    }
    return out;
}

std::string CompoundFile::readMiniChain(std::uint32_t start, std::uint64_t size) const {
    if (size > miniStream_.size()) {
        damaged("a small stream is larger than the mini stream");
    }
    std::string out;
    std::vector<bool> seen(miniFat_.size(), false);
    std::uint32_t id = start;
    while (out.size() < size) {
        if (id >= miniFat_.size()) {
            damaged("a small stream's chain is broken");
        }
        if (seen[id]) {
            damaged("a sector chain loops");
        }
        seen[id] = true;
        std::uint64_t off = static_cast<std::uint64_t>(id) * kMiniSectorSize;
        if (off + kMiniSectorSize > miniStream_.size()) {
            damaged("a small stream lies past the mini stream");
        }
        out.append(miniStream_, static_cast<std::size_t>(off), kMiniSectorSize);
        id = miniFat_[id];
    }
    out.resize(static_cast<std::size_t>(size));
    return out;
}

const CompoundFile::Entry* CompoundFile::find(std::string_view name) const {
    for (const auto& e : entries_) {
        if (e.type == 2 && sameName(e.name, name)) {
            return &e;
        }
    }
    return nullptr;
}

bool CompoundFile::hasStream(std::string_view name) const {
    return find(name) != nullptr;
}

std::string CompoundFile::readStream(std::string_view name) const {
    const Entry* e = find(name);
    if (e == nullptr) {
        damaged("the stream " + std::string(name) + " is missing");
    }
    if (e->size < miniCutoff_) {
        return readMiniChain(e->start, e->size);
    }
    return readChain(e->start, e->size, true);
}

}  // namespace sk
