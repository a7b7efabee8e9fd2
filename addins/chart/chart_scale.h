#pragma once

// The arithmetic of the chart object that does not draw: the value scale
// (always including 0, 21 grid lines 20 steps apart), the texts of the
// scale labels by the chart's value format, the slots of the horizontal
// axis and the shortening of legend and record texts.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace vx {

// Grid lines of the value scale: 0 to kChartSteps.
inline constexpr int kChartSteps = 20;
inline constexpr int kChartGridLines = kChartSteps + 1;

struct ChartScale {
    double Min = 0;
    double Max = 0;
    double Step = 0; // (Max - Min) / 20
    bool operator==(const ChartScale&) const = default;
};

// The scale of a set of values: the smallest and largest of them, widened
// so that 0 is always inside.
ChartScale ComputeChartScale(double smallest, double largest);

// The value of grid line k (k x Step + Min).
inline double ChartGridValue(const ChartScale& scale, int k) {
    return k * scale.Step + scale.Min;
}

// The label of a scale value by the chart's value format:
//   empty            the integer nearest the value (halves to even);
//   "[1"             the system currency format, negative as "€ -5";
//   "[2"             "€ " and the value converted to euro (/ 1936,27),
//                    rounded to cents, grouped, two decimals;
//   "[3" .. "[7"     the number patterns "0.##", "0.00", "0,.##", "0,.00", "0,";
//   "[" and another  like an empty format;
//   any other text   the text as a number pattern.
// Only the first two characters of a "[" code count.
QString ChartScaleLabel(double value, const QString& yFormat);
// The 21 labels of a scale, bottom (Min) first.
QStringList ChartScaleLabels(const ChartScale& scale, const QString& yFormat);

// Slots of the horizontal axis: each record has two slots per series and
// one free slot separates records: n x S x 2 + n - 1.
int64_t ChartSlotCount(int64_t records, int64_t series);
// The first of the two slots of series s of record g.
int64_t ChartFirstSlot(int64_t record, int64_t series, int64_t seriesCount);

// A text longer than `limit` characters becomes its first limit - 1
// characters and ".".
QString ShortenChartText(const QString& text, int limit);
inline constexpr int kLegendTextLimit = 20;
inline constexpr int kRecordLabelLimit = 12;

// Real to integer, halves to even, limited to the 32-bit range (pixel
// positions of a chart far larger than any page).
int32_t RoundToPixel(double value);

} // namespace vx
