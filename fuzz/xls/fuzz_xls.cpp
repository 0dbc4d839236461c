// Arbitrary bytes as an .xls workbook. Inputs that begin with the compound
// file signature are read as they are, testing the compound-file layer;
// any other input becomes the "Workbook" stream of a well-formed compound
// file, so the BIFF record reader is reached without the fuzzer having to
// build sector tables first.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "spreadsheet/workbook_reader.h"

namespace {

void put32(std::string& s, std::size_t off, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        s[off + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    }
}

std::string wrapAsWorkbookStream(std::string_view stream) {
    const std::uint32_t dataSectors = static_cast<std::uint32_t>((stream.size() + 511) / 512);
    std::uint32_t fatSectors = 1;
    while ((fatSectors + 1 + dataSectors) > fatSectors * 128) {
        ++fatSectors;
    }
    if (fatSectors > 109) {
        return {};
    }
    const std::uint32_t total = fatSectors + 1 + dataSectors;
    std::string out(512 * (1 + total), '\0');
    std::memcpy(&out[0], "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    out[24] = 0x3E;
    out[26] = 3;
    out[28] = static_cast<char>(0xFE);
    out[29] = static_cast<char>(0xFF);
    out[30] = 9;
    out[32] = 6;
    put32(out, 44, fatSectors);
    put32(out, 48, fatSectors);  // directory right after the FAT
    put32(out, 56, 0);           // no mini stream: every stream in sectors
    put32(out, 60, 0xFFFFFFFE);
    put32(out, 68, 0xFFFFFFFE);
    for (std::uint32_t i = 0; i < 109; ++i) {
        put32(out, 76 + 4 * i, i < fatSectors ? i : 0xFFFFFFFF);
    }
    auto fat = [&](std::uint32_t i, std::uint32_t v) { put32(out, 512 + 4 * i, v); };
    for (std::uint32_t i = 0; i < fatSectors * 128; ++i) {
        fat(i, 0xFFFFFFFF);
    }
    for (std::uint32_t i = 0; i < fatSectors; ++i) {
        fat(i, 0xFFFFFFFD);
    }
    fat(fatSectors, 0xFFFFFFFE);
    for (std::uint32_t i = 0; i < dataSectors; ++i) {
        std::uint32_t s = fatSectors + 1 + i;
        fat(s, i + 1 < dataSectors ? s + 1 : 0xFFFFFFFE);
    }
    std::size_t dir = 512 * (1 + fatSectors);
    auto entry = [&](std::size_t off, std::string_view name, char type, std::uint32_t start,
                     std::uint32_t size) {
        for (std::size_t k = 0; k < name.size(); ++k) {
            out[off + 2 * k] = name[k];
        }
        out[off + 64] = static_cast<char>(2 * name.size() + 2);
        out[off + 66] = type;
        put32(out, off + 68, 0xFFFFFFFF);
        put32(out, off + 72, 0xFFFFFFFF);
        put32(out, off + 76, type == 5 ? 1 : 0xFFFFFFFF);
        put32(out, off + 116, start);
        put32(out, off + 120, size);
    };
    entry(dir, "Root Entry", 5, 0xFFFFFFFE, 0);
    entry(dir + 128, "Workbook", 2, dataSectors ? fatSectors + 1 : 0xFFFFFFFE,
          static_cast<std::uint32_t>(stream.size()));
    std::memcpy(&out[512 * (2 + fatSectors)], stream.data(), stream.size());
    return out;
}

void readAll(std::string_view bytes) {
    try {
        auto wb = sk::WorkbookReader::openBytes(bytes, "fuzz", ':');
        for (std::size_t i = 0; i < wb->worksheetCount(); ++i) {
            const sk::Worksheet& ws = wb->worksheet(i);
            (void)ws.cellText(ws.lastRow(), ws.lastColumn());
            (void)ws.mergedRanges().size();
        }
    } catch (const sk::EWorkbookError&) {
        // a clear error is the expected outcome for most inputs
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (bytes.substr(0, 8) == std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)) {
        readAll(bytes);
    } else {
        readAll(wrapAsWorkbookStream(bytes));
    }
    return 0;
}
