#pragma once

// Export filters for prepared pages, and the PDF filter: vector PDF
// through QPdfWriter, each page on a sheet of its own paper and
// orientation, placed as printing places it on a sheet without unprintable
// border; text stays text and each font is embedded once.

#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QWidget;

namespace vx {

class TvxEMFPages;
class TvxReport;

// An export run: Start, then ExportPage for each page in turn, Finish.
class TvxExportFilter {
public:
    virtual ~TvxExportFilter() = default;
    // Opens the output; false refuses the export.
    virtual bool Start(TvxEMFPages& pages, const QString& fileName) = 0;
    virtual void ExportPage(int pageIndex) = 0;
    // Completes the file (throws VxError when it cannot be written).
    virtual void Finish() = 0;
};

struct TvxExportFilterInfo {
    std::function<std::unique_ptr<TvxExportFilter>()> FilterClass;
    QString Description; // "Documento PDF"
    QString FileMask;    // "*.pdf"
    // The save dialog's file type: "Documento PDF (*.pdf)".
    QString NameFilter() const;
};

inline constexpr int kMaxExportFilters = 32;

// The registered filters (at most kMaxExportFilters).
const std::vector<TvxExportFilterInfo>& ExportFilters();
// Adds a filter; false when the table is full or the mask is registered.
bool RegisterExportFilter(TvxExportFilterInfo info);
// Registers the PDF filter (idempotent).
void RegisterPdfExportFilter();

// The chosen file name with its extension replaced by the mask's (the mask
// without its first character: "*.pdf" gives ".pdf").
QString exportFileName(const QString& chosen, const QString& fileMask);

// Runs `filter` over pages first..last (from 1; last cut to the page
// count). `progress` gets the pages done and returns false to stop.
// Returns the number of pages exported.
int RunExport(TvxExportFilter& filter, TvxEMFPages& pages, const QString& fileName, int first,
              int last, const std::function<bool(int done, int total)>& progress = {});

// The PDF filter.
std::unique_ptr<TvxExportFilter> createPdfExportFilter();

// Pages first..last to a PDF file (the whole report with 1, INT_MAX).
int ExportPdf(TvxEMFPages& pages, const QString& fileName, int first = 1, int last = 1 << 30);

// What an export through the save dialog did.
struct ExportOutcome {
    QString FileName; // the name written (empty when nothing was written)
    int Pages = 0;    // pages given to the filter
    bool Cancelled = false;
};

// The save dialog's export path: the chosen name with its extension
// replaced by the filter's; the filter is started on that name; when it
// accepts, the report is prepared first if it has no pages, and the
// progress window TProgressFilterForm exports the pages ("&Annulla" stops
// after the page in progress; the filter still finishes).
// The window belongs to `parent` (the preview), so it stays above it.
ExportOutcome ExportReport(TvxReport& report, const TvxExportFilterInfo& filter,
                           const QString& chosen, QWidget* parent = nullptr);

} // namespace vx
