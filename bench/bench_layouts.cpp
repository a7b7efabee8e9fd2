// Preparing the two advanced layouts over SQLite tables: a cross table of
// 1,000 customers by 12 months (the columns of each row filtered on its
// customer), and 1,000 invoices each showing its 5 rows through a sub-report
// whose list is filtered on the invoice. Both in one pass, every output page
// recorded.

#include "list_report.h"

#include "engine/engine_hooks.h"
#include "engine/preparation.h"
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
#include "report/subreport_view.h"
#include "report/value_expansion.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace vx;
using bench::addBand;
using bench::addText;

constexpr int kCustomers = 1000;
constexpr int kMonths = 12;
constexpr int kInvoiceRows = 5;

QString layoutsDatabase() {
    static QTemporaryDir dir;
    static QString file;
    if (!file.isEmpty())
        return file;
    file = dir.filePath(QStringLiteral("layouts.sqlite"));
    auto db = Database::open(file, Database::OpenMode::CreateIfMissing);
    db->exec(QStringLiteral("CREATE TABLE clienti (id INTEGER PRIMARY KEY, nome VARCHAR(30))"));
    db->exec(QStringLiteral("CREATE TABLE vendite (cliente INTEGER, mese INTEGER, qta INTEGER)"));
    db->exec(QStringLiteral("CREATE TABLE righe (fattura INTEGER, descrizione VARCHAR(30), "
                            "importo REAL)"));
    std::vector<std::vector<QVariant>> customers, sales, rows;
    for (int c = 1; c <= kCustomers; ++c) {
        customers.push_back({c, QStringLiteral("Cliente %1").arg(c)});
        for (int m = 1; m <= kMonths; ++m)
            sales.push_back({c, m, (c * 7 + m * 3) % 100});
        for (int r = 1; r <= kInvoiceRows; ++r)
            rows.push_back({c, QStringLiteral("Articolo %1").arg(r), r * 2.5});
    }
    db->transaction();
    db->execBatch(QStringLiteral("INSERT INTO clienti VALUES (?, ?)"), customers);
    db->execBatch(QStringLiteral("INSERT INTO vendite VALUES (?, ?, ?)"), sales);
    db->execBatch(QStringLiteral("INSERT INTO righe VALUES (?, ?, ?)"), rows);
    db->commit();
    return file;
}

void addDataSet(TvxReport& report, const QString& name, const QString& table,
                const QString& filter = QString()) {
    auto ds = std::make_unique<TvxDBDataSet>(nullptr);
    ds->SetName(name);
    if (Component* module = findModule(QStringLiteral("Dati")))
        ds->SetDataSet(dynamic_cast<DataSet*>(module->findComponent(table)));
    ds->Filter = filter;
    ds->Filtered = !filter.isEmpty();
    report.DataSets.Add(name, std::unique_ptr<TvxDataset>(std::move(ds)));
}

std::unique_ptr<TvxReport> crossTableReport() {
    auto report = std::make_unique<TvxReport>();
    report->ShowProgress = false;
    addDataSet(*report, QStringLiteral("vxClienti"), QStringLiteral("clienti"));
    addDataSet(*report, QStringLiteral("vxVendite"), QStringLiteral("vendite"),
               QStringLiteral("[cliente] = [Dati.clienti.id]"));
    TvxPage& p = report->Pages->Pages(0);
    TvxBandView* header = addBand(*report, p, btCrossHeader, 0, 1000);
    header->Left = 0;
    header->Width = 120;
    TvxBandView* data = addBand(*report, p, btCrossData, 0, 1000, QStringLiteral("vxVendite"));
    data->Left = 120;
    data->Width = 45;
    addBand(*report, p, btMasterData, 150, 20, QStringLiteral("vxClienti"));
    addText(*report, p, 2, 151, 116, QStringLiteral("[Dati.clienti.nome]"));
    addText(*report, p, 122, 151, 41, QStringLiteral("[qta]"));
    addBand(*report, p, btMasterFooter, 200, 20);
    addText(*report, p, 2, 201, 116, QStringLiteral("Totale"));
    addText(*report, p, 122, 201, 41, QStringLiteral("[SUM([qta])]"));
    return report;
}

std::unique_ptr<TvxReport> invoicesReport() {
    auto report = std::make_unique<TvxReport>();
    report->ShowProgress = false;
    addDataSet(*report, QStringLiteral("vxFatture"), QStringLiteral("clienti"));
    addDataSet(*report, QStringLiteral("vxRighe"), QStringLiteral("righe"),
               QStringLiteral("[fattura] = [Dati.clienti.id]"));
    TvxPage& p = report->Pages->Pages(0);
    addBand(*report, p, btMasterData, 150, 40, QStringLiteral("vxFatture"));
    addText(*report, p, 40, 151, 300, QStringLiteral("Fattura [Dati.clienti.id]"));
    auto sub = std::make_unique<TvxSubReportView>(report.get());
    sub->Left = 40;
    sub->Top = 170;
    sub->Width = 600;
    sub->Height = 20;
    sub->SubPage = 1;
    p.Add(std::move(sub));
    TvxPage& rows = report->Pages->Add();
    addBand(*report, rows, btMasterData, 100, 20, QStringLiteral("vxRighe"));
    addText(*report, rows, 40, 101, 300, QStringLiteral("[descrizione]"));
    addText(*report, rows, 400, 101, 100, QStringLiteral("[importo]"));
    addBand(*report, rows, btMasterFooter, 150, 20);
    addText(*report, rows, 400, 151, 100, QStringLiteral("[SUM([importo])]"));
    return report;
}

void prepareLoop(benchmark::State& state, std::unique_ptr<TvxReport> (*make)()) {
    bench::measurePreparation(state, layoutsDatabase(), 0, make);
}

void BM_PrepareCrossTable(benchmark::State& state) {
    prepareLoop(state, crossTableReport);
}
BENCHMARK(BM_PrepareCrossTable)->Unit(benchmark::kMillisecond);

void BM_PrepareSubReports(benchmark::State& state) {
    prepareLoop(state, invoicesReport);
}
BENCHMARK(BM_PrepareSubReports)->Unit(benchmark::kMillisecond);

} // namespace
