// The window as the operator sees it: colours, bands, column widths, the
// bottom bar on resize, hints, and that every text fits and nothing overlaps
// at the design size in both languages.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "fake_clock_host.h"
#include "recording_message_boxes.h"
#include "recording_pacer.h"
#include "ui/form1.h"
#include "ui/language_table.h"
#include "ui/window_fonts.h"
#include "ui_form1.h"
#include "ui_test_main.h"

namespace sk {
namespace {

// The width a control's text needs to show whole; 0 for controls that
// wrap or hold no caption. A flat button needs its icon and text, not the
// style's full margins.
int textWidth(QWidget* w) {
    if (w->objectName().isEmpty()) {
        return 0;
    }
    if (auto* label = qobject_cast<QLabel*>(w)) {
        return label->wordWrap() ? 0 : label->sizeHint().width();
    }
    if (auto* tool = qobject_cast<QToolButton*>(w)) {
        const int icon = tool->icon().isNull() ? 0 : tool->iconSize().width() + 4;
        return tool->text().isEmpty() ? 0
                                      : icon + tool->fontMetrics().horizontalAdvance(tool->text());
    }
    if (qobject_cast<QAbstractButton*>(w) != nullptr) {
        return w->sizeHint().width();
    }
    return 0;
}

class WindowLook : public ::testing::Test {
  protected:
    void SetUp() override {
        test::uiApp();
        SwitchLanguage(0);
        form = std::make_unique<TForm1>(FormServices{&pacer, &ports, &boxes});
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        ASSERT_TRUE(QTest::qWaitFor([this] { return form->activationCount() >= 1; }));
    }
    void TearDown() override {
        form.reset();
        SwitchLanguage(0);
        QApplication::processEvents();
    }

    Ui::Form1& ui() { return form->ui(); }
    QWidget* const* pages() {
        static QWidget* list[7];
        QWidget* all[] = {ui().TabSheet1, ui().TabSheet2, ui().TabSheet3, ui().TabSheet4,
                          ui().TabSheet5, ui().TabSheet6, ui().TabSheet7};
        std::copy(std::begin(all), std::end(all), list);
        return list;
    }
    void settle() {
        QTest::qWait(30);  // resizes and new items are laid out by events
    }

