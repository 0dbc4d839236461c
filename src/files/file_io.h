#pragma once
// Whole-file reads and safe whole-file replacement, shared by the files layer.
// Paths are UTF-8 std::string.
#include <string>
#include <string_view>

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

}  // namespace sk
