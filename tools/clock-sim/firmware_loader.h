#pragma once
// The virtual clock's firmware loader. It is locked until it has seen, in
// this order, the flash erase, the first service code and the second service
// code; then it takes Intel HEX records, answers "+" for a record whose hex
// and checksum are right and "-" for one that is not, and after the end
// record sums up what it took (records, data bytes, address ranges) and
// locks again.
//
// Test options: a record chosen by number (1-based, in upload order; a
// repeat of a rejected record keeps its number) can be rejected once with
// "-", or left unanswered once (that record is then not written, as when the
// loader missed it). Nothing raises. One thread.
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace sk::sim {

struct LoaderOptions {
    std::multiset<long> rejectOnce;  // record numbers answered "-" once each
    std::multiset<long> silentOnce;  // record numbers not answered once each
};

class FirmwareLoader {
  public:
    enum class Stage { Locked, Erased, FirstCode, Loading };

    explicit FirmwareLoader(LoaderOptions options = {}) : options_(std::move(options)) {}

    // "/ERASEFLASH": empties the flash and starts the unlock sequence over.
    void Erase();
    // "/RE7D2C9"; returns false (and locks) unless the flash was just erased.
    bool FirstCode();
    // A text line while the first code is in force: true when it is the
    // second code, which opens the loader; anything else locks it.
    bool SecondCode(std::string_view line);

    struct Verdict {
        std::string reply;  // "+", "-" or empty
        std::string effect;
        std::vector<std::string> details;  // the summary after the end record
    };
    // One record as received (":" ... checksum, no line end).
    Verdict Record(std::string_view record);

    Stage stage() const { return stage_; }
    bool expectsSecondCode() const { return stage_ == Stage::FirstCode; }
    long acceptedRecords() const { return accepted_; }
    long dataBytes() const { return dataBytes_; }
    long rejected() const { return rejected_; }
    long unanswered() const { return unanswered_; }
    // Written address ranges, first address to last address inclusive.
    const std::map<std::uint32_t, std::uint32_t>& ranges() const { return ranges_; }
    std::string Ranges() const;  // "4000-E586 EF00-EFFF"

  private:
    void Write(std::uint32_t address, std::uint32_t length);

    LoaderOptions options_;
    Stage stage_ = Stage::Locked;
    std::string lastRecord_;
    std::string lastReply_;
    long recordNumber_ = 0;
    long accepted_ = 0;
    long dataBytes_ = 0;
    long rejected_ = 0;
    long unanswered_ = 0;
    std::map<std::uint32_t, std::uint32_t> ranges_;  // first -> last
};

}  // namespace sk::sim
