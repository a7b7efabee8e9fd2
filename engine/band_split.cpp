// A band that may split across columns and pages: the objects that fit are
// printed, a text crossing the bottom prints its whole lines and continues
// in the next part, other objects move whole to the next part.
#include "engine/band_print.h"

#include "engine/engine_state.h"
#include "engine/page_builder.h"
#include "engine/page_run.h"
#include "report/engine_counters.h"
#include "report/library_state.h"
#include "report/memo_view.h"
#include "report/report.h"

#include <algorithm>

namespace vx {

namespace {

int32_t lineHeightOf(const TvxView& o) {
    const auto* text = dynamic_cast<const TvxCustomMemoView*>(&o);
    return text ? text->GetLineHeight() : 0;
}

// A text that continues in parts: one with a positive line height.
bool splitsByLines(const TvxView& o) {
    return lineHeightOf(o) > 0;
}

// Cuts the object's height to whole lines; returns the rest.
int32_t trimToLines(TvxView& o) {
    const int32_t a = o.Height;
    const int32_t lh = lineHeightOf(o);
    int32_t c = (a / lh) * lh + 2 * o.GapY + 1;
    if (a < c)
        c -= lh;
    o.Height = c;
    return a - c + 1;
}

// Whether the object's height holds at least one whole line.
bool holdsALine(const TvxView& o) {
    return o.Height - 2 * o.GapY - 1 >= lineHeightOf(o);
}

void shiftBelow(TvxBand& band, const TvxView& o, int32_t amount) {
    for (TvxView* q : band.Objects) {
        if (q == &o || o.Top + o.Height >= q->Top)
            continue;
        if (o.Left <= q->Left && q->Left <= o.Left + o.Width)
            q->Top += amount;
    }
}

// The height still to print of a text continuing from an earlier part.
int32_t remainingHeight(const TvxView& o) {
    if (const auto* memo = dynamic_cast<const TvxMemoView*>(&o))
        return int32_t(memo->ExpandedLines.size() - memo->LinesDone) * memo->LineHeight +
               2 * memo->GapY + 1;
    if (const auto* text = dynamic_cast<const TvxCustomMemoView*>(&o))
        return text->ContentHeight + text->FrameWidth;
    return o.Height;
}

struct SplitPart {
    TvxBand& band;
    uint8_t mode;
    int32_t limit = 0;
    int32_t bottom = 0;
    bool progressed = false;
    bool stuck = false; // an object can never fit, not even on an empty page
    bool fresh = false; // the part starts at the top of an empty page

    void startsHere(TvxView& o);
    void continues(TvxView& o);
};

// An object whose top lies in this part.
void SplitPart::startsHere(TvxView& o) {
    if (o.Top + o.Height < limit) {
        PaintObject(band, o, mode);
        o.Selected = 0;
        bottom = std::max(bottom, o.Top + o.Height);
        progressed = true;
        return;
    }
    if (!splitsByLines(o)) {
        stuck = stuck || fresh;
        o.Top = limit;
        return;
    }
    const int32_t kept = o.Height;
    o.Height = limit - o.Top + 1;
    int32_t rest = trimToLines(o);
    if (!holdsALine(o)) {
        stuck = stuck || (fresh && o.Top == 0);
        shiftBelow(band, o, limit - o.Top);
        o.Top = limit;
        rest = 0;
    } else {
        if (auto* text = dynamic_cast<TvxCustomMemoView*>(&o))
            text->LinesDone = 0;
        PaintObject(band, o, dmContinue);
        shiftBelow(band, o, rest);
        progressed = true;
    }
    o.Height = kept + rest;
}

// An object that began in an earlier part.
void SplitPart::continues(TvxView& o) {
    const int32_t keptTop = o.Top;
    const int32_t keptHeight = o.Height;
    if (o.Top + o.Height < limit) {
        o.Height = o.Top + o.Height;
        o.Top = 0;
        if (o.Height > lineHeightOf(o) / 2) {
            o.Height = remainingHeight(o);
            PaintObject(band, o, dmContinue);
            bottom = std::max(bottom, o.Top + o.Height);
        }
        o.Top = keptTop;
        o.Height = keptHeight;
        o.Selected = 0;
        progressed = true;
        return;
    }
    o.Height = limit;
    o.Top = 0;
    int32_t rest = 0;
    if (splitsByLines(o)) {
        rest = trimToLines(o);
        progressed = progressed || holdsALine(o);
    }
    PaintObject(band, o, dmContinue);
    o.Top = keptTop;
    o.Height = keptHeight + rest;
}

bool anyMarked(const TvxBand& band) {
    return std::any_of(band.Objects.begin(), band.Objects.end(),
                       [](const TvxView* o) { return o->Selected != 0; });
}

} // namespace

void PrintSplit(TvxBand& band, uint8_t mode) {
    PageRun& page = *band.Page;
    for (TvxView* o : band.Objects) {
        o->Selected = 1;
        o->SplitBounds = EdgeRect{o->Left, o->Top, o->Left + o->Width, o->Top + o->Height};
    }
    if (!FitOrBreak(band, band.Top, band.CalcHeight, true)) {
        PaintObjects(band, mode);
    } else {
        int32_t bottom = 0;
        while (anyMarked(band) && !ErrorRaised && !(page.Report && page.Report->Terminated)) {
            const TvxBand* footer = page.Band(btColumnFooter);
            SplitPart part{band, mode};
            part.fresh = page.CursorY <= page.FreshTop;
            part.limit =
                page.BottomLimit - (footer && footer->View ? footer->Height : 0) - band.Top - 2;
            SplitRoom = band.Objects.empty() ? part.limit : part.limit - band.Objects.back()->Top;
            if (part.limit > 0) {
                for (TvxView* o : band.Objects) {
                    if (!o->Selected)
                        continue;
                    if (o->Top >= 0 && o->Top < part.limit)
                        part.startsHere(*o);
                    else if (o->Top < 0 && o->Top + o->Height >= 0)
                        part.continues(*o);
                    else if (o->Top >= part.limit)
                        part.progressed = true; // it waits, and comes nearer
                }
                for (TvxView* o : band.Objects)
                    o->Top -= part.limit;
            }
            if (part.fresh && (part.stuck || !part.progressed)) {
                NeverFits(band, band.CalcHeight);
                break;
            }
            bottom = part.bottom;
            if (anyMarked(band))
                FitOrBreak(band, band.Top, kForceBreak, false);
            band.Top = page.CursorY;
        }
        band.CalcHeight = bottom;
    }
    for (TvxView* o : band.Objects) {
        o->Top = o->SplitBounds.Top;
        o->Height = o->SplitBounds.Bottom - o->SplitBounds.Top;
        o->Selected = 0;
    }
    page.CursorY += band.CalcHeight;
}

} // namespace vx
