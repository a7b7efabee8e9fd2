#include "list_report.h"

#include "engine/engine_hooks.h"
#include "engine/preparation.h"
#include "expr/format.h"
#include "platform/component.h"
#include "platform/database.h"
#include "report/band_view.h"
#include "report/dataset.h"
#include "report/emf_pages.h"
#include "report/library_state.h"
#include "report/memo_view.h"
#include "report/page.h"
#include "report/pages.h"
#include "report/printer_settings.h"
#include "report/report.h"
#include "report/value_expansion.h"

#include <QDate>

#include <benchmark/benchmark.h>

#include <vector>

namespace vx::bench {

TvxBandView* addBand(TvxReport& report, TvxPage& page, int type, int top, int height,
                     const QString& dataset) {
    auto band = std::make_unique<TvxBandView>(&report);
    band->SetBandType(type);
    band->Top = top;
    band->Width = 718;
    band->Height = height;
    band->FormatText = dataset;
    return static_cast<TvxBandView*>(page.Add(std::move(band)));
}

TvxMemoView* addText(TvxReport& report, TvxPage& page, int left, int top, int width,
                     const QString& text) {
    auto memo = std::make_unique<TvxMemoView>(&report);
    memo->Left = left;
    memo->Top = top;
    memo->Width = width;
    memo->Height = 18;
    memo->Lines = {text};
    return static_cast<TvxMemoView*>(page.Add(std::move(memo)));
}

namespace {

void addBand(TvxReport& report, int type, int top, int height, const QString& dataset = {}) {
    vx::bench::addBand(report, report.Pages->Pages(0), type, top, height, dataset);
}

TvxMemoView* addText(TvxReport& report, int left, int top, int width, const QString& text) {
    return vx::bench::addText(report, report.Pages->Pages(0), left, top, width, text);
}

void numberFormat(TvxMemoView* memo, const QString& pattern) {
    memo->FormatCode = MakeFormatCode(fcNumber, kCustomSubFormat, 0, ',');
    memo->FormatText = pattern;
    memo->SetHorzAlign(1); // right
}

} // namespace

void makeListDatabase(const QString& file, int rows) {
    auto db = Database::open(file, Database::OpenMode::CreateIfMissing);
    db->exec(QStringLiteral("CREATE TABLE movimenti (id INTEGER PRIMARY KEY, descrizione "
                            "VARCHAR(40), categoria VARCHAR(20), quantita INTEGER, importo "
                            "REAL, data DATE)"));
    const char* const categories[] = {"Alimentari", "Trasporti", "Casa", "Svago"};
    std::vector<std::vector<QVariant>> values;
    values.reserve(size_t(rows));
    const QDate start(2024, 1, 1);
    for (int i = 1; i <= rows; ++i)
        values.push_back({i, QStringLiteral("Movimento numero %1").arg(i),
                          QString::fromLatin1(categories[i % 4]), i % 17 + 1, i * 1.25 + 0.5,
                          start.addDays(i % 365).toString(Qt::ISODate)});
    db->transaction();
    db->execBatch(QStringLiteral("INSERT INTO movimenti VALUES (?, ?, ?, ?, ?, ?)"), values);
    db->commit();
}

std::unique_ptr<TvxReport> makeListReport() {
    auto report = std::make_unique<TvxReport>();
    report->TwoPass = true;
    report->ShowProgress = false;
    // The report's dataset wraps the table of the registered data module.
    auto movimenti = std::make_unique<TvxDBDataSet>(nullptr);
    movimenti->SetName(QStringLiteral("vxMovimenti"));
    if (Component* module = findModule(QStringLiteral("Dati")))
        movimenti->SetDataSet(
            dynamic_cast<DataSet*>(module->findComponent(QStringLiteral("movimenti"))));
    const QString movimentiName = movimenti->Name();
    report->DataSets.Add(movimentiName, std::unique_ptr<TvxDataset>(std::move(movimenti)));

    addBand(*report, btReportTitle, 40, 40);
    addText(*report, 38, 45, 400, QStringLiteral("Elenco dei movimenti"));
    addBand(*report, btPageHeader, 100, 30);
    addText(*report, 500, 105, 200, QStringLiteral("Pagina [PAGE#] di [TOTALPAGES]"));
    addBand(*report, btMasterData, 150, 20, QStringLiteral("vxMovimenti"));
    addText(*report, 38, 151, 50, QStringLiteral("[Dati.movimenti.id]"));
    addText(*report, 90, 151, 220, QStringLiteral("[Dati.movimenti.descrizione]"));
    addText(*report, 312, 151, 100, QStringLiteral("[Dati.movimenti.categoria]"));
    numberFormat(addText(*report, 414, 151, 50, QStringLiteral("[Dati.movimenti.quantita]")),
                 QStringLiteral("#,##0"));
    numberFormat(addText(*report, 466, 151, 110, QStringLiteral("[Dati.movimenti.importo]")),
                 QStringLiteral("#,##0.00"));
    TvxMemoView* date = addText(*report, 580, 151, 100, QStringLiteral("[Dati.movimenti.data]"));
    date->FormatCode = MakeFormatCode(fcDate, kCustomSubFormat, 0, 0);
    date->FormatText = QStringLiteral("dd/mm/yyyy");
    addBand(*report, btReportSummary, 200, 40);
    numberFormat(addText(*report, 300, 205, 276, QStringLiteral("Totale [SUM([importo])]")),
                 QStringLiteral("#,##0.00"));
    addText(*report, 38, 205, 250, QStringLiteral("Movimenti: [COUNT()]"));
    addBand(*report, btPageFooter, 1000, 30);
    addText(*report, 38, 1005, 300, QStringLiteral("Stampato il [DATE]"));
    return report;
}

void writeListTemplate(const QString& file) {
    Component dati(nullptr, QStringLiteral("Dati"), ComponentKind::DataModule);
    registerModule(&dati);
    TableDataSet table(&dati);
    table.setName(QStringLiteral("movimenti"));
    // The file stores the dataset's path "Dati.movimenti".
    std::unique_ptr<TvxReport> report = makeListReport();
    report->SaveToFile(file);
    unregisterModule(&dati);
}

void measurePreparation(benchmark::State& state, const QString& database, int rows,
                        const std::function<std::unique_ptr<TvxReport>()>& makeReport) {
    InstallNameResolution();
    InstallEngine();
    auto printers = ReplacePrinterSettings(std::make_unique<TPrinterSettings>(nullptr));
    auto data = registerDatabaseModule(database);
    std::unique_ptr<TvxReport> report = makeReport();
    int pages = 0;
    for (auto _ : state) {
        Prepare(*report);
        if (ErrorRaised) {
            state.SkipWithError(ErrorText.toStdString().c_str());
            break;
        }
        pages = report->PreparedPages->Count();
    }
    if (rows > 0)
        state.SetItemsProcessed(int64_t(state.iterations()) * rows);
    state.counters["pages"] = pages;
    report.reset();
    data.reset();
    ReplacePrinterSettings(std::move(printers));
}

} // namespace vx::bench
