#include "preview/print_pages.h"

#include "platform/errors.h"
#include "platform/message_box.h"
#include "platform/painter_canvas.h"
#include "platform/printer_device.h"
#include "preview/page_playback.h"
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
#include <QPrintDialog>
#include <QPrinter>

#include <algorithm>
#include <cmath>

namespace vx {

std::vector<int> printOrder(int first, int last, int copies, bool collate, int pageCount) {
    std::vector<int> order;
    const int f = first - 1;
    int t = last - 1;
    if (t >= pageCount)
        t = pageCount - 1;
    const int n = t - f + 1;
    if (n <= 0 || copies < 1 || f < 0)
        return order;
    order.reserve(size_t(n) * size_t(copies));
    if (collate) {
        for (int c = 0; c < copies; ++c)
            for (int i = 0; i < n; ++i)
                order.push_back(f + i);
    } else {
        for (int p = 0; p < n; ++p)
            for (int j = 0; j < copies; ++j)
                order.push_back(f + p);
    }
    return order;
}

QString printJobTitle(const QString& title) {
    return QStringLiteral("Corvina: ") + (title.isEmpty() ? QStringLiteral("Nessun nome") : title);
}

preview::Edges printDestination(const PageMetrics& m, bool useMargins) {
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
                      const preview::Edges& dest) {
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
    if (sameSizeAtScale(dest.right - dest.left, frame.width(), kx) &&
        sameSizeAtScale(dest.bottom - dest.top, frame.height(), ky)) {
        canvas.setWorldTransform(QTransform::fromScale(kx, ky) *
                                 QTransform::fromTranslate(dest.left, dest.top));
        req.dest = {0, 0, int(std::lround(frame.width())), int(std::lround(frame.height()))};
    }
    preview::playPage(canvas, page.Picture, req);
}

namespace {

// Starts the QPrinter job at the first page: a job that gets no page (a
// paper change right at the start of a range) sends nothing.
class PrinterTarget : public PrintTarget {
public:
    void beginJob(const QString& title) override {
        finish();
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        if (PrinterDevice* device = PrinterSettings().Device())
            device->configurePrinter(*printer_);
        printer_->setDocName(title);
        printer_->setCopyCount(1); // copies are printed one by one
    }
    void newSheet() override {
        if (painter_.isActive() && !printer_->newPage())
            throw VxError(QStringLiteral("Errore di stampa"));
    }
    void drawPage(const PreparedPageInfo& page, int pageIndex,
                  const preview::Edges& dest) override {
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

std::unique_ptr<PrintTarget> createPrinterTarget() {
    return std::make_unique<PrinterTarget>();
}

PrintTargetFactory& printTargetFactory() {
    static PrintTargetFactory factory = [] { return createPrinterTarget(); };
    return factory;
}

bool RunPrintJob(TvxReport& report, PrintTarget& target, int first, int last, int copies,
                 bool collate) {
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

    const std::vector<int> order = printOrder(first, last, copies, collate, pages->Count());
    {
        PreparedPageInfo& page0 = pages->Pages(0);
        settings.SetPaper(page0.PaperSize, page0.PaperWidth, page0.PaperHeight, page0.Orientation);
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
        if (!settings.SamePaper(page.PaperSize, page.PaperWidth, page.PaperHeight,
                                page.Orientation)) {
            job.open = false;
            target.endJob();
            settings.SetPaper(page.PaperSize, page.PaperWidth, page.PaperHeight, page.Orientation);
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

void runWithNewTarget(TvxReport& report, int first, int last, int copies, bool collate) {
    std::unique_ptr<PrintTarget> target =
        printTargetFactory() ? printTargetFactory()() : createPrinterTarget();
    if (target)
        RunPrintJob(report, *target, first, last, copies, collate);
}

} // namespace

void PrintPages(TvxReport& report, int first, int last, int copies, bool collate) {
    report.Terminated = false;
    if (report.OnProgress || !report.ShowProgress) {
        QApplication::processEvents();
        runWithNewTarget(report, first, last, copies, collate);
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
        form.StartAction = [&report, first, last, copies, collate, &failure](TProgressForm& f) {
            QApplication::processEvents();
            try {
                runWithNewTarget(report, first, last, copies, collate);
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

PrintDialogRunner& printDialogRunner() {
    static PrintDialogRunner runner;
    return runner;
}

QString noPrinterMessage() {
    return QStringLiteral("Nessuna stampante installata.");
}

PrintDialogChoices printDialogChoices(const QPrinter& printer) {
    PrintDialogChoices c;
    c.PrinterName = printer.printerName();
    c.AllPages = printer.printRange() != QPrinter::PageRange;
    c.FromPage = printer.fromPage();
    c.ToPage = printer.toPage();
    c.Copies = printer.copyCount();
    c.Collate = printer.collateCopies();
    return c;
}

void PrintWithChoices(TvxReport& report, const PrintDialogChoices& choices) {
    const int count = report.PreparedPages ? report.PreparedPages->Count() : 0;
    if (count == 0)
        return;
    // The printer chosen in the dialog becomes the current one; the print
    // job reads the printer list again and follows it.
    TPrinterSettings& settings = PrinterSettings();
    if (!choices.PrinterName.isEmpty()) {
        const int chosen = int(settings.Printers.indexOf(choices.PrinterName));
        if (chosen >= 0 && chosen != settings.PseudoPrinterIndex && chosen != settings.PrinterIndex)
            settings.SelectPrinter(chosen);
    }
    QApplication::processEvents();
    int first = 1;
    int last = count;
    if (!choices.AllPages && choices.FromPage > 0) {
        first = std::clamp(choices.FromPage, 1, count);
        last = std::clamp(choices.ToPage < 1 ? count : choices.ToPage, first, count);
    }
    PrintPages(report, first, last, std::max(1, choices.Copies), choices.Collate);
}

bool ExecPrintDialog(TvxReport& report, QWidget* parent) {
    const int count = report.PreparedPages ? report.PreparedPages->Count() : 0;
    if (count == 0)
        return false;
    TPrinterSettings& settings = PrinterSettings();
    // Only the pseudo printer: there is nothing to print on.
    if (settings.Printers.size() <= 1 && settings.IsPseudoPrinter()) {
        showMessage(applicationTitle(), noPrinterMessage(), MessageIcon::Warning);
        return false;
    }
    QPrinter printer(QPrinter::HighResolution);
    if (!settings.IsPseudoPrinter() && !settings.SelectedPrinterName().isEmpty())
        printer.setPrinterName(settings.SelectedPrinterName());
    printer.setPrintRange(QPrinter::AllPages);
    printer.setFromTo(1, count);
    printer.setCopyCount(1);
    printer.setCollateCopies(false);
    QPrintDialog dialog(&printer, parent);
    dialog.setMinMax(1, count);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, true);
    // The pages go to the printer settings' printer, one job per paper run:
    // a file destination chosen here would be ignored, so it is not offered
    // (the save dialog exports PDF files).
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    const PrintDialogRunner& runner = printDialogRunner();
    if ((runner ? runner(dialog, printer) : dialog.exec()) != QDialog::Accepted)
        return false;
    const PrintDialogChoices choices = printDialogChoices(printer);
    // Copies are printed one by one by the run, never by the printer.
    printer.setCopyCount(1);
    PrintWithChoices(report, choices);
    return true;
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
