#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "serial/port_discovery.h"
#include "serial/posix/discovery_linux.h"

namespace sk {

// Lets EXPECT_EQ show ports by value.
bool operator==(const DiscoveredPort& a, const DiscoveredPort& b) {
    return a.name == b.name && a.identifier == b.identifier;
}
void PrintTo(const DiscoveredPort& p, std::ostream* os) {
    *os << "{" << p.name << ", " << p.identifier << "}";
}

namespace {

namespace fs = std::filesystem;

SysfsPortEnumerator FixtureEnumerator(const std::string& tree, std::string publishedDir = "") {
    SysfsPortEnumerator::Options options;
    options.sysfsRoot = std::string(SK_SYSFS_FIXTURES) + "/" + tree;
    options.devRoot = "/dev";
    options.publishedDir = std::move(publishedDir);
    // In the fixtures only ttyS0 has a UART behind it.
    options.uartProbe = [](const std::string& path) { return path == "/dev/ttyS0"; };
    return SysfsPortEnumerator(options);
}

TEST(SysfsPortEnumerator, ListsUsbAndAcmPortsAndSkipsPlaceholderAndVirtualTtys) {
    auto enumerator = FixtureEnumerator("two_ports");
    std::vector<DiscoveredPort> expected = {
        {"/dev/ttyACM0", "USB\\VID_2341&PID_0043\\85734323"},
        {"/dev/ttyUSB0", "USB\\VID_067B&PID_2303\\ttyUSB0"},  // no serial number: the tty name
    };
    EXPECT_EQ(expected, enumerator.Enumerate());
}

TEST(SysfsPortEnumerator, ListsRealUartAndRecognisesTheAdapterByItsProductId) {
    auto enumerator = FixtureEnumerator("adapter");
    std::vector<DiscoveredPort> expected = {
        {"/dev/ttyS0", "SERIAL\\ttyS0"},
        {"/dev/ttyUSB0", "USB\\VID_0403&PID_6001\\A50285BI"},
        {"/dev/ttyUSB1", "USB\\VID_10C4&PID_EA60\\0001"},
    };
    auto ports = enumerator.Enumerate();
    EXPECT_EQ(expected, ports);
    ASSERT_EQ(3u, ports.size());
    EXPECT_FALSE(IsClockAdapter(ports[0].identifier));
    EXPECT_TRUE(IsClockAdapter(ports[1].identifier));
    EXPECT_FALSE(IsClockAdapter(ports[2].identifier));
}

TEST(SysfsPortEnumerator, MissingSysfsRootListsNothing) {
    auto enumerator = FixtureEnumerator("no_such_tree");
    EXPECT_TRUE(enumerator.Enumerate().empty());
}

class PublishedPorts : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("sk-published-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    void Publish(const std::string& file, long pid, const std::string& path,
                 const std::string& identifier) {
        std::ofstream(dir_ / file)
            << "pid=" << pid << "\npath=" << path << "\nidentifier=" << identifier << "\n";
    }
    static long DeadPid() {
        pid_t child = ::fork();
        if (child == 0) {
            ::_exit(0);
        }
        ::waitpid(child, nullptr, 0);
        return child;
    }
    fs::path dir_;
};

TEST_F(PublishedPorts, LiveVirtualClocksFollowTheRealPortsAndStaleOnesAreIgnored) {
    Publish("1.port", ::getpid(), "/dev/null", "USB\\VID_0403&PID_6001\\SIM0001");
    Publish("2.port", DeadPid(), "/dev/null", "USB\\VID_0403&PID_6001\\SIM0002");
    Publish("3.port", ::getpid(), "/dev/pts/no-such-pty", "USB\\VID_0403&PID_6001\\SIM0003");
    Publish("notes.txt", ::getpid(), "/dev/null", "ignored: not a .port file");
    auto enumerator = FixtureEnumerator("two_ports", dir_.string());
    auto ports = enumerator.Enumerate();
    ASSERT_EQ(3u, ports.size());
    EXPECT_EQ((DiscoveredPort{"/dev/null", "USB\\VID_0403&PID_6001\\SIM0001"}), ports[2]);
}

TEST(IsClockAdapter, MatchesTheTwoSpellingsOfTheProductIdOnly) {
    const std::pair<const char*, bool> cases[] = {
        {"USB\\VID_0403&PID_6001\\A50285BI", true},
        {"\\\\?\\usb#vid_0403&pid_6001#a50285bi#{86e0d1e0}", true},
        {"USB\\VID_0403&Pid_6001\\X", false},
        {"USB\\VID_0403&PID_6002\\X", false},
        {"", false},
    };
    for (const auto& [identifier, adapter] : cases) {
        EXPECT_EQ(adapter, IsClockAdapter(identifier)) << identifier;
    }
}

const DiscoveredPort kPort3{"COM3", "ACPI\\PNP0501\\1"};
const DiscoveredPort kAdapter4{"COM4", "USB\\VID_0403&PID_6001\\A1"};
const DiscoveredPort kPort5{"COM5", "USB\\VID_067B&PID_2303\\5"};

TEST(RefreshSelector, TwoPortsAreListedInOrderAndTheFirstIsSelected) {
    auto result = RefreshSelector("Koble til klokken...", {kPort3, kPort5});
    EXPECT_EQ((std::vector<std::string>{"COM3 Serial port", "COM5 Serial port"}), result.items);
    EXPECT_EQ(0, result.selectedIndex);
}

TEST(RefreshSelector, AdapterGetsASecondEntryWhichIsSelected) {
    auto result = RefreshSelector("COM5 Serial port", {kPort3, kAdapter4, kPort5});
    EXPECT_EQ((std::vector<std::string>{"COM3 Serial port", "COM4 Serial port",
                                        "COM4 Tovik USB TIMER ", "COM5 Serial port"}),
              result.items);
    EXPECT_EQ(2, result.selectedIndex);
}

TEST(RefreshSelector, RepeatedRunsListEachPortOnceAndKeepTheOperatorsChoice) {
    std::vector<DiscoveredPort> ports = {kPort3, kPort5};
    auto first = RefreshSelector("Koble til klokken...", ports);
    // The operator picks COM5, then the window is activated again.
    auto second = RefreshSelector(first.items[1], ports);
    EXPECT_EQ(first.items, second.items);
    EXPECT_EQ(1, second.selectedIndex);
    // COM5 is unplugged: its entry goes and item 0 is taken.
    auto third = RefreshSelector(first.items[1], {kPort3});
    EXPECT_EQ((std::vector<std::string>{"COM3 Serial port"}), third.items);
    EXPECT_EQ(0, third.selectedIndex);
}

TEST(RefreshSelector, NoPortsLeavesTheTextAlone) {
    auto result = RefreshSelector("Koble til klokken...", {});
    EXPECT_TRUE(result.items.empty());
    EXPECT_EQ(-1, result.selectedIndex);
}

TEST(RefreshSelector, APortReportedTwiceIsListedOnce) {
    auto result = RefreshSelector("", {kAdapter4, kPort3, kAdapter4});
    EXPECT_EQ(
        (std::vector<std::string>{"COM4 Serial port", "COM4 Tovik USB TIMER ", "COM3 Serial port"}),
        result.items);
    EXPECT_EQ(1, result.selectedIndex);
}

TEST(Discovery, FixtureTreeRefreshedTwiceKeepsOneEntryPerPortAndTheAdapterSelected) {
    auto enumerator = FixtureEnumerator("adapter");
    auto first = RefreshSelector("Koble til klokken...", enumerator.Enumerate());
    auto second = RefreshSelector("/dev/ttyS0 Serial port", enumerator.Enumerate());
    const std::vector<std::string> expected = {"/dev/ttyS0 Serial port", "/dev/ttyUSB0 Serial port",
                                               "/dev/ttyUSB0 Tovik USB TIMER ",
                                               "/dev/ttyUSB1 Serial port"};
    EXPECT_EQ(expected, first.items);
    EXPECT_EQ(expected, second.items);
    EXPECT_EQ(2, first.selectedIndex);
    EXPECT_EQ(2, second.selectedIndex);
}

}  // namespace
}  // namespace sk
