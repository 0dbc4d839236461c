#pragma once
// Errors of the files layer. what() is the message the operator sees; none of
// them leaves a file or a grid half changed.
#include <stdexcept>
#include <string>

namespace sk {

class EFileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// "Cannot Create file " + path: the file could not be written; an older file
// of that name is left as it was.
class EFCreateError : public EFileError {
  public:
    explicit EFCreateError(const std::string& path) : EFileError("Cannot Create file " + path) {}
};

// "Cannot open file " + path: the file is missing or cannot be read.
class EFOpenError : public EFileError {
  public:
    explicit EFOpenError(const std::string& path) : EFileError("Cannot open file " + path) {}
};

// The file holds more than a grid can take (see grid_csv.h) or is not the
// kind of file it claims to be; the message names the file and the reason.
class EFFormatError : public EFileError {
  public:
    using EFileError::EFileError;
};

}  // namespace sk
