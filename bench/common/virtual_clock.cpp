#include "virtual_clock.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <deque>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace sk::bench {

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The published file: "pid=", "path=" and "identifier=" lines; it appears
// whole (written aside, then renamed).
std::string PublishedPath(const std::string& dir) {
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->path().extension() != ".port") {
            continue;
        }
        std::ifstream in(it->path());
        std::string line;
        while (std::getline(in, line)) {
            if (line.rfind("path=", 0) == 0) {
                return line.substr(5);
            }
        }
    }
    return {};
}

}  // namespace

VirtualClock::VirtualClock(std::chrono::milliseconds timeout) {
    std::string pattern = (fs::temp_directory_path() / "sk_virtual_clock_XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        throw std::runtime_error("no temporary directory for the virtual clock");
    }
    dir_ = pattern;
    log_ = dir_ + "/sim.log";

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, log_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::string program = SK_CLOCK_SIM_PATH;
    std::string flag = "--publish-dir";
    char* argv[] = {program.data(), flag.data(), dir_.data(), nullptr};
    const int err = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (err != 0) {
        pid_ = -1;
        fs::remove_all(dir_);
        throw std::runtime_error("cannot start " + program);
    }

    // The program publishes within milliseconds; sleep between looks.
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while ((path_ = PublishedPath(dir_)).empty()) {
        int status = 0;
        const bool ended = waitpid(pid_, &status, WNOHANG) == pid_;
        if (ended || std::chrono::steady_clock::now() >= deadline) {
            if (ended) {
                pid_ = -1;
            }
            stop();
            fs::remove_all(dir_);
            throw std::runtime_error(ended ? "the virtual clock ended before publishing its port"
                                           : "the virtual clock did not publish its port");
        }
        std::this_thread::sleep_for(5ms);
    }
}

VirtualClock::~VirtualClock() {
    stop();
    std::error_code ec;
    fs::remove_all(dir_, ec);
}

bool VirtualClock::waitForLog(const std::string& text, std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        std::ifstream in(log_);
        std::string line;
        while (std::getline(in, line)) {
            if (line.find(text) != std::string::npos) {
                return true;
            }
        }
        if (pid_ < 0 || std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
}

double VirtualClock::stop() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        rusage usage{};
        while (wait4(pid_, &status, 0, &usage) < 0 && errno == EINTR) {
        }
        cpuSeconds_ = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                      static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
        pid_ = -1;
    }
    return cpuSeconds_;
}

std::vector<std::string> VirtualClock::lastLogLines(std::size_t count) const {
    std::deque<std::string> lines;
    std::ifstream in(log_);
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(line);
        if (lines.size() > count) {
            lines.pop_front();
        }
    }
    return {lines.begin(), lines.end()};
}

}  // namespace sk::bench
