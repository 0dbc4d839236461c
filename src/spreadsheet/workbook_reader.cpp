#include "spreadsheet/workbook_reader.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "spreadsheet/compound_file.h"
#include "spreadsheet/workbook_fault.h"
#include "spreadsheet/xls_workbook.h"
#include "spreadsheet/xlsx_workbook.h"

namespace sk {

namespace {

std::string upperExtension(const std::string& path) {
    std::size_t dot = path.rfind('.');
    std::size_t sep = path.find_last_of("/\\");
    if (dot == std::string::npos || (sep != std::string::npos && dot < sep)) {
        return {};
    }
    std::string ext = path.substr(dot);
    for (char& c : ext) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return ext;
}

}  // namespace

WorkbookKind kindOf(const std::string& path) {
    std::string ext = upperExtension(path);
    if (ext == ".XLS") {
        return WorkbookKind::Xls;
    }
    if (ext == ".XLSX") {
        return WorkbookKind::Xlsx;
    }
    return WorkbookKind::Other;
}

std::unique_ptr<Workbook> WorkbookReader::open(const std::string& path, char timeSeparator) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        int err = errno;
        if (err == ENOENT) {
            throw EWorkbookError("The workbook '" + path + "' does not exist");
        }
        throw EWorkbookError("The workbook '" + path + "' cannot be opened: " + std::strerror(err));
    }
    std::string bytes;
    char buf[64 * 1024];
    while (in.read(buf, sizeof buf) || in.gcount() > 0) {
        bytes.append(buf, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > kMaxFileBytes) {
            throw EWorkbookError("The workbook '" + path + "' is too large for a list (over " +
                                 std::to_string(kMaxFileBytes >> 20) + " MiB)");
        }
    }
    if (in.bad()) {
        throw EWorkbookError("The workbook '" + path + "' cannot be read");
    }
    return openBytes(bytes, path, timeSeparator);
}

std::unique_ptr<Workbook> WorkbookReader::openBytes(std::string_view bytes, const std::string& name,
                                                    char timeSeparator) {
    std::unique_ptr<Workbook> wb;
    try {
        if (CompoundFile::hasSignature(bytes)) {
            wb = std::make_unique<XlsWorkbook>(bytes, name, timeSeparator);
        } else if (bytes.substr(0, 4) == std::string_view("PK\x03\x04", 4)) {
            wb = std::make_unique<XlsxWorkbook>(bytes, name, timeSeparator);
        } else {
            throw WorkbookFault(FaultKind::NotWorkbook, bytes.empty()
                                                            ? "the file is empty"
                                                            : "neither .xls nor .xlsx content");
        }
    } catch (const WorkbookFault& f) {
        throw EWorkbookError(faultMessage(f, name));
    }
    if (wb->worksheetCount() == 0) {
        throw EWorkbookError("The workbook '" + name + "' holds no worksheet");
    }
    return wb;
}

}  // namespace sk
