#pragma once

// Printing of prepared pages: the order of the pages and copies, one print
// job per run of pages on equal paper (a new sheet otherwise), each page
// played onto the printer into its destination rectangle, progress and
// cancel. The printer is reached through PrintTarget so that the plan can
// be run against a recorder in tests; the real target drives a QPrinter
// (CUPS on Linux).

#include "preview/preview_geometry.h"
#include "report/page_metrics.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QPainter;
class QPrintDialog;
class QPrinter;
class QWidget;

namespace vx {

class TvxReport;
struct PreparedPageInfo;

// The page indices (from 0) in the order they are printed: pages first..last
// (from 1; last cut to the page count) `copies` times, collated
// (1,2,3,1,2,3) or not (1,1,2,2,3,3). Empty when the range is empty or
// copies < 1.
std::vector<int> printOrder(int first, int last, int copies, bool collate, int pageCount);

// "Corvina: " + title, or "Corvina: Nessun nome" when the title is empty.
QString printJobTitle(const QString& title);

// Where a page goes in printer pixels (origin at the printable area): with
// margins the whole sheet (the unprintable border is cut off), otherwise
// fitted into the printable area.
EdgeRect printDestination(const PageMetrics& m, bool useMargins);

// Plays a prepared page into `dest` (device pixels of the painter) as a
// printer gets it: every record replayed, fonts at their recorded size.
void playPageForPrint(QPainter& painter, const PreparedPageInfo& page, int pageIndex,
                      const EdgeRect& dest);

// The device a print run writes to.
class PrintTarget {
public:
    virtual ~PrintTarget() = default;
    // Starts a job on the printer settings' current printer and paper.
    virtual void beginJob(const QString& title) = 0;
    // A further sheet in the open job.
    virtual void newSheet() = 0;
    // Plays page `pageIndex` into `dest` on the current sheet.
    virtual void drawPage(const PreparedPageInfo& page, int pageIndex, const EdgeRect& dest) = 0;
    virtual void endJob() = 0;
    // Cancels the open job (nothing more of it is printed).
    virtual void abortJob() = 0;
};

// The target on the printer settings' selected printer through QPrinter. A
// job that receives no page sends nothing to the printer.
std::unique_ptr<PrintTarget> createPrinterTarget();

// The factory PrintPages uses (createPrinterTarget unless replaced).
using PrintTargetFactory = std::function<std::unique_ptr<PrintTarget>()>;
PrintTargetFactory& printTargetFactory();

// The print job on `target`: OnBeforePrint, paper of the report's first
// page, the pages in printOrder with a new job whenever the paper changes,
// ReportProgress and OnProgress percentages after every page, abort when
// the report's Terminated is set, OnAfterPrint after a complete run.
// Returns false when nothing was printed because OnBeforePrint refused or
// the run was cancelled.
bool RunPrintJob(TvxReport& report, PrintTarget& target, int first, int last, int copies,
                 bool collate);

// TvxReport's PrintPages: through the progress window (caption "Report in
// preparazione"[ - Title], "Pagina in stampa:") unless OnProgress is set or
// ShowProgress is false, in which case the job runs at once.
void PrintPages(TvxReport& report, int first, int last, int copies, bool collate);

// What the print dialog answered.
struct PrintDialogChoices {
    QString PrinterName;  // the printer chosen (empty: the current one stays)
    bool AllPages = true; // otherwise the range FromPage..ToPage
    int FromPage = 1;
    int ToPage = 1;
    int Copies = 1;
    bool Collate = false;
};

// The work after a confirmed print dialog: the chosen printer becomes the
// printer settings' current one, pending events are processed, the range
// is kept within 1..page count, then PrintPages(from, to, copies, collate).
void PrintWithChoices(TvxReport& report, const PrintDialogChoices& choices);

// The choices a confirmed dialog left on its printer.
PrintDialogChoices printDialogChoices(const QPrinter& printer);

// The print dialog for the report's prepared pages (range 1..page count,
// first page 1, last page = page count, copies 1), then PrintWithChoices.
// Without an installed printer a warning is shown instead of the dialog.
// Returns false when nothing was started (cancelled, no pages, no printer).
bool ExecPrintDialog(TvxReport& report, QWidget* parent = nullptr);

// How ExecPrintDialog shows the dialog: exec() by default; tests install a
// function that reads the dialog's set-up, sets choices on the printer and
// answers Accepted or Rejected.
using PrintDialogRunner = std::function<int(QPrintDialog& dialog, QPrinter& printer)>;
PrintDialogRunner& printDialogRunner();

// The message shown instead of the print dialog when no printer is installed.
QString noPrinterMessage();

// Installs the preview's print button / F2 and the report's PrintPages
// hook (all pages, one copy). Idempotent.
void initPrintModule();

} // namespace vx
