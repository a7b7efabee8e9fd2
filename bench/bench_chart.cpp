// The chart object: 1,000 records of two series read from a report dataset
// (value, colour, legend and label expressions evaluated) and drawn as bars
// with titles, legend, scale and grid on a recorded page.
#include "addins/chart/graph_view.h"
#include "expr/evaluator.h"
#include "platform/emf/recording_canvas.h"
#include "report/library_state.h"
#include "report/report.h"

#include <benchmark/benchmark.h>

namespace {

void BM_ChartThousandRecords(benchmark::State& state) {
    vx::TvxReport report;
    vx::Component host(nullptr, QStringLiteral("Modulo"));
    vx::TvxUserDataset dataset(&host);
    dataset.SetName(QStringLiteral("Vendite"));
    dataset.RangeEnd = vx::reCount;
    dataset.RangeEndCount = 1000;
    report.DataSets.Add(dataset.Name(), &dataset);
    vx::ScopedExprResolver scope([&](const QString& name, const QStringList*, vx::Variant& value) {
        const int i = dataset.RecordNo;
        if (name == QStringLiteral("Valore"))
            value = vx::Variant(100.0 + (i * 37) % 250);
        else if (name == QStringLiteral("Costo"))
            value = vx::Variant(60.0 + (i * 13) % 120);
        else if (name == QStringLiteral("Giorno"))
            value = vx::Variant(QString::number(i + 1));
    });
    vx::TvxGraphView chart(&report);
    chart.Left = 20;
    chart.Top = 20;
    chart.Width = 700;
    chart.Height = 400;
    chart.FormatText = dataset.Name();
    chart.GraphTitle = QStringLiteral("Vendite giornaliere");
    chart.XTitle = QStringLiteral("Giorno");
    chart.YTitle = QStringLiteral("Euro");
    chart.FieldTitleExpr = QStringLiteral("Giorno");
    chart.YFormat = QStringLiteral("[6] - Numero (1.234,50)");
    chart.Lines = {QStringLiteral("Valore"), QStringLiteral("255"),      QStringLiteral("'Ricavi'"),
                   QStringLiteral("Costo"),  QStringLiteral("16711680"), QStringLiteral("'Costi'")};
    vx::PrintMode = true;
    for (auto _ : state) {
        vx::emf::RecordingCanvas page(QSize(794, 1123));
        chart.Draw(page);
        benchmark::DoNotOptimize(page.finish());
    }
    vx::PrintMode = false;
    report.DataSets.Remove(&dataset);
    chart.FormatText.clear();
}
BENCHMARK(BM_ChartThousandRecords)->Unit(benchmark::kMillisecond);

} // namespace
