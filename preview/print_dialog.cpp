#include "preview/print_dialog.h"

#include "platform/message_box.h"
#include "platform/process_state.h"
#include "preview/print_pages.h"
#include "report/emf_pages.h"
#include "report/printer_settings.h"
#include "report/report.h"

#include <QApplication>
#include <QDoubleSpinBox>
#include <QPrintDialog>
#include <QPrinter>

#include <algorithm>

namespace vx {

namespace {

// The margins of the dialog's page set-up (under "Proprietà"): a page is
// placed by its own margins flag, on the whole sheet or in the printable
// area, so margins typed there could not be honoured and are not offered.
// Watches the application while the print dialog runs and disables the
// margin fields of every page set-up it opens.
class MarginFieldsOff : public QObject {
public:
    explicit MarginFieldsOff(QWidget* dialog) : dialog_(dialog) { qApp->installEventFilter(this); }
    ~MarginFieldsOff() override { qApp->removeEventFilter(this); }
    MarginFieldsOff(const MarginFieldsOff&) = delete;
    MarginFieldsOff& operator=(const MarginFieldsOff&) = delete;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            auto* window = qobject_cast<QDialog*>(watched);
            if (window && window != dialog_ && ownedByDialog(window))
                for (QDoubleSpinBox* field : window->findChildren<QDoubleSpinBox*>())
                    if (field->objectName().endsWith(QLatin1String("Margin")))
                        field->setEnabled(false);
        }
        return false;
    }

private:
    bool ownedByDialog(const QObject* o) const {
        for (o = o->parent(); o; o = o->parent())
            if (o == dialog_)
                return true;
        return false;
    }

    QWidget* dialog_;
};

} // namespace

namespace {
// The print dialog's part of the library state: how it runs (tests answer
// it themselves).
struct PrintDialogState : DefaultResetPart<PrintDialogState> {
    PrintDialogRunner runner;
};
} // namespace

PrintDialogRunner& printDialogRunner() {
    return libraryState().part<PrintDialogState>().runner;
}

QString noPrinterMessage() {
    return QStringLiteral("Nessuna stampante installata.");
}

void PrintWithOptions(TvxReport& report, PrintJobOptions options) {
    const int count = report.PreparedPages ? report.PreparedPages->Count() : 0;
    if (count == 0)
        return;
    // The printer chosen in the dialog becomes the current one; the print
    // job reads the printer list again and follows it.
    TPrinterSettings& settings = PrinterSettings();
    if (!options.PrinterName.isEmpty()) {
        const int chosen = int(settings.Printers.indexOf(options.PrinterName));
        if (chosen >= 0 && chosen != settings.PseudoPrinterIndex && chosen != settings.PrinterIndex)
            settings.SelectPrinter(chosen);
    }
    QApplication::processEvents();
    for (PageRun& run : options.Pages) {
        run.First = std::clamp(run.First, 1, count);
        run.Last = std::clamp(run.Last < 1 ? count : run.Last, run.First, count);
    }
    options.Copies = std::max(1, options.Copies);
    PrintPages(report, options);
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
    // The dialog shows the paper the run starts on; a paper chosen in it
    // replaces that paper in every job.
    const PreparedPageInfo& first = report.PreparedPages->Pages(0);
    const PaperChoice shown{first.PaperSize, first.PaperWidth, first.PaperHeight,
                            first.Orientation};
    applyPaper(printer, shown);
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
    const MarginFieldsOff marginsOff(&dialog);
    const PrintDialogRunner& runner = printDialogRunner();
    if ((runner ? runner(dialog, printer) : dialog.exec()) != QDialog::Accepted)
        return false;
    PrintWithOptions(report, printJobOptions(printer, shown));
    return true;
}

} // namespace vx
