#pragma once
// Little-endian reads that never pass the end of their buffer: a read past
// it raises a Damaged fault instead.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "spreadsheet/workbook_fault.h"

namespace sk {

class ByteReader {
  public:
    explicit ByteReader(std::string_view data, const char* what = "record")
        : data_(data), what_(what) {}

    std::size_t position() const { return pos_; }
    std::size_t remaining() const { return data_.size() - pos_; }
    bool atEnd() const { return pos_ >= data_.size(); }

    std::string_view bytes(std::size_t n) {
        need(n);
        std::string_view out = data_.substr(pos_, n);
        pos_ += n;
        return out;
    }
    void skip(std::size_t n) { bytes(n); }
    std::uint8_t u8() { return static_cast<std::uint8_t>(bytes(1)[0]); }
    std::uint16_t u16() {
        auto b = bytes(2);
        return static_cast<std::uint16_t>(byte(b, 0) | (byte(b, 1) << 8));
    }
    std::uint32_t u32() {
        auto b = bytes(4);
        return byte(b, 0) | (byte(b, 1) << 8) | (byte(b, 2) << 16) |
               (static_cast<std::uint32_t>(byte(b, 3)) << 24);
    }
    std::uint64_t u64() {
        std::uint64_t lo = u32();
        std::uint64_t hi = u32();
        return lo | (hi << 32);
    }
    double f64() {
        std::uint64_t bits = u64();
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }

  private:
    static std::uint32_t byte(std::string_view b, std::size_t i) {
        return static_cast<unsigned char>(b[i]);
    }
    void need(std::size_t n) const {
        if (n > data_.size() - pos_) {
            damaged(std::string(what_) + " ends early");
        }
    }
    std::string_view data_;
    const char* what_;
    std::size_t pos_ = 0;
};

}  // namespace sk
