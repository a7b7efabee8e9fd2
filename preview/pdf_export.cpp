#include "preview/pdf_export.h"

#include "platform/atomic_file.h"
#include "platform/errors.h"
#include "platform/process_state.h"
#include "preview/print_pages.h"
#include "preview/progress_filter_form.h"
#include "report/emf_pages.h"
#include "report/printer_settings.h"
#include "report/report.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>

namespace vx {

namespace {

constexpr int kPdfResolution = 600;

// The export filters' part of the library state: the registered filters.
struct ExportFilterRegistry : DefaultResetPart<ExportFilterRegistry> {
    std::vector<TvxExportFilterInfo> filters;
};

std::vector<TvxExportFilterInfo>& filterTable() {
    return libraryState().part<ExportFilterRegistry>().filters;
}

// The sheet of a page in millimetres, as it lies (landscape wider than high).
QSizeF sheetMillimetres(const PreparedPageInfo& page) {
    double w = page.PaperWidth / 10.0;
    double h = page.PaperHeight / 10.0;
    if (w <= 0 || h <= 0) {
        w = 210;
        h = 297;
        for (const TPaperInfo& p : PaperTable())
            if (p.Code == page.PaperSize && p.Width > 0 && p.Height > 0) {
                w = p.Width / 10.0;
                h = p.Height / 10.0;
                break;
            }
    }
    // Sheets larger than 5 m are refused by PDF readers; keep them sane.
    w = std::clamp(w, 1.0, 5000.0);
    h = std::clamp(h, 1.0, 5000.0);
    if ((page.Orientation == 1) != (w > h))
        std::swap(w, h);
    return {w, h};
}

QPageLayout layoutFor(const PreparedPageInfo& page) {
    const QSizeF mm = sheetMillimetres(page);
    const bool landscape = mm.width() > mm.height();
    const QSizeF portrait = landscape ? mm.transposed() : mm;
    return QPageLayout(QPageSize(portrait, QPageSize::Millimeter, QString(), QPageSize::ExactMatch),
                       landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

class PdfExportFilter : public TvxExportFilter {
public:
    bool Start(TvxEMFPages& pages, const QString& fileName) override {
        pages_ = &pages;
        fileName_ = fileName;
        // The PDF goes to a temporary file that replaces the target only
        // when every byte reached the disk: a failed export (a full disk
        // too, which the PDF writer itself does not notice) leaves an
        // earlier file as it was.
        file_ = std::make_unique<AtomicFile>(fileName);
        if (!file_->open(QIODevice::WriteOnly))
            throw VxError(cannotWrite());
        writer_ = std::make_unique<QPdfWriter>(file_.get());
        writer_->setResolution(kPdfResolution);
        writer_->setCreator(QStringLiteral("Corvina"));
        writer_->setTitle(QFileInfo(fileName).completeBaseName());
        return true;
    }
    void ExportPage(int pageIndex) override {
        const PreparedPageInfo& page = pages_->Pages(pageIndex);
        const QPageLayout layout = layoutFor(page);
        if (!painter_.isActive()) {
            writer_->setPageLayout(layout);
            if (!painter_.begin(writer_.get()))
                throw VxError(cannotWrite());
        } else {
            writer_->setPageLayout(layout);
            if (!writer_->newPage())
                throw VxError(cannotWrite());
        }
        // No unprintable border: the sheet and the printable area coincide,
        // so a page with or without margins covers the whole sheet.
        const QRect full = layout.fullRectPixels(kPdfResolution);
        PageMetrics m;
        m.PhysWidth = m.PhysPrintWidth = full.width();
        m.PhysHeight = m.PhysPrintHeight = full.height();
        playPageForPrint(painter_, page, pageIndex, printDestination(m, page.UseMargins != 0));
    }
    void Finish() override {
        if (!writer_)
            return;
        if (!painter_.isActive()) {
            // A document with no page still gets one empty sheet.
            if (!painter_.begin(writer_.get()))
                throw VxError(cannotWrite());
        }
        painter_.end();
        writer_.reset();
        if (!file_->commit()) {
            file_.reset();
            throw VxError(cannotWrite());
        }
        file_.reset();
    }
    ~PdfExportFilter() override {
        if (painter_.isActive())
            painter_.end();
    }

private:
    QString cannotWrite() const {
        return QStringLiteral("Impossibile scrivere il file \"%1\".").arg(fileName_);
    }

    TvxEMFPages* pages_ = nullptr;
    QString fileName_;
    std::unique_ptr<AtomicFile> file_;
    std::unique_ptr<QPdfWriter> writer_;
    QPainter painter_;
};

} // namespace

QString TvxExportFilterInfo::NameFilter() const {
    return Description + QStringLiteral(" (") + FileMask + QStringLiteral(")");
}

const std::vector<TvxExportFilterInfo>& ExportFilters() {
    return filterTable();
}

bool RegisterExportFilter(TvxExportFilterInfo info) {
    auto& table = filterTable();
    if (int(table.size()) >= kMaxExportFilters || !info.FilterClass)
        return false;
    for (const auto& f : table)
        if (f.FileMask.compare(info.FileMask, Qt::CaseInsensitive) == 0)
            return false;
    table.push_back(std::move(info));
    return true;
}

void RegisterPdfExportFilter() {
    RegisterExportFilter(TvxExportFilterInfo{[] { return createPdfExportFilter(); },
                                             QStringLiteral("Documento PDF"),
                                             QStringLiteral("*.pdf")});
}

QString exportFileName(const QString& chosen, const QString& fileMask) {
    const QString ext = fileMask.mid(1); // "*.pdf" -> ".pdf"
    const QFileInfo info(chosen);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString base = dot > 0 ? name.left(dot) : name;
    const QString dir = chosen.left(chosen.size() - name.size());
    return dir + base + ext;
}

int RunExport(TvxExportFilter& filter, TvxEMFPages& pages, const QString& fileName, int first,
              int last, const std::function<bool(int done, int total)>& progress) {
    const std::vector<int> order = printOrder(first, last, 1, true, pages.Count());
    if (!filter.Start(pages, fileName))
        return 0;
    int done = 0;
    for (const int k : order) {
        filter.ExportPage(k);
        ++done;
        if (progress && !progress(done, int(order.size())))
            break;
    }
    filter.Finish();
    return done;
}

std::unique_ptr<TvxExportFilter> createPdfExportFilter() {
    return std::make_unique<PdfExportFilter>();
}

int ExportPdf(TvxEMFPages& pages, const QString& fileName, int first, int last) {
    PdfExportFilter filter;
    return RunExport(filter, pages, fileName, first, last);
}

ExportOutcome ExportReport(TvxReport& report, const TvxExportFilterInfo& info,
                           const QString& chosen, QWidget* parent) {
    ExportOutcome outcome;
    if (!info.FilterClass)
        return outcome;
    const QString name = exportFileName(chosen, info.FileMask);
    std::unique_ptr<TvxExportFilter> filter = info.FilterClass();
    if (!filter)
        return outcome;
    if (!report.PreparedPages || report.PreparedPages->Count() == 0)
        report.Prepare();
    if (!report.PreparedPages)
        return outcome;
    if (!filter->Start(*report.PreparedPages, name))
        return outcome;
    TProgressFilterForm form(parent);
    outcome.Pages = form.Execute(*filter, *report.PreparedPages, info.Description);
    outcome.Cancelled = form.Cancelled();
    outcome.FileName = name;
    return outcome;
}

} // namespace vx
