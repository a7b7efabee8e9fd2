// PDF export: a generated 1000-page text-dense report (60 rows of 6 text
// cells per A4 page, shaded bands and rules) written as a vector PDF.
// Target: at most about 5 s.

#include "platform/emf/recording_canvas.h"
#include "preview/pdf_export.h"
#include "report/emf_pages.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace vx;

constexpr int kPdfPages = 1000;

void drawTextPage(Canvas& c, int page) {
    c.setBackgroundMode(BackgroundMode::Transparent);
    FontSpec f;
    f.height = -11;
    c.setFont(f);
    for (int row = 0; row < 60; ++row) {
        const int y = 40 + row * 17;
        if (row % 2)
            c.fillRect(rectFromEdges(30, y, 763, y + 17),
                       BrushSpec{BrushStyle::Solid, rgb(240, 240, 240), 0});
        for (int col = 0; col < 6; ++col) {
            const QRect cell = rectFromEdges(30 + col * 122, y, 30 + (col + 1) * 122, y + 17);
            c.textOut(cell.left() + 3, y + 2,
                      QStringLiteral("Pag. %1 riga %2 col. %3 € %4")
                          .arg(page)
                          .arg(row)
                          .arg(col)
                          .arg(row * 37 + col),
                      TextOutOption::Clipped, cell);
        }
        c.setPen(PenSpec{PenStyle::Solid, 1, rgb(180, 180, 180)});
        c.moveTo(30, y + 16);
        c.lineTo(763, y + 16);
    }
}

TvxEMFPages& densePages() {
    static const std::unique_ptr<TvxEMFPages> pages = [] {
        auto p = std::make_unique<TvxEMFPages>();
        PreparedPageSetup setup;
        setup.PaperSize = 9;
        setup.PaperWidth = 2100;
        setup.PaperHeight = 2970;
        setup.PageMetrics.ScreenWidth = 793;
        setup.PageMetrics.ScreenHeight = 1122;
        for (int i = 0; i < kPdfPages; ++i) {
            PreparedPageInfo& page = p->Add(setup);
            drawTextPage(*page.PictureCanvas, i + 1);
            p->ClosePage(i);
        }
        return p;
    }();
    return *pages;
}

void BM_ExportPdf1000Pages(benchmark::State& state) {
    TvxEMFPages& pages = densePages();
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("report.pdf"));
    for (auto _ : state) {
        const int written = ExportPdf(pages, name);
        benchmark::DoNotOptimize(written);
    }
    state.counters["pages"] = double(kPdfPages);
    state.counters["MB"] = double(QFile(name).size()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_ExportPdf1000Pages)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
