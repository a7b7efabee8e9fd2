// The designer's band and sub-report objects: checker, caption tab, turned
// caption of vertical bands, region, options and menu entries per band type.
#include "report_fixture.h"
#include "tests/support/recording_canvas_fake.h"

#include "platform/fonts.h"
#include "platform/painter_canvas.h"
#include "report/band_view.h"
#include "report/page.h"
#include "report/report.h"
#include "report/subreport_view.h"

#include <QPainter>

namespace vx::test {
namespace {

class BandView : public ReportTest {
protected:
    // A band of `type` on the report's page, at (left, top), 300 x 40.
    TvxBandView& band(int type, int left = 0, int top = 50) {
        auto* b = static_cast<TvxBandView*>(
            report_.Pages->Pages(0).Add(std::make_unique<TvxBandView>(&report_)));
        b->SetBandType(type);
        b->Left = left;
        b->Top = top;
        b->Width = 300;
        b->Height = 40;
        return *b;
    }
    TvxReport report_;
};

TEST_F(BandView, CheckerAlternatesWhiteAndSilverByPixel) {
    QImage img(40, 20, QImage::Format_RGB32);
    img.fill(Qt::black);
    {
        QPainter painter(&img);
        PainterCanvas canvas(painter);
        FillChecker(canvas, EdgeRect{3, 2, 33, 17}); // starts on an odd sum
    }
    for (int y = 2; y < 17; y += 3)
        for (int x = 3; x < 33; x += 2)
            EXPECT_EQ(img.pixel(x, y) & 0xFFFFFF, (x + y) % 2 == 0 ? 0xFFFFFFu : 0xC0C0C0u)
                << x << "," << y;
    EXPECT_EQ(img.pixel(33, 5) & 0xFFFFFF, 0u); // right edge exclusive
    // A damaged height draws a bounded checker.
    CallRecorder calls;
    FillChecker(calls, EdgeRect{0, 0, 300, std::numeric_limits<int32_t>::max()});
    EXPECT_EQ(calls.calls.size(), 2u * 32u); // 2 columns x 8192 / 256 rows of tiles
}

TEST_F(BandView, CheckerStopsAtThePageEdge) {
    // A damaged height or a position above the page: tiles only where the
    // page is, the last one cut at its bottom edge.
    const auto& metrics = report_.Pages->Pages(0).pageMetrics;
    for (int top : {60, -5000}) {
        TvxBandView& b = band(btMasterData, 0, top);
        b.Height = 1 << 30;
        CallRecorder canvas;
        b.Draw(canvas);
        const int firstRow = std::max(top, 0);
        const int rows = (metrics.ScreenHeight - firstRow + 255) / 256;
        const int columns = (metrics.ScreenWidth + 255) / 256;
        EXPECT_EQ(canvas.calls.filter(QStringLiteral("image ")).size(), rows * columns) << top;
        EXPECT_TRUE(canvas.calls.filter(QStringLiteral("image "))
                        .last()
                        .endsWith(QStringLiteral(" %1").arg(metrics.ScreenHeight)))
            << top;
    }
}

TEST_F(BandView, HorizontalBandSpansThePageWithItsCaptionTab) {
    TvxBandView& b = band(btMasterData, 25, 60);
    CallRecorder canvas;
    b.Draw(canvas);
    const int pageWidth = report_.Pages->Pages(0).pageMetrics.ScreenWidth;
    EXPECT_EQ(b.Left, 0);
    EXPECT_EQ(b.Width, pageWidth);
    EXPECT_EQ(b.FrameWidth, 1);
    EXPECT_TRUE(canvas.calls.contains(QStringLiteral("rect 0 60 %1 101").arg(pageWidth + 1)));
    EXPECT_TRUE(canvas.calls.contains("fill 0 42 130 60 15790320")); // the tab, button face
    EXPECT_TRUE(canvas.calls.contains("move 128 42"));
    EXPECT_TRUE(canvas.calls.contains("move 129 42"));
    EXPECT_EQ(canvas.calls.back(), "text 4 43 Dati principali");
}

TEST_F(BandView, VerticalBandsShowATurnedCaption) {
    TvxBandView& b = band(btCrossData, 100, 70);
    RecordingCanvasFake canvas;
    b.Draw(canvas);
    EXPECT_EQ(b.Top, 0);
    EXPECT_EQ(b.Height, report_.Pages->Pages(0).pageMetrics.ScreenHeight);
    const int nameWidth = canvas.textWidth("Dati Tabella"); // measured with the turned font
    EXPECT_EQ(canvas.font_.escapement, 900);
    EXPECT_TRUE(canvas.calls.back().startsWith(
        QStringLiteral("text 85,%1 \"Dati Tabella\"").arg(4 + nameWidth)))
        << canvas.calls.back().toStdString();
    EXPECT_TRUE(canvas.calls.contains("fillRect 82,0,100,130 #f0f0f0"));
}

TEST_F(BandView, RegionCoversTheBandAndItsTab) {
    TvxBandView& h = band(btPageHeader, 0, 50);
    EXPECT_EQ(h.GetRegion(false).boundingRect(), QRect(0, 32, 301, 59));
    EXPECT_EQ(h.GetRegion(true).boundingRect(), QRect(-10, 32, 321, 69));
    EXPECT_TRUE(h.GetRegion(false).contains(QPoint(129, 32)));
    EXPECT_FALSE(h.GetRegion(false).contains(QPoint(131, 40)));
    TvxBandView& v = band(btCrossHeader, 60, 0);
    EXPECT_TRUE(v.GetRegion(false).contains(QPoint(42, 129)));
    v.Top = std::numeric_limits<int32_t>::max() - 5; // no overflow at the range's edge
    EXPECT_FALSE(v.GetRegion(true).isEmpty());
}

TEST_F(BandView, MenuOffersTheOptionsThatCountOnTheBandType) {
    struct Row {
        int type;
        QStringList captions;
    };
    const Row rows[] = {
        {btMasterData,
         {"-", "Adattato", "Forza pagina nuova", "Stampa se i dettagli sono vuoti",
          "Banda interrotta", "Completa l'elenco"}},
        {btPageFooter, {"-"}},
        {btPageHeader, {"-", "Adattato"}},
        {btGroupHeader, {"-", "Adattato", "Forza pagina nuova", "Banda interrotta"}},
        {btCrossHeader, {"-", "Adattato"}},
        {btSubDetailData,
         {"-", "Adattato", "Forza pagina nuova", "Banda interrotta", "Completa l'elenco"}},
    };
    for (const Row& row : rows) {
        TvxBandView& b = band(row.type);
        std::vector<MenuItem> menu;
        b.AddMenuItems(menu);
        QStringList captions;
        for (const MenuItem& m : menu)
            captions << m.Caption;
        EXPECT_EQ(captions, row.captions) << row.type;
    }
    // An entry switches the bit on the band and on the other selected bands.
    TvxBandView& a = band(btMasterData);
    TvxBandView& other = band(btDetailData);
    other.Selected = 1;
    std::vector<MenuItem> menu;
    a.AddMenuItems(menu);
    menu[4].Action(); // "Banda interrotta"
    EXPECT_TRUE(a.SplitAllowed());
    EXPECT_TRUE(other.SplitAllowed());
}

TEST_F(BandView, SubReportShowsItsPageInEveryMode) {
    TvxSubReportView sub(nullptr);
    sub.Left = 10;
    sub.Top = 10;
    sub.Width = 50;
    sub.Height = 20;
    sub.FrameWidth = 4;
    sub.SubPage = 2;
    for (bool printing : {false, true}) {
        PrintMode = printing;
        RecordingCanvasFake canvas;
        sub.Draw(canvas);
        EXPECT_EQ(sub.FrameWidth, 1);
        EXPECT_EQ(canvas.calls.at(canvas.calls.size() - 2), "rectangle 10,10,61,31");
        EXPECT_TRUE(canvas.calls.back().startsWith(
            "text 12,12 \"SottoReport in pagina 3\" opt=4 clip=10,10,61,31 font=Arial/-11"));
    }
}

} // namespace
} // namespace vx::test
