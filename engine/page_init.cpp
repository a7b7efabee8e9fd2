// InitPage and DonePage: the run-time bands of a template page are made from
// its band objects, the objects are sorted into them by their position, the
// bands take their datasets into use, and the aggregates of the page's text
// objects register; afterwards everything is freed and the objects go back
// where they were designed.
#include "engine/page_builder.h"

#include "engine/aggregates.h"
#include "engine/band.h"
#include "engine/dataset_binding.h"
#include "engine/engine_state.h"
#include "engine/geometry.h"
#include "engine/page_run.h"
#include "expr/evaluator.h"
#include "report/band_view.h"
#include "report/engine_counters.h"
#include "report/library_state.h"
#include "report/memo_view.h"
#include "report/page.h"
#include "report/pages.h"
#include "report/report.h"
#include "report/subreport_view.h"

#include <algorithm>
#include <map>

namespace vx {

namespace {

bool isCrossBandType(int type) {
    return type >= btCrossHeader && type <= btCrossFooter;
}

int bandTypeOf(const TvxView* view) {
    return view->ObjectType == otBand ? int(view->FrameLines) : -1;
}

// The first band object of each band type present, by type.
using BandKeys = std::map<int, TvxBandView*>;

void addKey(BandKeys& keys, TvxBandView* view) {
    keys.emplace(view->BandType(), view);
}

// Remembers the design geometry and marks the objects to sort.
void markObjects(PageRun& page) {
    TvxPage& tp = *page.Template;
    page.DesignKept = true;
    for (const auto& owned : tp.Objects) {
        TvxView* o = owned.get();
        const int type = bandTypeOf(o);
        if (isCrossBandType(type))
            page.Band(type)->View = static_cast<TvxBandView*>(o);
        if (o->ObjectType != otBand)
            o->Selected = 1;
        o->DesignLeft = o->Left;
        o->DesignTop = o->Top;
        o->DesignHeight = o->Height;
        o->DesignWidth = o->Width;
        o->ParentBand = nullptr;
        // Stored bounds are kept in a range the engine's sums cannot leave.
        o->Left = clampCoord(o->Left, kMaxCoordinate);
        o->Top = clampCoord(o->Top, kMaxCoordinate);
        o->Width = clampCoord(o->Width, kMaxCoordinate);
        o->Height = clampCoord(o->Height, kMaxCoordinate);
    }
}

// Cross-table bands take their extent; the objects inside one become its
// cells.
void sortCrossCells(PageRun& page, BandKeys& keys) {
    bool any = false;
    for (int type = btCrossHeader; type <= btCrossFooter; ++type) {
        TvxBand* band = page.Band(type);
        if (!band->View)
            continue;
        band->Left = band->View->Left;
        band->Width = band->View->Width;
        band->Top = band->View->Top;
        band->Height = band->View->Height;
        addKey(keys, band->View);
        any = true;
    }
    if (!any)
        return;
    for (int type = btCrossHeader; type <= btCrossFooter; ++type) {
        TvxBand* band = page.Band(type);
        if (!band->View)
            continue;
        for (const auto& owned : page.Template->Objects) {
            TvxView* o = owned.get();
            if (!o->Selected || o->ParentBand)
                continue;
            if (o->Left >= band->Left &&
                int64_t(band->Left) + band->Width >= int64_t(o->Left) + o->Width) {
                o->Left -= band->Left;
                o->ParentBand = band;
                band->Objects.push_back(o);
            }
        }
    }
}

bool insideBand(const TvxBand& band, const TvxView& o) {
    return band.Top <= o.Top && int64_t(o.Top) < int64_t(band.Top) + band.Height - 1;
}

// The three sweeps of step 4 for one horizontal band.
void collectObjects(PageRun& page, TvxBand& band) {
    auto take = [&](TvxView* o, bool setParent) {
        o->Top -= band.Top;
        o->Selected = 0;
        if (setParent)
            o->ParentBand = &band;
        band.Objects.push_back(o);
    };
    const auto& objects = page.Template->Objects;
    for (const auto& o : objects)
        if (o->Selected && !o->ParentBand && o->ObjectType != otSubReport && insideBand(band, *o))
            take(o.get(), true);
    for (const auto& o : objects)
        if (o->Selected && o->ParentBand && insideBand(band, *o))
            take(o.get(), false);
    int subReports = 0;
    for (const auto& o : objects) {
        if (!o->Selected || o->ParentBand || o->ObjectType != otSubReport || !insideBand(band, *o))
            continue;
        if (++subReports > kMaxSubReportsPerBand) {
            CurrentBand = &band;
            CurrentView = nullptr;
            SetPreparationError(QStringLiteral("Una banda può contenere al massimo %1 sottoreport.")
                                    .arg(kMaxSubReportsPerBand));
            return;
        }
        take(o.get(), true);
    }
    // A band showing sub-reports does not split: a split part draws its
    // objects one by one and would never play the sub-reports, losing their
    // rows. Their own playback continues on the next column or page instead.
    if (subReports > 0)
        band.SplitAllowed = false;
}

// The horizontal bands of one type, chained by Top.
void makeChain(PageRun& page, int type, BandKeys& keys) {
    std::vector<std::unique_ptr<TvxBand>> bands;
    for (const auto& owned : page.Template->Objects) {
        if (bandTypeOf(owned.get()) != type)
            continue;
        auto* view = static_cast<TvxBandView*>(owned.get());
        auto band = bands.empty() ? std::move(page.Bands[size_t(type)])
                                  : std::make_unique<TvxBand>(&page, type);
        band->TakeView(view, page.IsSubReportPage);
        band->Top = clampCoord(band->Top, kMaxCoordinate);
        band->Height = clampCoord(band->Height, kMaxCoordinate);
        addKey(keys, view);
        collectObjects(page, *band);
        bands.push_back(std::move(band));
        if (ErrorRaised)
            break;
    }
    if (bands.empty())
        return;
    std::stable_sort(bands.begin(), bands.end(),
                     [](const auto& a, const auto& b) { return a->Top < b->Top; });
    TvxBand* last = bands.back().get();
    for (size_t i = bands.size() - 1; i > 0; --i) {
        bands[i]->PrevBand = bands[i - 1].get();
        bands[i - 1]->NextBand = std::move(bands[i]);
    }
    bands.front()->LastBand = last;
    page.Bands[size_t(type)] = std::move(bands.front());
}

// What lies in no band prints where it stands.
void collectUnbanded(PageRun& page) {
    TvxBand* none = page.Band(btNone);
    none->Top = 0;
    for (const auto& owned : page.Template->Objects) {
        TvxView* o = owned.get();
        if (!o->Selected)
            continue;
        if (o->ParentBand && isCrossBandType(o->ParentBand->BandType))
            o->Left += o->ParentBand->Left;
        o->ParentBand = none;
        none->Objects.push_back(o);
    }
}

// The innermost group is the lowest header with the highest footer.
void pairGroups(PageRun& page) {
    std::vector<TvxBand*> headers;
    for (TvxBand* b = page.Band(btGroupHeader); b && b->View; b = b->NextBand.get())
        headers.push_back(b);
    TvxBand* footer = page.Band(btGroupFooter);
    int level = 0;
    for (auto it = headers.rbegin(); it != headers.rend() && footer && footer->View;
         ++it, footer = footer->NextBand.get(), ++level) {
        (*it)->GroupFooter = footer;
        (*it)->GroupLevel = level;
        footer->GroupLevel = level;
    }
}

// The page's columns: their count (1 to 1000), gap and the width each gets
// of the space between the margins.
void computeColumns(PageRun& page) {
    const TvxPage& tp = *page.Template;
    page.ColumnCount = std::clamp(tp.ColumnCount, 1, 1000);
    page.ColumnGap = clampCoord(tp.ColumnGap, kMaxCoordinate);
    const int64_t width =
        int64_t(page.RightEdge()) - page.LeftEdge() - int64_t(page.ColumnCount) * page.ColumnGap;
    page.ColumnWidth = clampCoord(width / page.ColumnCount, kMaxCoordinate);
    page.Template->ColumnWidth = page.ColumnWidth;
}

// Each band type's first band takes the dataset its object names.
void attachDatasets(PageRun& page, const BandKeys& keys) {
    CurrentPage = page.Template;
    for (const auto& [type, view] : keys) {
        if (ErrorRaised)
            break;
        if (type == btGroupHeader)
            continue;
        CurrentView = page.Context(type);
        page.Band(type)->DataSet = AttachDataset(type, view->FormatText);
    }
    CurrentView = nullptr;
}

void sortIntoBands(PageRun& page) {
    BandKeys keys;
    markObjects(page);
    sortCrossCells(page, keys);
    for (int type = 0; type <= btGroupFooter && !ErrorRaised; ++type)
        makeChain(page, type, keys);
    if (ErrorRaised)
        return;
    collectUnbanded(page);
    pairGroups(page);
    computeColumns(page);
    attachDatasets(page, keys);
}

// Every text object is expanded once, quietly, so that its aggregates
// register on the band that will count them.
void registerAggregates(PageRun& page) {
    for (const auto& owned : page.Template->Objects) {
        if (ErrorRaised)
            break;
        TvxView* o = owned.get();
        if (o->ObjectType == otBand || !o->ParentBand)
            continue;
        o->ParentBandType = uint8_t(o->ParentBand->BandType);
    }
    const bool silent = SilentPass;
    for (const auto& owned : page.Template->Objects) {
        auto* text = dynamic_cast<TvxCustomMemoView*>(owned.get());
        if (ErrorRaised)
            break;
        if (!text || !text->ParentBand)
            continue;
        CurrentView = text;
        CurrentBand = text->ParentBand;
        TvxBand* counting = AggregatingBand(page, text->ParentBand->BandType);
        AggregateBand = counting ? counting : page.Band(btNone);
        SilentPass = false;
        SetExprErrorMode(kExprQuiet);
        preparationState().CrossTotal.erase(text);
        text->HasLineBreaks = 0;
        try {
            text->ExpandText();
        } catch (...) {
            SetExprErrorMode(kExprStrict);
            SilentPass = silent;
            AggregateBand = nullptr;
            throw;
        }
        SetExprErrorMode(kExprStrict);
        SilentPass = silent;
    }
    AggregateBand = nullptr;
}

} // namespace

void InitPage(PageRun& page) {
    for (int type = 0; type < kBandTypes; ++type)
        page.Bands[size_t(type)] = std::make_unique<TvxBand>(&page, type);
    CurrentPage = page.Template;
    sortIntoBands(page);
    if (ErrorRaised)
        return;
    registerAggregates(page);
    page.Initialised = true;
    page.LineCounter = 1;
    page.CrossColumnNo = 1;
}

void DonePage(PageRun& page) {
    for (auto& band : page.Bands)
        band.reset();
    if (!page.Template)
        return;
    // The objects go back to their design geometry, also when InitPage
    // stopped half way.
    for (const auto& owned : page.Template->Objects) {
        TvxView* o = owned.get();
        o->ParentBand = nullptr;
        if (page.DesignKept) {
            o->Left = o->DesignLeft;
            o->Top = o->DesignTop;
            o->Height = o->DesignHeight;
            o->Width = o->DesignWidth;
        }
        if (o->ObjectType != otBand)
            o->Selected = 0;
    }
    page.DesignKept = false;
    page.Initialised = false;
}

} // namespace vx
