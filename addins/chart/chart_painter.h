#pragma once

// Draws a chart object's chart from the data it read: titles, value scale
// with its grid, record labels, legend, axes and series, clipped to the
// object's bounds.

#include "platform/canvas.h"

namespace vx {

class TvxGraphView;
struct ChartData;

// Text colour of every chart text (navy) and the face of its fonts.
inline constexpr Color kChartTextColor{0x800000};

void PaintChart(Canvas& canvas, const TvxGraphView& view, const ChartData& data);

} // namespace vx
