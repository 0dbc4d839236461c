#pragma once
// Whole-file reads, safe whole-file replacement and line splitting, shared by
// the files layer. Paths are UTF-8 std::string. Any thread may call these.
#include <string>
#include <string_view>
#include <vector>

namespace sk {

// The whole file as bytes. Raises EFOpenError(path) when it is missing, a
// folder, or cannot be read.
std::string ReadWholeFile(const std::string& path);

// Writes `bytes` to a new file in the folder of `path`, flushes and closes
// it, then puts it in place of `path` (a rename, so readers see the old or the
// new file, never a mix). On any failure the temporary file is removed, the
// old file is left byte for byte and EFCreateError(path) is raised. A path
// that is a symbolic link replaces the file it points to; the old file's
// permissions carry over.
void ReplaceFileContents(const std::string& path, std::string_view bytes);

// The bytes split into lines at LF (text lists and grid files alike); one CR
// before the LF is not part of the line; a last line without an end is kept,
// an empty end makes no line. The views point into `bytes`.
std::vector<std::string_view> SplitLines(std::string_view bytes);

}  // namespace sk
