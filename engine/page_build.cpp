// BuildPage: the bands of a template page in their fixed order (the bands
// that open an output page, the report title, the data levels, the column
// footer, the summary and the page footers), breaking to new columns and
// output pages as the bands require.
#include "engine/page_builder.h"

#include "engine/band_print.h"
#include "engine/engine_state.h"
#include "engine/page_run.h"
#include "engine/preparation.h"
#include "platform/canvas.h"
#include "platform/emf/recording_canvas.h"
#include "platform/errors.h"
#include "report/emf_pages.h"
#include "report/engine_counters.h"
#include "report/library_state.h"
#include "report/page.h"
#include "report/report.h"
#include "report/view.h"

namespace vx {

namespace {

TvxEMFPages& outputPages(const PageRun& page) {
    return *page.Report->PreparedPages;
}

bool isOpen(const TvxEMFPages& pages, int index) {
    return index >= 0 && index < pages.Count() && pages.Pages(index).PictureCanvas;
}

// Makes the open output page at `index` the drawing canvas.
void drawOn(TvxEMFPages& pages, int index) {
    if (isOpen(pages, index))
        OutputCanvas = pages.Pages(index).PictureCanvas.get();
}

void emitOpeningBands(PageRun& page) {
    EmitBand(page, page.Band(btReportTitle));
    if (page.Band(btPageHeader)->HasObjects() && page.Template->PageHeaderOnFirst)
        EmitBand(page, page.Band(btPageHeader));
    EmitBand(page, page.Band(btColumnHeader));
}

// A cross table above the master list: the master dataset starts at its
// first record before the title prints, so that the column loop has rows.
void startMasterForCrossTable(PageRun& page) {
    const TvxBand* cross = page.Band(btCrossData);
    const TvxBand* master = page.Band(btMasterData);
    if (cross->HasObjects() && cross->DataSet && CurrentBand &&
        CurrentBand->BandType != btMasterData && CurrentBand->Top < master->Top && master->DataSet)
        master->DataSet->First();
}

// Step 1 of BuildPage: the output page this template page starts on.
void openPage(PageRun& page) {
    PreparationState& st = preparationState();
    if (st.ContinuePrevious && st.LastCursorY == st.LastBottomLimit) {
        st.ContinuePrevious = false;
        st.FooterDone = false;
        CloseOpenPages();
    }
    page.BottomLimit =
        st.ContinuePrevious && st.FooterDone ? st.LastBottomLimit : page.BottomEdge();
    if (st.ContinuePrevious) {
        page.CursorY = st.LastCursorY;
        drawOn(outputPages(page), OutputPageIndex);
        page.FreshTop = INT32_MIN;
    } else {
        AddOutputPage(page);
        page.CursorY = page.TopEdge();
        MarkFresh(page);
        EmitBand(page, page.Band(btOverlay));
        EmitBand(page, page.Band(btNone));
    }
    page.ColumnIndex = 0;
    page.ColumnX = page.LeftEdge();
    startMasterForCrossTable(page);
    emitOpeningBands(page);
}

} // namespace

Canvas& PageCanvas() {
    // Bands measure and draw only while an output page is open; a drawing
    // without one is refused rather than sent nowhere.
    if (!OutputCanvas)
        throw VxError(QStringLiteral("Nessuna pagina aperta su cui disegnare."));
    return *OutputCanvas;
}

void DrawOnOutputPage(int index) {
    if (TvxReport* report = PreparingReport)
        drawOn(*report->PreparedPages, index);
}

void MarkFresh(PageRun& page) {
    page.FreshTop = page.CursorY;
}

bool EmitBand(PageRun& page, TvxBand* band) {
    if (!band || ErrorRaised)
        return false;
    if (page.RecordMode) {
        page.PlayList.push_back({band, pkPrint});
        return false;
    }
    return PrintBand(*band);
}

void AddOutputPage(PageRun& page) {
    outputPages(page).Add(*page.Template);
}

void CloseOpenPages() {
    TvxReport* report = PreparingReport;
    if (!report)
        return;
    TvxEMFPages& pages = *report->PreparedPages;
    while (OutputPageIndex < pages.Count()) {
        pages.ClosePage(OutputPageIndex);
        ++OutputPageIndex;
    }
}

void FinishPages(PageRun& page, bool close) {
    PreparationState& st = preparationState();
    TvxEMFPages& pages = outputPages(page);
    page.ColumnIndex = 0;
    page.ColumnX = page.LeftEdge();
    while (isOpen(pages, OutputPageIndex) && !ErrorRaised) {
        drawOn(pages, OutputPageIndex);
        if (!(st.ContinuePrevious && st.FooterDone))
            EmitBand(page, page.Band(btPageFooter));
        if (close)
            pages.ClosePage(OutputPageIndex);
        ++OutputPageIndex;
    }
}

void StartNewPage(PageRun& page) {
    if (page.RecordMode)
        return; // a recorded page opens no output pages
    ReportProgress(OutputPageIndex + 1);
    EmitBand(page, page.Band(btColumnFooter));
    FinishPages(page, true);
    page.BottomLimit = page.BottomEdge();
    AddOutputPage(page);
    preparationState().ContinuePrevious = false;
    EmitBand(page, page.Band(btOverlay));
    page.CursorY = page.TopEdge();
    // An empty page: a header that does not fit here fits nowhere.
    MarkFresh(page);
    EmitBand(page, page.Band(btPageHeader));
    EmitBand(page, page.Band(btColumnHeader));
    MarkFresh(page);
}

void BuildPage(PageRun& page) {
    PreparationState& st = preparationState();
    if (!page.RecordMode)
        openPage(page);
    RunDataLevels(page);
    if (page.RecordMode || ErrorRaised)
        return;
    EmitBand(page, page.Band(btColumnFooter));
    EmitBand(page, page.Band(btReportSummary));
    st.LastCursorY = page.CursorY;
    st.LastBottomLimit = page.BottomLimit;
    if (page.ColumnIndex > 0)
        st.LastCursorY = page.BottomEdge();
    page.ColumnIndex = 0;
    page.ColumnX = page.LeftEdge();
    const int32_t index = OutputPageIndex;
    st.FooterDone = page.Template->PageFooterOnLast && page.Band(btPageFooter)->HasObjects();
    if (st.FooterDone)
        FinishPages(page, false);
    OutputPageIndex = index + 1;
}

} // namespace vx
