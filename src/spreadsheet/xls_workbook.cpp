#include "spreadsheet/xls_workbook.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "spreadsheet/byte_reader.h"
#include "spreadsheet/cell_text.h"
#include "spreadsheet/compound_file.h"
#include "spreadsheet/workbook_fault.h"

namespace sk {

namespace {

enum : std::uint16_t {
    kFormula = 0x0006,
    kEof = 0x000A,
    kDateMode = 0x0022,
    kFilePass = 0x002F,
    kContinue = 0x003C,
    kCodePage = 0x0042,
    kBoundSheet = 0x0085,
    kMulRk = 0x00BD,
    kRString = 0x00D6,
    kXf = 0x00E0,
    kMergedCells = 0x00E5,
    kSst = 0x00FC,
    kLabelSst = 0x00FD,
    kBlank = 0x0201,
    kNumber = 0x0203,
    kLabel = 0x0204,
    kBoolErr = 0x0205,
    kString = 0x0207,
    kRk = 0x027E,
    kFormat = 0x041E,
    kBof = 0x0809,
};

constexpr int kMaxColumns = 256;

struct Record {
    std::uint16_t type = 0;
    std::string_view data;
};

class RecordStream {
  public:
    RecordStream(std::string_view stream, std::size_t pos) : s_(stream), pos_(pos) {}

    bool next(Record& r) {
        if (pos_ >= s_.size()) {
            return false;
        }
        ByteReader h(s_.substr(pos_), "the workbook stream");
        r.type = h.u16();
        std::uint16_t len = h.u16();
        r.data = h.bytes(len);
        pos_ += 4u + len;
        return true;
    }

    // The CONTINUE records right after the current one.
    std::vector<std::string_view> continuations() {
        std::vector<std::string_view> out;
        Record r;
        std::size_t save = pos_;
        while (next(r) && r.type == kContinue) {
            out.push_back(r.data);
            save = pos_;
        }
        pos_ = save;
        return out;
    }

  private:
    std::string_view s_;
    std::size_t pos_;
};

// A record with its CONTINUE records read as one byte sequence, except that
// a string's characters cut by a record boundary go on after a new flag
// byte that says whether they are one or two bytes wide.
class Segments {
  public:
    explicit Segments(std::vector<std::string_view> segs) : segs_(std::move(segs)) {}

    bool atEnd() {
        skipEmpty();
        return seg_ >= segs_.size();
    }
    std::uint8_t u8() {
        skipEmpty();
        if (seg_ >= segs_.size()) {
            damaged("a string table ends early");
        }
        return static_cast<std::uint8_t>(segs_[seg_][pos_++]);
    }
    std::uint16_t u16() {
        std::uint16_t lo = u8();
        return static_cast<std::uint16_t>(lo | (u8() << 8));
    }
    std::uint32_t u32() {
        std::uint32_t lo = u16();
        return lo | (static_cast<std::uint32_t>(u16()) << 16);
    }
    void skip(std::uint64_t n) {
        while (n > 0) {
            skipEmpty();
            if (seg_ >= segs_.size()) {
                damaged("a string table ends early");
            }
            std::size_t take =
                static_cast<std::size_t>(std::min<std::uint64_t>(n, segs_[seg_].size() - pos_));
            pos_ += take;
            n -= take;
        }
    }
    std::u16string chars(std::size_t count, bool wide) {
        std::u16string out;
        out.reserve(std::min<std::size_t>(count, 4096));
        while (count > 0) {
            if (seg_ < segs_.size() && pos_ >= segs_[seg_].size()) {
                ++seg_;
                pos_ = 0;
                if (seg_ >= segs_.size() || segs_[seg_].empty()) {
                    damaged("a string ends early");
                }
                wide = (static_cast<std::uint8_t>(segs_[seg_][pos_++]) & 1) != 0;
            }
            if (seg_ >= segs_.size()) {
                damaged("a string ends early");
            }
            std::size_t width = wide ? 2 : 1;
            std::size_t n = std::min(count, (segs_[seg_].size() - pos_) / width);
            if (n == 0) {
                damaged("a string is cut inside a character");
            }
            std::string_view s = segs_[seg_].substr(pos_, n * width);
            for (std::size_t i = 0; i < n; ++i) {
                unsigned lo = static_cast<unsigned char>(s[i * width]);
                unsigned hi = wide ? static_cast<unsigned char>(s[i * width + 1]) : 0;
                out += static_cast<char16_t>(lo | (hi << 8));
            }
            pos_ += n * width;
            count -= n;
        }
        return out;
    }

