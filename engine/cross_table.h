#pragma once

// Cross tables: a grid whose rows are the page's horizontal bands and whose
// columns come from the dataset of the cross data band. An object lying both
// in a horizontal band and in one of the three cross bands (header, data,
// footer) is a cell: it prints each time its row prints, and the data cells
// once per column record. Columns that pass the right edge of the page go on
// further output pages, to which every later row of the same page returns.

#include <cstdint>

namespace vx {

class TvxBand;

// Prints the cells of the horizontal band `row` for every column (nothing
// while a row is already being printed).
void PrintCrossRow(TvxBand& row);
// Prints the cells shared by a cross band and a row, with the cross band's
// left edge at x. Nothing once an error was raised or in a silent pass.
void PrintCrossCell(TvxBand& crossBand, TvxBand& row, int32_t x);

// The most output pages one row of a cross table may spread over, side by
// side: a column dataset wider than that stops the preparation with an error
// instead of producing pages without end.
inline constexpr int kMaxCrossPagesAcross = 50;

} // namespace vx
