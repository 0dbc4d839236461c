// The Windows build on a line, checked from Linux: wine_line_probe.exe runs
// under Wine with COM5/COM6 mapped to pseudo-terminals (a symlink in the
// prefix's dosdevices, re-pointed per test) and a PtyPeer plays the clock. The
// peer sees the line settings and bytes the Win32 backend produced; the
// probe's report shows what came back through WaitCommEvent.
//
// Needs (set by tests/support/wine/run-windows-tests): WINEPREFIX, SK_WINE_RUN
// (the wine-run script) and SK_WINE_PROBE (the probe .exe).
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <string>
#include <vector>

#include "pty_peer.h"

namespace sk::test {
namespace {

namespace fs = std::filesystem;
using Ms = std::chrono::milliseconds;

// Wine starts a program in a second or two; allow for a loaded machine.
constexpr Ms kWineStart{60000};

std::string env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

struct ProbeResult {
    int exitCode = -1;
    std::vector<std::pair<std::string, std::string>> lines;
    std::string raw;

    std::vector<std::string> values(const std::string& key) const {
        std::vector<std::string> out;
        for (const auto& [k, v] : lines) {
            if (k == key)
                out.push_back(v);
        }
        return out;
    }
    std::string value(const std::string& key) const {
        const auto all = values(key);
        return all.empty() ? "<none>" : all.back();
    }
};

ProbeResult runProbe(const std::vector<std::string>& args) {
    // Into a file, not a pipe: Wine's service processes may inherit the
    // program's output and would hold a pipe open long after it ended.
    char path[] = "/tmp/wine_line_probe.XXXXXX";
    const int fd = ::mkstemp(path);
    ProbeResult r;
    if (fd < 0)
        return r;
    ::close(fd);
    std::string cmd = "'" + env("SK_WINE_RUN") + "' '" + env("SK_WINE_PROBE") + "'";
    for (const std::string& a : args)
        cmd += " '" + a + "'";
    cmd += std::string(" >'") + path + "' 2>&1 </dev/null";
    const int status = std::system(cmd.c_str());
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        r.raw += line + "\n";
        while (!line.empty() && line.back() == '\r')
            line.pop_back();
        const auto colon = line.find(": ");
        if (colon != std::string::npos)
            r.lines.emplace_back(line.substr(0, colon), line.substr(colon + 2));
    }
    std::remove(path);
    return r;
}

class WineLine : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(env("WINEPREFIX").empty());
        ASSERT_TRUE(fs::exists(env("SK_WINE_RUN"))) << "SK_WINE_RUN";
        ASSERT_TRUE(fs::exists(env("SK_WINE_PROBE"))) << "SK_WINE_PROBE";
        dosdevices_ = fs::path(env("WINEPREFIX")) / "dosdevices";
        ASSERT_TRUE(fs::is_directory(dosdevices_));
    }
    void TearDown() override {
        for (const char* com : {"com5", "com6"})
            fs::remove(dosdevices_ / com);
    }
    // Points the prefix's COM port at a peer's pty slave.
    void Map(const char* com, const PtyPeer& peer) {
        fs::remove(dosdevices_ / com);
        fs::create_symlink(peer.slavePath(), dosdevices_ / com);
    }
    std::future<ProbeResult> Start(std::vector<std::string> args) {
        return std::async(std::launch::async, [args] { return runProbe(args); });
    }
    static void ExpectClockLine(const PtyPeer& peer, int baud) {
        const PtyPeer::LineSettings s = peer.lineSettings();
        EXPECT_EQ(baud, s.baud);
        EXPECT_EQ(8, s.dataBits);
        EXPECT_EQ('N', s.parity);
        EXPECT_EQ(2, s.stopBits);
        EXPECT_FALSE(s.crtscts);
        EXPECT_FALSE(s.ixon);
        EXPECT_FALSE(s.ixoff);
        EXPECT_TRUE(s.cread);
        EXPECT_TRUE(s.raw);
    }

    fs::path dosdevices_;
};

struct Entry {
    const char* name;
    const char* selector;
    const char* com;
    int baud;
};
const Entry kEntries[] = {
    {"SerialPortAt9600", "COM5 Serial port", "com5", 9600},
    {"AdapterAt115200", "COM6 Tovik USB TIMER ", "com6", 115200},
};

class WineLineEntry : public WineLine, public ::testing::WithParamInterface<Entry> {};

