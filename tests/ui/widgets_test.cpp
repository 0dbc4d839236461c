// The window's own widgets and the error box rule.
#include <gtest/gtest.h>

#include <QDir>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <stdexcept>

#include "recording_message_boxes.h"
#include "support/conversion.h"
#include "ui/clock_display.h"
#include "ui/file_edit.h"
#include "ui/led_label.h"
#include "ui/message_boxes.h"
#include "ui/radio_group.h"
#include "ui/time_edit.h"
#include "ui_test_main.h"

namespace sk {
namespace {

class WidgetsTest : public ::testing::Test {
  protected:
    void SetUp() override { test::uiApp(); }
};

// --- TimeEdit

TEST_F(WidgetsTest, TimeEditOpensAtTenOClock) {
    TimeEdit edit;
    EXPECT_EQ(QStringLiteral("10:00:00"), edit.timeText());
}

TEST_F(WidgetsTest, TimeEditShowsAClearedDigitAsZeroAndYieldsIt) {
    TimeEdit edit;
    edit.show();
    edit.setFocus();
    edit.setTimeText(QStringLiteral("12:34:56"));
    // Clear the last two digits: they read as zeros, not as missing text.
    edit.setCursorPosition(8);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(QStringLiteral("12:34:00"), edit.timeText());
    // Typed zeros survive too (a blank of "0" must not swallow them).
    edit.setTimeText(QStringLiteral("00:00:00"));
    EXPECT_EQ(QStringLiteral("00:00:00"), edit.timeText());
}

TEST_F(WidgetsTest, TimeEditYieldsTextThatTheTasksRejectWhenOutOfRange) {
    TimeEdit edit;
    edit.setTimeText(QStringLiteral("25:61:00"));
    EXPECT_EQ(QStringLiteral("25:61:00"), edit.timeText());
    EXPECT_THROW(StrToDateTime(edit.timeText().toStdString(), ':'), EConvertError);
}

TEST_F(WidgetsTest, TimeEditWithoutZeroForEmptyShowsBlanks) {
    TimeEdit edit;
    edit.setZeroForEmpty(false);
    EXPECT_EQ(QStringLiteral("10:00:00"), edit.timeText());
    edit.setTimeText(QStringLiteral("1"));
    EXPECT_EQ(QStringLiteral("1 :  :  "), edit.timeText());
}

// --- ClockDisplay

TEST_F(WidgetsTest, ClockDisplayShowsTimeOfDayWithLeadingZeros) {
    ClockDisplay display;
    display.setTimeSource([] { return QTime(7, 5, 3, 999); });
    EXPECT_EQ(QStringLiteral("07:05:03"), display.text());
    display.setTimeSource([] { return QTime(23, 59, 59); });
    EXPECT_EQ(QStringLiteral("23:59:59"), display.text());
}

TEST_F(WidgetsTest, ClockDisplayTicksOnlyWhileVisible) {
    ClockDisplay display;
    EXPECT_FALSE(display.ticking());
    display.show();
    EXPECT_TRUE(display.ticking());
    int calls = 0;
    display.setTimeSource([&calls] {
        ++calls;
        return QTime(1, 2, 3);
    });
    calls = 0;
    // Two redraw periods: at least one redraw asked the time again.
    QTest::qWait(2 * ClockDisplay::kRedrawMs + 100);
    EXPECT_LE(1, calls);
    display.hide();
    EXPECT_FALSE(display.ticking());
}

// --- LedLabel

TEST_F(WidgetsTest, LedLabelGivesEachPreviewLetterItsOwnGlyph) {
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");
    QSet<std::uint16_t> seen;
    for (QChar c : letters) {
        const std::uint16_t segments = LedLabel::segmentsFor(c);
        EXPECT_NE(0, segments) << QString(c).toStdString();
        EXPECT_EQ(segments, LedLabel::segmentsFor(c.toLower())) << QString(c).toStdString();
        seen.insert(segments);
    }
    // "O" and "0" differ by the diagonal; every other glyph is distinct.
    EXPECT_EQ(letters.size(), seen.size());
    EXPECT_EQ(0, LedLabel::segmentsFor(QChar(u' ')));
    EXPECT_EQ(0, LedLabel::segmentsFor(QChar(u'#')));
}

TEST_F(WidgetsTest, LedLabelPaintsLitSegmentsYellowOnDark) {
    LedLabel led;
    led.resize(180, 48);
    EXPECT_EQ(QStringLiteral("ABCDEF"), led.text());
    const QImage image = led.grab().toImage();
    int yellow = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 200 && c.green() > 200 && c.blue() < 80) {
                ++yellow;
            }
        }
    }
    EXPECT_LT(200, yellow);
    led.setText(QStringLiteral("      "));
    const QImage blank = led.grab().toImage();
    bool anyYellow = false;
    for (int y = 0; y < blank.height() && !anyYellow; ++y) {
        for (int x = 0; x < blank.width(); ++x) {
            const QColor c = blank.pixelColor(x, y);
            anyYellow = anyYellow || (c.red() > 200 && c.green() > 200 && c.blue() < 80);
        }
    }
    EXPECT_FALSE(anyYellow);
}

