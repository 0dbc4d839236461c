// The event thread and the receive path: hand-over to the main thread,
// receivers in order, Close during a hand-over, failing receivers, line
// errors and a device that vanishes.
#include <gtest/gtest.h>
#include <time.h>

#include <chrono>
#include <memory>
#include <stdexcept>
#include <thread>

#include "fake_serial_device.h"
#include "main_thread_queue.h"
#include "pty_peer.h"
#include "serial/serial_error.h"
#include "serial/serial_link.h"
#include "serial/serial_packet.h"
#include "serial/serial_port.h"

namespace sk {
namespace {

using namespace std::chrono_literals;
using test::FakeSerialDevice;
using test::MainThreadQueue;
using test::PtyPeer;

// A receiver that notes every chunk with its name.
struct RecordingLink {
    RecordingLink(std::string name, std::vector<std::string>& log) {
        link.OnRxBuf = [name, &log](TCustomSerialPort&, const char* b, int n) {
            log.push_back(name + ":" + std::string(b, static_cast<size_t>(n)));
        };
    }
    TSerialLink link;
};

struct PortOnPty : ::testing::Test {
    PortOnPty() {
        port.SetPort(peer.slavePath());
        port.SetStopBits(TStopBits::sbTwoStopBits);
        port.SetEvents({TSerialEvent::evRxChar, TSerialEvent::evError});
        queue.attach(port);
    }
    // Handlers capture the test's locals, which are gone before the port.
    void TearDown() override {
        port.OnError = nullptr;
        port.OnRxChar = nullptr;
        port.Close();
    }
    PtyPeer peer;
    TSerialPort port;
    MainThreadQueue queue;
};

TEST_F(PortOnPty, ThreeReceiversGetTheSameBytesOnceInAttachmentOrder) {
    std::vector<std::string> log;
    RecordingLink a("A", log), b("B", log), c("C", log);
    port.RegisterLink(&a.link);
    port.RegisterLink(&b.link);
    port.RegisterLink(&c.link);
    port.Open();
    peer.write("12345");
    ASSERT_TRUE(queue.pumpUntil([&] { return log.size() >= 3; }));
    queue.pumpFor(50ms);
    const std::vector<std::string> expected = {"A:12345", "B:12345", "C:12345"};
    EXPECT_EQ(expected, log);
}

TEST(SerialReceiveFake, OneReceiveEventReadsTheWaitingBytesOnceForAllReceivers) {
    auto fake = std::make_unique<FakeSerialDevice>();
    FakeSerialDevice* dev = fake.get();
    TSerialPort port(std::move(fake));
    MainThreadQueue queue;
    queue.attach(port);
    std::vector<std::string> log;
    RecordingLink a("A", log), b("B", log), c("C", log);
    for (RecordingLink* l : {&a, &b, &c})
        port.RegisterLink(&l->link);
    port.Open();
    dev->inject({TSerialEvent::evRxChar}, std::string("he\0lo", 5));
    ASSERT_TRUE(queue.pumpUntil([&] { return log.size() == 3; }));
    EXPECT_EQ(std::string("C:he\0lo", 7), log[2]);
    EXPECT_EQ(1, dev->applyCount("read 5"));
    port.Close();
}

TEST(SerialReceiveFake, LineErrorsAreReportedBeforeTheBytesOfTheSameWakeUp) {
    auto fake = std::make_unique<FakeSerialDevice>();
    FakeSerialDevice* dev = fake.get();
    TSerialPort port(std::move(fake));
    MainThreadQueue queue;
    queue.attach(port);
    std::vector<std::string> log;
    RecordingLink a("A", log);
    port.RegisterLink(&a.link);
    port.OnError = [&](TCustomSerialPort&, TSerialErrors e) {
        log.push_back("error:" + std::to_string(e.bits()));
    };
    port.Open();
    const TSerialErrors errors{TSerialError::ceFrame, TSerialError::ceOverrun};
    dev->inject({TSerialEvent::evRxChar, TSerialEvent::evError}, "x", errors);
    ASSERT_TRUE(queue.pumpUntil([&] { return log.size() == 2; }));
    EXPECT_EQ("error:" + std::to_string(errors.bits()), log[0]);
    EXPECT_EQ("A:x", log[1]);
    // An error event with no error bits calls nothing.
    dev->inject({TSerialEvent::evError});
    queue.pumpFor(50ms);
    EXPECT_EQ(2u, log.size());
}

TEST(SerialReceiveFake, WithoutReceiverCallbacksTheBytesAreLeftForOnRxChar) {
    auto fake = std::make_unique<FakeSerialDevice>();
    FakeSerialDevice* dev = fake.get();
    TSerialPort port(std::move(fake));
    MainThreadQueue queue;
    queue.attach(port);
    TSerialLink silent;  // attached, but with no receive callback
    port.RegisterLink(&silent);
    std::vector<int> counts;
    port.OnRxChar = [&](TCustomSerialPort&, int n) { counts.push_back(n); };
    port.Open();
    dev->inject({TSerialEvent::evRxChar}, "abc");
    ASSERT_TRUE(queue.pumpUntil([&] { return !counts.empty(); }));
    EXPECT_EQ(std::vector<int>{3}, counts);
    EXPECT_EQ(0, dev->applyCount("read 3"));
}

TEST_F(PortOnPty, BytesArrivingWhileTheMainThreadSleepsComeAfterwardsInOneRead) {
    std::vector<std::string> log;
    RecordingLink a("A", log);
    port.RegisterLink(&a.link);
    port.Open();
    peer.write("/", 1, 30ms);
    peer.write("ID", 1, 30ms);
    std::this_thread::sleep_for(200ms);  // a task's fixed pause: nothing is handled
    EXPECT_TRUE(log.empty());
    ASSERT_TRUE(queue.pumpUntil([&] { return !log.empty(); }));
    queue.pumpFor(50ms);
    EXPECT_EQ(std::vector<std::string>{"A:/ID"}, log);
}

TEST_F(PortOnPty, PeerAnswersByRuleAndTheReplyArrivesInLines) {
    peer.onReceive("/ID", "Startklokke 2.3\r\n");
    TSerialPacket lines;
    lines.SetStopString("\n");
    std::vector<std::string> got;
    lines.OnPacket = [&](TSerialPacket&, const std::string& s) { got.push_back(s); };
    lines.SetSerialPort(&port);
    port.Open();
    port.WriteString("/ID");
    port.WriteString("/DM1");
    port.WriteString("/ID");
    ASSERT_TRUE(queue.pumpUntil([&] { return got.size() == 2; }));
    EXPECT_EQ("Startklokke 2.3\r", got[0]);
    EXPECT_EQ("Startklokke 2.3\r", got[1]);
    EXPECT_EQ("/ID/DM1/ID", peer.received());
}

TEST_F(PortOnPty, ZeroBytesPassUnlessDiscardNullIsOn) {
    std::vector<std::string> log;
    RecordingLink a("A", log);
    port.RegisterLink(&a.link);
    port.Open();
    peer.write(std::string("a\0b", 3));
    ASSERT_TRUE(queue.pumpUntil([&] { return log.size() == 1; }));
    EXPECT_EQ(std::string("A:a\0b", 5), log[0]);
    port.SetDiscardNull(true);
    peer.write(std::string("\0c\0", 3));
    ASSERT_TRUE(queue.pumpUntil([&] { return log.size() == 2; }));
    EXPECT_EQ("A:c", log[1]);
}

TEST_F(PortOnPty, CloseDeliversAHandOverThatIsAlreadyWaiting) {
    std::vector<std::string> log;
    RecordingLink a("A", log);
    port.RegisterLink(&a.link);
    bool closing = false;
    a.link.OnRxBuf = [&](TCustomSerialPort&, const char* b, int n) {
        log.push_back((closing ? "in close:" : "") + std::string(b, static_cast<size_t>(n)));
    };
    port.Open();
    const long before = queue.wakes();
    peer.write("+");
    // Wait for the thread to ask for the main thread, without pumping.
    ASSERT_TRUE(queue.waitForWakes(before + 1));
    closing = true;
    port.Close();
    EXPECT_EQ(std::vector<std::string>{"in close:+"}, log);
    EXPECT_FALSE(port.Connected());
}

TEST_F(PortOnPty, ClosingFromInsideAReceiverDoesNotDeadlock) {
    TSerialLink closer;
    int calls = 0;
    closer.OnRxBuf = [&](TCustomSerialPort& p, const char*, int) {
        ++calls;
        p.Close();
    };
    port.RegisterLink(&closer);
    port.Open();
    peer.write("-");
    ASSERT_TRUE(queue.pumpUntil([&] { return !port.Connected(); }));
    EXPECT_EQ(1, calls);
    // And the port opens again normally.
    port.Open();
    peer.write("+");
    ASSERT_TRUE(queue.pumpUntil([&] { return calls == 2; }));
}

TEST_F(PortOnPty, ReceiverMayMoveThePortToAnotherDeviceInsideTheHandOver) {
    PtyPeer other;
    std::vector<std::string> log;
    TSerialLink mover;
    mover.OnRxBuf = [&](TCustomSerialPort& p, const char* b, int n) {
        log.emplace_back(b, static_cast<size_t>(n));
        if (log.size() == 1)
            p.SetPort(other.slavePath());
    };
    port.RegisterLink(&mover);
    port.Open();
    peer.write("first");
    ASSERT_TRUE(queue.pumpUntil([&] { return log.size() == 1; }));
    EXPECT_EQ(other.slavePath(), port.Port());
    other.write("second");
    ASSERT_TRUE(queue.pumpUntil([&] { return log.size() == 2; }));
    EXPECT_EQ("second", log[1]);
    EXPECT_TRUE(port.Connected());
}

TEST_F(PortOnPty, ReceiverThatThrowsEndsTheEventThreadButThePortStaysUsable) {
    int calls = 0;
    TSerialLink thrower;
    thrower.OnRxBuf = [&](TCustomSerialPort&, const char*, int) {
        ++calls;
        throw std::runtime_error("packet handler failed");
    };
    port.RegisterLink(&thrower);
    port.Open();
    peer.write("a");
    ASSERT_TRUE(queue.pumpUntil([&] { return calls == 1; }));
    peer.write("b");
    queue.pumpFor(200ms);
    EXPECT_EQ(1, calls);
    EXPECT_TRUE(port.Connected());
    EXPECT_EQ(2, port.WriteString("ok"));
    EXPECT_TRUE(peer.waitForText("ok"));
    port.Close();
    EXPECT_FALSE(port.Connected());
    // Reopening brings a new event thread.
    port.Open();
    peer.write("c");
    EXPECT_TRUE(queue.pumpUntil([&] { return calls == 2; }));
}

double processCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

TEST_F(PortOnPty, UnpluggedDeviceIsReportedOnceDoesNotSpinAndCloseStillWorks) {
    std::vector<TSerialErrors> errors;
    port.OnError = [&](TCustomSerialPort&, TSerialErrors e) { errors.push_back(e); };
    port.Open();
    peer.hangUp();
    ASSERT_TRUE(queue.pumpUntil([&] { return !errors.empty(); }));
    EXPECT_EQ(TSerialErrors{TSerialError::ceIO}, errors[0]);

    const double cpuBefore = processCpuSeconds();
    const auto wallBefore = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(1s);
    const double cpu = processCpuSeconds() - cpuBefore;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
    EXPECT_LT(cpu / wall, 0.05) << cpu << " s of CPU in " << wall << " s";

    queue.pumpFor(100ms);
    EXPECT_EQ(1u, errors.size());
    EXPECT_TRUE(port.Connected());
    try {
        port.WriteString("/ID");
        ADD_FAILURE() << "write to a vanished device succeeded";
    } catch (const ESerialPort& e) {
        EXPECT_EQ(2, e.Number());
    }
    port.Close();
    EXPECT_FALSE(port.Connected());
}

TEST_F(PortOnPty, BytesNobodyReadsAreOfferedAgainOnlyWhenMoreArrive) {
    std::vector<int> counts;
    port.OnRxChar = [&](TCustomSerialPort&, int n) { counts.push_back(n); };
    port.Open();
    peer.write("ab");
    ASSERT_TRUE(queue.pumpUntil([&] { return !counts.empty(); }));
    const double cpuBefore = processCpuSeconds();
    queue.pumpFor(300ms);
    EXPECT_LT(processCpuSeconds() - cpuBefore, 0.1);
    EXPECT_EQ(std::vector<int>{2}, counts);
    peer.write("c");
    ASSERT_TRUE(queue.pumpUntil([&] { return counts.size() == 2; }));
    EXPECT_EQ(3, counts[1]);
}

TEST(SerialLinks, AttachingTwiceOrDetachingAStrangerFailsWith18) {
    TSerialPort port(std::make_unique<FakeSerialDevice>());
    TSerialLink a, b;
    port.RegisterLink(&a);
    for (auto attempt : {std::function<void()>([&] { port.RegisterLink(&a); }),
                         std::function<void()>([&] { port.UnRegisterLink(&b); })}) {
        try {
            attempt();
            ADD_FAILURE() << "no error";
        } catch (const ESerialPort& e) {
            EXPECT_EQ(18, e.Number());
            EXPECT_EQ(std::string("Link (un)registration failed"), e.what());
        }
    }
    port.UnRegisterLink(&a);
    EXPECT_FALSE(port.HasLink(&a));
}

TEST(SerialLinks, PacketComponentsAttachInOrderAndDetachWhenThePortGoesAway) {
    TSerialPacket p1, p2;
    {
        TSerialPort port(std::make_unique<FakeSerialDevice>());
        p1.SetSerialPort(&port);
        p2.SetSerialPort(&port);
        EXPECT_TRUE(port.HasLink(&p1.Link()));
        p1.SetSerialPort(nullptr);
        EXPECT_FALSE(port.HasLink(&p1.Link()));
        p1.SetSerialPort(&port);
    }
    EXPECT_EQ(nullptr, p1.SerialPort());
    EXPECT_EQ(nullptr, p2.SerialPort());
}

TEST_F(PortOnPty, PacketComponentHandsOverWholeLinesFromSplitChunks) {
    TSerialPacket lines, raw;
    lines.SetIncludeStrings(true);
    lines.SetStopString("\n");
    std::vector<std::string> got;
    lines.OnPacket = [&](TSerialPacket&, const std::string& s) { got.push_back("line:" + s); };
    raw.OnPacket = [&](TSerialPacket&, const std::string& s) { got.push_back("raw:" + s); };
    lines.SetSerialPort(&port);
    raw.SetSerialPort(&port);
    port.Open();
    peer.write("+\r\n-");
    ASSERT_TRUE(queue.pumpUntil([&] { return got.size() == 2; }));
    peer.write("\r\n");
    ASSERT_TRUE(queue.pumpUntil([&] { return got.size() == 4; }));
    const std::vector<std::string> expected = {"line:+\r\n", "raw:+\r\n-", "line:-\r\n",
                                               "raw:\r\n"};
    EXPECT_EQ(expected, got);
}

}  // namespace
}  // namespace sk
