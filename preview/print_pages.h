#pragma once

// Printing of prepared pages: the order of the pages and copies, one print
// job per run of pages on equal paper (a new sheet otherwise), each page
// played onto the printer into its destination rectangle, progress and
// cancel. The printer is reached through PrintTarget so that the plan can
// be run against a recorder in tests; the real target drives a QPrinter
// (CUPS on Linux).

#include "preview/preview_geometry.h"
#include "preview/print_options.h"
#include "report/page_metrics.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QPainter;

namespace vx {

class TvxReport;
struct PreparedPageInfo;

// "Corvina: " + title, or "Corvina: Nessun nome" when the title is empty.
QString printJobTitle(const QString& title);

// Where a page goes in printer pixels (origin at the printable area): with
// margins the whole sheet (the unprintable border is cut off), otherwise
// fitted into the printable area.
preview::Edges printDestination(const PageMetrics& m, bool useMargins);

// Plays a prepared page into `dest` (device pixels of the painter) as a
// printer gets it: every record replayed, fonts at their recorded size.
void playPageForPrint(QPainter& painter, const PreparedPageInfo& page, int pageIndex,
                      const preview::Edges& dest);

// The device a print run writes to.
class PrintTarget {
public:
    virtual ~PrintTarget() = default;
    // Starts a job on the printer settings' current printer and paper.
    virtual void beginJob(const QString& title) = 0;
    // A further sheet in the open job.
    virtual void newSheet() = 0;
    // Plays page `pageIndex` into `dest` on the current sheet.
    virtual void drawPage(const PreparedPageInfo& page, int pageIndex,
                          const preview::Edges& dest) = 0;
    virtual void endJob() = 0;
    // Cancels the open job (nothing more of it is printed).
    virtual void abortJob() = 0;
};

// The target on the printer settings' selected printer through QPrinter,
// each job with the given printer properties. A job that receives no page
// sends nothing to the printer.
std::unique_ptr<PrintTarget> createPrinterTarget(const PrinterProperties& properties = {});

// The factory PrintPages uses (createPrinterTarget unless replaced).
using PrintTargetFactory =
    std::function<std::unique_ptr<PrintTarget>(const PrinterProperties& properties)>;
PrintTargetFactory& printTargetFactory();

// The print job on `target`: OnBeforePrint, paper of the report's first
// page, the pages in printOrder with a new job whenever the paper changes
// (the paper of each job as jobPaper says), ReportProgress and OnProgress
// percentages after every page, abort when the report's Terminated is set,
// OnAfterPrint after a complete run. Returns false when nothing was
// printed because OnBeforePrint refused or the run was cancelled.
bool RunPrintJob(TvxReport& report, PrintTarget& target, const PrintJobOptions& options);
// The same for pages first..last.
bool RunPrintJob(TvxReport& report, PrintTarget& target, int first, int last, int copies,
                 bool collate);

// TvxReport's PrintPages: through the progress window (caption "Report in
// preparazione"[ - Title], "Pagina in stampa:") unless OnProgress is set or
// ShowProgress is false, in which case the job runs at once.
void PrintPages(TvxReport& report, const PrintJobOptions& options);
void PrintPages(TvxReport& report, int first, int last, int copies, bool collate);

// Installs the preview's print button / F2 and the report's PrintPages
// hook (all pages, one copy). Idempotent.
void initPrintModule();

} // namespace vx
