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
#include <random>
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

// Feeds each write as the tool makes it; a pause after a write lets the
// line go quiet, which completes a command whose argument may still grow.
std::vector<HandledCommand> Writes(ClockSimulator& clock, const std::vector<std::string>& writes,
                                   DayMs pcNow = kTen) {
    std::vector<HandledCommand> all;
    for (const auto& w : writes) {
        for (auto& d : clock.Feed(w, pcNow)) {
            all.push_back(std::move(d));
        }
        if (clock.WantsFlush()) {
            for (auto& d : clock.Flush(pcNow)) {
                all.push_back(std::move(d));
            }
        }
    }
    return all;
}

// A list line as the pursuit transfer writes it: one character per write,
// then CR LF.
std::vector<std::string> CharByChar(std::string_view line) {
    std::vector<std::string> writes;
    for (char c : line) {
        writes.emplace_back(1, c);
    }
    writes.emplace_back("\r\n");
    return writes;
}

// An Intel HEX data record of `count` bytes 0xFF at `address`.
std::string Record(unsigned address, unsigned count, int type = 0) {
    char buf[32];
    std::string r = ":";
    unsigned sum = count + (address >> 8) + (address & 0xFF) + static_cast<unsigned>(type);
    std::snprintf(buf, sizeof buf, "%02X%04X%02X", count, address, type);
    r += buf;
    for (unsigned i = 0; i < count; ++i) {
        r += "FF";
        sum += 0xFF;
    }
    std::snprintf(buf, sizeof buf, "%02X", (0x100 - sum % 0x100) % 0x100);
    return r + buf;
}

std::vector<std::string> Replies(const std::vector<HandledCommand>& commands) {
    std::vector<std::string> replies;
    for (const auto& c : commands) {
        replies.push_back(c.reply);
    }
    return replies;
}

TEST(ClockSimulator, EveryCommandOfTheCatalogueIsCutBackToBackAndByteByByte) {
    const std::vector<std::string> catalogue = {"/ID",
                                                "/SC101500",
                                                "/DM0",
                                                "/DM6\r\n",
                                                "/SND1",
                                                "/S101",
                                                "/SI030",
                                                "/SS100000",
                                                "/MAKEC",
                                                "/CF0001",
                                                "/CT0050",
                                                "/CS100000",
                                                "/CI030",
                                                "/CP1",
                                                "/CLASSAVE",
                                                "/CE",
                                                "/SHOWLIST",
                                                "/ERASELIST\r\n",
                                                "/EON\r\n",
                                                "/RGATE\r\n",
                                                "/SGATE02\r\n",
                                                "/RECVLIST\r\n",
                                                "/PUREND\r\n",
                                                "/PCEXIT",
                                                "/EOFF",
                                                "/PCSLAVE",
                                                "/RBT",
                                                "/PCEXIT",
                                                "/ERASEFLASH\r\n",
                                                "/RE7D2C9\n"};
    std::string run;
    for (const auto& c : catalogue) {
        run += c;
    }
    ClockSimulator whole;
    auto done = whole.Feed(run, kTen);
    auto flushed = whole.Flush(kTen);
    done.insert(done.end(), flushed.begin(), flushed.end());
    EXPECT_EQ(catalogue, Texts(done));
    for (const auto& d : done) {
        EXPECT_NE("unknown command", d.effect) << d.text;
    }

    // One byte per read, with no pause for the line to go quiet.
    ClockSimulator bytewise;
    std::vector<HandledCommand> pieces;
    for (char c : run) {
        for (auto& d : bytewise.Feed(std::string(1, c), kTen)) {
            pieces.push_back(std::move(d));
        }
    }
    EXPECT_EQ(catalogue, Texts(pieces));
    EXPECT_FALSE(bytewise.HasPending());
}

