// vxtool sample -o out.vxp: writes the bundled sample prepared report (a
// two-page invoice and a customer list; see app/sample_report.h).
#include "app/sample_report.h"
#include "app/vxtool/command.h"
#include "report/emf_pages.h"
#include "report/printer_settings.h"

namespace vx::tool {

namespace {

int runSample(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    Q_UNUSED(out);
    QStringList args = arguments;
    QString output;
    if (!takeOption(args, QStringLiteral("-o"), &output) || !args.isEmpty()) {
        err << "uso: vxtool sample -o out.vxp\n";
        return kExitUsage;
    }
    // The sample records the pseudo printer, so the file is the same on
    // every machine.
    PreparedPrinterAccess saved = preparedPrinterAccess();
    preparedPrinterAccess().SelectedPrinterName = [] {
        return TPrinterSettings::PseudoPrinterName();
    };
    TvxEMFPages pages;
    buildSampleReport(pages);
    try {
        SavePreparedPages(pages, output);
    } catch (...) {
        preparedPrinterAccess() = saved;
        throw;
    }
    preparedPrinterAccess() = saved;
    return kExitOk;
}

const CommandRegistration registration(QStringLiteral("sample"),
                                       {QStringLiteral("sample -o out.vxp"), runSample});

} // namespace

} // namespace vx::tool
