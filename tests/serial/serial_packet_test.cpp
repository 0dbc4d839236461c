// Packet framing: chunks in, packets and discarded text out.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "fake_serial_device.h"
#include "serial/serial_packet.h"
#include "serial/serial_port.h"

namespace sk {
namespace {

// Records packets as "P:<text>" and discarded text as "D:<text>".
struct Recorder {
    explicit Recorder(TSerialPacket& p) {
        p.OnPacket = [this](TSerialPacket&, const std::string& s) { log.push_back("P:" + s); };
        p.OnDiscard = [this](TSerialPacket&, const std::string& s) { log.push_back("D:" + s); };
    }
    std::vector<std::string> log;
};

struct FramingCase {
    const char* name;
    std::function<void(TSerialPacket&)> setup;
    std::vector<std::string> chunks;
    std::vector<std::string> expected;
    std::string left;  // what stays in the buffer
};

class Framing : public ::testing::TestWithParam<FramingCase> {};

TEST_P(Framing, ChunksGiveTheseHandlerCallsAndLeaveThisBuffer) {
    const FramingCase& c = GetParam();
    TSerialPacket packet;
    Recorder rec(packet);
    c.setup(packet);
    for (const std::string& chunk : c.chunks)
        packet.AddChunk(chunk);
    EXPECT_EQ(c.expected, rec.log);
    EXPECT_EQ(c.left, packet.Buffer());
}

void lines(TSerialPacket& p) {
    p.SetIncludeStrings(true);
    p.SetStopString("\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Framing,
    ::testing::Values(FramingCase{"NoStopConditionPassesEachChunkUnchangedIgnoringStart",
                                  [](TSerialPacket& p) { p.SetStartString("X"); },
                                  {"ab", "c\n"},
                                  {"P:ab", "P:c\n"},
                                  ""},
                      FramingCase{"PartialLineWaitsForTheNextChunksLineFeed",
                                  lines,
                                  {"l1\nl2\npar", "t\nx"},
                                  {"P:l1\n", "P:l2\n", "P:part\n"},
                                  "x"},
                      FramingCase{"ThreeLinesInOneChunkGiveThreePacketsInOrder",
                                  [](TSerialPacket& p) { p.SetStopString("\n"); },
                                  {"a\nb\r\nc\n"},
                                  {"P:a", "P:b\r", "P:c"},
                                  ""},
                      FramingCase{"TextBeforeStartStringIsDiscardedWhenStartArrives",
                                  [](TSerialPacket& p) {
                                      p.SetStartString("<");
                                      p.SetStopString(">");
                                  },
                                  {"junk<pkt>tail", "<two>"},
                                  {"D:junk", "P:pkt", "D:tail", "P:two"},
                                  ""},
                      FramingCase{"TextAfterAPacketWithoutStartStringStaysBuffered",
                                  [](TSerialPacket& p) {
                                      p.SetStartString("<");
                                      p.SetStopString(">");
                                  },
                                  {"<a>rest"},
                                  {"P:a"},
                                  "rest"},
                      FramingCase{"IncludeStringsKeepsStartAndStop",
                                  [](TSerialPacket& p) {
                                      p.SetStartString("<");
                                      p.SetStopString(">");
                                      p.SetIncludeStrings(true);
                                  },
                                  {"x<a", ">"},
                                  {"D:x", "P:<a>"},
                                  ""},
                      FramingCase{"SizeCutsFixedPacketsAndKeepsTheRest",
                                  [](TSerialPacket& p) { p.SetSize(4); },
                                  {"0123456789"},
                                  {"P:0123", "P:4567"},
                                  "89"},
                      FramingCase{"SizeWinsOverAnEarlierStopStringOnceReached",
                                  [](TSerialPacket& p) {
                                      p.SetSize(4);
                                      p.SetStopString("1");
                                      p.SetIncludeStrings(true);
                                  },
                                  {"ab1cdef"},
                                  {"P:ab1c"},
                                  "def"},
                      FramingCase{"StopStringCutsBeforeSizeIsReached",
                                  [](TSerialPacket& p) {
                                      p.SetSize(4);
                                      p.SetStopString("1");
                                      p.SetIncludeStrings(true);
                                  },
                                  {"a1", "xy"},
                                  {"P:a1"},
                                  "xy"},
                      FramingCase{"CaseInsensitiveStopMatchesAnyCaseAndKeepsTheLetters",
                                  [](TSerialPacket& p) {
                                      p.SetCaseInsensitive(true);
                                      p.SetStopString("ok");
                                      p.SetIncludeStrings(true);
                                  },
                                  {"xxOK", "yyoK", "zzok"},
                                  {"P:xxOK", "P:yyoK", "P:zzok"},
                                  ""},
                      FramingCase{"CaseSensitiveStopNeedsTheSameCase",
                                  [](TSerialPacket& p) { p.SetStopString("ok"); },
                                  {"xxOK"},
                                  {},
                                  "xxOK"},
                      FramingCase{"CaseFoldingIsAsciiOnly",
                                  [](TSerialPacket& p) {
                                      p.SetCaseInsensitive(true);
                                      p.SetStopString("\xe6");  // 'æ' in CP1252; 'Æ' is 0xC6
                                  },
                                  {"a\xc6", "b\xe6"},
                                  {"P:a\xc6"
                                   "b"},
                                  ""},
                      FramingCase{"BufferReachingTheLimitIsDiscarded",
                                  [](TSerialPacket& p) {
                                      p.SetMaxBufferSize(5);
                                      p.SetStopString("\n");
                                  },
                                  {"abc", "defg", "h\n"},
                                  {"D:abcdefg", "P:h"},
                                  ""},
                      FramingCase{"LimitZeroMeansNoLimit",
                                  [](TSerialPacket& p) {
                                      p.SetMaxBufferSize(0);
                                      p.SetStopString("\n");
                                  },
                                  {std::string(5000, 'x')},
                                  {},
                                  std::string(5000, 'x')},
                      FramingCase{"ZeroBytesPassThrough",
                                  [](TSerialPacket& p) { p.SetStopString(std::string("\0\n", 2)); },
                                  {std::string("a\0b\0", 4), std::string("\n\0", 2)},
                                  {std::string("P:a\0b", 5)},
                                  std::string("\0", 1)},
                      FramingCase{"StartStringNeverServesAsStopString",
                                  [](TSerialPacket& p) {
                                      p.SetStartString("$");
                                      p.SetStopString("$");
                                  },
                                  {"$ab", "c$"},
                                  {"P:abc"},
                                  ""},
                      FramingCase{"StopStringNotAtTheEndIsNotStripped",
                                  [](TSerialPacket& p) {
                                      p.SetStopString("#");
                                      p.OnCustomStop = [](TSerialPacket&, const std::string& s,
                                                          int& pos) {
                                          if (s.size() >= 4)
                                              pos = 4;
                                      };
                                  },
                                  {"a#bc"},
                                  {"P:a#bc"},
                                  ""},
                      FramingCase{
                          "CustomStartAndStopPositionsAreUsed",
                          [](TSerialPacket& p) {
                              p.OnCustomStart = [](TSerialPacket&, const std::string& s, int& pos) {
                                  const auto at = s.find_first_of("0123456789");
                                  pos = at == std::string::npos ? 0 : static_cast<int>(at) + 1;
                              };
                              p.OnCustomStop = [](TSerialPacket&, const std::string& s, int& pos) {
                                  pos = s.size() >= 3 ? 3 : 0;
                              };
                              p.SetStopString("x");  // never looked for: the custom stop says 0
                          },
                          {"ab1x", "2345"},
                          {"D:ab", "P:1x2", "P:345"},
                          ""},
                      FramingCase{"CustomStopAlwaysFoundStillTerminates",
                                  [](TSerialPacket& p) {
                                      p.OnCustomStop = [](TSerialPacket&, const std::string&,
                                                          int& pos) { pos = 1; };
                                  },
                                  {"ab"},
                                  {"P:a", "P:b"},
                                  ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FramingProperties, SameValueKeepsTheBufferADifferentOneDiscardsIt) {
    TSerialPacket packet;
    Recorder rec(packet);
    packet.SetStopString("\n");
    packet.AddChunk("partial");
    packet.SetStopString("\n");
    packet.SetIncludeStrings(true);
    packet.SetMaxBufferSize(50000);
    EXPECT_TRUE(rec.log.empty());
    EXPECT_EQ("partial", packet.Buffer());
    packet.SetStopString("\r");
    EXPECT_EQ(std::vector<std::string>{"D:partial"}, rec.log);
    EXPECT_EQ("", packet.Buffer());
}

TEST(FramingProperties, EachOfStartStopSizeAndCaseEmptiesTheBufferOnChange) {
    const std::vector<std::function<void(TSerialPacket&)>> changes = {
        [](TSerialPacket& p) { p.SetStartString("<"); },
        [](TSerialPacket& p) { p.SetStopString(";"); },
        [](TSerialPacket& p) { p.SetSize(9); },
        [](TSerialPacket& p) { p.SetCaseInsensitive(true); },
    };
    for (const auto& change : changes) {
        TSerialPacket packet;
        Recorder rec(packet);
        packet.SetStopString("\n");
        packet.AddChunk("abc");
        change(packet);
        EXPECT_EQ(std::vector<std::string>{"D:abc"}, rec.log);
        EXPECT_FALSE(packet.InPacket());
    }
}

TEST(FramingProperties, WritesWhileLoadingKeepTheBuffer) {
    TSerialPacket packet;
    Recorder rec(packet);
    packet.SetStopString("\n");
    packet.AddChunk("abc");
    packet.BeginLoading();
    packet.SetStopString("\r");
    packet.SetSize(2);
    packet.EndLoading();
    EXPECT_TRUE(rec.log.empty());
    EXPECT_EQ("abc", packet.Buffer());
}

TEST(FramingProperties, EmptyingAnEmptyBufferKeepsTheInPacketFlag) {
    TSerialPacket packet;
    Recorder rec(packet);
    packet.SetStopString("\n");
    packet.AddChunk("a\n");  // after the packet the search starts the next one
    ASSERT_TRUE(packet.InPacket());
    ASSERT_EQ("", packet.Buffer());
    packet.SetStopString("\r");
    EXPECT_TRUE(packet.InPacket());
    EXPECT_EQ(std::vector<std::string>{"P:a"}, rec.log);
}

TEST(FramingErrors, HandlerExceptionPassesOutAfterTheLimitCheck) {
    TSerialPacket packet;
    Recorder rec(packet);
    packet.SetStopString("\n");
    packet.SetMaxBufferSize(3);
    packet.OnPacket = [](TSerialPacket&, const std::string&) {
        throw std::runtime_error("handler failed");
    };
    EXPECT_THROW(packet.AddChunk("a\nbcdef"), std::runtime_error);
    EXPECT_EQ(std::vector<std::string>{"D:bcdef"}, rec.log);
    EXPECT_EQ("", packet.Buffer());
}

TEST(FramingErrors, DiscardHandlerExceptionStillEmptiesTheBuffer) {
    TSerialPacket packet;
    packet.SetStartString("<");
    packet.SetStopString(">");
    packet.AddChunk("<ab");
    packet.OnDiscard = [](TSerialPacket&, const std::string&) { throw std::runtime_error("no"); };
    EXPECT_THROW(packet.SetStopString("!"), std::runtime_error);
    EXPECT_EQ("", packet.Buffer());
    EXPECT_FALSE(packet.InPacket());
}

TEST(FramingReceive, TheLinkCallbackAddsTheBytesAsOneChunk) {
    TSerialPacket packet;
    Recorder rec(packet);
    const char bytes[] = {'o', 'k', '\0', '\n'};
    TSerialLink& link = packet.Link();
    ASSERT_TRUE(static_cast<bool>(link.OnRxBuf));
    TSerialPort port(std::make_unique<test::FakeSerialDevice>());
    link.OnRxBuf(port, bytes, 4);
    EXPECT_EQ(std::vector<std::string>{"P:" + std::string(bytes, 4)}, rec.log);
}

}  // namespace
}  // namespace sk
