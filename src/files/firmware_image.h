#pragma once
// The firmware image the update sends: an ordered list of Intel HEX record
// lines, each without a line end. The lines are opaque text here: nothing
// parses, checks or reorders them.
//
// Builtin() is the image carried inside the program (built from
// tools/firmware/ks20-placeholder.hex, a placeholder with the real image's
// layout and every data byte 0xFF). It is made once and is read-only, so any
// thread may read it. Line(i) raises std::out_of_range outside 0..LineCount()-1.
#include <string>
#include <vector>

namespace sk {

class FirmwareImage {
  public:
    static const FirmwareImage& Builtin();
    static FirmwareImage FromLines(std::vector<std::string> lines);

    int LineCount() const { return static_cast<int>(lines_.size()); }
    const std::string& Line(int i) const;

  private:
    std::vector<std::string> lines_;
};

}  // namespace sk
