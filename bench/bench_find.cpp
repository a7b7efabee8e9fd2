// Text search over a 1000-page text-dense prepared report: a word that is
// nowhere, so every text record of every page is examined.
#include "platform/emf/recording_canvas.h"
#include "preview/text_search.h"
#include "report/emf_pages.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kFindPages = 1000;
constexpr int kFindLines = 60;

// An A4 page of 181 text records: a heading, then 60 lines in three columns.
vx::emf::EmfPicture findDensePage(int pageNo) {
    vx::emf::RecordingCanvas c(QSize(794, 1123));
    c.setFont(vx::FontSpec{});
    c.textOut(40, 30, QStringLiteral("Elenco movimenti - pagina %1").arg(pageNo));
    for (int i = 0; i < kFindLines; ++i) {
        const int y = 64 + i * 17;
        c.textOut(
            40, y,
            QStringLiteral("%1  Pagamento fattura n. %2 del 12/03/2024 - cliente Rossi S.r.l.")
                .arg(pageNo * 100 + i, 6)
                .arg(i + 1));
        c.textOut(
            560, y,
            QStringLiteral("€ %1,%2").arg(1000 + i * 37).arg(i % 100, 2, 10, QLatin1Char('0')));
        c.textOut(680, y, QStringLiteral("Saldato"));
    }
    return vx::emf::EmfPicture::parse(c.finish());
}

const vx::TvxEMFPages& findPages() {
    static const std::unique_ptr<vx::TvxEMFPages> pages = [] {
        auto p = std::make_unique<vx::TvxEMFPages>();
        vx::PreparedPageInfo paper;
        paper.PaperWidth = 2100;
        paper.PaperHeight = 2970;
        for (int i = 0; i < kFindPages; ++i)
            p->AddPicture(paper, findDensePage(i + 1));
        return p;
    }();
    return *pages;
}

void BM_FindAbsentWord(benchmark::State& state) {
    const vx::TvxEMFPages& pages = findPages();
    vx::preview::FindRequest request;
    request.text = QStringLiteral("Inesistente");
    request.partOfWord = state.range(0) != 0;
    for (auto _ : state) {
        auto hit = vx::preview::findText(pages, request);
        benchmark::DoNotOptimize(hit);
    }
    state.SetItemsProcessed(state.iterations() * kFindPages);
}
BENCHMARK(BM_FindAbsentWord)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// Every hit of a word on every line (the vxtool find listing).
void BM_FindAllHits(benchmark::State& state) {
    const vx::TvxEMFPages& pages = findPages();
    for (auto _ : state) {
        auto hits = vx::preview::findAll(pages, QStringLiteral("saldato"), false, false);
        benchmark::DoNotOptimize(hits);
    }
}
BENCHMARK(BM_FindAllHits)->Unit(benchmark::kMillisecond);

} // namespace
