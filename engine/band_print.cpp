#include "engine/band_print.h"

#include "engine/dataset_binding.h"
#include "engine/engine_hooks.h"
#include "engine/engine_state.h"
#include "engine/page_builder.h"
#include "engine/page_run.h"
#include "platform/errors.h"
#include "report/band_view.h"
#include "report/library_state.h"
#include "report/memo_view.h"
#include "report/report.h"

#include <algorithm>

namespace vx {

namespace {

void raiseDrawObject(TvxView& object) {
    if (TvxReport* report = CurrentReport; report && report->OnDrawObject)
        report->OnDrawObject(&object);
}

QString messageOf(const std::exception& e) {
    if (const auto* vx = dynamic_cast<const VxError*>(&e))
        return vx->message();
    return QString::fromUtf8(e.what());
}

// The cross-table cells of a row band: objects whose parent is a cross band.
void printCrossCells(TvxBand& band) {
    const bool hasCells = std::any_of(band.Objects.begin(), band.Objects.end(),
                                      [&band](const TvxView* o) { return o->ParentBand != &band; });
    if (hasCells && bandHooks().PrintCrossRow)
        bandHooks().PrintCrossRow(band);
}

// Height of the page's column footer band (F of the fit test).
int32_t columnFooterHeight(const PageRun& page) {
    const TvxBand* footer = page.Band(btColumnFooter);
    return footer && footer->View ? footer->Height : 0;
}

// The data band whose record a footer closes.
TvxBand* dataBandClosedBy(TvxBand& footer) {
    switch (footer.BandType) {
    case btMasterFooter:
    case btGroupFooter:
        return footer.Page->Band(btMasterData);
    case btDetailFooter:
        return footer.Page->Band(btDetailData);
    case btSubDetailFooter:
        return footer.Page->Band(btSubDetailData);
    default:
        return nullptr;
    }
}

// A footer looks at the record it closes: the dataset steps back one record
// while it prints, and forward again afterwards.
struct FooterStep {
    TvxBand* data = nullptr;
    bool wasAtEnd = false;

