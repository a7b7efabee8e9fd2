// PDF export: the benchmarks' 1000-page text-dense report written as a
// vector PDF. Target: at most about 5 s.

#include "bench/dense_report.h"
#include "preview/pdf_export.h"
#include "report/emf_pages.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace vx;

void BM_ExportPdf1000Pages(benchmark::State& state) {
    TvxEMFPages& pages = bench::denseReport();
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("report.pdf"));
    for (auto _ : state) {
        const int written = ExportPdf(pages, name);
        benchmark::DoNotOptimize(written);
    }
    state.counters["pages"] = double(bench::kDensePages);
    state.counters["MB"] = double(QFile(name).size()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_ExportPdf1000Pages)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
