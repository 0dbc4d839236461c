#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "clock_simulator.h"

namespace sk::sim {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Texts(const std::vector<HandledCommand>& commands) {
    std::vector<std::string> texts;
    for (const auto& c : commands) {
        texts.push_back(c.text);
    }
    return texts;
}

constexpr DayMs kTen = 10LL * 3600 * 1000;

TEST(ClockSimulator, CutsBackToBackCommandsByTheKnownCommandSet) {
    ClockSimulator clock;
    auto done = clock.Feed("/DM1/SND0/S100/SI030/SS100000", kTen);
    EXPECT_EQ((std::vector<std::string>{"/DM1", "/SND0", "/S100", "/SI030", "/SS100000"}),
              Texts(done));
    EXPECT_FALSE(clock.HasPending());
    EXPECT_EQ(1, clock.State().mode);
    EXPECT_FALSE(clock.State().sound);
    EXPECT_EQ("030", clock.State().interval);
    EXPECT_EQ("100000", clock.State().firstStart);
}

TEST(ClockSimulator, CommandsSplitAcrossReadsCompleteWhenTheirBytesArrive) {
    ClockSimulator clock;
    std::vector<std::string> all;
    for (std::string_view piece : {"/S", "ND1/S1", "01/SC1015", "00/SI1", "20/DM6\r", "\n/ID"}) {
        auto done = clock.Feed(piece, kTen);
        auto texts = Texts(done);
        all.insert(all.end(), texts.begin(), texts.end());
    }
    EXPECT_EQ(
        (std::vector<std::string>{"/SND1", "/S101", "/SC101500", "/SI120", "/DM6\r\n", "/ID"}),
        all);
    EXPECT_TRUE(clock.State().sound);
    EXPECT_TRUE(clock.State().preWarning);
}

TEST(ClockSimulator, VariableArgumentAtTheEndWaitsForTheLineToGoQuiet) {
    ClockSimulator clock;
    EXPECT_TRUE(clock.Feed("/SI", kTen).empty());
    EXPECT_TRUE(clock.Feed("5", kTen).empty());
    auto done = clock.Flush(kTen);
    ASSERT_EQ(1u, done.size());
    EXPECT_EQ("/SI5", done[0].text);
    EXPECT_EQ("5", clock.State().interval);
}

TEST(ClockSimulator, IdentifyAnswersALineWithStartEndingInCrLf) {
    ClockSimulator clock("SIM0042");
    auto done = clock.Feed("/ID", kTen);
    ASSERT_EQ(1u, done.size());
    EXPECT_NE(std::string::npos, done[0].reply.find("Start"));
    EXPECT_EQ("\r\n", done[0].reply.substr(done[0].reply.size() - 2));
}

TEST(ClockSimulator, TimeRunsFromTheLastSetClockAndWrapsAtMidnight) {
    ClockSimulator clock;
    EXPECT_EQ("--:--:--", clock.ShownTime(kTen));
    clock.Feed("/SC235959", kTen);
    EXPECT_EQ("23:59:59", clock.ShownTime(kTen + 999));
    EXPECT_EQ("00:00:01", clock.ShownTime(kTen + 2000));
    clock.Feed("/SC99", kTen);
    clock.Feed("9999", kTen);  // hour 99: ignored, the clock keeps running
    EXPECT_EQ("00:00:01", clock.ShownTime(kTen + 2000));
}

TEST(ClockSimulator, UnknownCommandsAndTextLinesAreReportedNotLost) {
    ClockSimulator clock;
    auto done = clock.Feed("/XYZ12/DM2 1;13:02:08;1;\r\n/PUREND\r\n", kTen);
    ASSERT_EQ(4u, done.size());
    EXPECT_EQ("/XYZ12", done[0].text);
    EXPECT_EQ("unknown command", done[0].effect);
    EXPECT_EQ("/DM2", done[1].text);
    EXPECT_EQ(" 1;13:02:08;1;\r\n", done[2].text);
    EXPECT_EQ("/PUREND\r\n", done[3].text);
}

// The program itself, driven through its pseudo-terminal.
class SimProcess : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("sk-sim-test-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        if (slave_ >= 0) {
            ::close(slave_);
        }
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        fs::remove_all(dir_);
    }

    void Start(std::vector<std::string> extra) {
        std::vector<std::string> args = {SK_CLOCK_SIM, "--publish-dir", dir_.string()};
        args.insert(args.end(), extra.begin(), extra.end());
        std::string out = (dir_ / "out.txt").string();
        pid_ = ::fork();
        if (pid_ == 0) {
            int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(fd, 1);
            std::vector<char*> argv;
            for (auto& a : args) {
                argv.push_back(a.data());
            }
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        // Wait for the publication (the program writes it once, atomically).
        for (int i = 0; i < 500 && PublishedFile().empty(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ASSERT_FALSE(PublishedFile().empty());
        std::ifstream in(PublishedFile());
        std::string line;
        while (std::getline(in, line)) {
            if (line.rfind("path=", 0) == 0) {
                path_ = line.substr(5);
            } else if (line.rfind("identifier=", 0) == 0) {
                identifier_ = line.substr(11);
            }
        }
        slave_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(slave_, 0);
        termios tio{};
        ::tcgetattr(slave_, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(slave_, TCSANOW, &tio);
    }

    std::string PublishedFile() {
        for (const auto& e : fs::directory_iterator(dir_)) {
            if (e.path().extension() == ".port") {
                return e.path().string();
            }
        }
        return {};
    }

    void Write(std::string_view bytes) {
        ASSERT_EQ(static_cast<ssize_t>(bytes.size()), ::write(slave_, bytes.data(), bytes.size()));
    }

    // Reads until `until` has arrived, the line hangs up, or the time is up.
    std::string Read(std::string_view until, bool* hungUp = nullptr, int ms = 3000) {
        std::string got;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (got.find(until) == std::string::npos &&
               std::chrono::steady_clock::now() < deadline) {
            pollfd pfd{slave_, POLLIN, 0};
            if (::poll(&pfd, 1, 100) <= 0) {
                continue;
            }
            char buf[256];
            ssize_t n = ::read(slave_, buf, sizeof buf);
            if (n <= 0) {
                if (hungUp) {
                    *hungUp = true;
                }
                break;
            }
            got.append(buf, static_cast<std::size_t>(n));
        }
        return got;
    }

    std::string Output() {
        std::ifstream in(dir_ / "out.txt");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    int WaitExit() {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return status;
    }

    fs::path dir_;
    pid_t pid_ = -1;
    int slave_ = -1;
    std::string path_;
    std::string identifier_;
};

TEST_F(SimProcess, PublishesAsTheAdapterAnswersIdentifyAndPrintsWhatItShows) {
    Start({});
    EXPECT_EQ("USB\\VID_0403&PID_6001\\SIM0001", identifier_);
    Write("/DM1/SND0/S100/SI030/SS100000");
    Write("/SC101500/ID");
    std::string reply = Read("\r\n");
    EXPECT_NE(std::string::npos, reply.find("Start")) << reply;
    EXPECT_EQ("\r\n", reply.substr(reply.size() - 2));
    ::kill(pid_, SIGTERM);
    EXPECT_EQ(0, WaitExit());
    std::string out = Output();
    for (const char* expected : {"/DM1 ", "/SND0 ", "/S100 ", "/SI030 ", "/SS100000 ",
                                 "clock 10:15:0", "first start 10:00:00", "answered Startklokke"}) {
        EXPECT_NE(std::string::npos, out.find(expected)) << expected << " in\n" << out;
    }
    EXPECT_TRUE(PublishedFile().empty()) << "publication left behind";
}

TEST_F(SimProcess, SilentClockNeverAnswers) {
    Start({"--silent", "--plain"});
    EXPECT_EQ("SIM\\SIM0001", identifier_);
    Write("/ID");
    EXPECT_EQ("", Read("\r\n", nullptr, 500));
}

TEST_F(SimProcess, HangsUpAfterTheGivenNumberOfBytes) {
    Start({"--hangup-after", "5"});
    Write("/DM1/SND0");
    bool hungUp = false;
    Read("never", &hungUp);
    EXPECT_TRUE(hungUp);
    EXPECT_EQ(0, WaitExit());
    std::string out = Output();
    EXPECT_NE(std::string::npos, out.find("/DM1 ")) << out;
    EXPECT_EQ(std::string::npos, out.find("/SND0")) << out;
    EXPECT_TRUE(PublishedFile().empty());
}

}  // namespace
}  // namespace sk::sim
