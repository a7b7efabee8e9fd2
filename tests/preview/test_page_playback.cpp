// Record-by-record playback of prepared pages: text as recorded or spaced to
// the zoom, culling on the panel only, the highlighted hit, rotated fonts.
#include "preview/page_playback.h"

#include "platform/fonts.h"
#include "preview_fixtures.h"
#include "tests/support/fake_canvas.h"

#include <gtest/gtest.h>

#include <numbers>
#include <numeric>

namespace vx::preview {
namespace {

// The fake canvas measuring with the reference device's fonts.
test::FakeCanvas fontCanvas() {
    test::FakeCanvas canvas;
    canvas.realFonts = true;
    return canvas;
}

const QString kText = QStringLiteral("Totale imponibile: 1.234,56");

// An A4 page with one text record and three rectangles down the page.
emf::EmfPicture samplePage(std::vector<int>* recordedAdvances = nullptr) {
    return test::recordPicture(QSize(794, 1123), [&](Canvas& c) {
        c.setFont(FontSpec{});
        if (recordedAdvances)
            *recordedAdvances = c.charAdvances(kText);
        c.textOut(100, 50, kText);
        c.rectangle(QRect(100, 100, 50, 20));
        c.rectangle(QRect(100, 500, 50, 20));
        c.rectangle(QRect(100, 1000, 50, 20));
    });
}

PlaybackRequest requestAt(double zoom, bool onPanel = false, QRect clip = QRect()) {
    PlaybackRequest r;
    r.sx = r.sy = zoom / 100.0;
    const int w = roundEven(794 * r.sx);
    const int h = roundEven(1123 * r.sy);
    r.dest = EdgeRect{0, 0, w, h};
    r.onPanel = onPanel;
    r.clip = clip;
    return r;
}

TEST(PagePlayback, AdjustTextOnlyAboveSeventyFivePercentAndNotAtHundred) {
    EXPECT_FALSE(adjustTextFor(1.0, 1.0));
    EXPECT_FALSE(adjustTextFor(1.004, 0.996));
    EXPECT_TRUE(adjustTextFor(1.5, 1.5));
    EXPECT_FALSE(adjustTextFor(0.5, 0.5));
    EXPECT_FALSE(adjustTextFor(0.754, 0.75)); // 75 and 75: replayed as recorded
    EXPECT_TRUE(adjustTextFor(0.755, 0.5));   // 75.5 rounds to 76 (ties to even)
    EXPECT_TRUE(adjustTextFor(0.76, 0.5));
}

TEST(PagePlayback, AtHundredPercentTextIsReplayedAsRecorded) {
    std::vector<int> recorded;
    const emf::EmfPicture page = samplePage(&recorded);
    test::FakeCanvas spy = fontCanvas();
    playPage(spy, page, requestAt(100));
    ASSERT_EQ(spy.texts.size(), 1u);
    EXPECT_EQ(spy.texts[0].text, kText);
    EXPECT_EQ(spy.texts[0].advances, recorded);
    EXPECT_EQ(spy.texts[0].at, QPoint(100, 50));
    EXPECT_EQ(spy.texts[0].font.height, -13);
}

TEST(PagePlayback, AtFiftyPercentTextIsReplayedAsRecorded) {
    std::vector<int> recorded;
    const emf::EmfPicture page = samplePage(&recorded);
    test::FakeCanvas spy = fontCanvas();
    playPage(spy, page, requestAt(50));
    ASSERT_EQ(spy.texts.size(), 1u);
    EXPECT_EQ(spy.texts[0].advances, recorded);
    EXPECT_EQ(spy.texts[0].font.height, -13);         // the canvas's transform shrinks it
    EXPECT_NEAR(spy.texts[0].world.m11(), 0.5, 0.01); // picture units onto the half-size page
}

TEST(PagePlayback, AtHundredFiftyPercentTheStringSpansOneAndAHalfTimesItsRecordedWidth) {
    std::vector<int> recorded;
    const emf::EmfPicture page = samplePage(&recorded);
    const int u = std::accumulate(recorded.begin(), recorded.end(), 0);
    test::FakeCanvas spy = fontCanvas();
    playPage(spy, page, requestAt(150));
    ASSERT_EQ(spy.texts.size(), 1u);
    const test::FakeCanvas::Text& t = spy.texts[0];
    ASSERT_EQ(t.text, kText);
    // The font was created at the zoomed size, and the text is drawn in
    // device pixels from the destination's corner.
    EXPECT_EQ(t.font.height, roundEven(-13 * 1.5));
    EXPECT_DOUBLE_EQ(t.world.m11(), 1.0);
    EXPECT_EQ(t.at, QPoint(150, 75));
    // Start of the first character to the end of the last: the advances of
    // all but the last plus the last character's own width.
    const int lastAlone = fontTextWidth(t.font, kText.right(1));
    const int span = std::accumulate(t.advances.begin(), t.advances.end() - 1, 0) + lastAlone;
    EXPECT_NEAR(span, 1.5 * u, 1.0);
}

TEST(PagePlayback, CullingSkipsRecordsOutsideTheClipOnThePanelOnly) {
    const emf::EmfPicture page = samplePage();
    test::FakeCanvas all = fontCanvas();
    playPage(all, page, requestAt(100));
    const int everything = all.shapes;
    ASSERT_GE(everything, 3);

    // On the panel, a strip around the first rectangle: the other two and
    // the text above are skipped.
    test::FakeCanvas strip = fontCanvas();
    playPage(strip, page, requestAt(100, true, QRect(0, 110, 794, 10)));
    EXPECT_EQ(strip.shapes, everything - 2);
    EXPECT_TRUE(strip.texts.empty());

    // Another device with the same clip: nothing is culled.
    test::FakeCanvas printer = fontCanvas();
    PlaybackRequest r = requestAt(100, false, QRect(0, 110, 794, 10));
    playPage(printer, page, r);
    EXPECT_EQ(printer.shapes, everything);
    EXPECT_EQ(printer.texts.size(), 1u);
}

TEST(PagePlayback, RecordVisibleCountsTouchingAndThePen) {
    const emf::RectL bounds{100, 100, 110, 110};
    const EdgeRect dest{0, 0, 794, 1123};
    // Enlarged by 4: 96..114; the clip enlarged by 1.
    EXPECT_TRUE(recordVisible(QRect(0, 115, 794, 10), bounds, 1, 1, 1, dest)); // 114 touches 114
    EXPECT_FALSE(recordVisible(QRect(0, 116, 794, 10), bounds, 1, 1, 1, dest));
    EXPECT_TRUE(recordVisible(QRect(0, 116, 794, 10), bounds, 6, 1, 1, dest)); // + 3 for the pen
    // Scaled and offset into the destination.
    EXPECT_TRUE(
        recordVisible(QRect(300, 300, 5, 5), bounds, 1, 2, 2, EdgeRect{100, 100, 900, 900}));
}

TEST(PagePlayback, HitIsHighlightedOnOddBlinkCounts) {
    const emf::EmfPicture page = samplePage();
    // Record numbers: header 0, then one per record; find the text's.
    int textRecord = -1;
    for (int i = 0; i < page.recordCount(); ++i)
        if (page.record(i).type == emf::EMR_EXTTEXTOUTW)
            textRecord = i;
    ASSERT_GT(textRecord, 0);
    for (int blink : {1, 2, 3}) {
        for (double zoom : {100.0, 150.0}) {
            test::FakeCanvas spy = fontCanvas();
            PlaybackRequest r = requestAt(zoom, true, QRect(0, 0, 2000, 2000));
            r.pageIndex = 2;
            r.highlight = HitHighlight{true, 2, 2 * kRecordsPerPage + textRecord, blink};
            playPage(spy, page, r);
            ASSERT_EQ(spy.texts.size(), 1u);
            const bool lit = blink % 2 == 1;
            EXPECT_EQ(spy.texts[0].color, lit ? kWhite : kBlack) << blink << " " << zoom;
            if (lit) {
                EXPECT_EQ(spy.texts[0].background, kBlack);
                EXPECT_EQ(spy.texts[0].mode, BackgroundMode::Opaque);
            }
        }
    }
}

TEST(PagePlayback, SpacingTakesCharactersUpToTheBoundsWidthOrHeightWhenTurned) {
    const std::vector<int32_t> recorded(10, 10);
    // Upright: the bounds are 10 wide, only the first character fits.
    EXPECT_EQ(spaceAdvances(recorded, 10, 35, 0, 1.5).count, 1);
    // Turned by 90 degrees: the height (35) limits, 4 characters are taken.
    const SpacedAdvances turned = spaceAdvances(recorded, 10, 35, std::numbers::pi / 2, 1.5);
    EXPECT_EQ(turned.count, 4);
    EXPECT_EQ(turned.recordedSum, 40);
    // Wide bounds: all ten, spread to span 1.5 x 100.
    const SpacedAdvances all = spaceAdvances(recorded, 100, 35, 0, 1.5);
    ASSERT_EQ(all.count, 10);
    EXPECT_EQ(std::accumulate(all.advances.begin(), all.advances.end(), 0), 150);
    EXPECT_EQ(spaceAdvances({}, 100, 10, 0, 1.5).count, 0);
}

// Each character stands at its exact scaled position, rounded: advances of
// 7 at 0.78 put the characters at 0, 5, 11, 16, 22, ... (exact 0, 5.46,
// 10.92, 16.38, 21.84, ...), where rounding each advance (5.46 -> 5) and
// summing would lose half a pixel per character.
TEST(PagePlayback, SpacingPlacesEachCharacterAtItsExactScaledPosition) {
    struct Case {
        std::vector<int32_t> recorded;
        double sx;
        double origin;
        std::vector<int> advances;
    } cases[] = {
        {{7, 7, 7, 7, 7, 7}, 0.853, 0.4, {6, 6, 6, 6, 6, 6}},
        {{7, 7, 7, 7, 7, 7, 7, 7, 7, 7}, 0.78, 0, {5, 6, 5, 6, 5, 6, 5, 6, 5, 6}},
        {{9, 4, 4, 9}, 0.92, 0, {8, 4, 4, 8}},
        {{6, 6, 6}, 1.5, 0.25, {9, 9, 9}},
    };
    for (const Case& c : cases) {
        const SpacedAdvances s = spaceAdvances(c.recorded, 1000, 20, 0, c.sx, c.origin);
        EXPECT_EQ(s.advances, c.advances) << c.sx << " from " << c.origin;
    }
}

TEST(PagePlayback, TurnedFontLimitsTheCharactersByTheBoundsHeight) {
    // A text written upwards: its bounds are narrow and tall.
    const QString text = QStringLiteral("ABCDEFGHIJ");
    const emf::EmfPicture page = test::recordPicture(QSize(794, 1123), [&](Canvas& c) {
        FontSpec f;
        f.escapement = 900;
        f.orientation = 900;
        c.setFont(f);
        c.textOut(100, 500, text);
    });
    test::FakeCanvas spy = fontCanvas();
    playPage(spy, page, requestAt(150));
    ASSERT_EQ(spy.texts.size(), 1u);
    EXPECT_EQ(spy.texts[0].text, text); // the height allows every character
}

TEST(PagePlayback, RecordNumbersStartAtPageTimesTenThousand) {
    const emf::EmfPicture page = samplePage();
    std::vector<int> numbers;
    PlaybackRequest r = requestAt(100, true, QRect(0, 0, 10, 10));
    r.pageIndex = 3;
    r.search = [&](emf::EmfPlayer&, const emf::EmfRecord&, int n) {
        numbers.push_back(n);
        return false;
    };
    test::FakeCanvas spy = fontCanvas();
    playPage(spy, page, r);
    ASSERT_EQ(numbers.size(), 1u);
    EXPECT_GT(numbers[0], 30000);
    EXPECT_LT(numbers[0], 30000 + page.recordCount());
    EXPECT_EQ(spy.shapes, 0); // search mode draws nothing
}

} // namespace
} // namespace vx::preview
