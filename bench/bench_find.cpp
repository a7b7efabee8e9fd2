// Text search over a 1000-page text-dense prepared report: a word that is
// nowhere, so every text record of every page is examined.
#include "bench/dense_report.h"
#include "preview/text_search.h"
#include "report/emf_pages.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

void BM_FindAbsentWord(benchmark::State& state) {
    const vx::TvxEMFPages& pages = vx::bench::denseReport();
    vx::preview::FindRequest request;
    request.text = QStringLiteral("Inesistente");
    request.partOfWord = state.range(0) != 0;
    for (auto _ : state) {
        auto hit = vx::preview::findText(pages, request);
        benchmark::DoNotOptimize(hit);
    }
    state.SetItemsProcessed(state.iterations() * vx::bench::kDensePages);
}
BENCHMARK(BM_FindAbsentWord)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// Every hit of a word on every line (the vxtool find listing).
void BM_FindAllHits(benchmark::State& state) {
    const vx::TvxEMFPages& pages = vx::bench::denseReport();
    for (auto _ : state) {
        auto hits = vx::preview::findAll(pages, QStringLiteral("riga"), false, false);
        benchmark::DoNotOptimize(hits);
    }
}
BENCHMARK(BM_FindAllHits)->Unit(benchmark::kMillisecond);

} // namespace
