// Preparing 10,000 labels over an SQLite table: each label a data band with
// the article's name, price and an EAN-13 barcode of its code, every page
// recorded (one pass, no files written).

#include "list_report.h"

#include "addins/barcode/codebarre_view.h"
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
#include "report/value_expansion.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

QString labelDatabase(int rows) {
    static QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("etichette%1.sqlite").arg(rows));
    if (QFile::exists(file))
        return file;
    auto db = vx::Database::open(file, vx::Database::OpenMode::CreateIfMissing);
    db->exec(QStringLiteral(
        "CREATE TABLE articoli (id INTEGER, nome VARCHAR(30), prezzo REAL, codice VARCHAR(12))"));
    std::vector<std::vector<QVariant>> values;
    values.reserve(size_t(rows));
    for (int i = 1; i <= rows; ++i)
        values.push_back({i, QStringLiteral("Articolo %1").arg(i), i * 0.75,
                          QStringLiteral("8001234%1").arg(i, 5, 10, QLatin1Char('0'))});
    db->transaction();
    db->execBatch(QStringLiteral("INSERT INTO articoli VALUES (?, ?, ?, ?)"), values);
    db->commit();
    return file;
}

template <class T>
T* place(vx::TvxReport& report, int left, int top, int width, int height, const QString& line) {
    auto view = std::make_unique<T>(&report);
    view->Left = left;
    view->Top = top;
    view->Width = width;
    view->Height = height;
    view->Lines = {line};
    return static_cast<T*>(report.Pages->Pages(0).Add(std::move(view)));
}

std::unique_ptr<vx::TvxReport> makeLabelReport() {
    auto report = std::make_unique<vx::TvxReport>();
    report->ShowProgress = false;
    auto* articoli = new vx::TvxDBDataSet(nullptr);
    articoli->SetName(QStringLiteral("vxArticoli"));
    if (vx::Component* module = vx::findModule(QStringLiteral("Dati")))
        articoli->SetDataSet(
            dynamic_cast<vx::DataSet*>(module->findComponent(QStringLiteral("articoli"))));
    report->DataSets.Add(articoli->Name(), articoli);
    vx::bench::addBand(*report, report->Pages->Pages(0), vx::btMasterData, 40, 100,
                       articoli->Name());
    place<vx::TvxMemoView>(*report, 38, 42, 300, 18, QStringLiteral("[Dati.articoli.nome]"));
    place<vx::TvxMemoView>(*report, 38, 62, 300, 18, QStringLiteral("€ [Dati.articoli.prezzo]"));
    place<vx::TvxCodeBarreView>(*report, 360, 45, 200, 70,
                                QStringLiteral("[Dati.articoli.codice]"));
    return report;
}

void BM_PrepareBarcodeLabels(benchmark::State& state) {
    const int rows = int(state.range(0));
    vx::bench::measurePreparation(state, labelDatabase(rows), rows, makeLabelReport);
}
BENCHMARK(BM_PrepareBarcodeLabels)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
