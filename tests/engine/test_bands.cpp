// Bands: stretching with their text, objects moved below a growing text,
// splitting across pages, new page after a band, filling the list, bands
// hidden by the host.

#include "engine_fixture.h"

using namespace vx;
using namespace vx::test;

namespace {

class Bands : public EngineTest {
protected:
    TvxBandView* dataBand(int rows, int height) {
        makeRows(rows);
        addDataSet(QStringLiteral("vxRighe"), QStringLiteral("righe"));
        return addBand(btMasterData, 200, height, QStringLiteral("vxRighe"));
    }
};

TEST_F(Bands, StretchedTextGrowsAndMovesTheObjectsBelow) {
    TvxBandView* band = dataBand(2, 40);
    band->Flags = bfFitToContent;
    TvxMemoView* text = addText(40, 200, 300, 18, QStringLiteral("uno\ndue\n[Dati.righe.nome]"));
    text->Flags = mfStretched;
    addText(40, 222, 300, 16, QStringLiteral("sotto [Dati.righe.id]"));
    ASSERT_TRUE(prepare()) << ErrorText.toStdString();
    // Three lines of a 10-point font: 3 * 15 + 2 = 47 pixels instead of 18.
    const int top = where(0, QStringLiteral("uno")).y();
    const int growth = 3 * 15 + 2 * text->GapY - 18;
    EXPECT_EQ(where(0, QStringLiteral("sotto 1")).y(), top - text->GapY + 22 + growth + 1);
    // The second record starts below the grown band, and the object below
    // is back at its place relative to its band.
    const int second = where(0, QStringLiteral("Riga 2")).y();
    EXPECT_EQ(where(0, QStringLiteral("sotto 2")).y() - second,
              where(0, QStringLiteral("sotto 1")).y() - where(0, QStringLiteral("Riga 1")).y());
    EXPECT_EQ(text->Top, 200); // design geometry restored after the run
    EXPECT_EQ(text->Height, 18);
}

TEST_F(Bands, SplitTextContinuesOnTheNextPage) {
    TvxBandView* band = dataBand(1, 40);
    band->Flags = bfFitToContent | bfSplitAllowed;
    QStringList lines;
    for (int i = 1; i <= 120; ++i)
        lines << QStringLiteral("linea %1").arg(i);
    TvxMemoView* text = addText(40, 200, 300, 18, lines.join(QLatin1Char('\n')));
    text->Flags = mfStretched;
    ASSERT_TRUE(prepare()) << ErrorText.toStdString();
    ASSERT_GE(pageCount(), 2);
    QStringList printed;
    for (int p = 0; p < pageCount(); ++p)
        printed += texts(p);
    EXPECT_EQ(printed, lines);
    // The continuation starts at the top of the next page.
    const QString firstOnSecond = texts(1).value(0);
    EXPECT_LT(where(1, firstOnSecond).y(), 100);
}

TEST_F(Bands, NewPageAfterEachRecord) {
    TvxBandView* band = dataBand(3, 20);
    band->Flags = bfNewPageAfter;
    addText(40, 200, 300, 18, QStringLiteral("[Dati.righe.nome]"));
    ASSERT_TRUE(prepare());
    EXPECT_EQ(allTexts(), QStringLiteral("Riga 1|Riga 2|Riga 3"));
}

TEST_F(Bands, FilledListPushesTheFooterToTheBottom) {
    TvxBandView* band = dataBand(2, 20);
    addText(40, 200, 300, 18, QStringLiteral("[Dati.righe.nome]"));
    addBand(btMasterFooter, 300, 20);
    addText(40, 300, 300, 18, QStringLiteral("Fine"));
    ASSERT_TRUE(prepare());
    const int plain = where(0, QStringLiteral("Fine")).y();
    band->Flags = bfFillList;
    ASSERT_TRUE(prepare());
    const int filled = where(0, QStringLiteral("Fine")).y();
    const PageMetrics& m = page().pageMetrics;
    EXPECT_GT(filled, plain);
    EXPECT_GT(filled + 20, m.ScreenHeight - page().Margins.Bottom - 40);
    EXPECT_LE(filled + 20, m.ScreenHeight - page().Margins.Bottom);
}

TEST_F(Bands, HostHidesABandThroughOnDrawObject) {
    dataBand(3, 20);
    addText(40, 200, 300, 18, QStringLiteral("[Dati.righe.nome]"));
    // Hide the second record: the third takes its place.
    int seen = 0;
    report->OnDrawObject = [&seen](TvxView* view) {
        if (auto* band = dynamic_cast<TvxBandView*>(view))
            band->Visible = ++seen == 2 ? 0 : 1;
    };
    ASSERT_TRUE(prepare());
    EXPECT_EQ(texts(0), (QStringList{"Riga 1", "Riga 3"}));
    EXPECT_EQ(where(0, QStringLiteral("Riga 3")).y(), where(0, QStringLiteral("Riga 1")).y() + 20);
}

TEST_F(Bands, ObjectOnTheLastPixelRowOfABandIsNotInIt) {
    dataBand(2, 20);
    addText(40, 200, 300, 18, QStringLiteral("[Dati.righe.nome]"));
    addText(400, 219, 100, 18, QStringLiteral("fuori"));
    ASSERT_TRUE(prepare());
    EXPECT_EQ(texts(0).count(QStringLiteral("fuori")), 1);
    EXPECT_EQ(where(0, QStringLiteral("fuori")).y(), 219 + 1);
}

} // namespace
