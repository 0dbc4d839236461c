#include "support/conversion.h"

#include <gtest/gtest.h>

#include "support/cp1252.h"

namespace sk {
namespace {

struct TimeCase {
    const char* text;
    bool ok;
    TimeOfDay value;
};

class TimeParse : public ::testing::TestWithParam<TimeCase> {};

TEST_P(TimeParse, ReadsHoursMinutesAndOptionalSeconds) {
    const auto& c = GetParam();
    auto t = parseTimeOfDay(c.text, ':');
    ASSERT_EQ(c.ok, t.has_value()) << c.text;
    if (c.ok) {
        EXPECT_EQ(c.value, *t) << c.text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TimeParse,
    ::testing::Values(TimeCase{"10:00:00", true, {10, 0, 0}}, TimeCase{"10:00", true, {10, 0, 0}},
                      TimeCase{" 9:5:7 ", true, {9, 5, 7}},
                      TimeCase{"23:59:59", true, {23, 59, 59}},
                      TimeCase{"00:00:00", true, {0, 0, 0}}, TimeCase{"25:00", false, {}},
                      TimeCase{"10:60", false, {}}, TimeCase{"10:00:60", false, {}},
                      TimeCase{"10", false, {}}, TimeCase{"", false, {}},
                      TimeCase{"10:00:00x", false, {}}, TimeCase{"10.00.00", false, {}},
                      TimeCase{"100:00", false, {}}));

TEST(TimeParse, UsesTheRegionalSeparator) {
    EXPECT_EQ((TimeOfDay{13, 2, 8}), parseTimeOfDay("13.02.08", '.'));
    EXPECT_FALSE(parseTimeOfDay("13:02:08", '.'));
}

TEST(TimeParse, ErrorTextsNameTheEnteredText) {
    try {
        StrToTime("25:00", ':');
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_STREQ("'25:00' is not a valid time", e.what());
    }
    try {
        StrToDateTime("abc", ':');
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_STREQ("'abc' is not a valid date and time", e.what());
    }
}

TEST(TimeFormat, IsSixDigits) {
    EXPECT_EQ("000000", FormatHHMMSS({0, 0, 0}));
    EXPECT_EQ("235959", FormatHHMMSS({23, 59, 59}));
    EXPECT_EQ("101500", FormatHHMMSS({10, 15, 0}));
}

struct IntCase {
    const char* text;
    bool ok;
    std::int32_t value;
};

class WholeNumber : public ::testing::TestWithParam<IntCase> {};

TEST_P(WholeNumber, ReadsLikeTheOperatorExpects) {
    const auto& c = GetParam();
    auto v = parseWholeNumber(c.text);
    ASSERT_EQ(c.ok, v.has_value()) << c.text;
    if (c.ok) {
        EXPECT_EQ(c.value, *v) << c.text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WholeNumber,
    ::testing::Values(IntCase{"1", true, 1}, IntCase{"  42", true, 42}, IntCase{"-5", true, -5},
                      IntCase{"+7", true, 7}, IntCase{"$1F", true, 31}, IntCase{"0x10", true, 16},
                      IntCase{"-$10", true, -16}, IntCase{"2147483647", true, 2147483647},
                      IntCase{"-2147483648", true, INT32_MIN}, IntCase{"$FFFFFFFF", true, -1},
                      IntCase{"2147483648", false, 0}, IntCase{"12 ", false, 0},
                      IntCase{" ", false, 0}, IntCase{"", false, 0}, IntCase{"1a", false, 0},
                      IntCase{"$", false, 0}, IntCase{"-", false, 0}, IntCase{"1.0", false, 0},
                      IntCase{"$100000000", false, 0}));

TEST(WholeNumber, ErrorTextNamesTheCell) {
    try {
        StrToInt(" ");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_STREQ("' ' is not a valid integer value", e.what());
    }
}

TEST(Cp1252, NorwegianLettersAreSingleBytes) {
    EXPECT_EQ("\xE6\xF8\xE5\xC6\xD8\xC5", utf8ToCp1252("æøåÆØÅ"));
    EXPECT_EQ("Første", cp1252ToUtf8("F\xF8rste"));
}

TEST(Cp1252, RoundTripsEveryByteAndReplacesTheUnknown) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    EXPECT_EQ(all, utf8ToCp1252(cp1252ToUtf8(all)));
    EXPECT_EQ("\x80", utf8ToCp1252("€"));
    EXPECT_EQ("a?b", utf8ToCp1252("a\xE4\xB8\xAD"
                                  "b"));     // a CJK letter
    EXPECT_EQ("?x", utf8ToCp1252("\xC3x"));  // cut sequence
}

}  // namespace
}  // namespace sk
