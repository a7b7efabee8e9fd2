#include "addins/chart/chart_painter.h"

#include "addins/chart/chart_scale.h"
#include "addins/chart/graph_view.h"

#include <algorithm>
#include <cmath>

namespace vx {

namespace {

constexpr Color kGridColor{0x808080};
// Point sizes of the chart's texts.
constexpr int kTitleSize = 16;
constexpr int kAxisTitleSize = 10;
constexpr int kScaleSize = 7;
// Height of one legend row, in pixels.
constexpr int kLegendRow = 14;

// Arial of `points` at 96 pixels per inch (character height, rounded).
FontSpec chartFont(int points, bool turned = false) {
    FontSpec f;
    f.face = QStringLiteral("Arial");
    f.height = -int((points * 96 + 36) / 72);
    if (turned) {
        f.escapement = 900;
        f.orientation = 900;
    }
    return f;
}

int32_t px(int64_t v) {
    return int32_t(std::clamp<int64_t>(v, -2147483647, 2147483647));
}

class ChartPainter {
public:
    ChartPainter(Canvas& c, const TvxGraphView& v, const ChartData& d)
        : c_(c), v_(v), d_(d), L(v.Left), T(v.Top), W(v.Width), H(v.Height), S(d.SeriesCount()),
          n(d.RecordCount()) {}

    void paint() {
        c_.setTextAlign(TextAlign::Left | TextAlign::Top);
        c_.setBackgroundMode(BackgroundMode::Transparent);
        c_.setTextColor(kChartTextColor);
        drawTitles();
        measure();
        if (!layoutPlot())
            return;
        drawRecordLabels();
        drawLegend();
        drawGrid();
        drawAxes();
        if (n > 0) {
            drawSeries();
            joinPoints();
        }
    }

private:
    void text(int64_t x, int64_t y, const QString& s) { c_.textOut(px(x), px(y), s); }
    void line(int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
        c_.moveTo(px(x1), px(y1));
        c_.lineTo(px(x2), px(y2));
    }
    // GDI's Rectangle accepts its corners in any order.
    void box(int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
        c_.rectangle(rectFromEdges(px(std::min(x1, x2)), px(std::min(y1, y2)), px(std::max(x1, x2)),
                                   px(std::max(y1, y2))));
    }
    // A single line centred in a rectangle, clipped to it.
    void centred(int64_t l, int64_t t, int64_t r, int64_t b, const QString& s) {
        const int w = c_.textWidth(s);
        const int h = c_.textMetrics().height;
        const QRect clip = rectFromEdges(px(l), px(t), px(r), px(b));
        c_.textOut(px(l + (r - l - w) / 2), px(t + (b - t - h) / 2), s, TextOutOption::Clipped,
                   clip);
    }
    int widest(const QStringList& texts) {
        int w = 0;
        for (const QString& s : texts)
            w = std::max(w, c_.textWidth(s));
        return w;
    }

    // The chart title above, the X title below, the Y title turned
    // on the left. Each axis title's band is measured on the other title's
    // text (any text has the font's height).
    void drawTitles() {
        if (v_.ShowGraphTitle) {
            c_.setFont(chartFont(kTitleSize));
            th = c_.textMetrics().height + 1;
            centred(L + 1, T + 1, L + W + 1, T + 1 + th + 1, v_.GraphTitle);
        }
        if (v_.ShowXTitle) {
            c_.setFont(chartFont(kAxisTitleSize));
            xh = c_.textMetrics().height + 2;
            centred(L + 1, T + H - xh, L + W + 1, T + H - 1, v_.XTitle);
        }
        if (v_.ShowYTitle) {
            c_.setFont(chartFont(kAxisTitleSize, true));
            yh = c_.textMetrics().height + 2;
            const int64_t width = c_.textWidth(v_.YTitle);
            c_.textOut(px(L + 2), px(T + 1 + H - (H - width) / 2), v_.YTitle,
                       TextOutOption::Clipped,
                       rectFromEdges(px(L + 2), px(T + 1), px(L + yh + 1), px(T + H - 1)));
        }
    }

