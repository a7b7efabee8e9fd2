// Page building over SQLite tables: lists across pages, headers and footers,
// title, page header and footer, summary, overlay, columns.

#include "engine_fixture.h"

using namespace vx;
using namespace vx::test;

namespace {

class PageBuilding : public EngineTest {
protected:
    // A master list over "righe" with a data band of height `rowHeight`
    // holding the row's name.
    void masterList(int rows, int rowHeight = 20) {
        makeRows(rows);
        addDataSet(QStringLiteral("vxRighe"), QStringLiteral("righe"));
        addBand(btMasterData, 200, rowHeight, QStringLiteral("vxRighe"));
        addText(40, 200, 300, 18, QStringLiteral("[Dati.righe.nome]"));
    }
};

TEST_F(PageBuilding, EmptyReportPreparesOneEmptyPage) {
    int begun = 0, ended = 0, beginArg = -1, endArg = -1;
    report->OnBeginPage = [&](int pg) { ++begun, beginArg = pg; };
    report->OnEndPage = [&](int pg) { ++ended, endArg = pg; };
    ASSERT_TRUE(prepare());
    EXPECT_EQ(pageCount(), 1);
    EXPECT_TRUE(texts(0).isEmpty());
    EXPECT_EQ(begun, 1);
    EXPECT_EQ(beginArg, 0);
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(endArg, 1);
}

TEST_F(PageBuilding, ListFlowsOverPagesWithHeaderFooterAndTitleOnce) {
    masterList(60);
    addBand(btReportTitle, 40, 30);
    addText(40, 40, 300, 18, QStringLiteral("Elenco righe"));
    addBand(btPageHeader, 100, 30);
    addText(40, 100, 300, 18, QStringLiteral("Pagina [PAGE#]"));
    addBand(btMasterHeader, 150, 25);
    addText(40, 150, 300, 18, QStringLiteral("Intestazione"));
    addBand(btMasterFooter, 300, 25);
    addText(40, 300, 300, 18, QStringLiteral("Fine elenco"));
    addBand(btPageFooter, 1000, 30);
    addText(40, 1000, 300, 18, QStringLiteral("Piede [PAGE#]"));
    ASSERT_TRUE(prepare()) << ErrorText.toStdString();
    ASSERT_GE(pageCount(), 2);
    const QStringList first = texts(0);
    EXPECT_EQ(first.value(0), QStringLiteral("Elenco righe"));
    EXPECT_TRUE(first.contains(QStringLiteral("Pagina 1")));
    EXPECT_EQ(first.count(QStringLiteral("Intestazione")), 1);
    EXPECT_TRUE(first.contains(QStringLiteral("Riga 1")));
    EXPECT_TRUE(first.contains(QStringLiteral("Piede 1")));
    const QStringList second = texts(1);
    EXPECT_FALSE(second.contains(QStringLiteral("Elenco righe")));
    EXPECT_TRUE(second.contains(QStringLiteral("Pagina 2")));
    EXPECT_FALSE(second.contains(QStringLiteral("Intestazione")));
    // Every row once, in order, and the footer after the last one.
    QStringList rows;
    for (int p = 0; p < pageCount(); ++p) {
        for (const QString& t : texts(p)) {
            if (t.startsWith(QStringLiteral("Riga ")))
                rows << t;
        }
    }
    ASSERT_EQ(rows.size(), 60);
    EXPECT_EQ(rows.first(), QStringLiteral("Riga 1"));
    EXPECT_EQ(rows.last(), QStringLiteral("Riga 60"));
    const QStringList last = texts(pageCount() - 1);
    EXPECT_GT(last.indexOf(QStringLiteral("Fine elenco")), last.indexOf(QStringLiteral("Riga 60")));
    // Rows stop above the page footer.
    const int footerY = where(0, QStringLiteral("Piede 1")).y();
    for (const PageText& t : textsAt(0)) {
        if (t.text.startsWith(QStringLiteral("Riga "))) {
            EXPECT_LT(t.at.y() + 20, footerY) << t.text.toStdString();
        }
    }
}

TEST_F(PageBuilding, EmptyListPrintsNeitherHeaderNorFooter) {
    masterList(0);
    addBand(btMasterHeader, 150, 25);
    addText(40, 150, 300, 18, QStringLiteral("Intestazione"));
    addBand(btMasterFooter, 300, 25);
    addText(40, 300, 300, 18, QStringLiteral("Fine elenco"));
    ASSERT_TRUE(prepare());
    EXPECT_EQ(allTexts(), QString());
}

TEST_F(PageBuilding, RowsFollowEachOtherAtTheBandHeight) {
    masterList(3, 25);
    ASSERT_TRUE(prepare());
    const int y1 = where(0, QStringLiteral("Riga 1")).y();
    EXPECT_EQ(where(0, QStringLiteral("Riga 2")).y(), y1 + 25);
    EXPECT_EQ(where(0, QStringLiteral("Riga 3")).y(), y1 + 50);
}

TEST_F(PageBuilding, PageFooterOnLastPageOrNot) {
    struct Case {
        bool onLast;
        bool expectOnLast;
    };
    for (const Case c : {Case{true, true}, Case{false, false}}) {
        SCOPED_TRACE(c.onLast);
        report->Clear();
        masterList(80);
        page().PageFooterOnLast = c.onLast;
        addBand(btPageFooter, 1000, 30);
        addText(40, 1000, 300, 18, QStringLiteral("Piede"));
        ASSERT_TRUE(prepare()) << ErrorText.toStdString();
        ASSERT_GE(pageCount(), 2);
        EXPECT_TRUE(texts(0).contains(QStringLiteral("Piede")));
        EXPECT_EQ(texts(pageCount() - 1).contains(QStringLiteral("Piede")), c.expectOnLast);
    }
}

TEST_F(PageBuilding, PageHeaderOnFirstPageOrNot) {
    for (const bool onFirst : {true, false}) {
        SCOPED_TRACE(onFirst);
        report->Clear();
        masterList(80);
        page().PageHeaderOnFirst = onFirst;
        addBand(btPageHeader, 100, 30);
        addText(40, 100, 300, 18, QStringLiteral("Testata"));
        ASSERT_TRUE(prepare());
        EXPECT_EQ(texts(0).contains(QStringLiteral("Testata")), onFirst);
        EXPECT_TRUE(texts(1).contains(QStringLiteral("Testata")));
    }
}

TEST_F(PageBuilding, OverlayAndUnbandedObjectsPrintAtTheirPlace) {
    masterList(80);
    addBand(btOverlay, 500, 40);
    addText(100, 510, 200, 18, QStringLiteral("Sfondo"));
    addText(400, 30, 200, 18, QStringLiteral("Libero"));
    ASSERT_TRUE(prepare());
    ASSERT_GE(pageCount(), 2);
    EXPECT_TRUE(texts(0).contains(QStringLiteral("Sfondo")));
    EXPECT_TRUE(texts(1).contains(QStringLiteral("Sfondo")));
    EXPECT_EQ(where(1, QStringLiteral("Sfondo")).y(), where(0, QStringLiteral("Sfondo")).y());
    // Objects outside every band print on the first page only.
    EXPECT_TRUE(texts(0).contains(QStringLiteral("Libero")));
    EXPECT_FALSE(texts(1).contains(QStringLiteral("Libero")));
}

TEST_F(PageBuilding, SummaryFollowsTheListAndColumnsFillSideBySide) {
    masterList(90);
    page().ColumnCount = 3;
    page().ColumnGap = 10;
    addBand(btReportSummary, 400, 30);
    addText(40, 400, 200, 18, QStringLiteral("Totale"));
    ASSERT_TRUE(prepare());
    // 90 rows of 20 pixels: three columns on the first page.
    ASSERT_EQ(pageCount(), 1) << allTexts().toStdString();
    const int x1 = where(0, QStringLiteral("Riga 1")).x();
    const QPoint top1 = where(0, QStringLiteral("Riga 1"));
    const TvxPage& p = page();
    const int width = (p.pageMetrics.ScreenWidth - p.Margins.Right - p.Margins.Left - 3 * 10) / 3;
    int column2 = -1;
    for (const PageText& t : textsAt(0))
        if (t.at.x() == x1 + width + 10 && column2 < 0)
            column2 = t.text.mid(5).toInt();
    EXPECT_GT(column2, 1);
    EXPECT_EQ(where(0, QStringLiteral("Riga %1").arg(column2)).y(), top1.y());
    EXPECT_EQ(texts(0).last(), QStringLiteral("Totale"));
}

TEST_F(PageBuilding, LineNumbersCountRows) {
    masterList(3);
    addText(400, 200, 100, 18, QStringLiteral("n. [LINE#] [CURRENT#]"));
    ASSERT_TRUE(prepare());
    const QStringList t = texts(0);
    EXPECT_TRUE(t.contains(QStringLiteral("n. 1 1")));
    EXPECT_TRUE(t.contains(QStringLiteral("n. 3 3")));
}

} // namespace
