// Prepared-report files: TvxReport::SavePreparedFile / LoadPreparedFile and
// the printer settings the prepared pages consult.

#include "platform/atomic_file.h"
#include "platform/errors.h"
#include "report/emf_pages.h"
#include "report/printer_settings.h"
#include "report/report.h"

#include <QFile>

namespace vx {

QString defaultSelectedPrinterName() {
    return PrinterSettings().SelectedPrinterName();
}

void defaultSelectStoredPrinter(TvxReport* report, const QString& name) {
    PrinterSettings().SelectStoredPrinter(report, name);
}

PageMetrics defaultPageMetricsFor(int32_t code, int32_t width, int32_t height,
                                  uint8_t orientation) {
    TPrinterSettings& settings = PrinterSettings();
    settings.SetPaper(code, width, height, orientation);
    PageMetrics m;
    settings.GetPageMetrics(m);
    return m;
}

void SavePreparedPages(TvxEMFPages& pages, const QString& fileName) {
    writeFileAtomically(fileName, [&pages](QIODevice& device) { pages.SaveToStream(device); });
}

void LoadPreparedPages(TvxEMFPages& pages, const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        pages.Clear();
        throw VxError(QStringLiteral("Impossibile aprire il file \"%1\".").arg(fileName));
    }
    pages.LoadFromStream(file, fileName);
}

void TvxReport::SavePreparedFile(const QString& fileName) {
    if (!PreparedPages)
        PreparedPages = std::make_unique<TvxEMFPages>(this);
    SavePreparedPages(*PreparedPages, fileName);
}

void TvxReport::LoadPreparedFile(const QString& fileName) {
    if (!PreparedPages)
        PreparedPages = std::make_unique<TvxEMFPages>(this);
    // The pages come from the file from here on, also the complete ones kept
    // when the file turns out damaged.
    PreparedFromTemplate = false;
    LoadPreparedPages(*PreparedPages, fileName);
}

} // namespace vx
