#include "engine/engine_hooks.h"

#include "engine/aggregates.h"
#include "engine/band.h"
#include "engine/cross_table.h"
#include "engine/engine_state.h"
#include "engine/page_run.h"
#include "engine/preparation.h"
#include "engine/sub_reports.h"
#include "report/data_refs.h"
#include "report/engine_counters.h"
#include "report/report_hooks.h"

namespace vx {

BandHooks& bandHooks() {
    return libraryState().part<BandHooks>();
}

ProgressWindow& progressWindow() {
    return libraryState().part<ProgressWindow>();
}

namespace {

// The dataset the data band of a page took into use; while the page is not
// being prepared (or its band has none yet), the one its band object names.
TvxDataset* pageDataSet(TvxPage* page, int bandType) {
    if (const PageRun* run = runOf(page))
        if (TvxDataset* ds = run->Band(bandType)->DataSet)
            return ds;
    return TemplatePageDataSet(page, bandType);
}

} // namespace

void InstallEngine() {
    ReportHooks& report = reportHooks();
    report.Prepare = [](TvxReport& r) { return Prepare(r); };
    report.PrepareAndShow = [](TvxReport& r) { PrepareAndShow(r); };
    report.BandTypeOf = [](const TvxBand& band) { return band.BandType; };
    report.BandFitToContent = [](const TvxBand& band) { return band.FitToContent; };

    EngineHooks& engine = engineHooks();
    engine.BandLineNo = [](const TvxBand* band) { return band->LineNo; };
    engine.BandLineThrough = [](const TvxBand* band) { return band->LineThrough; };
    engine.PageCrossColumnNo = [](const TvxPage* page) {
        const PageRun* run = runOf(page);
        return run ? run->CrossColumnNo : 0;
    };
    engine.PageLineCounter = [](const TvxPage* page) {
        const PageRun* run = runOf(page);
        return run ? run->LineCounter : 0;
    };
    engine.Aggregate = AnswerAggregate;

    SetPageDataSetLookup(pageDataSet);

    BandHooks& bands = bandHooks();
    bands.PrintCrossRow = PrintCrossRow;
    bands.PrepareSubReports = PrepareSubReports;
    bands.RunSubReports = RunSubReports;
}

} // namespace vx
