// TvxView geometry and drawing: inner rectangle, background, frame lines,
// region.
#include "report_fixture.h"

#include "report/memo_view.h"

#include <limits>

namespace vx::test {
namespace {

class ModelView : public ReportTest {
protected:
    static void place(TvxView& v, uint16_t lines, int width = 1) {
        v.Left = 10;
        v.Top = 20;
        v.Width = 100;
        v.Height = 50;
        v.FrameLines = lines;
        v.FrameWidth = width;
    }
};

TEST_F(ModelView, ComputeDrawRectFollowsFrameWidthAndLines) {
    struct Row {
        int width;
        uint16_t lines;
        int gapX, gapY;
        EdgeRect rect;
    };
    const Row rows[] = {
        // w 3: h 1, k 1 -> (L+1, T+1, L+W, T+H)
        {3, frAll, 3, 1, {11, 21, 110, 70}},
        {3, 0, 3, 1, {10, 20, 111, 71}},
        {1, frAll, 2, 1, {10, 20, 111, 71}},
        // w 4: h 2, k 1; GapY = 2 div 2 + 1
        {4, frLeft | frBottom, 4, 2, {11, 20, 111, 69}},
        {6, frTop | frRight, 5, 2, {10, 22, 108, 71}},
        // w 0: h 0, k = (-1) div 2 = 0 (toward zero)
        {0, frAll, 2, 1, {10, 20, 111, 71}},
    };
    for (const Row& row : rows) {
        TvxMemoView v(nullptr);
        place(v, row.lines, row.width);
        v.ComputeDrawRect();
        EXPECT_EQ(v.GapX, row.gapX) << row.width;
        EXPECT_EQ(v.GapY, row.gapY) << row.width;
        EXPECT_EQ(v.DrawRect, row.rect) << row.width << " " << row.lines;
    }
}

TEST_F(ModelView, FrameLinesDrawInTheFixedOrder) {
    struct Row {
        uint16_t lines;
        QStringList strokes;
    };
    const Row rows[] = {
        {frAll, {"rectangle 10,20,111,71"}},
        {frTop | frLeft, {"moveTo 10,20", "lineTo 10,70", "moveTo 10,20", "lineTo 110,20"}},
        {frRight | frBottom, {"moveTo 110,20", "lineTo 110,70", "moveTo 10,70", "lineTo 110,70"}},
        {frTop | frBottom | frLeft,
         {"moveTo 10,20", "lineTo 10,70", "moveTo 10,70", "lineTo 110,70", "moveTo 10,20",
          "lineTo 110,20"}},
    };
    for (const Row& row : rows) {
        TvxMemoView v(nullptr);
        place(v, row.lines, 2);
        v.FrameColor = Color(255);
        FakeCanvas canvas = styleRecorder();
        v.SetCanvas(&canvas);
        v.DrawFrameLines();
        ASSERT_GE(canvas.calls.size(), 2);
        EXPECT_EQ(canvas.calls[0], "pen 2 #0000ff");
        EXPECT_EQ(canvas.calls[1], "brush 1 #ffffff");
        EXPECT_EQ(canvas.calls.mid(2), row.strokes) << row.lines;
    }
}

TEST_F(ModelView, NoFrameShowsCornerMarksOnlyWhileDesigning) {
    TvxMemoView v(nullptr);
    place(v, 0);
    FakeCanvas canvas = styleRecorder();
    v.SetCanvas(&canvas);
    v.DrawFrameLines();
    EXPECT_EQ(canvas.calls.filter(QStringLiteral("lineTo ")).size(), 8);
    EXPECT_TRUE(canvas.calls.contains("pen 1 #000000"));
    // The first mark: (L, T+3) -> (L, T).
    const qsizetype first = canvas.calls.indexOf("moveTo 10,23");
    ASSERT_GE(first, 0);
    EXPECT_EQ(canvas.calls[first + 1], "lineTo 10,20");

    canvas.calls.clear();
    PrintMode = true;
    v.DrawFrameLines();
    EXPECT_TRUE(canvas.calls.isEmpty());
    PrintMode = false;
    SilentPass = true;
    v.DrawFrameLines();
    EXPECT_TRUE(canvas.calls.isEmpty());
}

TEST_F(ModelView, FillBackgroundRules) {
    TvxMemoView v(nullptr);
    place(v, frAll, 3);
    v.ComputeDrawRect();
    FakeCanvas canvas = styleRecorder();
    v.SetCanvas(&canvas);

    v.FillBackground(); // designing, no colour: white inside DrawRect
    EXPECT_TRUE(canvas.calls.contains("fillRect 11,21,110,70 #ffffff"));

    canvas.calls.clear();
    PrintMode = true;
    v.FillBackground(); // printing without colour: nothing
    EXPECT_TRUE(canvas.calls.isEmpty());

    v.FillColor = Color(255);
    v.FillBackground(); // printing: the whole object
    EXPECT_TRUE(canvas.calls.contains("fillRect 10,20,110,70 #0000ff"));

    canvas.calls.clear();
    SilentPass = true;
    v.FillBackground();
    EXPECT_TRUE(canvas.calls.isEmpty());
}

TEST_F(ModelView, RegionCoversTheFrameAndGrows) {
    TvxMemoView v(nullptr);
    place(v, frAll, 5); // w div 2 = 2 outwards left/top, (w-1) div 2 = 2 right/bottom
    EXPECT_EQ(v.GetRegion(false).boundingRect(), rectFromEdges(8, 18, 113, 73));
    EXPECT_EQ(v.GetRegion(true).boundingRect(), rectFromEdges(-2, 8, 123, 83));
    v.FrameLines = 0;
    EXPECT_EQ(v.GetRegion(false).boundingRect(), rectFromEdges(10, 20, 111, 71));
}

// Bounds from a damaged template at the ends of the 32-bit range: edges are
// limited to the range instead of wrapping around.
TEST_F(ModelView, ExtremeBoundsStayInRange) {
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    TvxMemoView v(nullptr);
    v.Left = kMax - 10;
    v.Top = kMin;
    v.Width = 100;
    v.Height = -100;
    v.FrameLines = frAll;
    v.FrameWidth = 1;
    v.ComputeDrawRect();
    EXPECT_EQ(v.DrawRect.Right, kMax);
    EXPECT_EQ(v.DrawRect.Bottom, kMin + 1);
    EXPECT_EQ(v.GetRegion(true).boundingRect().right(), kMax - 1);
    FakeCanvas canvas = styleRecorder();
    v.SetCanvas(&canvas);
    v.DrawFrameLines();
    EXPECT_EQ(
        canvas.calls.last(),
        QStringLiteral("rectangle %1,%2,%3,%4").arg(kMax - 10).arg(kMin).arg(kMax).arg(kMin + 1));
    v.FrameWidth = kMin; // (w - 1) div 2 without wrapping
    v.ComputeDrawRect();
    EXPECT_EQ(v.GapX, kMin / 2 + 2);
}

TEST_F(ModelView, SetCanvasMakesTheObjectCurrent) {
    TvxMemoView v(nullptr);
    FakeCanvas canvas = styleRecorder();
    v.SetCanvas(&canvas);
    EXPECT_EQ(CurrentView, &v);
}

TEST_F(ModelView, ExpandTextCopiesLinesWhileDesigning) {
    TvxMemoView v(nullptr);
    v.Lines = {"Totale: [SUM(x)]", "plain", "x["};
    v.ExpandText();
    EXPECT_EQ(v.ExpandedLines, v.Lines);
}

} // namespace
} // namespace vx::test
