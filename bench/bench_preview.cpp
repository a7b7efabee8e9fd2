// The preview's painting: opening a 1000-page prepared report and painting
// the first screen, repainting a whole text-dense A4 page at 100 %, and
// repainting the strip a 10-pixel scroll uncovers.
#include "platform/emf/recording_canvas.h"
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

constexpr int kPages = 1000;
constexpr int kLines = 60; // lines of text per page

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

// A text-dense A4 page: a heading, 60 lines of about 90 characters in three
// columns, rules and a frame, as an invoice or a list page has.
vx::emf::EmfPicture densePage(int pageNo) {
    vx::emf::RecordingCanvas c(QSize(794, 1123));
    vx::FontSpec bold;
    bold.height = -16;
    bold.weight = 700;
    c.setFont(bold);
    c.textOut(40, 30, QStringLiteral("Elenco movimenti - pagina %1").arg(pageNo));
    c.setFont(vx::FontSpec{});
    c.rectangle(QRect(36, 60, 722, kLines * 17 + 8));
    for (int i = 0; i < kLines; ++i) {
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
        c.moveTo(40, y + 16);
        c.lineTo(754, y + 16);
    }
    return vx::emf::EmfPicture::parse(c.finish());
}

const QString& thousandPageFile() {
    static QTemporaryDir dir;
    static QString path;
    if (path.isEmpty()) {
        vx::TvxEMFPages pages;
        vx::PreparedPageInfo paper;
        paper.PaperWidth = 2100;
        paper.PaperHeight = 2970;
        for (int i = 0; i < kPages; ++i)
            pages.AddPicture(paper, densePage(i + 1));
        path = dir.filePath(QStringLiteral("mille.vxp"));
        vx::SavePreparedPages(pages, path);
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