TEST(ClockSimulator, ClassTableSequenceMakesAClassWithTheBeeperSentAfterIt) {
    ClockSimulator clock;
    const std::vector<std::string> oneClass = {"/DM4",      "/MAKEC", "/CF0001", "/CT0050",
                                               "/CS100000", "/CI030", "/CP1",    "/CLASSAVE",
                                               "/CE",       "/SND0",  "/S100",   "/DM4"};
    auto done = Writes(clock, oneClass);
    EXPECT_EQ(oneClass, Texts(done));
    ASSERT_EQ(1u, clock.State().classes.size());
    const auto& k = clock.State().classes[0];
    EXPECT_EQ("0001", k.from);
    EXPECT_EQ("0050", k.to);
    EXPECT_EQ("100000", k.firstStart);
    EXPECT_EQ("030", k.interval);
    EXPECT_EQ("1", k.count);
    EXPECT_FALSE(k.sound);
    EXPECT_FALSE(k.preWarning);
    EXPECT_NE(std::string::npos,
              done[7].effect.find("nr 1-50, first start 10:00:00, interval 30 s"))
        << done[7].effect;

    // The same range again with both boxes ticked, the tail written as one
    // run as it reaches the clock, then a second class.
    Writes(clock, {"/DM4", "/MAKEC", "/CF0001", "/CT0050", "/CS100000", "/CI030", "/CP1",
                   "/CLASSAVE", "/CE/SND1/S101", "/DM4", "/MAKEC", "/CF12345", "/CT12400",
                   "/CS113000", "/CI1000", "/CP", "/CLASSAVE", "/CE/SND0/S100", "/DM4"});
    ASSERT_EQ(2u, clock.State().classes.size());
    EXPECT_TRUE(clock.State().classes[0].sound);
    EXPECT_TRUE(clock.State().classes[0].preWarning);
    EXPECT_EQ("12345", clock.State().classes[1].from);
    EXPECT_EQ("1000", clock.State().classes[1].interval);
    EXPECT_EQ("", clock.State().classes[1].count);
    EXPECT_FALSE(clock.State().classes[1].sound);

    // The ordinary setup afterwards changes the clock, not the last class.
    Writes(clock, {"/DM1/SND1/S101/SI030/SS100000"});
    EXPECT_FALSE(clock.State().classes[1].sound);
    EXPECT_TRUE(clock.State().sound);
}

TEST(ClockSimulator, ClassThatStopsBeforeItsSaveIsNotHeld) {
    ClockSimulator clock;
    // A cell that did not convert ends the task right after "/MAKEC".
    Writes(clock, {"/CF0009", "/DM4", "/MAKEC", "/DM4", "/MAKEC", "/CF0002", "/CE", "/CLASSAVE",
                   "/MAKEC", "/CF0003", "/CT0004", "/CP1", "/CLASSAVE"});
    ASSERT_EQ(1u, clock.State().classes.size());
    EXPECT_EQ("0003", clock.State().classes[0].from);
    EXPECT_EQ("0004", clock.State().classes[0].to);
}

TEST(ClockSimulator, SlashInsideAVariableArgumentEndsItOnlyWhereACommandBegins) {
    ClockSimulator clock;
    EXPECT_EQ(1u, clock.Feed("/MAKEC/CF1/", kTen).size());
    EXPECT_TRUE(clock.Feed("2", kTen).empty());                 // "/2" begins no command
    EXPECT_EQ(3u, clock.Feed("/CP1/2/CLASSAVE", kTen).size());  // "/CF1/2" too
    EXPECT_EQ(1u, clock.Feed("/CE", kTen).size());
    ASSERT_EQ(1u, clock.State().classes.size());
    EXPECT_EQ("1/2", clock.State().classes[0].from);
    EXPECT_EQ("1/2", clock.State().classes[0].count);
}

