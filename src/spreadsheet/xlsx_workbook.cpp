#include "spreadsheet/xlsx_workbook.h"

#include <expat.h>
#include <zip.h>

#include <charconv>
#include <exception>
#include <functional>
#include <map>

#include "spreadsheet/cell_text.h"
#include "spreadsheet/workbook_fault.h"
#include "support/cp1252.h"

namespace sk {

namespace {

constexpr int kMaxRows = 1048576;
constexpr int kMaxColumns = 16384;
constexpr std::size_t kChunk = 64 * 1024;

std::string_view localName(const char* name) {
    std::string_view n(name);
    std::size_t colon = n.rfind(':');
    return colon == std::string_view::npos ? n : n.substr(colon + 1);
}

const char* attribute(const char** attrs, std::string_view name) {
    for (std::size_t i = 0; attrs[i] != nullptr; i += 2) {
        if (localName(attrs[i]) == name) {
            return attrs[i + 1];
        }
    }
    return nullptr;
}

bool endsWith(std::string_view s, std::string_view tail) {
    return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

// One XML part parsed as it is decompressed. Document type declarations
// are refused: a workbook part never needs one, and they are how entity
// expansion attacks begin.
class XmlReader {
  public:
    using Start = std::function<void(std::string_view, const char**)>;
    using End = std::function<void(std::string_view)>;
    using Text = std::function<void(std::string_view)>;

    XmlReader(std::string part, Start start, End end, Text text)
        : part_(std::move(part)),
          start_(std::move(start)),
          end_(std::move(end)),
          text_(std::move(text)) {
        parser_ = XML_ParserCreate(nullptr);
        if (parser_ == nullptr) {
            throw std::bad_alloc();
        }
        XML_SetUserData(parser_, this);
        XML_SetElementHandler(parser_, &XmlReader::onStart, &XmlReader::onEnd);
        XML_SetCharacterDataHandler(parser_, &XmlReader::onText);
        XML_SetStartDoctypeDeclHandler(parser_, &XmlReader::onDoctype);
    }
    ~XmlReader() { XML_ParserFree(parser_); }
    XmlReader(const XmlReader&) = delete;
    XmlReader& operator=(const XmlReader&) = delete;

    void feed(std::string_view chunk, bool last) {
        if (XML_Parse(parser_, chunk.data(), static_cast<int>(chunk.size()), last ? 1 : 0) ==
            XML_STATUS_ERROR) {
            if (error_) {
                std::rethrow_exception(error_);
            }
            damaged("the part " + part_ + " is not valid XML (" +
                    XML_ErrorString(XML_GetErrorCode(parser_)) + ")");
        }
    }

  private:
    // Exceptions must not cross expat's C frames: a handler's exception is
    // kept, the parser stopped, and feed() raises it.
    template <class F>
    static void guarded(void* self, F&& f) {
        auto* r = static_cast<XmlReader*>(self);
        if (r->error_) {
            return;
        }
        try {
            f(*r);
        } catch (...) {
            r->error_ = std::current_exception();
            XML_StopParser(r->parser_, XML_FALSE);
        }
    }
    static void XMLCALL onStart(void* self, const char* name, const char** attrs) {
        guarded(self, [&](XmlReader& r) { r.start_(localName(name), attrs); });
    }
    static void XMLCALL onEnd(void* self, const char* name) {
        guarded(self, [&](XmlReader& r) { r.end_(localName(name)); });
    }
    static void XMLCALL onText(void* self, const char* s, int len) {
        guarded(self,
                [&](XmlReader& r) { r.text_(std::string_view(s, static_cast<std::size_t>(len))); });
    }
    static void XMLCALL onDoctype(void* self, const char*, const char*, const char*, int) {
        guarded(self,
                [](XmlReader& r) { damaged("the part " + r.part_ + " declares a document type"); });
    }

    std::string part_;
    Start start_;
    End end_;
    Text text_;
    XML_Parser parser_ = nullptr;
    std::exception_ptr error_;
};

// "_xHHHH_" stands for the UTF-16 unit HHHH in spreadsheet XML text.
std::string unescapeXstring(std::string s) {
    if (s.find("_x") == std::string::npos) {
        return s;
    }
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '_' && i + 6 < s.size() && s[i + 1] == 'x' && s[i + 6] == '_') {
            unsigned v = 0;
            auto r = std::from_chars(s.data() + i + 2, s.data() + i + 6, v, 16);
            if (r.ec == std::errc() && r.ptr == s.data() + i + 6) {
                if (v < 0x80) {
                    out += static_cast<char>(v);
                } else if (v < 0x800) {
                    out += static_cast<char>(0xC0 | (v >> 6));
                    out += static_cast<char>(0x80 | (v & 0x3F));
                } else if (v >= 0xD800 && v <= 0xDFFF) {
                    out += '?';
                } else {
                    out += static_cast<char>(0xE0 | (v >> 12));
                    out += static_cast<char>(0x80 | ((v >> 6) & 0x3F));
                    out += static_cast<char>(0x80 | (v & 0x3F));
                }
                i += 6;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

std::string cellString(std::string utf8) {
    return withCrLf(utf8ToCp1252(unescapeXstring(std::move(utf8))));
}

// "AB12" to row 12, column 28; false when it is no cell reference.
bool parseCellRef(std::string_view ref, int& row, int& column) {
    std::size_t i = 0;
    long long col = 0;
    while (i < ref.size() && ref[i] >= 'A' && ref[i] <= 'Z' && col <= kMaxColumns) {
        col = col * 26 + (ref[i] - 'A' + 1);
        ++i;
    }
    long long r = 0;
    std::size_t digits = 0;
    while (i < ref.size() && ref[i] >= '0' && ref[i] <= '9' && r <= kMaxRows) {
        r = r * 10 + (ref[i] - '0');
        ++i;
        ++digits;
    }
    if (i != ref.size() || col < 1 || col > kMaxColumns || digits == 0 || r < 1 || r > kMaxRows) {
        return false;
    }
    row = static_cast<int>(r);
    column = static_cast<int>(col);
    return true;
}

int parseIndex(const char* text, const char* what) {
    std::string_view s(text == nullptr ? "" : text);
    long long v = -1;
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size() || v < 0 || v > 0x7FFFFFFF) {
        damaged(std::string("a ") + what + " is not a valid number");
    }
    return static_cast<int>(v);
}

std::string directoryOf(const std::string& part) {
    std::size_t slash = part.rfind('/');
    return slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
}

// A relationship target, relative to the part's folder or from the root.
std::string resolvePart(const std::string& baseDir, std::string target) {
    std::string path = !target.empty() && target[0] == '/' ? target.substr(1) : baseDir + target;
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t slash = path.find('/', start);
        std::string seg =
            path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (seg == "..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
        } else if (!seg.empty() && seg != ".") {
            parts.push_back(seg);
        }
        if (slash == std::string::npos) {
            break;
        }
        start = slash + 1;
    }
    std::string out;
    for (const auto& p : parts) {
        out += out.empty() ? p : "/" + p;
    }
    return out;
}

struct Relationship {
    std::string target;
    std::string type;
};

}  // namespace

class XlsxWorkbook::Archive {
  public:
    explicit Archive(std::string_view data) {
        zip_error_t error;
        zip_error_init(&error);
        zip_source_t* src = zip_source_buffer_create(data.data(), data.size(), 0, &error);
        if (src == nullptr) {
            zip_error_fini(&error);
            throw std::bad_alloc();
        }
        zip_ = zip_open_from_source(src, ZIP_RDONLY, &error);
        if (zip_ == nullptr) {
            zip_source_free(src);
            std::string why = zip_error_strerror(&error);
            zip_error_fini(&error);
            damaged("the zip container cannot be read (" + why + ")");
        }
        zip_error_fini(&error);
    }
    ~Archive() { zip_discard(zip_); }
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    bool has(const std::string& name) const { return zip_name_locate(zip_, name.c_str(), 0) >= 0; }