    void back(TvxBand& footer) {
        TvxBand* d = dataBandClosedBy(footer);
        if (!d || !d->DataSet)
            return;
        data = d;
        wasAtEnd = d->DataSet->Eof();
        DataSetContext context(*d);
        d->DataSet->Prior();
        NotifyDataSetWork(d->BandType, d->DataSet, dwPrior);
    }
    void forward() {
        if (!data)
            return;
        DataSetContext context(*data);
        data->DataSet->Next();
        NotifyDataSetWork(data->BandType, data->DataSet, dwNext);
        if (wasAtEnd) {
            data->DataSet->Next();
            NotifyDataSetWork(data->BandType, data->DataSet, dwNext);
        }
        data = nullptr;
    }
};

void fillBand(TvxBand& band) {
    PageRun& page = *band.Page;
    const int32_t dx = (page.ColumnWidth + page.ColumnGap) * page.ColumnIndex;
    for (TvxView* o : band.Objects) {
        o->Top += page.CursorY;
        o->Left += dx;
        o->Height = o->DesignHeight;
        o->SetCanvas(&PageCanvas());
        o->FillBackground();
        o->DrawFrameLines();
        o->Top -= page.CursorY;
        o->Left -= dx;
    }
    page.CursorY += band.Height;
}

} // namespace

void PaintObject(TvxBand& band, TvxView& object, uint8_t mode) {
    if (ErrorRaised)
        return;
    PageRun& page = *band.Page;
    CurrentPage = page.Template;
    CurrentBand = &band;
    // A sub-report object is shown by its page's contents, not drawn.
    if (object.ParentBand != &band || SilentPass || object.ObjectType == otSubReport)
        return;
    const int32_t left = object.Left;
    const int32_t top = object.Top;
    if (band.BandType != btNone) {
        object.Left += page.ColumnX - page.LeftEdge();
        object.Top += band.Top;
    }
    try {
        if (auto* memo = dynamic_cast<TvxCustomMemoView*>(&object))
            memo->DrawMode = mode;
        raiseDrawObject(object);
        object.Draw(PageCanvas());
    } catch (const std::exception& e) {
        SetPreparationError(QStringLiteral("Errore. ") + messageOf(e));
    }
    object.Left = left;
    object.Top = top;
}

bool PaintObjects(TvxBand& band, uint8_t mode) {
    for (size_t i = 0; i < band.Objects.size(); ++i) {
        TvxReport* report = band.Page->Report;
        if (report && report->Terminated)
            break;
        TvxView& object = *band.Objects[i];
        if (object.ObjectType == otSubReport) {
            const BandHooks& hooks = bandHooks();
            if (!hooks.PrepareSubReports || !hooks.RunSubReports)
                return false; // nothing shows sub-reports in this program
            band.SubReportStart = int32_t(i);
            hooks.PrepareSubReports(band);
            hooks.RunSubReports(band);
            return true;
        }
        PaintObject(band, object, mode);
    }
    return false;
}

int32_t MeasureHeight(TvxBand& band) {
    CurrentBand = &band;
    int32_t result = band.Height;
    for (TvxView* object : band.Objects) {
        auto* memo = dynamic_cast<TvxCustomMemoView*>(object);
        if (!memo || memo->ParentBand != &band)
            continue;
        memo->DrawMode = dmMeasure;
        MeasuredBandHeight = result;
        raiseDrawObject(*memo);
        memo->Draw(PageCanvas());
        result = std::max({result, MeasuredBandHeight, memo->Top + memo->Height});
    }
    return result;
}

void ShiftBelowStretched(TvxBand& band, int32_t& height) {
    for (TvxView* q : band.Objects) {
        auto* text = dynamic_cast<TvxCustomMemoView*>(q);
        if (!text || !text->Stretched())
            continue;
        const int32_t growth = q->Height - q->DesignHeight;
        for (TvxView* r : band.Objects) {
            if (r == q || q->Top + q->DesignHeight >= r->Top)
                continue;
            const int32_t rightEdge = r->Left + r->DesignWidth;
            const bool overlaps = (q->Left <= rightEdge && rightEdge <= q->Left + q->Width) ||
                                  (q->Left <= r->Left && r->Left <= q->Left + q->Width);
            if (!overlaps)
                continue;
            if (r->TopBeforeShift == -1)
                r->TopBeforeShift = r->Top;
            r->Top += growth;
            height = std::max(height, r->Top + r->Height);
        }
    }
}

bool NeverFits(TvxBand& band, int64_t height) {
    PageRun& page = *band.Page;
    if (page.CursorY > page.FreshTop)
        return false;
    CurrentBand = &band;
    const int64_t room = int64_t(page.BottomLimit) - page.CursorY - columnFooterHeight(page);
    SetPreparationError(
        QStringLiteral("La banda è più alta dello spazio di una pagina vuota (%1 pixel, spazio "
                       "disponibile %2 pixel).")
            .arg(height)
            .arg(std::max<int64_t>(room, 0)));
    return true;
}

bool FitOrBreak(TvxBand& band, int32_t top, int32_t height, bool checkOnly) {
    PageRun& page = *band.Page;
    const int64_t f = columnFooterHeight(page);
    if (int64_t(page.BottomLimit) >= int64_t(top) + height + f)
        return false;
    if (checkOnly)
        return true;
    // A page shown by a sub-report changes columns and pages with the band
    // that shows it (its playback), never by itself.
    if (page.IsSubReportPage)
        return true;
    if (page.ColumnIndex < page.ColumnCount - 1) {
        EmitBand(page, page.Band(btColumnFooter));
        ++page.ColumnIndex;
        page.ColumnX += page.ColumnWidth + page.ColumnGap;
        page.CursorY = page.ColumnTopY;
        MarkFresh(page);
        EmitBand(page, page.Band(btColumnHeader));
        MarkFresh(page);
    } else {
        StartNewPage(page);
    }
    return true;
}

// Breaks before a band that does not fit at the cursor, unless it would not
// fit on an empty page either; false when the band is not to be printed.
static bool breakIfNeeded(TvxBand& band, int32_t height) {
    if (!FitOrBreak(band, band.Top, height, true))
        return true;
    if (NeverFits(band, height))
        return false;
    FitOrBreak(band, band.Top, height, false);
    return true;
}

void LayoutBand(TvxBand& band) {
    if (band.Objects.empty())
        return;
    PageRun& page = *band.Page;
    const int32_t savedTop = band.Top;
    if (!band.FooterLike())
        band.Top = page.CursorY;
    if (band.FitToContent) {
        int32_t h = MeasureHeight(band);
        for (TvxView* o : band.Objects)
            o->TopBeforeShift = -1;
        ShiftBelowStretched(band, h);
        band.CalcHeight = h;
        const bool print = band.SplitAllowed || breakIfNeeded(band, h);
        band.Top = page.CursorY;
        if (print && band.SplitAllowed) {
            PrintSplit(band, dmDrawMeasured);
        } else if (print) {
            const bool hit = PaintObjects(band, dmDrawMeasured);
            printCrossCells(band);
            if (!hit)
                page.CursorY += h;
        }
        for (TvxView* o : band.Objects) {
            if (o->TopBeforeShift != -1)
                o->Top = o->TopBeforeShift;
            o->TopBeforeShift = -1;
        }
    } else {
        bool print = true;
        if (!band.FooterLike() && !band.SplitAllowed) {
            print = breakIfNeeded(band, band.Height);
            band.Top = page.CursorY;
        }
        if (print && band.SplitAllowed) {
            band.CalcHeight = MeasureHeight(band);
            PrintSplit(band, dmDrawMeasured);
        } else if (print) {
            const bool hit = PaintObjects(band, dmDraw);
            printCrossCells(band);
            if (!band.FooterLike() && !hit)
                page.CursorY += band.Height;
        }
    }
    band.Top = savedTop;
}

int32_t BandRoomNeeded(TvxBand& band) {
    if (band.IsDataBand() && band.NextBand && !band.NextBand->DataSet) {
        int64_t sum = 0;
        for (TvxBand* b = &band; b; b = b->NextBand.get())
            sum += MeasureHeight(*b);
        return int32_t(std::min<int64_t>(sum, INT32_MAX));
    }
    return band.FitToContent ? MeasureHeight(band) : band.Height;
}

bool PrintBand(TvxBand& band) {
    PageRun& page = *band.Page;
    if (band.View && !band.Objects.empty())
        raiseDrawObject(*band.View);
    band.Hidden = band.View && band.View->Visible == 0;
    if (band.Hidden)
        return true;
    if (band.FillMode) {
        fillBand(band);
        return true;
    }
    if (band.BandType == btColumnHeader)
        page.ColumnTopY = page.CursorY;
    if (band.BandType == btPageFooter)
        band.Top = page.BottomLimit;
    if (band.Objects.empty())
        return false;

    FooterStep step;
    step.back(band);
    bool result = false;
    // On a sub-report's page the column footer's room counts too: the band
    // is not to break by itself while it is laid out.
    const int32_t footerRoom = page.IsSubReportPage ? columnFooterHeight(page) : 0;
    if (!band.FooterLike() && !band.SplitAllowed &&
        int64_t(page.CursorY) + BandRoomNeeded(band) + footerRoom > page.BottomLimit) {
        result = true;
        if (page.IsSubReportPage) {
            step.forward();
            return true;
        }
        // On a page that holds nothing yet a break gains no room: the bands
        // are laid out here, and one that can never fit is reported then.
        if (page.CursorY > page.FreshTop)
            FitOrBreak(band, 0, kForceBreak, false);
    }
    band.SubReportsDone = true;
    if (band.IsDataBand() && band.NextBand && !band.NextBand->DataSet) {
        for (TvxBand* b = &band; b && !ErrorRaised; b = b->NextBand.get())
            LayoutBand(*b);
    } else {
        LayoutBand(band);
        if (!band.IsDataBand() && band.BandType != btGroupHeader && band.NewPageAfter)
            StartNewPage(page);
    }
    if (!band.SubReportsDone)
        result = true;
    step.forward();
    return result;
}

} // namespace vx