  private:
    void skipEmpty() {
        while (seg_ < segs_.size() && pos_ >= segs_[seg_].size()) {
            ++seg_;
            pos_ = 0;
        }
    }
    std::vector<std::string_view> segs_;
    std::size_t seg_ = 0;
    std::size_t pos_ = 0;
};

// A BIFF8 string: character count (8 or 16 bits), flags, optional rich-text
// and extension sizes, the characters, then the run and extension data.
std::string readBiff8String(Segments& s, bool longCount) {
    std::size_t count = longCount ? s.u16() : s.u8();
    std::uint8_t flags = s.u8();
    std::uint16_t runs = (flags & 0x08) ? s.u16() : 0;
    std::uint32_t ext = (flags & 0x04) ? s.u32() : 0;
    std::string text = utf16ToCp1252(s.chars(count, (flags & 0x01) != 0));
    s.skip(4ull * runs);
    s.skip(ext);
    return text;
}

std::string readBiff8String(std::string_view data, bool longCount) {
    Segments s({data});
    return readBiff8String(s, longCount);
}

double rkValue(std::uint32_t rk) {
    double v;
    if (rk & 2) {
        v = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
    } else {
        std::uint64_t bits = static_cast<std::uint64_t>(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&v, &bits, sizeof v);
    }
    return (rk & 1) ? v / 100 : v;
}

std::string errorText(std::uint8_t code) {
    switch (code) {
        case 0x00:
            return "#NULL!";
        case 0x07:
            return "#DIV/0!";
        case 0x0F:
            return "#VALUE!";
        case 0x17:
            return "#REF!";
        case 0x1D:
            return "#NAME?";
        case 0x24:
            return "#NUM!";
        default:
            return "#N/A";
    }
}

}  // namespace

XlsWorkbook::XlsWorkbook(std::string_view file, std::string displayName, char timeSeparator)
    : Workbook(std::move(displayName)) {
    CompoundFile cf(file);
    if (cf.hasStream("EncryptedPackage") || cf.hasStream("EncryptionInfo")) {
        throw WorkbookFault(FaultKind::Encrypted, "encrypted package");
    }
    if (cf.hasStream("Workbook")) {
        stream_ = cf.readStream("Workbook");
    } else if (cf.hasStream("Book")) {
        stream_ = cf.readStream("Book");
    } else {
        throw WorkbookFault(FaultKind::NotWorkbook, "the compound file holds no workbook stream");
    }
    options_.timeSeparator = timeSeparator;
    readGlobals();
    for (const auto& s : sheets_) {
        addWorksheetName(s.name);
    }
}

std::string XlsWorkbook::byteText(std::string_view bytes) const {
    std::string out(bytes);
    if (codePage_ != 1252 && codePage_ != 367) {
        // Only the ASCII half is shared with code pages other than 1252.
        for (char& c : out) {
            if (static_cast<unsigned char>(c) >= 0x80) {
                c = '?';
            }
        }
    }
    return out;
}

void XlsWorkbook::readGlobals() {
    RecordStream rs(stream_, 0);
    Record r;
    if (!rs.next(r) || r.type != kBof) {
        damaged("the workbook stream does not begin with a BOF record");
    }
    ByteReader bof(r.data);
    std::uint16_t version = bof.u16();
    if (version == 0x0500) {
        biff8_ = false;
    } else if (version != 0x0600) {
        damaged("the workbook uses an unknown BIFF version");
    }
    bool ended = false;
    while (!ended && rs.next(r)) {
        ByteReader d(r.data);
        switch (r.type) {
            case kEof:
                ended = true;
                break;
            case kFilePass:
                throw WorkbookFault(FaultKind::Encrypted, "FILEPASS");
            case kCodePage:
                codePage_ = d.u16();
                break;
            case kDateMode:
                options_.date1904 = d.u16() == 1;
                break;
            case kFormat: {
                std::uint16_t id = d.u16();
                std::string code;
                if (biff8_) {
                    code = readBiff8String(r.data.substr(2), true);
                } else {
                    code = byteText(d.bytes(d.u8()));
                }
                formats_[id] = std::move(code);
                break;
            }
            case kXf:
                d.u16();
                xfFormat_.push_back(d.u16());
                break;
            case kBoundSheet: {
                std::uint32_t offset = d.u32();
                d.u8();
                std::uint8_t type = d.u8();
                std::string name;
                if (biff8_) {
                    name = readBiff8String(r.data.substr(6), false);
                } else {
                    name = byteText(d.bytes(d.u8()));
                }
                if (type == 0) {
                    sheets_.push_back({std::move(name), offset});
                }
                break;
            }
            case kSst: {
                std::vector<std::string_view> segs{r.data};
                auto more = rs.continuations();
                segs.insert(segs.end(), more.begin(), more.end());
                Segments s(std::move(segs));
                s.u32();
                std::uint32_t unique = s.u32();
                sst_.reserve(std::min<std::size_t>(unique, r.data.size()));
                for (std::uint32_t i = 0; i < unique && !s.atEnd(); ++i) {
                    sst_.push_back(withCrLf(readBiff8String(s, true)));
                }
                break;
            }
            default:
                break;
        }
    }
    if (!ended) {
        damaged("the workbook stream ends early");
    }
}

std::string XlsWorkbook::numberText(double value, std::uint16_t xf) const {
    std::uint16_t fmt = xf < xfFormat_.size() ? xfFormat_[xf] : 0;
    auto it = formats_.find(fmt);
    std::string_view code =
        it != formats_.end() ? std::string_view(it->second) : builtInNumberFormat(fmt);
    return formatNumber(value, code, options_);
}

Worksheet XlsWorkbook::readWorksheet(std::size_t index) {
    const SheetRef& ref = sheets_[index];
    Worksheet ws(ref.name);
    if (ref.offset >= stream_.size()) {
        damaged("the sheet \"" + ref.name + "\" lies past the end of the workbook");
    }
    RecordStream rs(stream_, ref.offset);
    Record r;
    if (!rs.next(r) || r.type != kBof) {
        damaged("the sheet \"" + ref.name + "\" does not begin with a BOF record");
    }
    auto put = [&](std::size_t row, std::size_t col, std::string text) {
        if (col >= kMaxColumns) {
            damaged("a cell lies outside the sheet");
        }
        ws.setCell(static_cast<int>(row) + 1, static_cast<int>(col) + 1, std::move(text));
    };
    // A string formula's text comes in the STRING record after it.
    bool pendingString = false;
    std::size_t pendingRow = 0;
    std::size_t pendingColumn = 0;
    int depth = 0;
    bool ended = false;
    while (!ended && rs.next(r)) {
        if (r.type == kBof) {
            ++depth;  // an embedded chart
            continue;
        }
        if (r.type == kEof) {
            ended = depth == 0;
            --depth;
            continue;
        }
        if (depth > 0) {
            continue;
        }
        ByteReader d(r.data);
        switch (r.type) {
            case kNumber: {
                std::uint16_t row = d.u16(), col = d.u16(), xf = d.u16();
                put(row, col, numberText(d.f64(), xf));
                break;
            }
            case kRk: {
                std::uint16_t row = d.u16(), col = d.u16(), xf = d.u16();
                put(row, col, numberText(rkValue(d.u32()), xf));
                break;
            }
            case kMulRk: {
                std::uint16_t row = d.u16(), col = d.u16();
                std::size_t n = r.data.size() >= 6 ? (r.data.size() - 6) / 6 : 0;
                for (std::size_t i = 0; i < n; ++i) {
                    std::uint16_t xf = d.u16();
                    put(row, col + i, numberText(rkValue(d.u32()), xf));
                }
                break;
            }
            case kLabelSst: {
                std::uint16_t row = d.u16(), col = d.u16();
                d.u16();
                std::uint32_t i = d.u32();
                if (i >= sst_.size()) {
                    damaged("a cell refers to a missing shared string");
                }
                put(row, col, sst_[i]);
                break;
            }
            case kLabel:
            case kRString: {
                std::uint16_t row = d.u16(), col = d.u16();
                d.u16();
                std::string text;
                if (biff8_) {
                    text = readBiff8String(r.data.substr(6), true);
                } else {
                    text = byteText(d.bytes(d.u16()));
                }
                put(row, col, withCrLf(std::move(text)));
                break;
            }
            case kBoolErr: {
                std::uint16_t row = d.u16(), col = d.u16();
                d.u16();
                std::uint8_t v = d.u8();
                bool error = d.u8() != 0;
                put(row, col, error ? errorText(v) : (v ? "TRUE" : "FALSE"));
                break;
            }
            case kFormula: {
                std::uint16_t row = d.u16(), col = d.u16(), xf = d.u16();
                std::string_view res = d.bytes(8);
                pendingString = false;
                if (static_cast<unsigned char>(res[6]) == 0xFF &&
                    static_cast<unsigned char>(res[7]) == 0xFF) {
                    auto kind = static_cast<unsigned char>(res[0]);
                    auto v = static_cast<unsigned char>(res[2]);
                    if (kind == 0) {
                        pendingString = true;
                        pendingRow = row;
                        pendingColumn = col;
                    } else if (kind == 1) {
                        put(row, col, v ? "TRUE" : "FALSE");
                    } else if (kind == 2) {
                        put(row, col, errorText(v));
                    } else {
                        put(row, col, std::string());
                    }
                } else {
                    ByteReader num(res);
                    put(row, col, numberText(num.f64(), xf));
                }
                break;
            }
            case kString: {
                std::string text;
                if (biff8_) {
                    std::vector<std::string_view> segs{r.data};
                    auto more = rs.continuations();
                    segs.insert(segs.end(), more.begin(), more.end());
                    Segments s(std::move(segs));
                    text = readBiff8String(s, true);
                } else {
                    text = byteText(d.bytes(d.u16()));
                }
                if (pendingString) {
                    put(pendingRow, pendingColumn, withCrLf(std::move(text)));
                    pendingString = false;
                }
                break;
            }
            case kMergedCells: {
                std::uint16_t count = d.u16();
                for (std::uint16_t i = 0; i < count; ++i) {
                    SheetRange m;
                    m.firstRow = d.u16() + 1;
                    m.lastRow = d.u16() + 1;
                    m.firstColumn = d.u16() + 1;
                    m.lastColumn = d.u16() + 1;
                    bool valid = m.firstRow <= m.lastRow && m.firstColumn <= m.lastColumn &&
                                 m.lastColumn <= kMaxColumns;
                    bool single = m.firstRow == m.lastRow && m.firstColumn == m.lastColumn;
                    if (!valid) {
                        damaged("a merged range is invalid");
                    }
                    if (!single) {
                        ws.addMergedRange(m);
                    }
                }
                break;
            }
            case kBlank:
            default:
                // BLANK, MULBLANK and DIMENSIONS hold no text; the used range
                // comes from the cells themselves, as writers differ on
                // whether DIMENSIONS counts formatted blanks.
                break;
        }
    }
    if (!ended) {
        damaged("the sheet \"" + ref.name + "\" ends early");
    }
    return ws;
}

}  // namespace sk
