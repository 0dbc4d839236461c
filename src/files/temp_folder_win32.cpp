#include <windows.h>

#include <string>

#include "files/pursuit_list.h"

namespace sk {

// The folder as Windows reports it (already ending in a backslash), in UTF-8.
// The buffer is sized for the longest answer rather than the historic 255.
std::string TempFolderPath() {
    wchar_t wide[MAX_PATH + 2];
    const DWORD n = GetTempPathW(MAX_PATH + 2, wide);
    if (n == 0 || n > MAX_PATH + 1) {
        return ".\\";
    }
    const int len =
        WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
    std::string folder(static_cast<std::size_t>(len), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(n), folder.data(), len, nullptr,
                        nullptr);
    if (folder.empty() || (folder.back() != '\\' && folder.back() != '/')) {
        folder += '\\';
    }
    return folder;
}

}  // namespace sk
