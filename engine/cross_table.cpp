#include "engine/cross_table.h"

#include "engine/aggregates.h"
#include "engine/band.h"
#include "engine/engine_state.h"
#include "engine/page_builder.h"
#include "engine/page_run.h"
#include "engine/preparation.h"
#include "platform/errors.h"
#include "report/band_view.h"
#include "report/emf_pages.h"
#include "report/engine_counters.h"
#include "report/library_state.h"
#include "report/memo_view.h"
#include "report/page.h"
#include "report/report.h"

#include <algorithm>

namespace vx {

namespace {

QString messageOf(const std::exception& e) {
    if (const auto* vx = dynamic_cast<const VxError*>(&e))
        return vx->message();
    return QString::fromUtf8(e.what());
}

bool terminated(const PageRun& page) {
    return page.Report && page.Report->Terminated;
}

// Sets the re-entry guard for the life of one row.
struct RowGuard {
    bool& active;
    explicit RowGuard(bool& flag) : active(flag) { active = true; }
    ~RowGuard() { active = false; }
    RowGuard(const RowGuard&) = delete;
    RowGuard& operator=(const RowGuard&) = delete;
};

// One row of cells being printed from left to right.
struct CrossRow {
    TvxBand& row;
    PageRun& page;
    int32_t x = 0;
    int across = 0; // further output pages this row went on to

    bool continueIfNeeded(int32_t width);
    void openFurtherPage();
};

// Adds the output page that continues the columns and gives it the bands a
// new page shows: the overlay and the page header, at the top of the page
// (the cursor of the rows is kept).
void CrossRow::openFurtherPage() {
    AddOutputPage(page);
    const int32_t cursor = page.CursorY;
    const int32_t fresh = page.FreshTop;
    EmitBand(page, page.Band(btOverlay));
    page.CursorY = page.TopEdge();
    MarkFresh(page);
    EmitBand(page, page.Band(btPageHeader));
    page.CursorY = cursor;
    page.FreshTop = fresh;
    ReportProgress(OutputPageIndex);
}

// Goes on to the next output page when a band of `width` passes the right
// edge; false when the row is to stop (too many pages across, or an error).
bool CrossRow::continueIfNeeded(int32_t width) {
    if (int64_t(page.RightEdge()) >= int64_t(x) + width)
        return true;
    if (++across >= kMaxCrossPagesAcross) {
        CurrentBand = &row;
        CurrentView = nullptr;
        SetPreparationError(QStringLiteral("Le colonne della tabella richiedono più di %1 pagine "
                                           "affiancate.")
                                .arg(kMaxCrossPagesAcross));
        return false;
    }
    x = page.LeftEdge();
    ++OutputPageIndex;
    if (OutputPageIndex < page.Report->PreparedPages->Count())
        DrawOnOutputPage(OutputPageIndex);
    else
        openFurtherPage();
    if (ErrorRaised)
        return false;
    TvxBand* header = page.Band(btCrossHeader);
    if (page.Template->CopyCrossHeader && header->HasObjects()) {
        PrintCrossCell(*header, row, page.LeftEdge());
        x = page.LeftEdge() + header->Width;
    }
    return true;
}

// The columns of the cross data band: one cell per column record, or, for a
// row printed after the master list ended (a footer row), as many as the
// widest data row had.
void printDataCells(CrossRow& r) {
    PageRun& page = r.page;
    PreparationState& st = preparationState();
    TvxBand& data = *page.Band(btCrossData);
    TvxBand& master = *page.Band(btMasterData);
    if (r.x == 0)
        r.x = data.Left;
    // A cross data band without a dataset has no columns.
    if (!data.DataSet)
        return;
    FirstRecord(data);
    StartAggregates(data);
    st.CrossIndex = 1;
    if (!master.DataSet)
        return;
    while (!ErrorRaised) {
        const bool masterEnded = master.DataSet->Eof();
        if (data.DataSet->Eof() || masterEnded) {
            if (!masterEnded || st.CrossIndex > data.WidestRow)
                break;
        }
        if (!r.continueIfNeeded(data.Width))
            break;
        PrintCrossCell(data, r.row, r.x);
        r.x += data.Width;
        ++page.CrossColumnNo;
        if (!masterEnded)
            data.WidestRow = std::max(data.WidestRow, st.CrossIndex);
        NextRecord(data);
        AccumulateAggregates(data);
        if (terminated(page))
            break;
        ++st.CrossIndex;
    }
}

} // namespace

void PrintCrossCell(TvxBand& crossBand, TvxBand& row, int32_t x) {
    if (ErrorRaised || SilentPass)
        return;
    for (TvxView* o : crossBand.Objects) {
        if (ErrorRaised)
            break;
        if (std::find(row.Objects.begin(), row.Objects.end(), o) == row.Objects.end())
            continue;
        const int32_t left = o->Left;
        const int32_t top = o->Top;
        o->Left = int32_t(std::clamp<int64_t>(int64_t(x) + left, INT32_MIN, INT32_MAX));
        o->Top = int32_t(std::clamp<int64_t>(int64_t(row.Top) + top, INT32_MIN, INT32_MAX));
        o->ParentBand = &row;
        CurrentPage = row.Page->Template;
        CurrentBand = &row;
        bool failed = false;
        try {
            if (auto* memo = dynamic_cast<TvxCustomMemoView*>(o))
                memo->DrawMode = dmDraw;
            if (TvxReport* report = CurrentReport; report && report->OnDrawObject)
                report->OnDrawObject(o);
            o->Draw(PageCanvas());
        } catch (const std::exception& e) {
            SetPreparationError(QStringLiteral("Errore. ") + messageOf(e));
            failed = true;
        }
        o->ParentBand = &crossBand;
        o->Left = left;
        o->Top = top;
        if (failed)
            return;
    }
}

void PrintCrossRow(TvxBand& row) {
    PreparationState& st = preparationState();
    if (st.CrossRowActive)
        return;
    RowGuard guard(st.CrossRowActive);
    PageRun& page = *row.Page;
    page.CrossColumnNo = 1;
    CrossRow r{row, page};
    const int32_t savedIndex = OutputPageIndex;
    TvxBand& header = *page.Band(btCrossHeader);
    if (header.HasObjects()) {
        PrintCrossCell(header, row, header.Left);
        r.x = header.Left + header.Width;
    }
    if (page.Band(btCrossData)->HasObjects())
        printDataCells(r);
    TvxBand& footer = *page.Band(btCrossFooter);
    if (footer.HasObjects() && !ErrorRaised) {
        if (r.x == 0)
            r.x = footer.Left;
        if (r.continueIfNeeded(footer.Width))
            PrintCrossCell(footer, row, r.x);
    }
    OutputPageIndex = savedIndex;
    DrawOnOutputPage(savedIndex);
    CurrentBand = &row;
}

} // namespace vx