    // The scale and the widths of its labels, of the legend
    // and of the record labels.
    void measure() {
        double lo = 0, hi = 0;
        for (const auto& values : d_.Values)
            for (double x : values) {
                lo = std::min(lo, x);
                hi = std::max(hi, x);
            }
        scale = ComputeChartScale(lo, hi);
        c_.setFont(chartFont(kScaleSize));
        scaleLabels = ChartScaleLabels(scale, v_.YFormat);
        J = widest(scaleLabels);
        if (v_.ShowLegend) {
            for (const QString& s : d_.Legends)
                legends << ShortenChartText(s, kLegendTextLimit);
            K = widest(legends);
            if (K > 0)
                K += 18;
        }
        hh = c_.textMetrics().height / 2;
        c_.setFont(chartFont(kScaleSize, true));
        for (const QString& s : d_.Labels)
            labels << ShortenChartText(s, kRecordLabelLimit);
        V = widest(labels);
        if (V > 0)
            V += th - 5;
        if (J > 0)
            J += 5;
    }

    // The plot area, pixels per unit and slot width. False
    // when nothing more is drawn: every value is 0, or the bounds leave the
    // plot no room.
    bool layoutPlot() {
        M = L + J + yh;
        PT = T + th + 1;
        PH = H - V - xh - 1;
        PW = L + W - M - K + 1;
        P = M + 3;
        Q = PT + 10;
        if (scale.Max == 0 && scale.Min == 0)
            return false;
        R = double(PH - 23) / (scale.Max - scale.Min);
        if (!(R > 0) || !std::isfinite(R) || PW - 13 <= 0)
            return false;
        y0 = RoundToPixel(scale.Max * R) + Q;
        const int64_t slotCount = ChartSlotCount(n, S);
        U = slotCount > 0 ? double(PW - 13) / double(slotCount) : 0;
        return true;
    }

    // The record labels, turned, ending 6 pixels below the lowest
    // grid line.
    void drawRecordLabels() {
        const int64_t bottom = RoundToPixel((scale.Max - scale.Min) * R) + Q + 6;
        for (int g = 0; g < labels.size(); ++g) {
            const int64_t x = RoundToPixel(double(g * (2 * S + 1) + S) * U) + P - hh;
            text(x, c_.textWidth(labels[g]) + bottom, labels[g]);
        }
        c_.setFont(chartFont(kScaleSize));
    }

    // A white box on the right with a colour square and the
    // legend text of each series.
    void drawLegend() {
        if (!v_.ShowLegend || K <= 0)
            return;
        const int64_t LT = T + (PH - int64_t(kLegendRow) * S) / 2;
        const int64_t x = L + W - K;
        c_.setPen(PenSpec{PenStyle::Solid, 1, kBlack});
        c_.setBrush(BrushSpec{BrushStyle::Solid, kWhite, 0});
        box(x + 3, LT, L + W - 1, LT + int64_t(kLegendRow) * S + 1);
        for (int s = 0; s < S; ++s) {
            c_.setBrush(BrushSpec{BrushStyle::Solid, d_.Colors[size_t(s)], 0});
            const int64_t row = LT + int64_t(kLegendRow) * s;
            box(x + 5, row + 2, x + 15, row + 13);
        }
        c_.setBrush(BrushSpec{BrushStyle::Null, kWhite, 0});
        for (int s = 0; s < S && s < legends.size(); ++s)
            text(x + 17, LT + int64_t(kLegendRow) * s - hh + 8, legends[s]);
    }

    // 21 dotted grid lines with their labels on the left.
    void drawGrid() {
        c_.setPen(PenSpec{PenStyle::Dot, 1, kGridColor});
        c_.setBrush(BrushSpec{BrushStyle::Null, kWhite, 0});
        const int64_t bottom = RoundToPixel((scale.Max - scale.Min) * R) + Q;
        for (int k = 0; k < kChartGridLines; ++k) {
            const int64_t d = RoundToPixel(ChartGridValue(scale, k)) < 0 ? 2 : 0;
            const int64_t y = bottom + d - RoundToPixel(R * scale.Step * k);
            const QString& label = scaleLabels[k];
            text(J + L + yh - c_.textWidth(label) - 3, y - hh, label);
            line(M, y, M + PW - 1, y);
        }
    }

