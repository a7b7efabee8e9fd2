// The data loop of a template page: up to three nested levels (master,
// detail, sub-detail), each with its header and footer, and groups on the
// master level. Headers are printed only together with their first printed
// record: bands wait in a pending list until a record of the deepest level
// prints.
#include "engine/page_builder.h"

#include "engine/aggregates.h"
#include "engine/band_print.h"
#include "engine/dataset_binding.h"
#include "engine/engine_state.h"
#include "engine/master_detail.h"
#include "engine/page_run.h"
#include "expr/evaluator.h"
#include "platform/errors.h"
#include "report/library_state.h"
#include "report/memo_view.h"
#include "report/report.h"

#include <QCoreApplication>

#include <array>
#include <chrono>

namespace vx {

namespace {

// The pending list holds nine bands; three levels use at most six.
constexpr size_t kPendingMax = 9;

struct PendingList {
    std::array<TvxBand*, kPendingMax> bands{};
    size_t count = 0;

    void push(TvxBand* band) {
        if (band && count < kPendingMax)
            bands[count++] = band;
    }
    void dropLast() {
        if (count > 0)
            --count;
    }
    bool empty() const { return count == 0; }
    void flush(PageRun& page) {
        const size_t n = count;
        count = 0;
        for (size_t i = 0; i < n && !ErrorRaised; ++i)
            if (bands[i]->HasObjects())
                EmitBand(page, bands[i]);
    }
};

// The list of the BuildPage in progress (a sub-report recorded while a band
// prints runs a BuildPage of its own, with a list of its own).
PendingList* currentList = nullptr;

PendingList& pending() {
    return *currentList;
}

struct Level {
    int header, data, footer;
};
constexpr Level kLevels[] = {{btMasterHeader, btMasterData, btMasterFooter},
                             {btDetailHeader, btDetailData, btDetailFooter},
                             {btSubDetailHeader, btSubDetailData, btSubDetailFooter}};

const Level& levelBands(int level) {
    return kLevels[level - 1];
}

int deepestLevel(const PageRun& page) {
    for (int level = 3; level >= 1; --level)
        if (page.Band(levelBands(level).data)->HasObjects())
            return level;
    return 0;
}

bool groupsOn(const PageRun& page) {
    return page.Band(btGroupHeader)->HasObjects();
}

bool terminated(const PageRun& page) {
    return page.Report && page.Report->Terminated;
}

// Evaluates a group condition as an expression of the master data level.
Variant evaluateCondition(PageRun& page, const QString& condition) {
    CurrentView = page.Context(btGroupHeader);
    CurrentPage = page.Template;
    Variant value;
    EvaluateExpression(condition, value);
    CurrentView = nullptr;
    return value;
}

bool sameValue(const Variant& a, const Variant& b) {
    try {
        return CompareVariants(ExprOp::Equal, a, b);
    } catch (const std::exception&) {
        return false;
    }
}

void takeGroupValues(PageRun& page, TvxBand& header) {
    for (TvxBand* h = &header; h && h->View; h = h->NextBand.get()) {
        CurrentBand = &header;
        try {
            h->GroupValue = evaluateCondition(page, h->GroupCondition);
        } catch (const VxError& e) {
            SetPreparationError(QStringLiteral("Errore. ") + e.message());
        } catch (const std::exception& e) {
            SetPreparationError(QStringLiteral("Errore. ") + QString::fromUtf8(e.what()));
        }
    }
}

void showGroupHeaders(PageRun& page, TvxBand& header) {
    takeGroupValues(page, header);
    for (TvxBand* h = &header; h && h->View && !ErrorRaised; h = h->NextBand.get()) {
        // A recorded page counts when it plays, so that each header shows
        // its own group number rather than the count at the end.
        if (page.RecordMode) {
            page.PlayList.push_back({h, pkGroupCount});
        } else {
            ++h->LineNo;
            ++h->LineThrough;
        }
        EmitBand(page, h);
    }
}

void refreshFooterTexts(TvxBand& footer) {
    CurrentBand = &footer;
    for (TvxView* o : footer.Objects) {
        auto* memo = dynamic_cast<TvxMemoView*>(o);
        if (!memo || memo->ParentBand != &footer)
            continue;
        const bool highlight = memo->HighlightOn;
        CurrentView = memo;
        memo->ExpandText();
        memo->HighlightOn = highlight;
    }
}

// A dataset whose range has no end: a plain or user dataset without an end
// test and without a record count would print records for ever.
bool endless(const TvxDataset& ds) {
    return !dynamic_cast<const TvxDBDataSet*>(&ds) && ds.RangeEnd != reCount && !ds.OnCheckEOF;
}

// The header bands from the last one back to (not including) `header`.
template <class F> void forInnerHeaders(TvxBand& first, TvxBand& header, F f) {
    std::vector<TvxBand*> inner;
    bool after = false;
    for (TvxBand* h = &first; h && h->View; h = h->NextBand.get()) {
        if (after)
            inner.push_back(h);
        after = after || h == &header;
    }
    for (auto it = inner.rbegin(); it != inner.rend(); ++it)
        f(**it);
}

struct LoopState {
    PageRun& page;
    TvxBand& data;
    const Level& bands;
    bool filled = false;
    bool accumulated = false;
};

void fillBeforeGroupEnd(LoopState& s, TvxBand& header, TvxBand& first) {
    int64_t reserve = MeasureHeight(*s.page.Band(s.bands.footer));
    forInnerHeaders(first, header, [&](TvxBand& h) {
        if (h.GroupFooter)
            reserve += MeasureHeight(*h.GroupFooter);
    });
    if (header.GroupFooter)
        reserve += MeasureHeight(*header.GroupFooter);
    if (s.data.Height > 0) {
        s.data.FillMode = true;
        while (!ErrorRaised &&
               s.page.BottomLimit - int64_t(s.page.CursorY) - reserve >= s.data.Height)
            EmitBand(s.page, &s.data);
        s.data.FillMode = false;
    }
    s.filled = true;
}

// A group whose condition changed ends: footers, then the new headers.
void endGroup(LoopState& s, TvxBand& header, TvxBand& first) {
    PageRun& page = s.page;
    if (s.data.FillList && !page.RecordMode)
        fillBeforeGroupEnd(s, header, first);
    EmitBand(page, page.Band(s.bands.footer));
    forInnerHeaders(first, header, [&](TvxBand& h) {
        EmitBand(page, h.GroupFooter);
        if (page.RecordMode)
            page.PlayList.push_back({&h, pkGroupReset});
        else
            h.LineNo = 0;
    });
    EmitBand(page, header.GroupFooter);
    if (!s.data.DataSet->Eof()) {
        if (header.NewPageAfter && !page.RecordMode)
            StartNewPage(page);
        showGroupHeaders(page, header);
        TvxBand& master = *page.Band(btMasterData);
        ResetAggregates(master, header.GroupLevel);
        AccumulateAggregates(master);
        if (page.RecordMode)
            page.PlayList.push_back({&master, pkRegroup, uint8_t(header.GroupLevel)});
        s.accumulated = true;
        EmitBand(page, page.Band(s.bands.header));
    }
    s.data.LineNo = 0;
}

void scanGroups(LoopState& s) {
    TvxBand* first = s.page.Band(btGroupHeader);
    for (TvxBand* h = first; h && h->View && !ErrorRaised; h = h->NextBand.get()) {
        if (h->GroupCondition.trimmed().isEmpty())
            break;
        CurrentBand = h;
        const Variant value = evaluateCondition(s.page, h->GroupCondition);
        if (sameValue(value, h->GroupValue) && !s.data.DataSet->Eof())
            continue;
        endGroup(s, *h, *first);
        break;
    }
}

void recordLoop(LoopState& s, int level, int deepest) {
    PageRun& page = s.page;
    TvxBand& data = s.data;
    const bool groups = level == 1 && groupsOn(page);
    PendingList& list = pending();
    while (!terminated(page)) {
        if (data.DataSet->Eof())
            break;
        ProcessPendingEvents();
        if (terminated(page))
            break;
        list.push(&data);
        bool printed = true;
        if (level < deepest) {
            RunLevel(page, level + 1);
            if (!list.empty()) {
                if (data.PrintWhenDetailEmpty) {
                    list.flush(page);
                } else {
                    list.dropLast();
                    printed = false;
                }
            }
        } else {
            list.flush(page);
        }
        if (groups)
            for (TvxBand* f = page.Band(btGroupFooter); f && f->View; f = f->NextBand.get())
                refreshFooterTexts(*f);
        NextRecord(data);
        if (page.RecordMode && groups)
            page.PlayList.push_back({&data, pkStep});
        s.accumulated = false;
        if (groups)
            scanGroups(s);
        if (!s.accumulated)
            AccumulateAggregates(data);
        if (page.RecordMode) {
            page.PlayList.push_back(groups ? PlayEntry{&data, pkTally, uint8_t(!s.accumulated)}
                                           : PlayEntry{&data, pkNext});
        } else if (printed) {
            ++page.LineCounter;
            ++data.LineThrough;
            ++data.LineNo;
            if (!data.DataSet->Eof() && data.NewPageAfter)
                StartNewPage(page);
        }
    }
}

void runBand(PageRun& page, TvxBand& data, int level) {
    const Level& bands = levelBands(level);
    PendingList& list = pending();
    CurrentBand = &data;
    TvxDataset& ds = *data.DataSet;
    FirstRecord(data);
    if (endless(ds)) {
        SetPreparationError(QStringLiteral("Il vxDataset %1 non ha fine: manca il numero dei "
                                           "record (RangeEnd) o l'evento OnCheckEOF.")
                                .arg(ds.Name()));
        return;
    }
    StartAggregates(data);
    if (page.RecordMode)
        page.PlayList.push_back({&data, pkFirst});
    else
        data.LineNo = 1;
    for (TvxBand* h = page.Band(btGroupHeader); h; h = h->NextBand.get()) {
        h->LineNo = 0;
        h->LineThrough = 0;
    }
    if (ds.Eof())
        return;
    if (level == 1 && groupsOn(page))
        showGroupHeaders(page, *page.Band(btGroupHeader));
    list.push(page.Band(bands.header));
    LoopState s{page, data, bands};
    recordLoop(s, level, deepestLevel(page));
    if (ErrorRaised)
        return;
    if (!list.empty()) {
        list.dropLast();
        return;
    }
    if (!page.RecordMode && data.FillList && !s.filled)
        FillRemainingSpace(page, data);
    EmitBand(page, page.Band(bands.footer));
}

} // namespace

void FirstRecord(TvxBand& band) {
    {
        DataSetContext context(band);
        NarrowToMasterKey(band);
        band.DataSet->First();
    }
    NotifyDataSetWork(band.BandType, band.DataSet, dwFirst);
    CheckDataSetStillOpen(band.DataSet);
}

void NextRecord(TvxBand& band) {
    {
        DataSetContext context(band);
        band.DataSet->Next();
    }
    NotifyDataSetWork(band.BandType, band.DataSet, dwNext);
    CheckDataSetStillOpen(band.DataSet);
}

DataSetContext::DataSetContext(TvxBand& band) : saved_(CurrentView), savedPage_(CurrentPage) {
    CurrentView = band.Page->Context(band.BandType);
    CurrentPage = band.Page->Template;
}

DataSetContext::~DataSetContext() {
    CurrentView = saved_;
    CurrentPage = savedPage_;
}

void RunDataLevels(PageRun& page) {
    PendingList list;
    PendingList* outer = currentList;
    currentList = &list;
    try {
        RunLevel(page, 1);
    } catch (...) {
        currentList = outer;
        throw;
    }
    currentList = outer;
}

void RunLevel(PageRun& page, int level) {
    preparationState().CurrentLevel = level;
    for (TvxBand* data = page.Band(levelBands(level).data); data && data->DataSet && !ErrorRaised;
         data = data->NextBand.get())
        runBand(page, *data, level);
}

void FillRemainingSpace(PageRun& page, TvxBand& band) {
    if (band.Height <= 0)
        return; // empty copies of no height would never reach the bottom
    int64_t reserve = 0;
    for (int level = 1; level <= preparationState().CurrentLevel && level <= 3; ++level) {
        TvxBand* data = page.Band(levelBands(level).data);
        if (data->DataSet && IsLastRecord(data->DataSet))
            reserve += MeasureHeight(*page.Band(levelBands(level).footer));
    }
    band.FillMode = true;
    while (!ErrorRaised && page.BottomLimit - int64_t(page.CursorY) - reserve >= band.Height)
        PrintBand(band);
    band.FillMode = false;
}

void ProcessPendingEvents() {
    // Looking at the clock costs far less than a pass through the event loop;
    // a few passes per second keep the progress window alive.
    using Clock = std::chrono::steady_clock;
    static Clock::time_point last;
    const Clock::time_point now = Clock::now();
    if (now - last < std::chrono::milliseconds(30))
        return;
    last = now;
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

} // namespace vx
