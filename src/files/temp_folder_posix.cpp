#include <cstdlib>
#include <string>

#include "files/pursuit_list.h"

namespace sk {

std::string TempFolderPath() {
    const char* env = std::getenv("TMPDIR");
    std::string folder = env != nullptr && env[0] != '\0' ? env : "/tmp";
    if (folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

}  // namespace sk
