#include <gtest/gtest.h>
#include <stdlib.h>

#include <optional>
#include <string>

#include "files/pursuit_list.h"

namespace sk {
namespace {

TEST(TempFolder, TmpdirOrTmpEndingInSeparator) {
    const char* old = getenv("TMPDIR");
    const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
    const struct {
        const char* tmpdir;  // nullptr: unset
        const char* expected;
    } cases[] = {
        {"/var/tmp/ola", "/var/tmp/ola/"},
        {"/var/tmp/ola/", "/var/tmp/ola/"},
        {"", "/tmp/"},
        {nullptr, "/tmp/"},
    };
    for (const auto& c : cases) {
        if (c.tmpdir) {
            setenv("TMPDIR", c.tmpdir, 1);
        } else {
            unsetenv("TMPDIR");
        }
        EXPECT_EQ(c.expected, TempFolderPath()) << (c.tmpdir ? c.tmpdir : "(unset)");
    }
    if (saved) {
        setenv("TMPDIR", saved->c_str(), 1);
    } else {
        unsetenv("TMPDIR");
    }
}

}  // namespace
}  // namespace sk
