#include "spreadsheet/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace sk {
namespace {

double at(int h, int m, double s) {
    return (h * 3600 + m * 60 + s) / 86400.0;
}

struct FormatCase {
    const char* format;
    double value;
    const char* expected;
};

void PrintTo(const FormatCase& c, std::ostream* os) {
    *os << '"' << c.format << "\" " << c.value;
}

class GeneralNumbers : public ::testing::TestWithParam<FormatCase> {};

TEST_P(GeneralNumbers, ShowAsTheSpreadsheetDoes) {
    const auto& c = GetParam();
    EXPECT_EQ(std::string(c.expected), formatNumber(c.value, c.format, {}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GeneralNumbers,
    ::testing::Values(FormatCase{"General", 1, "1"}, FormatCase{"General", 0, "0"},
                      FormatCase{"General", -3, "-3"}, FormatCase{"General", 0.5, "0.5"},
                      FormatCase{"General", 1234.5, "1234.5"},
                      // 15 significant digits hide binary noise
                      FormatCase{"General", 0.1 + 0.2, "0.3"},
                      FormatCase{"General", 123456789012.0, "123456789012"},
                      FormatCase{"General", 0.000025, "0.000025"},
                      FormatCase{"General", 1e20, "1E+20"}, FormatCase{"General", 1e-10, "1E-10"},
                      FormatCase{"", 7, "7"}, FormatCase{"general", 2.25, "2.25"}));

class NumberFormats : public ::testing::TestWithParam<FormatCase> {};

TEST_P(NumberFormats, RenderPlaceholdersAndLiterals) {
    const auto& c = GetParam();
    EXPECT_EQ(std::string(c.expected), formatNumber(c.value, c.format, {}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NumberFormats,
    ::testing::Values(
        FormatCase{"0", 2.5, "3"}, FormatCase{"0", -2.5, "-3"}, FormatCase{"0", -0.2, "0"},
        // decimal rounding of the shown digits, not of the binary value
        FormatCase{"0.00", 2.675, "2.68"}, FormatCase{"0.00", 1, "1.00"},
        FormatCase{"#,##0", 1234567, "1,234,567"}, FormatCase{"#,##0.00", -1234.5, "-1,234.50"},
        FormatCase{"#,##0", 12, "12"}, FormatCase{"0%", 0.125, "13%"},
        FormatCase{"0.00%", 0.125, "12.50%"}, FormatCase{"0.00E+00", 12345, "1.23E+04"},
        FormatCase{"0.00E+00", 0.00012345, "1.23E-04"}, FormatCase{"##0.0E+0", 12345, "12.3E+3"},
        FormatCase{"000-00-0000", 123456789, "123-45-6789"}, FormatCase{"00000", 42, "00042"},
        FormatCase{"#,##0_);(#,##0)", -5, "(5)"}, FormatCase{"#,##0_);(#,##0)", 5, "5 "},
        FormatCase{"0.0##", 1.5, "1.5"}, FormatCase{"0.0##", 1.23456, "1.235"},
        FormatCase{"#", 0, ""}, FormatCase{"\"kr \"0", 5, "kr 5"},
        FormatCase{"0\\ \\k\\m", 12, "12 km"}, FormatCase{"[Red]0;[Blue]-0", -4, "-4"},
        FormatCase{"[$kr-414] #,##0", 1500, "kr 1,500"}, FormatCase{"0,,", 1234567890, "1235"},
        FormatCase{"0;-0;\"zero\"", 0, "zero"}, FormatCase{";;;", 5, ""},
        FormatCase{"# ?/?", 1.5, "1.5"}, FormatCase{".00", 12.5, "12.50"},
        FormatCase{"General\" stk\"", 3, "3 stk"}, FormatCase{"@", 3, "3"},
        FormatCase{"@", -2.5, "-2.5"}));

class TimesAndDates : public ::testing::TestWithParam<FormatCase> {};

TEST_P(TimesAndDates, RoundToTheShownUnit) {
    const auto& c = GetParam();
    EXPECT_EQ(std::string(c.expected), formatNumber(c.value, c.format, {':', false}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TimesAndDates,
    ::testing::Values(
        FormatCase{"hh:mm:ss", 0.543148148148148, "13:02:08"},
        FormatCase{"hh:mm:ss", at(13, 2, 7.6), "13:02:08"},
        FormatCase{"hh:mm:ss", at(13, 2, 7.4), "13:02:07"},
        FormatCase{"hh:mm", at(13, 2, 8), "13:02"}, FormatCase{"hh:mm", at(13, 2, 59.6), "13:03"},
        FormatCase{"h:mm", at(9, 5, 0), "9:05"},
        FormatCase{"hh:mm:ss", at(23, 59, 59.7), "00:00:00"},
        FormatCase{"h:mm:ss AM/PM", 0.75, "6:00:00 PM"}, FormatCase{"h:mm AM/PM", 0, "12:00 AM"},
        FormatCase{"h:mm a/p", 0.5, "12:00 p"}, FormatCase{"mm:ss.0", at(0, 2, 7.66), "02:07.7"},
        FormatCase{"[h]:mm:ss", 1.5, "36:00:00"}, FormatCase{"[mm]:ss", at(1, 2, 3), "62:03"},
        FormatCase{"h \"h\" mm \"min\"", 0.5, "12 h 00 min"},
        FormatCase{"m/d/yyyy", 45000, "3/15/2023"}, FormatCase{"d-mmm-yy", 45000, "15-Mar-23"},
        FormatCase{"dddd d. mmmm yyyy", 45000, "Wednesday 15. March 2023"},
        FormatCase{"ddd mmmmm", 45000, "Wed M"},
        FormatCase{"dd.mm.yyyy hh:mm", 45000.75, "15.03.2023 18:00"},
        FormatCase{"yyyy-mm-dd", 1, "1900-01-01"}, FormatCase{"yyyy-mm-dd", 59, "1900-02-28"},
        FormatCase{"yyyy-mm-dd", 60, "1900-02-29"}, FormatCase{"yyyy-mm-dd", 61, "1900-03-01"},
        FormatCase{"yyyy-mm-dd", 0, "1900-01-00"},
        FormatCase{"yyyy-mm-dd hh:mm", 1.9999999, "1900-01-02 00:00"},
        // outside the calendar a date shows as a number
        FormatCase{"yyyy-mm-dd", -1, "-1"}, FormatCase{"yyyy-mm-dd", 2958466, "2958466"}));

TEST(TimesAndDates, UseTheGivenTimeSeparator) {
    NumberFormatOptions dots{'.', false};
    EXPECT_EQ("13.02.08", formatNumber(at(13, 2, 8), "hh:mm:ss", dots));
    EXPECT_EQ("13.02", formatNumber(at(13, 2, 8), builtInNumberFormat(20), dots));
    // only time formats take it
    EXPECT_EQ("1:2", formatNumber(1, "0\\:\\2", dots));
}

TEST(TimesAndDates, CountFromNineteenOFourInThatSystem) {
    NumberFormatOptions d1904{':', true};
    EXPECT_EQ("1904-01-01", formatNumber(0, "yyyy-mm-dd", d1904));
    EXPECT_EQ("Friday", formatNumber(0, "dddd", d1904));
    EXPECT_EQ("2023-03-15", formatNumber(45000 - 1462, "yyyy-mm-dd", d1904));
}

TEST(BuiltInFormats, CoverTheTimeAndDateIds) {
    EXPECT_EQ("General", builtInNumberFormat(0));
    EXPECT_EQ("h:mm", builtInNumberFormat(20));
    EXPECT_EQ("h:mm:ss", builtInNumberFormat(21));
    EXPECT_EQ("General", builtInNumberFormat(164));
    EXPECT_EQ("13:02:08", formatNumber(at(13, 2, 8), builtInNumberFormat(21), {}));
    EXPECT_EQ("3/15/2023", formatNumber(45000, builtInNumberFormat(14), {}));
    EXPECT_EQ("02:08", formatNumber(at(13, 2, 8), builtInNumberFormat(45), {}));
    EXPECT_EQ("37:02:08", formatNumber(1 + at(13, 2, 8), builtInNumberFormat(46), {}));
    for (int id = 0; id < 60; ++id) {
        // every built-in code renders without trouble
        EXPECT_FALSE(formatNumber(-1234.5, builtInNumberFormat(id), {}).empty()) << id;
    }
}

TEST(NumberFormats, StayBoundedForHostileCodes) {
    std::string longCode(100000, '0');
    EXPECT_GE(300u, formatNumber(1, longCode, {}).size());
    EXPECT_EQ("#NUM!", formatNumber(std::numeric_limits<double>::infinity(), "0", {}));
    EXPECT_EQ("#NUM!", formatGeneral(std::nan("")));
    EXPECT_FALSE(formatNumber(1e308, "0.00", {}).empty());
    formatNumber(1, "\"\"\"", {});
    formatNumber(5, "[", {});
    formatNumber(5, "\\", {});
    formatNumber(5, "_", {});
    formatNumber(1e300, "0.00E+00", {});
    formatNumber(1e300, "[h]:mm", {});
}

}  // namespace
}  // namespace sk
