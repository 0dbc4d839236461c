#pragma once
// A full disk for tests, played by a file-size limit for the life of the
// object (tests run as root, so permissions would not stop a write). Writes
// past the limit fail with EFBIG instead of raising SIGXFSZ. POSIX only.
#include <signal.h>
#include <sys/resource.h>

namespace sk::test {

class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = signal(SIGXFSZ, SIG_IGN);
        rlimit lim = saved_;
        lim.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lim);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit saved_{};
    sighandler_t oldHandler_;
};

}  // namespace sk::test
