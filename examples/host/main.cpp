// A host program embedding the report library: it builds a template in
// code, feeds a band from its own std::vector of records through a user
// dataset's callbacks, answers the template's variables with OnGetValue,
// follows the pages with OnProgress, prepares the report and writes it as a
// PDF, all without a window.
//
//   vxhost [out.pdf]

#include "engine/engine_hooks.h"
#include "engine/preparation.h"
#include "expr/variant.h"
#include "platform/component.h"
#include "preview/pdf_export.h"
#include "report/band_view.h"
#include "report/dataset.h"
#include "report/emf_pages.h"
#include "report/library_state.h"
#include "report/memo_view.h"
#include "report/page.h"
#include "report/pages.h"
#include "report/report.h"
#include "report/value_expansion.h"
#include "report/values.h"

#include <QGuiApplication>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

// The host's own records.
struct Movement {
    QString description;
    double amount;
};

std::vector<Movement> movements() {
    std::vector<Movement> rows;
    for (int i = 1; i <= 120; ++i)
        rows.push_back({QStringLiteral("Movimento n. %1").arg(i), i * 12.5});
    return rows;
}

void addBand(vx::TvxReport& report, int type, int top, int height, const QString& text = {}) {
    auto band = std::make_unique<vx::TvxBandView>(&report);
    band->SetBandType(type);
    band->Top = top;
    band->Width = 700;
    band->Height = height;
    band->FormatText = text;
    report.Pages->Pages(0).Add(std::move(band));
}

void addText(vx::TvxReport& report, int left, int top, int width, const QString& text) {
    auto memo = std::make_unique<vx::TvxMemoView>(&report);
    memo->Left = left;
    memo->Top = top;
    memo->Width = width;
    memo->Height = 18;
    memo->Lines = {text};
    report.Pages->Pages(0).Add(std::move(memo));
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen"); // no window, no display needed
    QGuiApplication app(argc, argv);
    const QString output =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("movimenti.pdf");
    vx::InstallNameResolution();
    vx::InstallEngine();

    // The report and the host's dataset belong to a form of the host.
    vx::Component form(nullptr, QStringLiteral("Host"), vx::ComponentKind::Form);
    vx::registerModule(&form);
    vx::TvxReport report(&form);
    report.ShowProgress = false;
    report.TwoPass = true; // "di [TOTALPAGES]"

    const std::vector<Movement> rows = movements();
    size_t cursor = 0;
    vx::TvxUserDataset dataset(&form);
    dataset.setName(QStringLiteral("vxMovimenti"));
    dataset.OnFirst = [&](vx::TvxDataset*) { cursor = 0; };
    dataset.OnNext = [&](vx::TvxDataset*) { ++cursor; };
    dataset.OnPrior = [&](vx::TvxDataset*) { cursor = cursor > 0 ? cursor - 1 : 0; };
    dataset.OnCheckEOF = [&](vx::TvxDataset*, bool& eof) { eof = cursor >= rows.size(); };

    // The variables the template uses, answered from the current record.
    for (const char* name : {"descrizione", "importo"})
        report.Values->SetName(report.Values->AddValue(), QString::fromLatin1(name));
    report.OnGetValue = [&](const QString& name, vx::Variant& value) {
        if (cursor >= rows.size())
            return;
        if (name.compare(QLatin1String("descrizione"), Qt::CaseInsensitive) == 0)
            value = vx::Variant(rows[cursor].description);
        else if (name.compare(QLatin1String("importo"), Qt::CaseInsensitive) == 0)
            value = vx::Variant(rows[cursor].amount);
    };
    report.OnProgress = [](int page) { std::fprintf(stderr, "Pagina in costruzione: %d\n", page); };

    addBand(report, vx::btPageHeader, 40, 30);
    addText(report, 0, 40, 400, QStringLiteral("Movimenti - pagina [PAGE#] di [TOTALPAGES]"));
    addBand(report, vx::btMasterData, 100, 20, QStringLiteral("vxMovimenti"));
    addText(report, 0, 100, 400, QStringLiteral("[descrizione]"));
    addText(report, 420, 100, 200, QStringLiteral("[importo]"));
    addBand(report, vx::btReportSummary, 160, 24);
    addText(report, 0, 160, 600, QStringLiteral("Totale: [SUM([importo])]"));

    vx::Prepare(report);
    if (vx::ErrorRaised) {
        std::fprintf(stderr, "%s\n", qPrintable(vx::ErrorText));
        return 1;
    }
    vx::ExportPdf(*report.PreparedPages, output);
    std::printf("%d pagine scritte in %s\n", report.PreparedPages->Count(), qPrintable(output));
    return 0;
}
