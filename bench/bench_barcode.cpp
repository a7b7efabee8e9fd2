// Barcode objects: one EAN-13 encoded, and one barcode object evaluated,
// encoded and drawn with its text on a recorded page (the work of one label).
#include "addins/barcode/codebarre_view.h"
#include "expr/evaluator.h"
#include "platform/emf/recording_canvas.h"
#include "report/library_state.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

void BM_BarcodeEncodeEan13(benchmark::State& state) {
    vx::BarcodeOptions o;
    o.Typ = vx::bcCodeEAN13;
    o.Checksum = true;
    const QString text = QStringLiteral("400638133393");
    for (auto _ : state)
        benchmark::DoNotOptimize(vx::MakeElements(text, o));
}
BENCHMARK(BM_BarcodeEncodeEan13);

void BM_BarcodeDrawEan13(benchmark::State& state) {
    vx::ScopedExprResolver scope([](const QString&, const QStringList*, vx::Variant& value) {
        value = vx::Variant(QStringLiteral("400638133393"));
    });
    vx::PrintMode = true;
    vx::TvxCodeBarreView view(nullptr);
    view.Left = 20;
    view.Top = 20;
    view.Width = 200;
    view.Height = 60;
    view.BarModul = 2;
    view.Lines = QStringList{QStringLiteral("Codice")};
    // A sheet of 24 labels; a fresh page after each sheet.
    auto page = std::make_unique<vx::emf::RecordingCanvas>(QSize(800, 1100));
    int onPage = 0;
    for (auto _ : state) {
        view.Draw(*page);
        if (++onPage == 24) {
            state.PauseTiming();
            page = std::make_unique<vx::emf::RecordingCanvas>(QSize(800, 1100));
            onPage = 0;
            state.ResumeTiming();
        }
    }
    vx::PrintMode = false;
}
BENCHMARK(BM_BarcodeDrawEan13);

} // namespace
