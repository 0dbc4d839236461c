#include "files/firmware_image.h"

#include <cstddef>
#include <stdexcept>
#include <utility>

namespace sk::firmware_data {
extern const char* const kLines[];
extern const std::size_t kLineCount;
}  // namespace sk::firmware_data

namespace sk {

const FirmwareImage& FirmwareImage::Builtin() {
    static const FirmwareImage image = [] {
        std::vector<std::string> lines;
        lines.reserve(firmware_data::kLineCount);
        for (std::size_t i = 0; i < firmware_data::kLineCount; ++i) {
            lines.emplace_back(firmware_data::kLines[i]);
        }
        return FromLines(std::move(lines));
    }();
    return image;
}

FirmwareImage FirmwareImage::FromLines(std::vector<std::string> lines) {
    FirmwareImage image;
    image.lines_ = std::move(lines);
    return image;
}

const std::string& FirmwareImage::Line(int i) const {
    if (i < 0 || i >= LineCount()) {
        throw std::out_of_range("Firmware image has no line " + std::to_string(i));
    }
    return lines_[static_cast<std::size_t>(i)];
}

}  // namespace sk
