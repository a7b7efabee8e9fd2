// The preview's painting: opening a 1000-page prepared report and painting
// the first screen, repainting a whole text-dense A4 page at 100 %, and
// repainting the strip a 10-pixel scroll uncovers.
#include "bench/dense_report.h"
#include "preview/page_render.h"
#include "preview/paint_panel.h"
#include "preview/standard_preview.h"
#include "report/emf_pages.h"
#include "report/report.h"

#include <QApplication>
#include <QScrollBar>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

void ensureApplication() {
    if (qApp)
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "vx_bench";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv); // lives until the process ends
}

// Page `pageNo` (from 1) of the benchmarks' dense report.
const vx::emf::EmfPicture& densePage(int pageNo) {
    return vx::bench::denseReport().Pages(pageNo - 1).Picture;
}

const QString& thousandPageFile() {
    static QTemporaryDir dir;
    static QString path;
    if (path.isEmpty()) {
        path = dir.filePath(QStringLiteral("mille.vxp"));
        vx::SavePreparedPages(vx::bench::denseReport(), path);
    }
    return path;
}

// From the start of loading to the first screen painted.
void BM_OpenThousandPagesAndPaintFirstScreen(benchmark::State& state) {
    ensureApplication();
    const QString& file = thousandPageFile();
    for (auto _ : state) {
        vx::TvxReport report;
        report.LoadPreparedFile(file);
        vx::TStandardPreview window;
        window.setReport(&report);
        window.resize(1280, 1000);
        window.show();
        window.paintPanel()->repaint();
        benchmark::DoNotOptimize(window.currentPage());
        state.PauseTiming();
        window.hide();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenThousandPagesAndPaintFirstScreen)->Unit(benchmark::kMillisecond)->Iterations(5);

struct ShownPreview {
    vx::TvxReport report;
    std::unique_ptr<vx::TStandardPreview> window;
    ShownPreview() {
        ensureApplication();
        vx::PreparedPageInfo paper;
        paper.PaperWidth = 2100;
        paper.PaperHeight = 2970;
        for (int i = 0; i < 3; ++i)
            report.PreparedPages->AddPicture(paper, densePage(i + 1));
        window = std::make_unique<vx::TStandardPreview>();
        window->setReport(&report);
        window->resize(1280, 1250); // the whole page is visible at 100 %
        window->show();
        QApplication::processEvents();
    }
};

void BM_RepaintDensePageAt100(benchmark::State& state) {
    ShownPreview s;
    vx::TPaintPanel* panel = s.window->paintPanel();
    const vx::preview::Point o = s.window->PageOrigin(0);
    const QRect page(o.x, o.y, 796, 1125);
    for (auto _ : state)
        panel->repaint(page);
}
BENCHMARK(BM_RepaintDensePageAt100)->Unit(benchmark::kMillisecond);

void BM_RepaintScrollStrip(benchmark::State& state) {
    ShownPreview s;
    vx::TPaintPanel* panel = s.window->paintPanel();
    const vx::preview::Point o = s.window->PageOrigin(0);
    // A 10-pixel strip across the text of the page.
    const QRect strip(0, o.y + 500, panel->width(), 10);
    for (auto _ : state)
        panel->repaint(strip);
}
BENCHMARK(BM_RepaintScrollStrip)->Unit(benchmark::kMicrosecond);

void BM_ScrollByTenPixels(benchmark::State& state) {
    ShownPreview s;
    s.window->resize(1280, 700); // the page is taller than the panel
    QApplication::processEvents();
    QScrollBar* bar = s.window->verticalBar();
    int step = 10;
    for (auto _ : state) {
        if (bar->value() + step > bar->maximum() || bar->value() + step < 0)
            step = -step;
        bar->setValue(bar->value() + step);
        QApplication::processEvents(); // the uncovered strip is painted
    }
}
BENCHMARK(BM_ScrollByTenPixels)->Unit(benchmark::kMicrosecond);

void BM_RenderDensePageAt150(benchmark::State& state) {
    ensureApplication();
    vx::PreparedPageInfo page;
    page.PaperWidth = 2100;
    page.PaperHeight = 2970;
    page.Picture = densePage(1);
    page.PictureSize = QSize(794, 1123);
    for (auto _ : state)
        benchmark::DoNotOptimize(vx::preview::renderPage(page, 0, 150).width());
}
BENCHMARK(BM_RenderDensePageAt150)->Unit(benchmark::kMillisecond);

} // namespace
