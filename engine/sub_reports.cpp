#include "engine/sub_reports.h"

#include "engine/aggregates.h"
#include "engine/band.h"
#include "engine/band_print.h"
#include "engine/engine_state.h"
#include "engine/page_builder.h"
#include "engine/page_run.h"
#include "report/band_view.h"
#include "report/engine_counters.h"
#include "report/library_state.h"
#include "report/page.h"
#include "report/report.h"
#include "report/subreport_view.h"

#include <algorithm>
#include <vector>

namespace vx {

namespace {

// One sub-report object of a band and the page it shows.
struct Shown {
    TvxSubReportView* view;
    PageRun* run;
    size_t slot; // position from SubReportStart (SubReportDone, SubReportTop)
};

bool terminated(const PageRun& page) {
    return page.Report && page.Report->Terminated;
}

// The sub-report objects of the band, from SubReportStart on, with their
// pages (only those with a page of this pass).
std::vector<Shown> shownBy(TvxBand& band) {
    std::vector<Shown> out;
    const size_t start = size_t(std::max(band.SubReportStart, 0));
    for (size_t i = start; i < band.Objects.size() && out.size() < kMaxSubReportsPerBand; ++i) {
        auto* view = dynamic_cast<TvxSubReportView*>(band.Objects[i]);
        if (!view)
            continue;
        const auto& runs = preparationState().Runs;
        PageRun* run = view->SubPage >= 0 && size_t(view->SubPage) < runs.size()
                           ? runs[size_t(view->SubPage)].get()
                           : nullptr;
        if (run)
            out.push_back({view, run, out.size()});
    }
    return out;
}

// The page a sub-report object shows, or an error naming the object: a page
// that does not exist, or one that is being shown already (the object's own
// page, an enclosing sub-report's, or another object's of the same band).
PageRun* pageToShow(TvxSubReportView& view) {
    const auto& runs = preparationState().Runs;
    CurrentView = &view;
    if (view.SubPage < 0 || size_t(view.SubPage) >= runs.size()) {
        SetPreparationError(QStringLiteral("Il sottoreport mostra la pagina %1, che non esiste.")
                                .arg(int64_t(view.SubPage) + 1));
        return nullptr;
    }
    if (preparationState().SubReportDepth >= kMaxSubReportDepth) {
        SetPreparationError(QStringLiteral("I sottoreport sono annidati oltre %1 livelli.")
                                .arg(kMaxSubReportDepth));
        return nullptr;
    }
    PageRun* run = runs[size_t(view.SubPage)].get();
    if (run->ShownNow || run->Template == CurrentPage) {
        SetPreparationError(
            QStringLiteral("Il sottoreport mostra la pagina %1, che è già in stampa.")
                .arg(int64_t(view.SubPage) + 1));
        return nullptr;
    }
    return run;
}

// The lowest position a sub-report of the band may reach: the page's limit,
// or for a page footer (which lies below that limit) the footer's own bottom.
int32_t limitFor(const TvxBand& band) {
    const PageRun& page = *band.Page;
    if (band.FooterLike())
        return int32_t(std::clamp<int64_t>(int64_t(band.Top) + band.Height, INT32_MIN, INT32_MAX));
    return page.BottomLimit;
}

// The left edge of a sub-report's content: the object's place in the band's
// current column.
int32_t startX(const PageRun& page, const TvxSubReportView& view) {
    return int32_t(std::clamp<int64_t>(int64_t(page.ColumnX) - page.LeftEdge() + view.Left,
                                       INT32_MIN, INT32_MAX));
}

void playFirst(TvxBand& band) {
    if (!band.DataSet)
        return;
    FirstRecord(band);
    StartAggregates(band);
    band.LineNo = 1;
}

void playStep(TvxBand& band) {
    if (band.DataSet)
        NextRecord(band);
}

// The record just reached counts: its totals (when `accumulate`) and the
// line numbers.
void playCount(PageRun& page, TvxBand& band, bool accumulate) {
    if (!band.DataSet)
        return;
    if (accumulate)
        AccumulateAggregates(band);
    ++page.LineCounter;
    ++band.LineThrough;
    ++band.LineNo;
}

// A band printed during the playback; true when the playback is to stop here.
bool playPrint(PageRun& page, TvxBand& band, TvxBand*& fill) {
    if (fill && !band.FillList) {
        FillRemainingSpace(page, *fill);
        fill = nullptr;
    }
    if (band.FillList && !fill)
        fill = &band;
    if (!PrintBand(band))
        return false;
    if (band.Hidden) // hidden by the host: nothing to wait for
        return false;
    if (!page.WaitingBand)
        NeverFits(band, BandRoomNeeded(band));
    return true;
}

} // namespace

void PrepareSubReports(TvxBand& band) {
    PageRun& page = *band.Page;
    PreparationState& st = preparationState();
    const int level = st.CurrentLevel;
    const size_t start = size_t(std::max(band.SubReportStart, 0));
    size_t slot = 0;
    for (size_t i = start; i < band.Objects.size() && !ErrorRaised; ++i) {
        auto* view = dynamic_cast<TvxSubReportView*>(band.Objects[i]);
        if (!view)
            continue;
        CurrentPage = page.Template;
        PageRun* s = pageToShow(*view);
        if (!s)
            break;
        s->ShownNow = true;
        s->RecordMode = true;
        s->PlayList.clear();
        BuildPage(*s);
        s->CursorY = int32_t(std::clamp<int64_t>(int64_t(view->Top) + band.Top, 0, INT32_MAX));
        s->BottomLimit = limitFor(band);
        s->ColumnX = startX(page, *view);
        s->ColumnIndex = page.ColumnIndex;
        s->PlayPos = 0;
        s->FreshTop = INT32_MIN;
        band.SubReportDone[slot] = false;
        band.SubReportTop[slot] = s->CursorY;
        ++slot;
    }
    st.CurrentLevel = level;
    CurrentPage = page.Template;
    CurrentBand = &band;
    page.WaitingBand = nullptr;
}

bool PlayRecords(PageRun& page) {
    TvxBand* fill = nullptr;
    while (size_t(page.PlayPos) < page.PlayList.size()) {
        if (ErrorRaised || terminated(page))
            return false;
        const PlayEntry e = page.PlayList[size_t(page.PlayPos)];
        TvxBand& band = *e.Band;
        switch (e.Kind) {
        case pkFirst:
            playFirst(band);
            break;
        case pkNext:
            playStep(band);
            playCount(page, band, true);
            break;
        case pkStep:
            playStep(band);
            break;
        case pkRegroup:
            ResetAggregates(band, e.Level);
            AccumulateAggregates(band);
            band.LineNo = 0;
            break;
        case pkTally:
            playCount(page, band, e.Level != 0);
            break;
        case pkGroupCount:
            ++band.LineNo;
            ++band.LineThrough;
            break;
        case pkGroupReset:
            band.LineNo = 0;
            break;
        default:
            if (page.WaitingBand) {
                RunSubReports(*page.WaitingBand);
                if (page.WaitingBand)
                    return true;
            } else if (playPrint(page, band, fill)) {
                return true;
            }
            break;
        }
        ++page.PlayPos;
    }
    if (fill)
        FillRemainingSpace(page, *fill);
    return false;
}

namespace {

// Where the sub-reports of a band go on after a column or page change.
void resume(TvxBand& band, const std::vector<Shown>& shown, bool moved) {
    PageRun& page = *band.Page;
    // On an empty page a band that does not fit fits nowhere.
    const bool fresh = !moved && page.CursorY <= page.FreshTop;
    for (const Shown& s : shown) {
        if (!moved)
            band.SubReportTop[s.slot] = page.CursorY;
        s.run->CursorY = band.SubReportTop[s.slot];
        s.run->BottomLimit = limitFor(band);
        s.run->FreshTop = fresh ? s.run->CursorY : INT32_MIN;
    }
}

// One round: every sub-report not done yet plays until it ends or the room
// does; the band's bottom follows the lowest that ended. `a` is the lowest
// cursor of the columns the first sub-report's page left behind.
void playRound(TvxBand& band, const std::vector<Shown>& shown, int32_t a) {
    band.SubReportsDone = true;
    band.SubReportBottom = band.Page->CursorY;
    for (const Shown& s : shown) {
        if (band.SubReportDone[s.slot] || ErrorRaised)
            continue;
        if (PlayRecords(*s.run)) {
            band.SubReportsDone = false;
            continue;
        }
        band.SubReportDone[s.slot] = true;
        const int32_t columns = s.run->ColumnIndex > 0 ? a : -1;
        band.SubReportBottom = std::max({band.SubReportBottom, s.run->CursorY, columns});
    }
    CurrentPage = band.Page->Template;
    CurrentBand = &band;
}

} // namespace

void RunSubReports(TvxBand& band) {
    struct Depth {
        int& depth = preparationState().SubReportDepth;
        Depth() { ++depth; }
        ~Depth() { --depth; }
        Depth(const Depth&) = delete;
        Depth& operator=(const Depth&) = delete;
    } depth;
    PageRun& page = *band.Page;
    const std::vector<Shown> shown = shownBy(band);
    int32_t a = -1;
    bool moved = false;
    while (!shown.empty()) {
        if (!band.SubReportsDone)
            resume(band, shown, moved);
        playRound(band, shown, a);
        if (band.SubReportsDone || ErrorRaised || terminated(page))
            break;
        if (page.IsSubReportPage) {
            // A sub-report inside a sub-report: the enclosing playback moves
            // on and resumes this band.
            page.WaitingBand = &band;
            return;
        }
        PageRun& p = *shown.front().run;
        if (p.ColumnIndex < p.ColumnCount - 1) {
            a = std::max(a, p.CursorY);
            ++p.ColumnIndex;
            p.ColumnX += p.ColumnWidth + p.ColumnGap;
            moved = true;
        } else if (band.BandType == btPageFooter) {
            band.SubReportsDone = true; // what does not fit in a page footer is dropped
            break;
        } else {
            StartNewPage(page);
            p.ColumnIndex = 0;
            p.ColumnX = startX(page, *shown.front().view);
            moved = false;
        }
    }
    for (const Shown& s : shown) {
        s.run->PlayList.clear();
        s.run->ShownNow = false;
    }
    CurrentPage = page.Template;
    CurrentBand = &band;
    page.CursorY = band.SubReportBottom;
    page.WaitingBand = nullptr;
}

} // namespace vx
