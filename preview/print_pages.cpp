#include "preview/print_pages.h"

#include "platform/errors.h"
#include "platform/painter_canvas.h"
#include "platform/printer_device.h"
#include "platform/process_state.h"
#include "preview/page_playback.h"
#include "preview/print_dialog.h"
#include "preview/progress_form.h"
#include "preview/standard_preview.h"
#include "report/emf_pages.h"
#include "report/engine_counters.h"
#include "report/printer_settings.h"
#include "report/report.h"
#include "report/report_hooks.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPrinter>

#include <cmath>

namespace vx {

QString printJobTitle(const QString& title) {
    return QStringLiteral("Corvina: ") + (title.isEmpty() ? QStringLiteral("Nessun nome") : title);
}

EdgeRect printDestination(const PageMetrics& m, bool useMargins) {
    if (useMargins)
        return {-m.PhysOffsetX, -m.PhysOffsetY, m.PhysWidth - m.PhysOffsetX,
                m.PhysHeight - m.PhysOffsetY};
    return {0, 0, m.PhysPrintWidth, m.PhysPrintHeight};
}

namespace {

// Whether `size` device pixels are the picture's `frame` pixels at `k`
// device pixels each, give or take the rounding of the page sizes.
bool sameSizeAtScale(double size, double frame, double k) {
    return frame > 0 && k > 0 && std::abs(size - frame * k) <= 0.005 * size + 2;
}

} // namespace

void playPageForPrint(QPainter& painter, const PreparedPageInfo& page, int pageIndex,
                      const EdgeRect& dest) {
    if (page.Picture.isNull())
        return;
    preview::PlaybackRequest req;
    req.pageIndex = pageIndex;
    req.dest = dest;
    req.sx = 1; // fonts at their recorded size, text as recorded
    req.sy = 1;
    // A page that fills the destination at the device's resolution is
    // played at exactly that resolution from the destination's corner
    // rather than stretched by the rounding of the sizes (a fraction of a
    // pixel across the page): what was recorded on a grid of 1/300 inch
    // (barcode bars) then falls on whole device pixels.
    const QRectF frame = page.Picture.frameInDevicePixels();
    const QPaintDevice* device = painter.device();
    const double kx = device ? device->logicalDpiX() / 96.0 : 0;
    const double ky = device ? device->logicalDpiY() / 96.0 : 0;
    PainterCanvas canvas(painter);
    if (sameSizeAtScale(dest.Right - dest.Left, frame.width(), kx) &&
        sameSizeAtScale(dest.Bottom - dest.Top, frame.height(), ky)) {
        canvas.setWorldTransform(QTransform::fromScale(kx, ky) *
                                 QTransform::fromTranslate(dest.Left, dest.Top));
        req.dest = {0, 0, int(std::lround(frame.width())), int(std::lround(frame.height()))};
    }
    preview::playPage(canvas, page.Picture, req);
}

namespace {

// Starts the QPrinter job at the first page: a job that gets no page (a
// paper change right at the start of a range) sends nothing.
class PrinterTarget : public PrintTarget {
public:
    explicit PrinterTarget(PrinterProperties properties) : properties_(std::move(properties)) {}
    void beginJob(const QString& title) override {
        finish();
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        if (PrinterDevice* device = PrinterSettings().Device())
            device->configurePrinter(*printer_);
        applyProperties(*printer_, properties_);
        printer_->setDocName(title);
        printer_->setCopyCount(1); // copies are printed one by one
    }
    void newSheet() override {
        if (painter_.isActive() && !printer_->newPage())
            throw VxError(QStringLiteral("Errore di stampa"));
    }
    void drawPage(const PreparedPageInfo& page, int pageIndex, const EdgeRect& dest) override {
        if (!printer_)
            return;
        if (!painter_.isActive() && !painter_.begin(printer_.get()))
            throw VxError(QStringLiteral("Errore di stampa"));
        playPageForPrint(painter_, page, pageIndex, dest);
    }
    void endJob() override { finish(); }
    void abortJob() override {
        if (printer_ && painter_.isActive())
            printer_->abort();
        if (painter_.isActive())
            painter_.end();
        printer_.reset();
    }
    ~PrinterTarget() override { abortJob(); }

private:
    void finish() {
        if (painter_.isActive())
            painter_.end();
        printer_.reset();
    }