    // Streams the part into `sink` chunk by chunk.
    void read(const std::string& name, const std::function<void(std::string_view, bool)>& sink) {
        zip_int64_t index = zip_name_locate(zip_, name.c_str(), 0);
        if (index < 0) {
            damaged("the part " + name + " is missing");
        }
        zip_file_t* f = zip_fopen_index(zip_, static_cast<zip_uint64_t>(index), 0);
        if (f == nullptr) {
            int code = zip_error_code_zip(zip_get_error(zip_));
            if (code == ZIP_ER_NOPASSWD || code == ZIP_ER_WRONGPASSWD ||
                code == ZIP_ER_ENCRNOTSUPP) {
                throw WorkbookFault(FaultKind::Encrypted, "encrypted zip entry");
            }
            damaged("the part " + name + " cannot be opened (" +
                    zip_error_strerror(zip_get_error(zip_)) + ")");
        }
        struct Closer {
            zip_file_t* f;
            ~Closer() { zip_fclose(f); }
        } closer{f};
        std::string buf(kChunk, '\0');
        std::uint64_t partBytes = 0;
        for (;;) {
            zip_int64_t n = zip_fread(f, buf.data(), buf.size());
            if (n < 0) {
                damaged("the part " + name + " is corrupt (" + zip_file_strerror(f) + ")");
            }
            partBytes += static_cast<std::uint64_t>(n);
            totalBytes_ += static_cast<std::uint64_t>(n);
            if (partBytes > kMaxPartBytes || totalBytes_ > kMaxTotalBytes) {
                damaged("the part " + name + " expands beyond " +
                        std::to_string(kMaxPartBytes >> 20) + " MiB");
            }
            sink(std::string_view(buf.data(), static_cast<std::size_t>(n)), n == 0);
            if (n == 0) {
                break;
            }
        }
    }