    // The axes, three pixels thick, the outer lines one pixel
    // shorter at each end.
    void drawAxes() {
        c_.setPen(PenSpec{PenStyle::Solid, 1, kBlack});
        for (int i = 0; i < 3; ++i) {
            const int64_t e = i == 1 ? 0 : 1;
            line(M + i, PT + e, M + i, PT + PH - e);
            line(M + e, y0 + i, M + PW - e, y0 + i);
        }
    }

    struct Point {
        int64_t a, b, c, y, d;
    };
    Point pointOf(int s, int g) const {
        const double v = d_.Values[size_t(s)][size_t(g)];
        const int64_t x0 = ChartFirstSlot(g, s, S);
        Point p;
        p.d = v < 0 ? 3 : 0;
        p.a = RoundToPixel(double(x0) * U) + P;
        p.b = RoundToPixel(double(x0 + 2) * U) + P + 1;
        p.c = (p.a + p.b) / 2;
        p.y = y0 + p.d - RoundToPixel(R * v);
        return p;
    }
    // The y of record g + 1 computed with record g's offset below zero.
    int64_t nextY(int s, int g, int64_t d) const {
        return y0 + d - RoundToPixel(R * d_.Values[size_t(s)][size_t(g + 1)]);
    }

    // Bars, triangles, point squares and coloured lines.
    void drawSeries() {
        const uint8_t type = v_.GraphType;
        for (int s = 0; s < S; ++s) {
            const Color color = d_.Colors[size_t(s)];
            c_.setBrush(BrushSpec{BrushStyle::Solid, color, 0});
            for (int g = 0; g < n; ++g) {
                const Point p = pointOf(s, g);
                if (type == gtBars || type == gtBarsAndLines)
                    box(p.a, p.y, p.b, y0 + p.d);
                if (type == gtTriangles || type == gtTrianglesAndLines)
                    c_.polygon({QPoint(px(p.a), px(y0 + p.d)), QPoint(px(p.b), px(y0 + p.d)),
                                QPoint(px(p.c), px(p.y))});
                if ((type == gtPointsAndLines || type == gtLines) && g + 1 < n) {
                    const Point q = pointOf(s, g + 1);
                    c_.setPen(PenSpec{PenStyle::Solid, 3, color});
                    line(p.c, p.y, q.c, nextY(s, g, p.d));
                    c_.setPen(PenSpec{PenStyle::Solid, 1, kBlack});
                }
                if (type == gtPoints || type == gtPointsAndLines)
                    box(p.c - 3, p.y - 3, p.c + 3, p.y + 3);
            }
        }
    }

    // Black lines joining the points of each series over bars or
    // triangles.
    void joinPoints() {
        if (v_.GraphType != gtBarsAndLines && v_.GraphType != gtTrianglesAndLines)
            return;
        c_.setPen(PenSpec{PenStyle::Solid, 3, kBlack});
        for (int s = 0; s < S; ++s)
            for (int g = 0; g + 1 < n; ++g) {
                const Point p = pointOf(s, g);
                line(p.c, p.y, pointOf(s, g + 1).c, nextY(s, g, p.d));
            }
        c_.setPen(PenSpec{PenStyle::Solid, 1, kBlack});
    }

    Canvas& c_;
    const TvxGraphView& v_;
    const ChartData& d_;
    const int64_t L, T, W, H;
    const int S, n;
    int64_t th = 0, xh = 0, yh = 0;
    ChartScale scale;
    QStringList scaleLabels, legends, labels;
    int64_t J = 0, K = 0, V = 0, hh = 0;
    int64_t M = 0, PT = 0, PH = 0, PW = 0, P = 0, Q = 0, y0 = 0;
    double R = 0, U = 0;
};

} // namespace

void PaintChart(Canvas& canvas, const TvxGraphView& view, const ChartData& data) {
    // Everything the chart draws stays inside its bounds, whatever their
    // size and however long its texts.
    const int64_t L = view.Left, T = view.Top;
    const int level = canvas.saveState();
    canvas.intersectClipRect(
        rectFromEdges(view.Left, view.Top, px(L + view.Width + 1), px(T + view.Height + 1)));
    ChartPainter(canvas, view, data).paint();
    canvas.restoreState(level);
}

} // namespace vx
