#pragma once

// Printing one run-time band at the page cursor: measuring, stretching,
// moving objects below a growing text, fitting or breaking to the next
// column or page, splitting across pages, and drawing each object.

#include <cstdint>

namespace vx {

class TvxBand;
class TvxView;

// Prints the band. True when it was not printed as a whole where the cursor
// stood: it is hidden, a break was forced before it, or its sub-reports
// still wait for room.
bool PrintBand(TvxBand& band);
// Places, measures and draws the band (used by PrintBand).
void LayoutBand(TvxBand& band);
// The height the band needs for its current record (draws text objects in
// measuring mode).
int32_t MeasureHeight(TvxBand& band);
// The room PrintBand checks for.
int32_t BandRoomNeeded(TvxBand& band);
// True when a band of that height at that position does not fit; unless
// `checkOnly`, it then moves to the next column or page. A height of
// kForceBreak forces the break.
bool FitOrBreak(TvxBand& band, int32_t top, int32_t height, bool checkOnly);
inline constexpr int32_t kForceBreak = 10000;

// Draws the band's objects in a draw mode; true when a sub-report object was
// met (the sub-reports then move the cursor themselves).
bool PaintObjects(TvxBand& band, uint8_t mode);
void PaintObject(TvxBand& band, TvxView& object, uint8_t mode);
// A band that may split: prints what fits and continues the rest in the
// next columns or pages (band_split.cpp).
void PrintSplit(TvxBand& band, uint8_t mode);
// Moves the objects below each stretched text by its growth; raises
// `height` to cover them.
void ShiftBelowStretched(TvxBand& band, int32_t& height);

// Records a preparation error naming the band when it does not fit even on
// an empty page; true when that is the case (the band is not printed).
bool NeverFits(TvxBand& band, int64_t height);

} // namespace vx
