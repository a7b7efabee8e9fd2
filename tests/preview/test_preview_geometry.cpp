// Page geometry, scroll ranges, zoom modes and zoom box texts of the preview.
#include "preview/preview_geometry.h"

#include <gtest/gtest.h>

namespace vx::preview {
namespace {

const PageExtent kA4{2100, 2970, 794, 1123};

ViewState view(double zoom, int w, int h, TPreviewZoomMode mode = zmPercent, int v = 0, int p = 0) {
    ViewState s;
    s.zoom = zoom;
    s.mode = mode;
    s.panelWidth = w;
    s.panelHeight = h;
    s.vpos = v;
    s.hpos = p;
    s.widestPage = 794;
    return s;
}

const EdgeRect kEverything{-100000, -100000, 100000, 100000};

TEST(PreviewGeometry, A4FrameAtHundredAndTwoHundredPercent) {
    struct Row {
        double zoom;
        int frameW, frameH, pictureW, pictureH;
    };
    for (const Row& r : {Row{100, 795, 1124, 794, 1123}, Row{200, 1589, 2247, 1588, 2246}}) {
        const PaintPass pass = layoutPaint({kA4}, view(r.zoom, 2000, 3000), kEverything, false);
        ASSERT_EQ(pass.pages.size(), 1u) << r.zoom;
        const PagePlacement& p = pass.pages[0];
        EXPECT_EQ(p.frame.Right - p.frame.Left, r.frameW) << r.zoom;
        EXPECT_EQ(p.frame.Bottom - p.frame.Top, r.frameH) << r.zoom;
        EXPECT_EQ(p.picture.Right - p.picture.Left, r.pictureW) << r.zoom;
        EXPECT_EQ(p.picture.Bottom - p.picture.Top, r.pictureH) << r.zoom;
        EXPECT_EQ(p.frame.Top, kMargin);
        EXPECT_NEAR(p.sx, r.zoom / 100.0, 1e-9);
    }
}

TEST(PreviewGeometry, PageIsCentredWhenNarrowerAndAtTheMarginWhenWider) {
    // Centred: round((W - (w + 20) - 2) / 2) + 10.
    PaintPass pass = layoutPaint({kA4}, view(100, 1000, 800), kEverything, false);
    EXPECT_EQ(pass.pages[0].frame.Left, (1000 - 814 - 2) / 2 + 10);
    // Wider than the panel: x = 10 - horizontal position.
    pass = layoutPaint({kA4}, view(100, 500, 800, zmPercent, 0, 37), kEverything, false);
    EXPECT_EQ(pass.pages[0].frame.Left, 10 - 37);
    // Horizontal range = round(widest x zoom / 100) - W + 20.
    EXPECT_EQ(pass.horizontal, (ScrollRange{794 - 500 + 20, true}));
    EXPECT_EQ(horizontalRange(view(100, 794, 800)), (ScrollRange{0, false}));
    EXPECT_EQ(horizontalRange(view(100, 793, 800)), (ScrollRange{21, true}));
}

TEST(PreviewGeometry, VerticalRangeStacksPagesWithGaps) {
    const std::vector<PageExtent> pages(3, kA4);
    // total = 10 + 3 x (1123 + 12)
    EXPECT_EQ(verticalRange(pages, view(100, 1000, 800)), (ScrollRange{10 + 3 * 1135 - 800, true}));
    EXPECT_EQ(verticalRange({kA4}, view(10, 1000, 800)), (ScrollRange{0, false}));
    EXPECT_EQ(rowsAbove(pages, view(100, 1000, 800), 3), 2 * 1135);
    EXPECT_EQ(pageOrigin(pages, view(100, 1000, 800, zmPercent, 200), 1).y, 10 - 200 + 1135);
}

TEST(PreviewGeometry, TwoPagesWithAnOddCount) {
    const std::vector<PageExtent> pages(5, kA4);
    const ViewState v = view(50, 1000, 700, zmTwoPages);
    const PaintPass pass = layoutPaint(pages, v, kEverything, false);
    ASSERT_EQ(pass.pages.size(), 5u);
    const double w = 397.0;
    // Even indexes in the left half, odd ones in the right half.
    EXPECT_EQ(pass.pages[0].frame.Left, roundEven((500 - w - 2) / 2));
    EXPECT_EQ(pass.pages[1].frame.Left, roundEven((500 - w - 2) / 2 + 500));
    EXPECT_EQ(pass.pages[4].frame.Left, pass.pages[0].frame.Left); // last row: one page, left half
    EXPECT_EQ(pass.pages[0].frame.Top, pass.pages[1].frame.Top);
    EXPECT_EQ(pass.pages[2].frame.Top, pass.pages[0].frame.Top + 561 + 12);
    EXPECT_EQ(pass.pages[4].frame.Top, pass.pages[0].frame.Top + 2 * (561 + 12));
    // Rows above: pages 1-2 -> 0, 3-4 -> one row, 5 -> two rows.
    EXPECT_EQ(rowsAbove(pages, v, 2), 0);
    EXPECT_EQ(rowsAbove(pages, v, 3), 573);
    EXPECT_EQ(rowsAbove(pages, v, 5), 2 * 573);
    // The single page of the last row counts for the scroll range.
    EXPECT_EQ(pass.vertical.maximum, 10 + 3 * 573 - 700);
}

TEST(PreviewGeometry, TopPageAndFraction) {
    const std::vector<PageExtent> pages(5, kA4);
    // Page 2 starts at 10 - V + 1135; with V = 1235 it stands 100 pixels above the margin.
    PaintPass pass = layoutPaint(pages, view(100, 1000, 800, zmPercent, 1235), kEverything, false);
    EXPECT_EQ(pass.topPage, 2);
    ASSERT_TRUE(pass.hasFraction);
    EXPECT_NEAR(pass.pageFraction, 100.0 / (2970 * 794.0 / 2100.0), 1e-12);
    // The fraction does not depend on the repainted strip.
    pass = layoutPaint(pages, view(100, 1000, 800, zmPercent, 1235), EdgeRect{0, 790, 1000, 800},
                       false);
    EXPECT_NEAR(pass.pageFraction, 100.0 / (2970 * 794.0 / 2100.0), 1e-12);
    // Two pages: the row's left page; the lone last page is itself.
    const ViewState two = view(50, 1000, 700, zmTwoPages, 573);
    EXPECT_EQ(layoutPaint(pages, two, kEverything, false).topPage, 3);
    EXPECT_EQ(
        layoutPaint(pages, view(50, 1000, 700, zmTwoPages, 2 * 573), kEverything, false).topPage,
        5);
    // A dry run draws nothing.
    EXPECT_TRUE(layoutPaint(pages, two, kEverything, true).pages.empty());
}

TEST(PreviewGeometry, OnlyPagesMeetingTheClipAreDrawn) {
    const std::vector<PageExtent> pages(4, kA4);
    const PaintPass pass =
        layoutPaint(pages, view(100, 1000, 800, zmPercent, 1135), EdgeRect{0, 0, 1000, 20}, false);
    ASSERT_EQ(pass.pages.size(), 1u);
    EXPECT_EQ(pass.pages[0].index, 1);
}

TEST(PreviewGeometry, HorizontalPositionAfterZoom) {
    EXPECT_EQ(horizontalPositionAfterZoom(0), 0);
    EXPECT_EQ(horizontalPositionAfterZoom(41), 20);
    EXPECT_EQ(horizontalPositionAfterZoom(70), 35);
    EXPECT_EQ(horizontalPositionAfterZoom(71), 0);
}

TEST(PreviewGeometry, ZoomOfEachMode) {
    const LargestPage a4{794, 1123};
    EXPECT_DOUBLE_EQ(zoomForMode(zmPercent, 37.5, 800, 600, a4), 37.5);
    EXPECT_DOUBLE_EQ(zoomForMode(zmPageWidth, 100, 814, 600, a4), 100.0);
    EXPECT_DOUBLE_EQ(zoomForMode(zmOnePage, 100, 1000, 600, a4), 580.0 / 1123 * 100);
    EXPECT_DOUBLE_EQ(zoomForMode(zmOnePage, 100, 300, 6000, a4), 280.0 / 794 * 100);
    EXPECT_DOUBLE_EQ(zoomForMode(zmTwoPages, 100, 1608, 6000, a4), 100.0);
    // A panel narrower than the margins keeps a positive zoom.
    EXPECT_GT(zoomForMode(zmPageWidth, 100, 5, 5, a4), 0.0);
    EXPECT_EQ(largestPage({kA4, PageExtent{2970, 2100, 1123, 794}}).widest, 1123);
    EXPECT_EQ(largestPage({}).widest, 1);
}

TEST(PreviewGeometry, ZoomTexts) {
    struct Row {
        QString text;
        QChar sep;
        ZoomRequest::Kind kind;
        double zoom;
    };
    using K = ZoomRequest::Kind;
    const Row rows[] = {
        {"150", ',', K::Percent, 150},    {"150%", ',', K::Percent, 150},
        {"150,0", ',', K::Percent, 150},  {"150.5", '.', K::Percent, 150.5},
        {"12,5%", ',', K::Percent, 12.5}, {"15%0", ',', K::Invalid, 0}, // "%" not at the end
        {"150%%", ',', K::Invalid, 0}, // the first "%" is not the last character
        {"0", ',', K::Invalid, 0},        {"", ',', K::Invalid, 0},
        {"abc", ',', K::Invalid, 0},      {"-50", ',', K::Invalid, 0}, // pasted negative
        {"99999", ',', K::Invalid, 0},
    };
    for (const Row& r : rows) {
        const ZoomRequest q = parseZoomText(r.text, r.sep);
        EXPECT_EQ(int(q.kind), int(r.kind)) << r.text.toStdString();
        if (r.kind == K::Percent) {
            EXPECT_DOUBLE_EQ(q.zoom, r.zoom) << r.text.toStdString();
        }
    }
    EXPECT_EQ(parseZoomText("Larghezza", ',').mode, zmPageWidth);
    EXPECT_EQ(parseZoomText("Una pagina", ',').mode, zmOnePage);
    EXPECT_EQ(parseZoomText("Due pagine", ',').mode, zmTwoPages);

    EXPECT_EQ(formatZoomText(100, ','), "100%");
    EXPECT_EQ(formatZoomText(141.42, ','), "141,4%");
    EXPECT_EQ(formatZoomText(141.42, '.'), "141.4%");
    EXPECT_EQ(formatZoomText(99.96, ','), "100%");
    EXPECT_EQ(formatZoomText(12.25, ','), "12,2%"); // round(2.5) is 2: ties to even

    EXPECT_TRUE(zoomBoxAccepts('7', ','));
    EXPECT_TRUE(zoomBoxAccepts('%', ','));
    EXPECT_TRUE(zoomBoxAccepts(',', ','));
    EXPECT_FALSE(zoomBoxAccepts('.', ','));
    EXPECT_FALSE(zoomBoxAccepts('-', ','));
    EXPECT_FALSE(zoomBoxAccepts('a', ','));
}

TEST(PreviewGeometry, PageBoxText) {
    EXPECT_EQ(pageBoxText(3, 12), QStringLiteral("Pagina 3/12") + QString(10, ' '));
}

TEST(PreviewGeometry, RoundingIsHalfToEven) {
    EXPECT_EQ(roundEven(0.5), 0);
    EXPECT_EQ(roundEven(1.5), 2);
    EXPECT_EQ(roundEven(-2.5), -2);
    EXPECT_EQ(roundEven(1e300), int(kCoordinateLimit));
}

} // namespace
} // namespace vx::preview