    test::RecordingPacer pacer;
    test::FakePortEnumerator ports;
    test::RecordingMessageBoxes boxes;
    std::unique_ptr<TForm1> form;
};

TEST_F(WindowLook, BandsAndBackgroundsHaveTheirColours) {
    EXPECT_EQ(kSkyBlue, form->palette().color(QPalette::Window));
    EXPECT_EQ(kBandBlue, ui().Panel22->palette().color(QPalette::Window));
    EXPECT_EQ(41, ui().Panel22->height());
    struct Band {
        QLabel* label;
        int pixelSize;
        int height;
    };
    const Band bands[] = {
        {ui().Label22, 19, 24}, {ui().Label49, 19, -1}, {ui().Label34, 19, 24},
        {ui().Label35, 13, 16}, {ui().Label9, 19, -1},  {ui().Label30, 19, 24},
        {ui().Label29, 13, 16}, {ui().Label32, 19, 24}, {ui().Label14, 19, 24},
    };
    for (const Band& band : bands) {
        const std::string name = band.label->objectName().toStdString();
        EXPECT_EQ(kBandBlue, band.label->palette().color(QPalette::Window)) << name;
        EXPECT_TRUE(band.label->autoFillBackground()) << name;
        EXPECT_TRUE(band.label->font().bold()) << name;
        EXPECT_EQ(band.pixelSize, band.label->font().pixelSize()) << name;
        if (band.height > 0) {
            EXPECT_EQ(band.height, band.label->height()) << name;
        }
    }
    EXPECT_EQ(32, ui().Panel31->height());
    EXPECT_EQ(33, ui().Panel11->height());
    EXPECT_EQ(41, ui().Panel8->height());
    EXPECT_EQ(kSkyBlue, ui().Panel8->palette().color(QPalette::Window));
}

TEST_F(WindowLook, TaskColumnsHaveTheirWidths) {
    const std::pair<QWidget*, int> columns[] = {
        {ui().Panel28, 145}, {ui().Panel34, 168}, {ui().Panel14, 168}, {ui().Panel10, 168},
        {ui().Panel15, 168}, {ui().Panel12, 193}, {ui().Panel26, 161},
    };
    for (const auto& [column, width] : columns) {
        // The mode column may only grow, where its names need it.
        if (column == ui().Panel34) {
            EXPECT_LE(width, column->width());
        } else {
            EXPECT_EQ(width, column->width()) << column->objectName().toStdString();
        }
    }
    EXPECT_EQ(121, ui().Panel24->height());
}

TEST_F(WindowLook, OnlyTheFirstFourStartButtonsHaveHints) {
    for (QAbstractButton* b : {ui().Button21, ui().Button22, ui().btjakt, ui().Button24}) {
        EXPECT_FALSE(b->toolTip().isEmpty()) << b->objectName().toStdString();
    }
    for (QAbstractButton* b : {ui().Button4, ui().Button10, ui().btAvansert}) {
        EXPECT_TRUE(b->toolTip().isEmpty()) << b->objectName().toStdString();
    }
    EXPECT_EQ("Send ", ui().Button24->toolTip());
}

TEST_F(WindowLook, BottomBarButtonsKeepToTheRightAndTheStatusToTheLeft) {
    auto fromRight = [this](QWidget* w) { return ui().Panel22->width() - w->geometry().right(); };
    QWidget* const right[] = {ui().Button25, ui().Button26, ui().Button14, ui().Button13};
    std::vector<int> atDesign;
    for (QWidget* w : right) {
        atDesign.push_back(fromRight(w));
    }
    const int statusX = ui().lbserial->x();
    EXPECT_EQ(QSize(35, 25), ui().Button25->size());
    EXPECT_EQ(QSize(35, 25), ui().Button26->size());
    EXPECT_EQ(QSize(113, 25), ui().Button14->size());
    EXPECT_EQ(QSize(113, 25), ui().Button13->size());
    EXPECT_TRUE(ui().Button25->text().isEmpty());
    EXPECT_TRUE(ui().Button26->text().isEmpty());

    for (int extra : {150, 500}) {
        form->resize(751 + extra, 440 + extra / 2);
        settle();
        for (std::size_t n = 0; n < std::size(right); ++n) {
            EXPECT_EQ(atDesign[n], fromRight(right[n])) << right[n]->objectName().toStdString();
        }
        EXPECT_EQ(statusX, ui().lbserial->x());
        EXPECT_EQ(ui().Panel22->height(), 41);
        EXPECT_EQ(form->height() - 41, ui().Panel22->y());
    }
}

// Everything the operator can see fits: no label or button cuts its text
// and no two visible controls side by side overlap, in either language.
TEST_F(WindowLook, NothingIsCutOrOverlapsAtTheDesignSize) {
    for (QAbstractButton* flag : {ui().Button25, ui().Button26}) {
        flag->click();
        const std::string language = flag == ui().Button25 ? "no: " : "en: ";
        for (int p = 0; p < 7; ++p) {
            QWidget* page = pages()[p];
            ui().PageControl1->setCurrentWidget(page);
            settle();
            for (QWidget* w : page->findChildren<QWidget*>()) {
                if (!w->isVisible() || w->visibleRegion().isEmpty()) {
                    continue;  // out of sight by design
                }
                const std::string name = language + w->objectName().toStdString();
                EXPECT_LE(textWidth(w), w->width()) << name;
                if (w->objectName().isEmpty() || w->objectName().startsWith("qt_")) {
                    continue;
                }
                for (QObject* o : w->parentWidget()->children()) {
                    auto* other = qobject_cast<QWidget*>(o);
                    if (other == nullptr || other <= w || !other->isVisible() ||
                        other->objectName().isEmpty() || other->visibleRegion().isEmpty()) {
                        continue;
                    }
                    EXPECT_FALSE(w->geometry().intersects(other->geometry()))
                        << name << " and " << other->objectName().toStdString();
                }
            }
        }
    }
}

}  // namespace
}  // namespace sk
