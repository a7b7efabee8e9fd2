#include "engine/preparation.h"

#include "engine/engine_hooks.h"
#include "engine/engine_state.h"
#include "engine/page_builder.h"
#include "engine/page_run.h"
#include "platform/errors.h"
#include "platform/message_box.h"
#include "report/data_refs.h"
#include "report/emf_pages.h"
#include "report/engine_counters.h"
#include "report/library_state.h"
#include "report/page.h"
#include "report/pages.h"
#include "report/report.h"
#include "report/subreport_view.h"
#include "report/values.h"

#include <QCoreApplication>
#include <QDateTime>

#include <algorithm>

namespace vx {

namespace {

const QString kStageFirstPass = QStringLiteral("Esecuzione 1° passo:");
const QString kStageBuilding = QStringLiteral("Pagina in costruzione:");

void processEvents() {
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

QString messageOf(const std::exception& e) {
    if (const auto* vx = dynamic_cast<const VxError*>(&e))
        return vx->message();
    return QString::fromUtf8(e.what());
}

bool usesWindow(const TvxReport& report) {
    return !report.OnProgress && report.ShowProgress && progressWindow().ShowModal;
}

bool windowVisible() {
    const ProgressWindow& w = progressWindow();
    return preparationState().WindowShown && (!w.IsVisible || w.IsVisible());
}

QString captionOf(const TvxReport& report) {
    QString caption = QStringLiteral("Report in preparazione");
    if (!report.Title.isEmpty())
        caption += QStringLiteral(" - ") + report.Title;
    return caption;
}

// Shows the progress window while the pass runs; false when cancelled.
bool showWindow(TvxReport& report) {
    PreparationState& st = preparationState();
    st.WindowShown = true;
    bool completed = true;
    try {
        completed = progressWindow().ShowModal(report, captionOf(report),
                                               st.StageText + QStringLiteral("  1"),
                                               [&report] { RunPass(report); });
    } catch (...) {
        st.WindowShown = false;
        throw;
    }
    st.WindowShown = false;
    return completed;
}

void takePrintDateTime() {
    const QDateTime now = QDateTime::currentDateTime();
    PrintDate = double(QDate(1899, 12, 30).daysTo(now.date()));
    PrintTime = now.time().msecsSinceStartOfDay() / 86400000.0;
}

// Pages shown by a sub-report object are not built on their own.
void markSubReportPages(std::vector<std::unique_ptr<PageRun>>& runs) {
    for (auto& run : runs)
        run->IsSubReportPage = false;
    for (auto& run : runs)
        for (const auto& object : run->Template->Objects)
            if (const auto* sub = dynamic_cast<const TvxSubReportView*>(object.get()))
                if (sub->SubPage >= 0 && sub->SubPage < int32_t(runs.size()))
                    runs[size_t(sub->SubPage)]->IsSubReportPage = true;
}

// The page runs of a pass; whatever way the pass ends, the pages that were
// initialised are done (last first) and the runs freed.
class PassRuns {
public:
    explicit PassRuns(TvxReport& report) {
        PreparationState& st = preparationState();
        for (int i = 0; i < report.Pages->Count(); ++i)
            st.Runs.push_back(std::make_unique<PageRun>(&report, &report.Pages->Pages(i), i));
        st.Outputs.assign(st.Runs.size(), PageOutput{});
        st.CrossTotal.clear();
        ClearFieldNameCache();
    }
    ~PassRuns() {
        PreparationState& st = preparationState();
        for (int i = reached - 1; i >= 0; --i)
            DonePage(*st.Runs[size_t(i)]);
        st.LastRun = nullptr;
        st.Runs.clear();
        ClearFieldNameCache();
        CurrentPage = nullptr;
        CurrentBand = nullptr;
    }
    PassRuns(const PassRuns&) = delete;
    PassRuns& operator=(const PassRuns&) = delete;
    int reached = 0; // pages InitPage ran for
};

// The next template page to be built after `index`, or nullptr.
PageRun* nextBuiltPage(size_t index) {
    const auto& runs = preparationState().Runs;
    for (size_t i = index + 1; i < runs.size(); ++i)
        if (!runs[i]->IsSubReportPage)
            return runs[i].get();
    return nullptr;
}

void buildOnePage(TvxReport& report, PageRun& run) {
    PreparationState& st = preparationState();
    const int i = run.Index;
    if (report.OnBeginPage)
        report.OnBeginPage(i);
    run.RecordMode = false;
    const int first = report.PreparedPages->Count();
    CurrentPageNo = i + 1;
    try {
        BuildPage(run);
    } catch (const std::exception& e) {
        SetPreparationError(QStringLiteral("Errore. ") + messageOf(e));
    }
    if (!ErrorRaised && report.OnEndPage)
        report.OnEndPage(1);
    st.ContinuePrevious = false;
    if (OutputPageIndex > 0) {
        const PageRun* next = nextBuiltPage(size_t(i));
        --OutputPageIndex;
        if (next && next->Template->PrintOnPreviousPage) {
            st.ContinuePrevious = true;
        } else {
            CloseOpenPages();
            ReportProgress(OutputPageIndex);
        }
    }
    if (!ErrorRaised)
        st.Outputs[size_t(i)] = {first, report.PreparedPages->Count() - first};
}

// Gives each position the picture of the page the collated order names; the
// paper of every position stays.
void rearrange(TvxEMFPages& pages, const std::vector<int32_t>& order) {
    struct Picture {
        emf::EmfPicture picture;
        QSize size;
    };
    std::vector<Picture> pictures;
    pictures.reserve(size_t(pages.Count()));
    for (int i = 0; i < pages.Count(); ++i)
        pictures.push_back({pages.Pages(i).Picture, pages.Pages(i).PictureSize});
    for (int i = 0; i < pages.Count(); ++i) {
        const Picture& from = pictures[size_t(order[size_t(i)])];
        pages.Pages(i).Picture = from.picture;
        pages.Pages(i).PictureSize = from.size;
    }
}

bool isPermutation(const std::vector<int32_t>& order, int count) {
    if (int(order.size()) != count)
        return false;
    std::vector<bool> seen(size_t(count), false);
    for (int32_t v : order) {
        if (v < 0 || v >= count || seen[size_t(v)])
            return false;
        seen[size_t(v)] = true;
    }
    return true;
}

void collate(TvxReport& report) {
    const PreparationState& st = preparationState();
    std::vector<int32_t> counts;
    for (const PageOutput& o : st.Outputs)
        counts.push_back(o.Count);
    TvxEMFPages& pages = *report.PreparedPages;
    if (!st.FinalPass) {
        CollateOrder = CollatedOrder(counts);
        return;
    }
    // The final pass of two uses the order of the first, so that PAGE# could
    // already give the collated numbers.
    if (!st.TwoPassRun || !isPermutation(CollateOrder, pages.Count()))
        CollateOrder = CollatedOrder(counts);
    if (isPermutation(CollateOrder, pages.Count()))
        rearrange(pages, CollateOrder);
}

void beginDocument(TvxReport& report) {
    processEvents();
    CurrentReport = &report;
    try {
        if (report.OnBeginDoc)
            report.OnBeginDoc();
        BindValues(&report);
    } catch (...) {
        // A failing start of the document is ignored: the pass goes on.
    }
}

} // namespace

std::vector<int32_t> CollatedOrder(const std::vector<int32_t>& counts) {
    std::vector<int32_t> first(counts.size());
    int64_t total = 0;
    for (size_t i = 0; i < counts.size(); ++i) {
        first[i] = int32_t(total);
        total += std::max(0, counts[i]);
    }
    std::vector<int32_t> order;
    order.reserve(size_t(total));
    for (int32_t round = 0; int64_t(order.size()) < total; ++round)
        for (size_t i = 0; i < counts.size(); ++i)
            if (round < counts[i])
                order.push_back(first[i] + round);
    return order;
}

void ReportProgress(int n) {
    TvxReport* report = PreparingReport;
    if (!report)
        return;
    if (report->OnProgress) {
        report->OnProgress(n);
        return;
    }
    if (!report->ShowProgress)
        return;
    const PreparationState& st = preparationState();
    QString label = st.StageText + QStringLiteral("  ") + QString::number(n);
    if (report->TwoPass && st.FinalPass)
        label += QStringLiteral(" di ") + QString::number(TotalPages);
    if (st.WindowShown && progressWindow().SetLabel)
        progressWindow().SetLabel(label);
    processEvents();
}

void BuildPages(TvxReport& report) {
    PreparationState& st = preparationState();
    report.PreparedFromTemplate = true;
    PrintMode = true;
    report.Values->Sort();
    beginDocument(report);
    if (ErrorRaised)
        return;
    if (report.Pages->Count() > kMaxTemplatePages) {
        SetPreparationError(
            QStringLiteral("Il report ha %1 pagine modello: se ne possono preparare al massimo %2.")
                .arg(report.Pages->Count())
                .arg(kMaxTemplatePages));
        return;
    }
    ReportProgress(OutputPageIndex + 1);
    PassRuns runs(report);
    markSubReportPages(st.Runs);
    if (std::all_of(st.Runs.begin(), st.Runs.end(),
                    [](const auto& run) { return run->IsSubReportPage; }) &&
        !st.Runs.empty()) {
        SetPreparationError(QStringLiteral("Ogni pagina del report è mostrata da un sottoreport: "
                                           "non c'è una pagina da cui partire."));
        return;
    }
    for (size_t i = 0; i < st.Runs.size() && !ErrorRaised; ++i) {
        CurrentPageNo = int(i) + 1;
        runs.reached = int(i) + 1;
        InitPage(*st.Runs[i]);
    }
    for (size_t i = 0; i < st.Runs.size() && !ErrorRaised; ++i) {
        if (st.Runs[i]->IsSubReportPage)
            continue;
        buildOnePage(report, *st.Runs[i]);
        if (report.Terminated)
            break;
    }
    report.PreparedPages->CloseAll();
    OutputCanvas = nullptr;
    if (!ErrorRaised && report.OnEndDoc)
        report.OnEndDoc();
    if (!ErrorRaised) {
        ReportProgress(OutputPageIndex);
        if (report.Collate && !report.Terminated)
            collate(report);
    }
}

void RunPass(TvxReport& report) {
    PreparationState& st = preparationState();
    BuildPages(report);
    if (!st.FinalPass) {
        st.FirstPassCancelled = report.Terminated;
        TotalPages = report.PreparedPages->Count();
        report.TwoPass = false;
        try {
            Prepare(report);
        } catch (...) {
            report.TwoPass = true;
            throw;
        }
        report.TwoPass = true;
    } else if (st.WindowShown && progressWindow().Close) {
        progressWindow().Close(report.Terminated);
    }
}

bool Prepare(TvxReport& report) {
    report.CheckAutoLoad();
    PreparationState& st = preparationState();
    const bool outer = !st.Preparing;
    // The outer call ends the preparation however it leaves.
    struct End {
        TvxReport& report;
        bool outer;
        ~End() {
            if (!outer)
                return;
            processEvents();
            SilentPass = false;
            report.Terminated = false;
            PreparationState& s = preparationState();
            s.Preparing = false;
            s.WindowShown = false;
        }
    } end{report, outer};
    if (outer) {
        st.Preparing = true;
        st.TwoPassRun = report.TwoPass;
        st.FirstPassCancelled = false;
        ErrorRaised = false;
        ErrorText.clear();
        CollateOrder.clear();
    }
    CurrentPage = nullptr;
    CurrentReport = nullptr;
    CurrentView = nullptr;
    CurrentValue = Variant::null();
    report.Terminated = false;
    bool result = true;
    st.ContinuePrevious = false;
    takePrintDateTime();
    PreparingReport = &report;
    SilentPass = false;
    st.FinalPass = true;
    OutputPageIndex = 0;
    report.PreparedPages->Clear();
    const bool window = usesWindow(report);
    if (report.TwoPass) {
        SilentPass = true;
        st.FinalPass = false;
        st.StageText = kStageFirstPass;
        if (window)
            showWindow(report);
        else
            RunPass(report);
    } else {
        st.StageText = kStageBuilding;
        if (!window) {
            if (outer)
                TotalPages = 0; // a single pass does not know the total
            RunPass(report);
        } else if (windowVisible()) {
            if (!st.FirstPassCancelled)
                report.TwoPass = true;
            RunPass(report);
        } else {
            TotalPages = 0;
            result = showWindow(report);
        }
    }
    return result;
}

void PrepareAndShow(TvxReport& report) {
    struct Cleanup {
        TvxReport& report;
        ~Cleanup() {
            report.PreparedPages->Clear();
            ErrorRaised = false;
        }
    } cleanup{report};
    Prepare(report);
    if (ErrorRaised)
        showMessage(QStringLiteral("Errore"), ErrorText, MessageIcon::Error);
    else
        report.OpenPreview();
}

} // namespace vx
