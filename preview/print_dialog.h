#pragma once

// The print dialog of the preview (F2, the print button): what it offers
// for the report's prepared pages and the print run of the user's choices.

#include "preview/print_options.h"

#include <QString>

#include <functional>

class QPrintDialog;
class QPrinter;
class QWidget;

namespace vx {

class TvxReport;

// The work after a confirmed print dialog: the chosen printer becomes the
// printer settings' current one, pending events are processed, the pages
// are kept within 1..page count, then PrintPages with the options.
void PrintWithOptions(TvxReport& report, PrintJobOptions options);

// The print dialog for the report's prepared pages (range 1..page count,
// first page 1, last page = page count, copies 1, the paper of the first
// page), then PrintWithOptions with every choice it returns: the pages as
// a range or a list of runs, odd or even pages, reverse order, copies and
// collation, and the printer properties for each job. Without an
// installed printer a warning is shown instead of the dialog. Returns
// false when nothing was started (cancelled, no pages, no printer).
bool ExecPrintDialog(TvxReport& report, QWidget* parent = nullptr);

// How ExecPrintDialog shows the dialog: exec() by default; tests install a
// function that reads the dialog's set-up, makes choices in it and answers
// Accepted or Rejected.
using PrintDialogRunner = std::function<int(QPrintDialog& dialog, QPrinter& printer)>;
PrintDialogRunner& printDialogRunner();

// The message shown instead of the print dialog when no printer is installed.
QString noPrinterMessage();

} // namespace vx
