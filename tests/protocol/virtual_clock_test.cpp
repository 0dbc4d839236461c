// The tool's connection handling against the real startklokke-sim program:
// discovery finds the published pty, activation identifies the clock.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "fake_clock_host.h"
#include "fake_timer.h"
#include "main_thread_queue.h"
#include "protocol/clock_connection.h"
#include "recording_pacer.h"
#include "serial/posix/discovery_linux.h"
#include "serial/serial_port.h"

namespace sk::test {
namespace {

namespace fs = std::filesystem;

class VirtualClock : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("sk-virtual-clock-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        std::string out = (dir_ / "sim.txt").string();
        pid_ = ::fork();
        if (pid_ == 0) {
            int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(fd, 1);
            std::string dir = dir_.string();
            ::execl(SK_CLOCK_SIM, SK_CLOCK_SIM, "--publish-dir", dir.c_str(),
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        for (int i = 0; i < 500 && !Published(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ASSERT_TRUE(Published());
    }
    void TearDown() override {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
        fs::remove_all(dir_);
    }
    bool Published() const {
        for (const auto& e : fs::directory_iterator(dir_)) {
            if (e.path().extension() == ".port") {
                return true;
            }
        }
        return false;
    }

    fs::path dir_;
    pid_t pid_ = -1;
};

TEST_F(VirtualClock, IsListedAsTheAdapterAndFoundByActivation) {
    FakeClockHost host;
    RecordingPacer pacer;
    FakeTimer timer;
    // No real ports: an empty sysfs tree.
    SysfsPortEnumerator ports({(dir_ / "no-sysfs").string(), "/dev", dir_.string(), {}});
    ClockConnection conn(host, pacer, timer, ports);
    MainThreadQueue queue;
    queue.attach(conn.com1());
    conn.FormActivate();
    ASSERT_EQ(2u, host.selectorItems.size());
    EXPECT_EQ(1, host.selectorIndex);
    EXPECT_NE(std::string::npos, host.selectorText.find(" Tovik USB TIMER "));
    EXPECT_TRUE(queue.pumpUntil([&] { return host.clockFoundShown; }));
    EXPECT_EQ("Dizeradozudn er tilkoblet", host.clockFoundText);
    EXPECT_NE(std::string::npos, host.statusText.find("Start")) << host.statusText;
    queue.detach(conn.com1());
}

}  // namespace
}  // namespace sk::test
