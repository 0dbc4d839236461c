// Arbitrary bytes as an .xlsx workbook: no crash, no hang, bounded memory,
// and a clear error for what cannot be read. Inputs that begin like a zip
// file are read as they are, testing the container; any other input is cut
// at "\xFF\xFE" into the sheet, shared strings, styles and workbook parts of
// a zip built here (stored, so the checksums match), so the XML readers are
// reached without the fuzzer having to forge deflate streams and CRCs.
#include <zip.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "spreadsheet/workbook_reader.h"

namespace {

constexpr std::string_view kRels =
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
    "relationships/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>";
constexpr std::string_view kWorkbookRels =
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" Type=\"http://x/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
    "<Relationship Id=\"rId2\" Type=\"http://x/sharedStrings\" Target=\"sharedStrings.xml\"/>"
    "<Relationship Id=\"rId3\" Type=\"http://x/styles\" Target=\"styles.xml\"/>"
    "</Relationships>";
constexpr std::string_view kWorkbook =
    "<workbook xmlns:r=\"r\"><sheets><sheet name=\"A\" sheetId=\"1\" r:id=\"rId1\"/></sheets>"
    "</workbook>";

std::string zipOf(const std::vector<std::pair<std::string, std::string_view>>& parts) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* src = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_error_fini(&error);
    if (src == nullptr) {
        return {};
    }
    zip_source_keep(src);
    zip_t* z = zip_open_from_source(src, ZIP_TRUNCATE, nullptr);
    std::string out;
    if (z != nullptr) {
        for (const auto& [name, data] : parts) {
            zip_source_t* s = zip_source_buffer(z, data.data(), data.size(), 0);
            zip_int64_t i = s ? zip_file_add(z, name.c_str(), s, 0) : -1;
            if (i < 0) {
                zip_source_free(s);
            } else {
                zip_set_file_compression(z, static_cast<zip_uint64_t>(i), ZIP_CM_STORE, 0);
            }
        }
        if (zip_close(z) != 0) {
            zip_discard(z);
        } else if (zip_source_open(src) == 0) {
            char buf[4096];
            zip_int64_t n;
            while ((n = zip_source_read(src, buf, sizeof buf)) > 0) {
                out.append(buf, static_cast<std::size_t>(n));
            }
            zip_source_close(src);
        }
    }
    zip_source_free(src);
    return out;
}

std::string buildWorkbook(std::string_view input) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    for (std::size_t at; (at = input.find("\xFF\xFE", start)) != std::string_view::npos;
         start = at + 2) {
        pieces.push_back(input.substr(start, at - start));
    }
    pieces.push_back(input.substr(start));
    pieces.resize(4);
    return zipOf({{"_rels/.rels", kRels},
                  {"xl/_rels/workbook.xml.rels", kWorkbookRels},
                  {"xl/workbook.xml", pieces[3].empty() ? kWorkbook : pieces[3]},
                  {"xl/worksheets/sheet1.xml", pieces[0]},
                  {"xl/sharedStrings.xml", pieces[1]},
                  {"xl/styles.xml", pieces[2]}});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string built;
    if (bytes.substr(0, 2) != "PK") {
        built = buildWorkbook(bytes);
        bytes = built;
    }
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
    return 0;
}
