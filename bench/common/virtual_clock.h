#pragma once
// The virtual start clock (startklokke-sim) as a child process for the
// benchmarks: started with a private publish directory, its pty read from
// the file it publishes there, its output kept in a log file in that
// directory, stopped with SIGTERM.
//
// Errors: the constructor throws std::runtime_error when the program cannot
// be started or does not publish its port within the timeout (the child is
// stopped and the directory removed then). One thread owns an instance.
#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace sk::bench {

class VirtualClock {
  public:
    explicit VirtualClock(std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));
    ~VirtualClock();
    VirtualClock(const VirtualClock&) = delete;
    VirtualClock& operator=(const VirtualClock&) = delete;

    // The pty the tool opens.
    const std::string& path() const { return path_; }

    // Blocks (in short sleeps, bounded) until the log has a line containing
    // `text`; false on timeout or when the program has ended.
    bool waitForLog(const std::string& text, std::chrono::milliseconds timeout) const;

    // Stops the program and returns its CPU seconds (user + system); later
    // calls return the same figure.
    double stop();

    // The log's last `count` lines (all once stopped, or as far as written).
    std::vector<std::string> lastLogLines(std::size_t count) const;

  private:
    std::string dir_;
    std::string log_;
    std::string path_;
    pid_t pid_ = -1;
    double cpuSeconds_ = 0;
};

}  // namespace sk::bench
