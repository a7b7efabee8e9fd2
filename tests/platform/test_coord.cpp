#include "platform/coord.h"
#include "platform/fonts.h"

#include <gtest/gtest.h>

#include <climits>
#include <limits>

namespace vx {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(Coord, RoundsAsAskedAndLimitsWhatLiesOutside) {
    using R = CoordRounding;
    struct Case {
        double v;
        R how;
        int want;
    } cases[] = {
        {2.5, R::HalfAwayFromZero, 3},
        {-2.5, R::HalfAwayFromZero, -3},
        {2.5, R::HalfUp, 3},
        {-2.5, R::HalfUp, -2},
        {2.5, R::HalfEven, 2},
        {3.5, R::HalfEven, 4},
        {-2.5, R::HalfEven, -2},
        {2.7, R::Down, 2},
        {-2.2, R::Down, -3},
        {2.2, R::Up, 3},
        {kNaN, R::HalfAwayFromZero, 0},
        {kNaN, R::Down, 0},
        {kInf, R::HalfAwayFromZero, kCoordLimit},
        {-kInf, R::Up, -kCoordLimit},
        {6.19362e+80, R::HalfAwayFromZero, kCoordLimit},
        {-1e300, R::HalfEven, -kCoordLimit},
    };
    for (const Case& c : cases)
        EXPECT_EQ(toCoord(c.v, c.how), c.want) << c.v << " mode " << int(c.how);
    EXPECT_EQ(toCoord(5e9, CoordRounding::HalfEven, 1'000'000'000), 1'000'000'000);
    EXPECT_EQ(clampCoord(int64_t(1) << 40), kCoordLimit);
    EXPECT_EQ(clampCoord(-(int64_t(1) << 21), 1 << 20), -(1 << 20));
}

TEST(Coord, PointsAndRectanglesMatchQtInsideTheRangeAndStayFiniteOutside) {
    const QPointF points[] = {{1.5, -1.5}, {0.49, -0.51}, {1e6 + 0.5, -3.25}};
    for (const QPointF& p : points)
        EXPECT_EQ(toCoordPoint(p), p.toPoint());
    const QRectF rects[] = {{0.2, 0.7, 9.6, 3.3}, {-4.5, 2.5, 10.5, 0.4}, {1, 2, 3, 4}};
    for (const QRectF& r : rects) {
        EXPECT_EQ(toCoordRect(r), r.toRect());
        EXPECT_EQ(toCoordAlignedRect(r), r.toAlignedRect());
    }
    EXPECT_EQ(toCoordPoint({kNaN, -kInf}), QPoint(0, -kCoordLimit));
    const QRect huge = toCoordAlignedRect({-1e300, -1e300, kInf, kInf});
    EXPECT_EQ(huge.left(), -kCoordLimit);
    EXPECT_EQ(huge.right(), kCoordLimit - 1);
}

TEST(Coord, FontsOfExtremeHeightsMeasureWithinTheRange) {
    for (int height : {INT_MIN, INT_MAX}) {
        FontSpec font;
        font.height = height;
        const TextMetrics tm = fontTextMetrics(font);
        EXPECT_GT(tm.ascent, 0) << height;
        EXPECT_LE(tm.ascent, kCoordLimit) << height;
        EXPECT_LE(fontTextWidth(font, QStringLiteral("abcdefghij")), kCoordLimit) << height;
    }
}

} // namespace
} // namespace vx