    void parse(const std::string& name, XmlReader::Start start, XmlReader::End end,
               XmlReader::Text text) {
        XmlReader xml(name, std::move(start), std::move(end), std::move(text));
        read(name, [&](std::string_view chunk, bool last) { xml.feed(chunk, last); });
    }

    std::map<std::string, Relationship> relationships(const std::string& part) {
        std::string rels =
            directoryOf(part) + "_rels/" + part.substr(directoryOf(part).size()) + ".rels";
        std::map<std::string, Relationship> out;
        if (!has(rels)) {
            return out;
        }
        parse(
            rels,
            [&](std::string_view el, const char** a) {
                const char* id = attribute(a, "Id");
                const char* target = attribute(a, "Target");
                const char* type = attribute(a, "Type");
                if (el == "Relationship" && id && target) {
                    out[id] = {resolvePart(directoryOf(part), target), type ? type : ""};
                }
            },
            [](std::string_view) {}, [](std::string_view) {});
        return out;
    }

  private:
    zip_t* zip_ = nullptr;
    std::uint64_t totalBytes_ = 0;
};

XlsxWorkbook::XlsxWorkbook(std::string_view file, std::string displayName, char timeSeparator)
    : Workbook(std::move(displayName)), file_(file) {
    options_.timeSeparator = timeSeparator;
    archive_ = std::make_unique<Archive>(file_);
    if (archive_->has("EncryptedPackage")) {
        throw WorkbookFault(FaultKind::Encrypted, "encrypted package");
    }

    std::string workbookPart;
    for (const auto& [id, rel] : archive_->relationships("")) {
        if (endsWith(rel.type, "/officeDocument")) {
            workbookPart = rel.target;
        }
    }
    if (workbookPart.empty() || !archive_->has(workbookPart)) {
        workbookPart = "xl/workbook.xml";
    }
    if (!archive_->has(workbookPart)) {
        throw WorkbookFault(FaultKind::NotWorkbook, "a zip file without a workbook part");
    }

    std::vector<std::pair<std::string, std::string>> sheets;  // name, relationship id
    archive_->parse(
        workbookPart,
        [&](std::string_view el, const char** a) {
            if (el == "workbookPr") {
                const char* d = attribute(a, "date1904");
                options_.date1904 =
                    d && (std::string_view(d) == "1" || std::string_view(d) == "true");
            } else if (el == "sheet") {
                const char* name = attribute(a, "name");
                const char* id = attribute(a, "id");
                sheets.emplace_back(name ? name : "", id ? id : "");
            }
        },
        [](std::string_view) {}, [](std::string_view) {});

    auto rels = archive_->relationships(workbookPart);
    for (const auto& [name, id] : sheets) {
        auto it = rels.find(id);
        if (it == rels.end()) {
            damaged("the sheet \"" + utf8ToCp1252(name) + "\" has no part");
        }
        if (endsWith(it->second.type, "/worksheet")) {
            sheetParts_.push_back(it->second.target);
            addWorksheetName(utf8ToCp1252(name));
        }
    }
    std::string stringsPart;
    std::string stylesPart;
    for (const auto& [id, rel] : rels) {
        if (endsWith(rel.type, "/sharedStrings")) {
            stringsPart = rel.target;
        } else if (endsWith(rel.type, "/styles")) {
            stylesPart = rel.target;
        }
    }

    if (!stringsPart.empty() && archive_->has(stringsPart)) {
        std::string current;
        int depthSi = 0;
        int depthPhonetic = 0;
        bool inText = false;
        archive_->parse(
            stringsPart,
            [&](std::string_view el, const char**) {
                if (el == "si") {
                    ++depthSi;
                    current.clear();
                } else if (el == "rPh") {
                    ++depthPhonetic;
                } else if (el == "t") {
                    inText = depthSi > 0 && depthPhonetic == 0;
                }
            },
            [&](std::string_view el) {
                if (el == "si") {
                    --depthSi;
                    sst_.push_back(cellString(std::move(current)));
                    current.clear();
                } else if (el == "rPh") {
                    --depthPhonetic;
                } else if (el == "t") {
                    inText = false;
                }
            },
            [&](std::string_view text) {
                if (inText) {
                    current += text;
                }
            });
    }

    if (!stylesPart.empty() && archive_->has(stylesPart)) {
        bool inCellXfs = false;
        archive_->parse(
            stylesPart,
            [&](std::string_view el, const char** a) {
                if (el == "numFmt") {
                    const char* id = attribute(a, "numFmtId");
                    const char* code = attribute(a, "formatCode");
                    if (id && code) {
                        formats_[parseIndex(id, "number format id")] = utf8ToCp1252(code);
                    }
                } else if (el == "cellXfs") {
                    inCellXfs = true;
                } else if (el == "xf" && inCellXfs) {
                    const char* id = attribute(a, "numFmtId");
                    xfFormat_.push_back(id ? parseIndex(id, "number format id") : 0);
                }
            },
            [&](std::string_view el) {
                if (el == "cellXfs") {
                    inCellXfs = false;
                }
            },
            [](std::string_view) {});
    }
}

XlsxWorkbook::~XlsxWorkbook() = default;

std::string XlsxWorkbook::numberText(double value, std::size_t style) const {
    int fmt = style < xfFormat_.size() ? xfFormat_[style] : 0;
    auto it = formats_.find(fmt);
    std::string_view code =
        it != formats_.end() ? std::string_view(it->second) : builtInNumberFormat(fmt);
    return formatNumber(value, code, options_);
}

Worksheet XlsxWorkbook::readWorksheet(std::size_t index) {
    Worksheet ws(worksheetNames()[index]);
    int row = 0;
    int column = 0;
    struct Cell {
        int row = 0;
        int column = 0;
        std::size_t style = 0;
        std::string type;
        std::string value;
        std::string inlineText;
    } cell;
    bool inCell = false;
    bool inValue = false;
    bool inInlineText = false;
    int depthPhonetic = 0;

    auto finishCell = [&]() {
        std::string text;
        const std::string& t = cell.type;
        if (t == "s") {
            if (cell.value.empty()) {
                return;
            }
            int i = parseIndex(cell.value.c_str(), "shared string index");
            if (static_cast<std::size_t>(i) >= sst_.size()) {
                damaged("a cell refers to a missing shared string");
            }
            text = sst_[static_cast<std::size_t>(i)];
        } else if (t == "inlineStr") {
            text = cellString(cell.inlineText);
        } else if (t == "str" || t == "e" || t == "d") {
            text = cellString(cell.value);
        } else if (t == "b") {
            text = cell.value == "1" || cell.value == "true" ? "TRUE" : "FALSE";
            if (cell.value.empty()) {
                return;
            }
        } else {
            std::string_view v = cell.value;
            while (!v.empty() && (v.front() == ' ' || v.front() == '\t' || v.front() == '\n' ||
                                  v.front() == '\r')) {
                v.remove_prefix(1);
            }
            while (!v.empty() &&
                   (v.back() == ' ' || v.back() == '\t' || v.back() == '\n' || v.back() == '\r')) {
                v.remove_suffix(1);
            }
            if (v.empty()) {
                return;
            }
            double d = 0;
            auto r = std::from_chars(v.data(), v.data() + v.size(), d);
            if (r.ec != std::errc() || r.ptr != v.data() + v.size()) {
                damaged("a number cell holds \"" + utf8ToCp1252(v) + "\"");
            }
            text = numberText(d, cell.style);
        }
        ws.setCell(cell.row, cell.column, std::move(text));
    };

    archive_->parse(
        sheetParts_[index],
        [&](std::string_view el, const char** a) {
            if (el == "row") {
                const char* r = attribute(a, "r");
                row = r ? parseIndex(r, "row number") : row + 1;
                if (row < 1 || row > kMaxRows) {
                    damaged("a row lies outside the sheet");
                }
                column = 0;
            } else if (el == "c") {
                cell = Cell{};
                const char* ref = attribute(a, "r");
                if (ref) {
                    if (!parseCellRef(ref, cell.row, cell.column)) {
                        damaged("a cell reference is invalid");
                    }
                } else {
                    cell.row = std::max(row, 1);
                    cell.column = column + 1;
                    if (cell.column > kMaxColumns) {
                        damaged("a cell lies outside the sheet");
                    }
                }
                column = cell.column;
                const char* s = attribute(a, "s");
                cell.style = s ? static_cast<std::size_t>(parseIndex(s, "style index")) : 0;
                const char* t = attribute(a, "t");
                cell.type = t ? t : "n";
                inCell = true;
            } else if (inCell && el == "v") {
                inValue = true;
            } else if (inCell && el == "rPh") {
                ++depthPhonetic;
            } else if (inCell && el == "t") {
                inInlineText = depthPhonetic == 0;
            } else if (el == "mergeCell") {
                const char* ref = attribute(a, "ref");
                std::string_view r(ref ? ref : "");
                std::size_t colon = r.find(':');
                SheetRange m;
                if (colon == std::string_view::npos ||
                    !parseCellRef(r.substr(0, colon), m.firstRow, m.firstColumn) ||
                    !parseCellRef(r.substr(colon + 1), m.lastRow, m.lastColumn) ||
                    m.firstRow > m.lastRow || m.firstColumn > m.lastColumn) {
                    damaged("a merged range is invalid");
                }
                if (m.firstRow != m.lastRow || m.firstColumn != m.lastColumn) {
                    ws.addMergedRange(m);
                }
            }
        },
        [&](std::string_view el) {
            if (el == "c" && inCell) {
                inCell = false;
                finishCell();
            } else if (el == "v") {
                inValue = false;
            } else if (el == "t") {
                inInlineText = false;
            } else if (el == "rPh") {
                --depthPhonetic;
            }
        },
        [&](std::string_view text) {
            if (inValue) {
                cell.value += text;
            } else if (inInlineText) {
                cell.inlineText += text;
            }
        });
    return ws;
}

}  // namespace sk
