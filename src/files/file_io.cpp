#include "files/file_io.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>
#include <vector>

#include "files/file_errors.h"

namespace sk {

namespace fs = std::filesystem;

namespace {

fs::path toPath(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string randomSuffix() {
    static thread_local std::mt19937_64 gen{std::random_device{}()};
    static const char digits[] = "0123456789abcdef";
    std::string s = ".~sk";
    auto v = gen();
    for (int i = 0; i < 12; ++i, v >>= 4) {
        s += digits[v & 15];
    }
    return s;
}

// Writes the bytes to a fresh file beside `target`; returns its path, or an
// empty path when it could not be written (nothing left behind then).
fs::path writeTempBeside(const fs::path& target, std::string_view bytes) {
    std::error_code ec;
    for (int attempt = 0; attempt < 8; ++attempt) {
        fs::path tmp = target;
        tmp += randomSuffix();
        if (fs::exists(fs::symlink_status(tmp, ec))) {
            continue;
        }
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out) {
            return {};
        }
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        const bool written = out.good();
        out.close();
        if (!written || out.fail()) {
            fs::remove(tmp, ec);
            return {};
        }
        return tmp;
    }
    return {};
}

}  // namespace

std::vector<std::string_view> SplitLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
        if (end == std::string_view::npos) {
            end = bytes.size();
        } else if (end > start && bytes[end - 1] == '\r') {
            --end;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = next;
    }
    return lines;
}

std::string ReadWholeFile(const std::string& path) {
    const fs::path p = toPath(path);
    std::error_code ec;
    if (path.empty() || fs::is_directory(p, ec)) {
        throw EFOpenError(path);
    }
    std::ifstream in(p, std::ios::binary);
    if (!in) {
        throw EFOpenError(path);
    }
    std::string bytes;
    char buf[1 << 16];
    while (in.read(buf, sizeof buf) || in.gcount() > 0) {
        bytes.append(buf, static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) {
        throw EFOpenError(path);
    }
    return bytes;
}

void ReplaceFileContents(const std::string& path, std::string_view bytes) {
    if (path.empty()) {
        throw EFCreateError(path);
    }
    std::error_code ec;
    fs::path target = toPath(path);
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        const fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec) {
            target = resolved;
        }
    }
    const fs::file_status old = fs::status(target, ec);
    if (fs::is_directory(old)) {
        throw EFCreateError(path);
    }
    if (fs::exists(old)) {
        // A rename would replace a file the user may not write; refuse it as
        // writing into it would have been refused. Opening to append changes
        // nothing in the file.
        std::ofstream probe(target, std::ios::binary | std::ios::app);
        if (!probe) {
            throw EFCreateError(path);
        }
    }
    const fs::path tmp = writeTempBeside(target, bytes);
    if (tmp.empty()) {
        throw EFCreateError(path);
    }
    if (fs::exists(old)) {
        fs::permissions(tmp, old.permissions(), ec);
    }
    fs::rename(tmp, target, ec);
    if (ec) {
        fs::remove(tmp, ec);
        throw EFCreateError(path);
    }
}

}  // namespace sk