TEST_P(WineLineEntry, IdentifyAppliesTheClocksLineAndDeliversTheSplitReply) {
    PtyPeer peer;
    Map(GetParam().com, peer);
    auto probe = Start({"identify", GetParam().selector});
    ASSERT_TRUE(peer.waitForText("/ID", kWineStart)) << probe.get().raw;
    ExpectClockLine(peer, GetParam().baud);
    // In pieces, so that it arrives over several wake-ups.
    peer.write("KS20 v2.3", 4, Ms(30));
    peer.write("\r\n");
    const ProbeResult r = probe.get();
    EXPECT_EQ(0, r.exitCode) << r.raw;
    EXPECT_EQ("/ID", peer.received());
    // Each of the three packet components logs every packet, back to back
    // (a packet ending in CR LF is also logged once more as "Svarer:...").
    std::string reply;
    std::string previous;
    bool judged = false;
    for (const std::string& line : r.values("log")) {
        if (line.rfind("Svarer:", 0) == 0) {
            judged = true;
            continue;
        }
        if (line != previous)
            reply += line;
        previous = line;
    }
    EXPECT_EQ("KS20 v2.3\\r\\n", reply) << r.raw;
    EXPECT_TRUE(judged) << r.raw;
    // The status label shows the replies while identifying; the last one ends the line.
    EXPECT_TRUE(r.value("status").ends_with("\\r\\n")) << r.raw;
    EXPECT_EQ("0", r.value("connected"));
}

TEST_P(WineLineEntry, SetModeWritesTheTaskSequenceByteForByteAndCloses) {
    PtyPeer peer;
    Map(GetParam().com, peer);
    // The probe closes once this file exists (see waitForFile in the probe).
    const fs::path taken =
        fs::temp_directory_path() / ("wine_line_taken_" + std::to_string(::getpid()));
    fs::remove(taken);
    std::string windowsPath = "Z:" + taken.string();
    std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');
    auto probe = Start({"setmode", GetParam().selector, windowsPath});
    const std::string expected = "/DM1/SND0/S100/SI030/SS100000";
    EXPECT_TRUE(peer.waitForBytes(expected.size(), kWineStart));
    std::ofstream(taken).put('1');
    const ProbeResult r = probe.get();
    fs::remove(taken);
    EXPECT_EQ(0, r.exitCode) << r.raw;
    EXPECT_EQ(expected, peer.received());
    EXPECT_EQ("0", r.value("connected"));
}

INSTANTIATE_TEST_SUITE_P(Speeds, WineLineEntry, ::testing::ValuesIn(kEntries),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WineLine, ActivationFindsTheFakePortsAndIdentifiesOnTheAdapterAt115200) {
    PtyPeer adapter;
    PtyPeer plain;
    Map("com6", adapter);
    Map("com5", plain);
    auto probe = Start({"activate"});
    ASSERT_TRUE(adapter.waitForText("/ID", kWineStart)) << probe.get().raw;
    ExpectClockLine(adapter, 115200);
    adapter.write("KS20\r\n");
    const ProbeResult r = probe.get();
    EXPECT_EQ(0, r.exitCode) << r.raw;
    auto items = r.values("item");
    std::sort(items.begin(), items.end());
    EXPECT_EQ(
        (std::vector<std::string>{"COM5 Serial port", "COM6 Serial port", "COM6 Tovik USB TIMER "}),
        items);
    EXPECT_EQ("COM6 Tovik USB TIMER ", r.value("selected"));
    EXPECT_EQ("", plain.received());
}

TEST_F(WineLine, APulledLineNeitherSpinsTheEventThreadNorHangsClose) {
    PtyPeer peer;
    Map("com5", peer);
    auto probe = Start({"unplug", "COM5 Serial port"});
    ASSERT_TRUE(peer.waitForText("/ID", kWineStart)) << probe.get().raw;
    peer.hangUp();
    const ProbeResult r = probe.get();
    EXPECT_EQ(0, r.exitCode) << r.raw;
    // The probe sits three seconds after the write; spinning would cost
    // about all of it.
    EXPECT_LT(std::stoll(r.value("cpu_ms")), 1000) << r.raw;
    EXPECT_LT(std::stoll(r.value("close_ms")), 3000) << r.raw;
    EXPECT_EQ("0", r.value("connected"));
}

}  // namespace
}  // namespace sk::test