// --- FileEdit

TEST_F(WidgetsTest, FileEditPutsTheChosenFullPathIntoTheField) {
    FileEdit edit;
    QString offered;
    edit.setChooser([&offered](const QString& current) {
        offered = current;
        return QStringLiteral("/tmp/lister/jakt.txt");
    });
    edit.setText(QStringLiteral("gammel.txt"));
    edit.browseButton()->click();
    EXPECT_EQ(QStringLiteral("gammel.txt"), offered);
    EXPECT_EQ(QStringLiteral("/tmp/lister/jakt.txt"), edit.text());
}

TEST_F(WidgetsTest, FileEditKeepsItsTextWhenTheDialogIsCancelled) {
    FileEdit edit;
    edit.setChooser([](const QString&) { return QString(); });
    edit.setText(QStringLiteral("/data/liste.txt"));
    edit.browse();
    EXPECT_EQ(QStringLiteral("/data/liste.txt"), edit.text());
}

// --- RadioGroup

TEST_F(WidgetsTest, RadioGroupTakesAnIndexSetBeforeItsItems) {
    RadioGroup group;
    group.setItemIndex(2);
    EXPECT_EQ(-1, group.itemIndex());
    group.setItems({"Kun tid", "Intervall", "Intervall med startnr"});
    EXPECT_EQ(2, group.itemIndex());
    EXPECT_TRUE(group.button(2)->isChecked());
}

TEST_F(WidgetsTest, RadioGroupFollowsClicksAndKeepsItsIndexOverNewItems) {
    RadioGroup group;
    group.setItems({"a", "b", "c", "d"});
    QSignalSpy spy(&group, &RadioGroup::itemIndexChanged);
    group.button(3)->click();
    EXPECT_EQ(3, group.itemIndex());
    ASSERT_EQ(1, spy.count());
    EXPECT_EQ(3, spy.at(0).at(0).toInt());
    group.setItems({"A", "B", "C", "D"});
    EXPECT_EQ(3, group.itemIndex());
    EXPECT_EQ((QStringList{"A", "B", "C", "D"}), group.items());
    group.setItemIndex(-1);
    EXPECT_EQ(-1, group.itemIndex());
}

// --- the error box

struct DotCase {
    const char* message;
    const char* shown;
};

class ErrorBoxTextTest : public ::testing::TestWithParam<DotCase> {};

TEST_P(ErrorBoxTextTest, AppendsAFullStopOnlyAfterCharactersSortingAfterIt) {
    test::uiApp();
    EXPECT_EQ(QString::fromUtf8(GetParam().shown), errorBoxText(GetParam().message));
}

INSTANTIATE_TEST_SUITE_P(
    Messages, ErrorBoxTextTest,
    ::testing::Values(
        DotCase{"Unable to open com port (win error code: 2)",
                "Unable to open com port (win error code: 2)"},
        DotCase{"Cannot set property while connected", "Cannot set property while connected."},
        DotCase{"Cannot open file C:\\Klasser.csv", "Cannot open file C:\\Klasser.csv."},
        DotCase{"'12:6x' is not a valid date and time", "'12:6x' is not a valid date and time."},
        DotCase{"ends with a stop.", "ends with a stop."},
        DotCase{"ends with a dash-", "ends with a dash-"},
        DotCase{"ends with a slash/", "ends with a slash/."},
        DotCase{"ends with a digit 7", "ends with a digit 7."}, DotCase{"", ""},
        // CP1252 "ø" (0xF8) sorts after "." as a byte.
        DotCase{"Feil i f\xF8", "Feil i fø."}));

TEST_F(WidgetsTest, GuardShowsTheErrorWithTheApplicationTitleAndGoesOn) {
    test::RecordingMessageBoxes boxes;
    EXPECT_FALSE(runGuarded(nullptr, boxes, [] { throw std::runtime_error("Port busy"); }));
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ(test::RecordingMessageBoxes::Box::Critical, boxes.boxes[0].kind);
    EXPECT_EQ(QStringLiteral("Tovik Vuzirirezir"), boxes.boxes[0].title);
    EXPECT_EQ(QStringLiteral("Port busy."), boxes.boxes[0].text);

    bool ran = false;
    EXPECT_TRUE(runGuarded(nullptr, boxes, [&ran] { ran = true; }));
    EXPECT_TRUE(ran);
    EXPECT_EQ(1u, boxes.boxes.size());
}

}  // namespace
}  // namespace sk
