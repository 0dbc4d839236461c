#include "firmware_loader.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <optional>

namespace sk::sim {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

struct Parsed {
    int type = 0;
    std::uint32_t address = 0;
    std::vector<std::uint8_t> data;
};

// Why a record is refused, or the record itself.
std::optional<Parsed> Parse(std::string_view record, std::string& why) {
    if (record.size() < 11 || record[0] != ':' || record.size() % 2 == 0) {
        why = "not a record";
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 1; i < record.size(); i += 2) {
        int hi = HexDigit(record[i]);
        int lo = HexDigit(record[i + 1]);
        if (hi < 0 || lo < 0) {
            why = "not hexadecimal";
            return std::nullopt;
        }
        bytes.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
    }
    if (bytes.size() != 5u + bytes[0]) {
        why = "length does not match its byte count";
        return std::nullopt;
    }
    unsigned sum = 0;
    for (std::uint8_t b : bytes) {
        sum += b;
    }
    if (sum % 256 != 0) {
        why = "bad checksum";
        return std::nullopt;
    }
    Parsed p;
    p.address = static_cast<std::uint32_t>(bytes[1] << 8 | bytes[2]);
    p.type = bytes[3];
    p.data.assign(bytes.begin() + 4, bytes.end() - 1);
    return p;
}

std::string Hex(std::uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04X", v);
    return buf;
}

// Copied rather than assigned from literals: g++ 12 at -O3 warns falsely
// (-Wrestrict) on assigning a literal to a string here.
const std::string kTaken = "+";
const std::string kRefused = "-";

bool TakeOnce(std::multiset<long>& set, long number) {
    auto it = set.find(number);
    if (it == set.end()) {
        return false;
    }
    set.erase(it);
    return true;
}

}  // namespace

void FirmwareLoader::Erase() {
    *this = FirmwareLoader(std::move(options_));
    stage_ = Stage::Erased;
}

bool FirmwareLoader::FirstCode() {
    bool ok = stage_ == Stage::Erased;
    stage_ = ok ? Stage::FirstCode : Stage::Locked;
    return ok;
}

bool FirmwareLoader::SecondCode(std::string_view line) {
    bool ok = stage_ == Stage::FirstCode && line == "3857";
    stage_ = ok ? Stage::Loading : Stage::Locked;
    return ok;
}

FirmwareLoader::Verdict FirmwareLoader::Record(std::string_view record) {
    Verdict v;
    if (stage_ != Stage::Loading) {
        v.effect = "record ignored: loader locked (needs /ERASEFLASH, /RE7D2C9, 3857)";
        return v;
    }
    // The PC repeats a refused record; it keeps its number.
    bool repeat = record == lastRecord_ && lastReply_ == "-";
    bool again = record == lastRecord_ && lastReply_ == "+";
    if (!repeat && !again) {
        ++recordNumber_;
    }
    lastRecord_ = std::string(record);
    std::string number = "record " + std::to_string(recordNumber_);
    std::string why;
    auto parsed = Parse(record, why);
    if (!parsed) {
        v.reply = kRefused;
        v.effect = number + " refused: " + why;
    } else if (TakeOnce(options_.rejectOnce, recordNumber_)) {
        v.reply = kRefused;
        v.effect = number + " refused once (--reject-record)";
    } else if (TakeOnce(options_.silentOnce, recordNumber_)) {
        ++unanswered_;
        v.effect = number + " not answered, not written (--silent-record)";
    } else {
        v.reply = kTaken;
        if (again) {
            v.effect = number + " again, already written";
        } else if (parsed->type == 0) {
            ++accepted_;
            dataBytes_ += static_cast<long>(parsed->data.size());
            Write(parsed->address, static_cast<std::uint32_t>(parsed->data.size()));
            v.effect = number + " written at " + Hex(parsed->address) + ", " +
                       std::to_string(parsed->data.size()) + " bytes";
        } else if (parsed->type == 1) {
            ++accepted_;
            v.effect = number + ": end of firmware, loader locked";
            v.details = {"firmware received: " + std::to_string(accepted_) + " records, " +
                             std::to_string(dataBytes_) + " data bytes",
                         "address ranges: " + (ranges_.empty() ? "none" : Ranges()),
                         std::to_string(rejected_) + " answered \"-\", " +
                             std::to_string(unanswered_) + " not answered"};
            stage_ = Stage::Locked;
        } else {
            ++accepted_;
            v.effect = number + " of type " + std::to_string(parsed->type) + " taken, not written";
        }
    }
    if (v.reply == kRefused) {
        ++rejected_;
    }
    lastReply_ = v.reply;
    return v;
}

void FirmwareLoader::Write(std::uint32_t address, std::uint32_t length) {
    if (length == 0) {
        return;
    }
    std::uint32_t first = address;
    std::uint32_t last = address + length - 1;
    // Join with a range that ends right before or overlaps.
    auto it = ranges_.upper_bound(first);
    if (it != ranges_.begin()) {
        auto prev = std::prev(it);
        if (prev->second + 1 >= first) {
            first = prev->first;
            last = std::max(last, prev->second);
            ranges_.erase(prev);
        }
    }
    it = ranges_.lower_bound(first);
    while (it != ranges_.end() && it->first <= last + 1) {
        last = std::max(last, it->second);
        it = ranges_.erase(it);
    }
    ranges_[first] = last;
}

std::string FirmwareLoader::Ranges() const {
    std::string out;
    for (const auto& [first, last] : ranges_) {
        if (!out.empty()) {
            out += ' ';
        }
        out += Hex(first) + "-" + Hex(last);
    }
    return out;
}

}  // namespace sk::sim
