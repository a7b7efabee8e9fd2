#include "bench/dense_report.h"

#include "platform/canvas.h"
#include "platform/emf/recording_canvas.h"
#include "report/emf_pages.h"

namespace vx::bench {

// A4 page with 50 lines of 3 cells of text (about 34 KB of records), lines
// and shaded bands.
void drawDensePage(Canvas& c, int page) {
    c.setBackgroundMode(BackgroundMode::Transparent);
    FontSpec f;
    f.height = -11;
    c.setFont(f);
    for (int row = 0; row < 50; ++row) {
        const int y = 40 + row * 20;
        if (row % 2)
            c.fillRect(rectFromEdges(30, y, 763, y + 20),
                       BrushSpec{BrushStyle::Solid, rgb(240, 240, 240), 0});
        for (int col = 0; col < 3; ++col) {
            const QRect cell = rectFromEdges(30 + col * 244, y, 30 + (col + 1) * 244, y + 20);
            c.textOut(cell.left() + 3, y + 2,
                      QStringLiteral("Pag. %1 riga %2/%3 € %4,%5")
                          .arg(page)
                          .arg(row)
                          .arg(col)
                          .arg(row * 37 + col)
                          .arg(col * 7 % 100, 2, 10, QLatin1Char('0')),
                      TextOutOption::Clipped, cell);
        }
        c.setPen(PenSpec{PenStyle::Solid, 1, rgb(180, 180, 180)});
        c.moveTo(30, y + 16);
        c.lineTo(763, y + 16);
    }
}

std::unique_ptr<TvxEMFPages> makeDenseReport(int count) {
    auto pages = std::make_unique<TvxEMFPages>();
    PreparedPageSetup setup;
    setup.PaperSize = 9;
    setup.PaperWidth = 2100;
    setup.PaperHeight = 2970;
    setup.PageMetrics.ScreenWidth = 793;
    setup.PageMetrics.ScreenHeight = 1122;
    for (int i = 0; i < count; ++i) {
        PreparedPageInfo& page = pages->Add(setup);
        drawDensePage(*page.PictureCanvas, i + 1);
        pages->ClosePage(i);
    }
    return pages;
}

TvxEMFPages& denseReport() {
    static const std::unique_ptr<TvxEMFPages> pages = makeDenseReport();
    return *pages;
}

} // namespace vx::bench