TEST(ClockSimulator, PursuitListWithCorridorShowsTheNextStartOfThatCorridor) {
    ClockSimulator clock;
    std::vector<std::string> writes = {"/ERASELIST\r\n", "/EON\r\n", "/SGATE02\r\n",
                                       "/RECVLIST\r\n"};
    for (const char* line : {"Startnr;Starttid;Sluse;", "1;13:02:08;1;", "2;13:02:38;2;",
                             "3,13:03:08,2", "4;13:02:20;02;"}) {
        auto chars = CharByChar(line);
        writes.insert(writes.end(), chars.begin(), chars.end());
    }
    writes.insert(writes.end(), {"/PUREND\r\n", "/DM6\r\n", "/SC130000"});
    auto done = Writes(clock, writes);
    ASSERT_EQ(12u, done.size());
    EXPECT_EQ("2;13:02:38;2;\r\n", done[6].text);
    EXPECT_EQ("list line not understood, ignored: \"Startnr;Starttid;Sluse;\"", done[4].effect);
    const auto& list = clock.State().list;
    ASSERT_EQ(4u, list.size());
    EXPECT_EQ(3, list[2].number);
    EXPECT_EQ("02", list[3].corridor);
    EXPECT_EQ(std::optional<std::string>("2"), clock.State().corridor);
    EXPECT_EQ(6, clock.State().mode);
    EXPECT_FALSE(clock.State().receivingList);

    // Clock set to 13:00:00 at PC time kTen; corridor 1's start is not shown.
    struct Case {
        DayMs after;  // ms since the clock was set
        long number;  // 0: nothing left
    };
    for (Case c : {Case{0, 4}, Case{140'000, 2}, Case{158'000, 3}, Case{188'000, 0}}) {
        auto next = clock.Next(kTen + c.after);
        EXPECT_EQ(c.number, next ? next->number : 0) << "after " << c.after;
    }
    EXPECT_NE(std::string::npos,
              clock.Summary(kTen).find("list 4  corridor \"2\"  next 4 at 13:02:20"))
        << clock.Summary(kTen);

    auto shown = Writes(clock, {"/RGATE\r\n", "/DM4", "/SHOWLIST"});
    EXPECT_EQ(1, clock.Next(kTen)->number);
    ASSERT_EQ(4u, shown[2].details.size());
    EXPECT_EQ("nr 1 at 13:02:08 corridor 1", shown[2].details[0]);

    Writes(clock, {"/ERASELIST\r\n"});
    EXPECT_TRUE(clock.State().list.empty());
    EXPECT_FALSE(clock.Next(kTen));
}

TEST(ClockSimulator, ListLinesReadAsTheClockReadsThem) {
    struct Case {
        const char* line;
        long number;  // 0: not a list entry
        const char* start;
        const char* corridor;
    };
    const Case cases[] = {
        {"1;13:02:08;1;", 1, "13:02:08", "1"},
        {"1,13:02:08,1", 1, "13:02:08", "1"},
        {"12;9:05:00;\"\";", 12, "09:05:00", ""},
        {"7;13:02;3;extra;", 7, "13:02:00", "3"},
        {"8;13.02.08", 8, "13:02:08", ""},
        {"Startnr;Starttid;Sluse;", 0, "", ""},
        {"0;13:00:00;1;", 0, "", ""},
        {"1;25:00:00;1;", 0, "", ""},
        {"1;13:2:08;1;", 0, "", ""},
        {"1;", 0, "", ""},
        {"99999999999;13:00:00;1;", 0, "", ""},
    };
    for (const Case& c : cases) {
        auto entry = ParseListLine(c.line);
        EXPECT_EQ(c.number, entry ? entry->number : 0) << c.line;
        if (entry) {
            EXPECT_EQ(c.start, FormatHms(entry->start)) << c.line;
            EXPECT_EQ(c.corridor, entry->corridor) << c.line;
        }
    }
}

TEST(ClockSimulator, CorridorFilterComparesNumbersByValueAndTextExactly) {
    struct Case {
        std::optional<std::string> filter;
        const char* corridor;
        bool matches;
    };
    const Case cases[] = {
        {std::nullopt, "7", true}, {"2", "2", true}, {"2", "02", true}, {" 2", "2", true},
        {"2", "12", false},        {"2", "", false}, {"", "", true},    {"alle", "alle", true},
        {"alle", "2", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.matches, CorridorMatches(c.filter, c.corridor))
            << (c.filter ? *c.filter : "all") << " / " << c.corridor;
    }
}

TEST(ClockSimulator, DisplayLineAfterPcSlaveShowsBoardUpperAndLowerLine) {
    ClockSimulator clock;
    auto done = Writes(clock, {"1abcdefabcdef\r\n"});
    EXPECT_EQ("text line ignored", done[0].effect);
    EXPECT_FALSE(clock.State().upper);

    done = Writes(clock, {"/PCEXIT", "/EOFF", "/PCSLAVE", "1abcdefabcdef\r\n"});
    EXPECT_EQ((std::vector<std::string>{"/PCEXIT", "/EOFF", "/PCSLAVE", "1abcdefabcdef\r\n"}),
              Texts(done));
    EXPECT_EQ(std::optional<std::string>("1"), clock.State().board);
    EXPECT_EQ(std::optional<std::string>("abcdef"), clock.State().upper);
    EXPECT_EQ(std::optional<std::string>("abcdef"), clock.State().lower);
    EXPECT_NE(std::string::npos, done[3].shown.find("text \"abcdef\"/\"abcdef\"")) << done[3].shown;

    struct Case {
        std::string line;
        bool board;
        const char* upper;
        const char* lower;
    };
    const Case cases[] = {
        {"1    AB\xF8l\r\n", true, "    AB", "\xC3\xB8l"},  // ø in CP1252 is 0xF8
        {"1      \r\n", true, "      ", ""},
        {"abcdefgh\r\n", false, "abcdef", "gh"},
        {"/abcdef/x\r\n", false, "/abcde", "f/x"},  // no command in PC text mode
    };
    for (const Case& c : cases) {
        Writes(clock, {c.line});
        EXPECT_EQ(c.board, clock.State().board.has_value()) << c.line;
        EXPECT_EQ(std::optional<std::string>(c.upper), clock.State().upper) << c.line;
        EXPECT_EQ(std::optional<std::string>(c.lower), clock.State().lower) << c.line;
    }

    done = Writes(clock, {"/PCEXIT/RBT"});
    EXPECT_EQ("scroll text removed", done[1].effect);
    EXPECT_FALSE(clock.State().pcSlave);
    EXPECT_FALSE(clock.State().upper);
}

TEST(ClockSimulator, FirmwareLoaderAcknowledgesCheckedRecordsAndRejectsChosenOnesOnce) {
    ClockSimulator clock("SIM0001", LoaderOptions{{2}, {4}});
    std::string r1 = Record(0x4000, 16), r2 = Record(0x4010, 16), r3 = Record(0x4020, 7);
    std::string r4 = Record(0x4027, 16), r5 = Record(0xEF00, 16);
    std::string bad = r5;
    bad[bad.size() - 1] = bad.back() == '0' ? '1' : '0';

    auto done = Writes(clock, {"/ERASEFLASH\r\n", "/RE7D2C9\n", "3857\n", r1 + "\n", r2 + "\n"});
    EXPECT_EQ((std::vector<std::string>{"", "", "", "+", "-"}), Replies(done));
    EXPECT_EQ("loader open, awaiting records", done[2].effect);
    // The repeat comes without "\n", directly followed by the next record,
    // which arrives in pieces.
    done = Writes(
        clock, {r2, r3.substr(0, 5), r3.substr(5) + "\n" + r4.substr(0, 20), r4.substr(20) + "\n"});
    EXPECT_EQ((std::vector<std::string>{r2, r3 + "\n", r4 + "\n"}), Texts(done));
    EXPECT_EQ((std::vector<std::string>{"+", "+", ""}), Replies(done));  // r4: silent once
    EXPECT_NE(std::string::npos, done[0].effect.find("record 2 written")) << done[0].effect;

    // The tool's timeout commands come between records; the loader stays open.
    done = Writes(clock,
                  {"/PUREND\r\n", "/ERASELIST\r\n", bad + "\n", bad, r5 + "\n", ":00000001FF\n"});
    EXPECT_EQ((std::vector<std::string>{"", "", "-", "-", "+", "+"}), Replies(done));
    EXPECT_NE(std::string::npos, done[2].effect.find("bad checksum")) << done[2].effect;
    EXPECT_NE(std::string::npos, done[4].effect.find("record 6 written")) << done[4].effect;
    EXPECT_EQ((std::vector<std::string>{"firmware received: 5 records, 55 data bytes",
                                        "address ranges: 4000-4026 EF00-EF0F",
                                        "3 answered \"-\", 1 not answered"}),
              done[5].details);

    // Locked again: a record now gets no answer.
    done = Writes(clock, {r1 + "\n"});
    EXPECT_EQ("", done[0].reply);
}

TEST(ClockSimulator, FirmwareLoaderOpensOnlyAfterEraseAndBothCodesInOrder) {
    struct Case {
        std::vector<std::string> opening;
        const char* reply;
    };
    const Case cases[] = {
        {{"/ERASEFLASH\r\n", "/RE7D2C9\n", "3857\n"}, "+"},
        {{"/RE7D2C9\n", "3857\n"}, ""},
        {{"/ERASEFLASH\r\n", "3857\n"}, ""},
        {{"/ERASEFLASH\r\n", "/RE7D2C9\n", "3858\n"}, ""},
        {{"/ERASEFLASH\r\n", "/RE7D2C9\n", "/PUREND\r\n", "3857\n"}, "+"},
    };
    for (const Case& c : cases) {
        ClockSimulator clock;
        Writes(clock, c.opening);
        auto done = Writes(clock, {Record(0x4000, 16) + "\n"});
        ASSERT_EQ(1u, done.size());
        EXPECT_EQ(c.reply, done[0].reply) << c.opening.size() << " " << c.opening.back();
    }
}

TEST(ClockSimulator, DamagedRecordIsRefusedWithoutSwallowingTheNext) {
    ClockSimulator clock;
    Writes(clock, {"/ERASEFLASH\r\n/RE7D2C9\n3857\n"});
    std::string good = Record(0x4000, 16);
    auto done = Writes(clock, {good.substr(0, 20) + good + "\n", ":zz\n", ":10\n", good + "\r\n"});
    EXPECT_EQ((std::vector<std::string>{good.substr(0, 20), good + "\n", ":zz\n", ":10\n",
                                        good + "\r\n"}),
              Texts(done));
    EXPECT_EQ((std::vector<std::string>{"-", "+", "-", "-", "+"}), Replies(done));
    EXPECT_FALSE(clock.HasPending());
}

TEST(ClockSimulator, HowTheBytesAreSplitIntoReadsChangesNothing) {
    std::string session =
        "/DM1/SND0/S100/SI030/SS100000/SC101500/ID/DM4/MAKEC/CF0001/CT0050"
        "/CS100000/CI030/CP1/CLASSAVE/CE/SND1/S101/DM4/ERASELIST\r\n/EON\r\n"
        "/SGATE012\r\n/RECVLIST\r\n1;10:20:00;12;\r\n2,10:20:30,1\r\n"
        "/PUREND\r\n/DM6\r\n/SC101500/PCEXIT/EOFF/PCSLAVE1abcdef\xE6\xF8\xE5\r\n"
        "/PCEXIT/ERASEFLASH\r\n/RE7D2C9\n3857\n";
    std::string r1 = Record(0x4000, 16), r2 = Record(0x4010, 3);
    session += r1 + "\n" + r1 + r2 + "\n:00000001FF\n/ID";

    auto run = [&](const std::vector<std::size_t>& cuts) {
        ClockSimulator clock("SIM0001", LoaderOptions{{1}, {}});
        std::vector<HandledCommand> done;
        std::size_t from = 0;
        for (std::size_t to : cuts) {
            for (auto& d : clock.Feed(session.substr(from, to - from), kTen)) {
                done.push_back(std::move(d));
            }
            from = to;
        }
        EXPECT_FALSE(clock.HasPending());
        EXPECT_TRUE(clock.State().classes.empty());  // the flash erase took it
        EXPECT_EQ(19, clock.State().loader.dataBytes());
        // A record is answered as soon as its bytes are in, so a "\n" that
        // comes in the next read is not shown with it.
        auto texts = Texts(done);
        for (auto& t : texts) {
            if (t[0] == ':' && t.back() == '\n') {
                t.pop_back();
            }
        }
        return std::make_pair(texts, Replies(done));
    };
    auto whole = run({session.size()});
    ASSERT_EQ(41u, whole.first.size());
    EXPECT_EQ("1abcdef\xE6\xF8\xE5\r\n", whole.first[31]);
    EXPECT_EQ(r1, whole.first[36]);
    EXPECT_EQ(r1, whole.first[37]);  // the repeat, directly followed by the next record
    EXPECT_EQ((std::vector<std::string>{"-", "+", "+", "+", "Startklokke SIM0001\r\n"}),
              std::vector<std::string>(whole.second.begin() + 36, whole.second.end()));

    std::mt19937 random(20261211);
    for (int round = 0; round < 200; ++round) {
        std::vector<std::size_t> cuts;
        for (std::size_t at = 0; at < session.size();) {
            at = std::min(session.size(), at + 1 + random() % 12);
            cuts.push_back(at);
        }
        auto split = run(cuts);
        ASSERT_EQ(whole.first.size(), split.first.size()) << "round " << round;
        for (std::size_t i = 0; i < whole.first.size(); ++i) {
            ASSERT_EQ(whole.first[i], split.first[i]) << "round " << round << ", command " << i;
            ASSERT_EQ(whole.second[i], split.second[i]) << "round " << round << ", command " << i;
        }
    }
}

TEST(ClockSimulator, TextThatNeverEndsIsCutInsteadOfHeldWithoutBound) {
    for (std::string_view start : {"x", "/CP", ":zz", "/SGATE0"}) {
        ClockSimulator clock;
        std::size_t handled = clock.Feed(start, kTen).size();
        for (int i = 0; i < 100; ++i) {
            handled += clock.Feed(std::string(500, 'y'), kTen).size();
        }
        EXPECT_LT(0u, handled) << start;
        auto done = clock.Feed("\n/ID", kTen);
        ASSERT_FALSE(done.empty());
        EXPECT_EQ("/ID", done.back().text);
    }
}

TEST(ClockSimulator, UnfinishedLineWaitsForItsEndInsteadOfBeingCutOnAQuietLine) {
    ClockSimulator clock;
    Writes(clock, {"/RECVLIST\r\n"});
    EXPECT_TRUE(clock.Feed("1;13:0", kTen).empty());
    EXPECT_FALSE(clock.WantsFlush());
    EXPECT_TRUE(clock.Flush(kTen).empty());
    auto done = clock.Feed("2:08;1;\r\n", kTen);
    ASSERT_EQ(1u, done.size());
    EXPECT_EQ("1;13:02:08;1;\r\n", done[0].text);
    EXPECT_EQ(1u, clock.State().list.size());
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

TEST_F(SimProcess, LoadsFirmwareWithARejectedRecordAndTakesAListLineThatPausesMidway) {
    Start({"--reject-record", "1"});
    std::string r1 = Record(0x4000, 16);
    Write("/ERASEFLASH\r\n");
    Write("/RE7D2C9\n");
    Write("3857\n");
    Write(r1 + "\n");
    EXPECT_EQ("-", Read("-"));
    Write(r1);  // the repeat, without "\n"
    EXPECT_EQ("+", Read("+"));
    Write(":00000001FF\n");
    EXPECT_EQ("+", Read("+"));

    Write("/RECVLIST\r\n");
    for (char c : std::string("1;13:0")) {
        Write(std::string(1, c));
    }
    // Longer than the quiet time that completes a command's argument.
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    for (char c : std::string("2:08;1;")) {
        Write(std::string(1, c));
    }
    Write("\r\n");
    Write("/PUREND\r\n");
    Write("/SC130000/DM4/SHOWLIST/ID");
    EXPECT_NE(std::string::npos, Read("\r\n").find("Start"));
    ::kill(pid_, SIGTERM);
    EXPECT_EQ(0, WaitExit());
    std::string out = Output();
    for (const char* expected :
         {"record 1 refused once", "record 1 written at 4000, 16 bytes",
          "firmware received: 2 records, 16 data bytes", "address ranges: 4000-400F",
          "1 answered \"-\", 0 not answered", "answered -", "answered +",
          "list entry 1: nr 1 at 13:02:08 corridor 1", "next 1 at 13:02:08",
          "    nr 1 at 13:02:08 corridor 1\n"}) {
        EXPECT_NE(std::string::npos, out.find(expected)) << expected << " in\n" << out;
    }
    EXPECT_EQ(std::string::npos, out.find("not understood")) << out;
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
