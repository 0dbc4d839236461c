// The 20 000-row pursuit lists the spreadsheet and pursuit benchmarks time,
// generated here so the benchmarks need nothing but themselves.
#include "list_workbooks.h"

#include <zip.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace sk::bench {

namespace {

constexpr int kRows = kListRows;

double startTime(int i) {
    return (10 * 3600 + 2 * i) / 86400.0;
}

void add16(std::string& s, std::uint16_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>(v >> 8);
}
void add32(std::string& s, std::uint32_t v) {
    add16(s, static_cast<std::uint16_t>(v & 0xFFFF));
    add16(s, static_cast<std::uint16_t>(v >> 16));
}
void addRecord(std::string& s, std::uint16_t type, const std::string& data) {
    add16(s, type);
    add16(s, static_cast<std::uint16_t>(data.size()));
    s += data;
}
std::string compressedString(const std::string& text) {
    std::string d;
    add16(d, static_cast<std::uint16_t>(text.size()));
    d += '\0';
    return d + text;
}

// The BIFF8 workbook stream: a title row of shared strings, then rows of
// RK start number, NUMBER start time (hh:mm:ss) and RK corridor.
std::string biffStream() {
    auto bof = [](std::uint16_t kind) {
        std::string d;
        add16(d, 0x0600);
        add16(d, kind);
        add32(d, 0);
        add32(d, 0);
        return d;
    };
    std::string globals;
    addRecord(globals, 0x0809, bof(0x0005));
    std::string fmt;
    add16(fmt, 164);
    fmt += compressedString("hh:mm:ss");
    addRecord(globals, 0x041E, fmt);
    for (std::uint16_t f : {0, 164}) {
        std::string xf;
        add16(xf, 0);
        add16(xf, f);
        xf.append(16, '\0');
        addRecord(globals, 0x00E0, xf);
    }
    std::string sst;
    add32(sst, 3);
    add32(sst, 3);
    for (const char* t : {"Startnr", "Starttid", "Sluse"}) {
        sst += compressedString(t);
    }
    addRecord(globals, 0x00FC, sst);
    std::string name = "Jakt";
    std::size_t sheetOffset = globals.size() + 4 + 8 + name.size() + 4;
    std::string bs;
    add32(bs, static_cast<std::uint32_t>(sheetOffset));
    bs += '\0';
    bs += '\0';
    bs += static_cast<char>(name.size());
    bs += '\0';
    bs += name;
    addRecord(globals, 0x0085, bs);
    addRecord(globals, 0x000A, "");

    std::string sheet;
    addRecord(sheet, 0x0809, bof(0x0010));
    for (std::uint16_t c = 0; c < 3; ++c) {
        std::string d;
        add16(d, 0);
        add16(d, c);
        add16(d, 0);
        add32(d, c);
        addRecord(sheet, 0x00FD, d);
    }
    for (int i = 1; i <= kRows; ++i) {
        auto row = static_cast<std::uint16_t>(i);
        std::string rk;
        add16(rk, row);
        add16(rk, 0);
        add16(rk, 0);
        add32(rk, (static_cast<std::uint32_t>(i) << 2) | 2);
        addRecord(sheet, 0x027E, rk);
        std::string num;
        add16(num, row);
        add16(num, 1);
        add16(num, 1);
        double t = startTime(i);
        std::uint64_t bits;
        std::memcpy(&bits, &t, 8);
        add32(num, static_cast<std::uint32_t>(bits));
        add32(num, static_cast<std::uint32_t>(bits >> 32));
        addRecord(sheet, 0x0203, num);
        std::string corridor;
        add16(corridor, row);
        add16(corridor, 2);
        add16(corridor, 0);
        add32(corridor, (static_cast<std::uint32_t>(1 + i % 4) << 2) | 2);
        addRecord(sheet, 0x027E, corridor);
    }
    addRecord(sheet, 0x000A, "");
    return globals + sheet;
}

void put32(std::string& s, std::size_t off, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        s[off + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    }
}

// A compound file with 512-byte sectors: FAT, directory, then the stream.
std::string compoundFile(const std::string& stream) {
    const auto dataSectors = static_cast<std::uint32_t>((stream.size() + 511) / 512);
    std::uint32_t fatSectors = 1;
    while (fatSectors + 1 + dataSectors > fatSectors * 128) {
        ++fatSectors;
    }
    if (fatSectors > 109) {
        throw std::runtime_error("stream too large for the bench writer");
    }
    std::string out(512 * (2 + fatSectors + dataSectors), '\0');
    std::memcpy(&out[0], "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    out[24] = 0x3E;
    out[26] = 3;
    out[28] = static_cast<char>(0xFE);
    out[29] = static_cast<char>(0xFF);
    out[30] = 9;
    out[32] = 6;
    put32(out, 44, fatSectors);
    put32(out, 48, fatSectors);
    put32(out, 56, 4096);
    put32(out, 60, 0xFFFFFFFE);
    put32(out, 68, 0xFFFFFFFE);
    for (std::uint32_t i = 0; i < 109; ++i) {
        put32(out, 76 + 4 * i, i < fatSectors ? i : 0xFFFFFFFF);
    }
    for (std::uint32_t i = 0; i < fatSectors * 128; ++i) {
        std::uint32_t v = 0xFFFFFFFF;
        if (i < fatSectors) {
            v = 0xFFFFFFFD;
        } else if (i == fatSectors) {
            v = 0xFFFFFFFE;
        } else if (i < fatSectors + 1 + dataSectors) {
            v = i + 1 < fatSectors + 1 + dataSectors ? i + 1 : 0xFFFFFFFE;
        }
        put32(out, 512 + 4 * i, v);
    }
    std::size_t dir = 512 * (1 + fatSectors);
    auto entry = [&](std::size_t off, const std::string& name, char type, std::uint32_t start,
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
    entry(dir + 128, "Workbook", 2, fatSectors + 1, static_cast<std::uint32_t>(stream.size()));
    std::memcpy(&out[512 * (2 + fatSectors)], stream.data(), stream.size());
    return out;
}

std::string sheetXml() {
    std::string x =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<worksheet "
        "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>"
        "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c>"
        "<c r=\"C1\" t=\"s\"><v>2</v></c></row>";
    char buf[256];
    for (int i = 1; i <= kRows; ++i) {
        int r = i + 1;
        std::snprintf(buf, sizeof buf,
                      "<row r=\"%d\"><c r=\"A%d\"><v>%d</v></c><c r=\"B%d\" s=\"1\"><v>%.17g</v>"
                      "</c><c r=\"C%d\"><v>%d</v></c></row>",
                      r, r, i, r, startTime(i), r, 1 + i % 4);
        x += buf;
    }
    return x + "</sheetData></worksheet>";
}

}  // namespace

void writeXlsxList(const std::filesystem::path& path) {
    const char* rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    std::vector<std::pair<std::string, std::string>> parts = {
        {"_rels/.rels",
         std::string("<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                     "relationships\"><Relationship Id=\"rId1\" Type=\"") +
             rel + "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
        {"xl/workbook.xml",
         "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
         "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
         "<sheets><sheet name=\"Jakt\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels",
         std::string("<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                     "relationships\"><Relationship Id=\"rId1\" Type=\"") +
             rel +
             "worksheet\" Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" "
             "Type=\"" +
             rel +
             "sharedStrings\" Target=\"sharedStrings.xml\"/>"
             "<Relationship Id=\"rId3\" Type=\"" +
             rel + "styles\" Target=\"styles.xml\"/></Relationships>"},
        {"xl/sharedStrings.xml",
         "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><si><t>"
         "Startnr</t></si><si><t>Starttid</t></si><si><t>Sluse</t></si></sst>"},
        {"xl/styles.xml",
         "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
         "<numFmts><numFmt numFmtId=\"164\" formatCode=\"hh:mm:ss\"/></numFmts><cellXfs>"
         "<xf numFmtId=\"0\"/><xf numFmtId=\"164\"/></cellXfs></styleSheet>"},
        {"xl/worksheets/sheet1.xml", sheetXml()},
    };
    int err = 0;
    zip_t* z = zip_open(path.string().c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    if (z == nullptr) {
        throw std::runtime_error("cannot create " + path.string());
    }
    for (const auto& [name, data] : parts) {
        zip_source_t* src = zip_source_buffer(z, data.data(), data.size(), 0);
        if (src == nullptr || zip_file_add(z, name.c_str(), src, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(src);
            zip_discard(z);
            throw std::runtime_error("cannot add " + name);
        }
    }
    if (zip_close(z) != 0) {
        zip_discard(z);
        throw std::runtime_error("cannot write " + path.string());
    }
}

void writeXlsList(const std::filesystem::path& path) {
    std::ofstream(path, std::ios::binary) << compoundFile(biffStream());
}

}  // namespace sk::bench