    PrinterProperties properties_;
    std::unique_ptr<QPrinter> printer_;
    QPainter painter_;
};

// Restores the process-wide preparing report after the run.
class PreparingReportGuard {
public:
    explicit PreparingReportGuard(TvxReport* report) : previous_(PreparingReport) {
        PreparingReport = report;
    }
    ~PreparingReportGuard() { PreparingReport = previous_; }
    PreparingReportGuard(const PreparingReportGuard&) = delete;
    PreparingReportGuard& operator=(const PreparingReportGuard&) = delete;

private:
    TvxReport* previous_;
};

// Aborts the open job when the run leaves by an exception.
class JobGuard {
public:
    explicit JobGuard(PrintTarget& target) : target_(target) {}
    ~JobGuard() {
        if (open)
            target_.abortJob();
    }
    JobGuard(const JobGuard&) = delete;
    JobGuard& operator=(const JobGuard&) = delete;
    bool open = false;

private:
    PrintTarget& target_;
};

} // namespace

std::unique_ptr<PrintTarget> createPrinterTarget(const PrinterProperties& properties) {
    return std::make_unique<PrinterTarget>(properties);
}

namespace {
// The printing part of the library state: where jobs go (tests install
// their own).
struct PrintState : DefaultResetPart<PrintState> {
    PrintTargetFactory targetFactory = [](const PrinterProperties& properties) {
        return createPrinterTarget(properties);
    };
};

PrintState& printState() {
    return libraryState().part<PrintState>();
}
} // namespace

PrintTargetFactory& printTargetFactory() {
    return printState().targetFactory;
}

namespace {

PaperChoice paperOf(const PreparedPageInfo& page) {
    return {page.PaperSize, page.PaperWidth, page.PaperHeight, page.Orientation};
}

void setPaper(TPrinterSettings& settings, const PaperChoice& paper) {
    settings.SetPaper(paper.PaperSize, paper.PaperWidth, paper.PaperHeight, paper.Orientation);
}

} // namespace

bool RunPrintJob(TvxReport& report, PrintTarget& target, int first, int last, int copies,
                 bool collate) {
    return RunPrintJob(report, target, rangeOptions(first, last, copies, collate));
}

bool RunPrintJob(TvxReport& report, PrintTarget& target, const PrintJobOptions& options) {
    bool proceed = true;
    if (report.OnBeforePrint)
        report.OnBeforePrint(proceed);
    if (!proceed)
        return false;
    TvxEMFPages* pages = report.PreparedPages.get();
    // A report without prepared pages has no first page to take the paper
    // from: nothing to print.
    if (!pages || pages->Count() == 0)
        return false;
    const PreparingReportGuard preparing(&report);
    TPrinterSettings& settings = PrinterSettings();
    settings.LoadPrinterList();

    const std::vector<int> order = printOrder(options, pages->Count());
    const PrinterProperties& properties = options.Properties;
    {
        PreparedPageInfo& page0 = pages->Pages(0);
        setPaper(settings, jobPaper(properties, paperOf(page0)));
        settings.GetPageMetrics(page0.PageMetrics);
    }
    const QString title = printJobTitle(report.Title);
    JobGuard job(target);
    target.beginJob(title);
    job.open = true;
    bool firstPage = true;
    const int64_t total = int64_t(order.size());
    int64_t printed = 0;
    for (const int k : order) {
        PreparedPageInfo& page = pages->Pages(k);
        const PaperChoice paper = jobPaper(properties, paperOf(page));
        if (!settings.SamePaper(paper.PaperSize, paper.PaperWidth, paper.PaperHeight,
                                paper.Orientation)) {
            job.open = false;
            target.endJob();
            setPaper(settings, paper);
            target.beginJob(title);
            job.open = true;
        } else if (!firstPage) {
            target.newSheet();
        }
        settings.GetPageMetrics(page.PageMetrics);
        target.drawPage(page, k, printDestination(page.PageMetrics, page.UseMargins != 0));
        ReportProgress(report, k + 1);
        QApplication::processEvents();
        firstPage = false;
        ++printed;
        if (report.OnProgress)
            report.OnProgress(int(printed * 100 / total));
        if (report.Terminated) {
            job.open = false;
            target.abortJob();
            return false;
        }
    }
    job.open = false;
    target.endJob();
    if (report.OnAfterPrint)
        report.OnAfterPrint();
    return true;
}

namespace {

void runWithNewTarget(TvxReport& report, const PrintJobOptions& options) {
    std::unique_ptr<PrintTarget> target = printTargetFactory()
                                              ? printTargetFactory()(options.Properties)
                                              : createPrinterTarget(options.Properties);
    if (target)
        RunPrintJob(report, *target, options);
}

} // namespace

void PrintPages(TvxReport& report, int first, int last, int copies, bool collate) {
    PrintPages(report, rangeOptions(first, last, copies, collate));
}

void PrintPages(TvxReport& report, const PrintJobOptions& options) {
    report.Terminated = false;
    if (report.OnProgress || !report.ShowProgress) {
        QApplication::processEvents();
        runWithNewTarget(report, options);
    } else {
        TProgressForm& form = ProgressForm();
        QString caption = QStringLiteral("Report in preparazione");
        if (!report.Title.isEmpty())
            caption += QStringLiteral(" - ") + report.Title;
        form.setWindowTitle(caption);
        form.LabelText = QStringLiteral("Pagina in stampa:");
        form.Label1->setText(form.LabelText);
        // An exception of the run leaves the modal loop and reaches the
        // caller after the window closed.
        std::exception_ptr failure;
        form.StartAction = [&report, &options, &failure](TProgressForm& f) {
            QApplication::processEvents();
            try {
                runWithNewTarget(report, options);
            } catch (...) {
                failure = std::current_exception();
            }
            if (f.isVisible())
                f.done(QDialog::Accepted);
        };
        QApplication::processEvents();
        form.Show(&report);
        form.StartAction = nullptr;
        if (failure) {
            report.Terminated = false;
            std::rethrow_exception(failure);
        }
    }
    report.Terminated = false;
}

void initPrintModule() {
    previewHooks().PrintReport = [](TStandardPreview& preview) {
        if (preview.report())
            ExecPrintDialog(*preview.report(), &preview);
    };
    reportHooks().PrintPages = [](TvxReport& report) {
        const int count = report.PreparedPages ? report.PreparedPages->Count() : 0;
        PrintPages(report, 1, count, 1, false);
    };
}

} // namespace vx
