// Cross tables: rows from the master list, columns from a second dataset,
// the header and footer cells around them, COLUMN#, column totals read by a
// footer row, and columns continuing on further output pages.

#include "engine_fixture.h"

using namespace vx;
using namespace vx::test;

namespace {

class CrossTables : public EngineTest {
protected:
    // Customers 1..4 (the rows) and months 1..3 (the columns); the sales of
    // customer c in month m are 10 c + m, one row each.
    void makeSales(int months = 3) {
        QStringList sql{QStringLiteral("CREATE TABLE clienti (id INTEGER, nome VARCHAR(20))"),
                        QStringLiteral("CREATE TABLE mesi (id INTEGER, nome VARCHAR(10))"),
                        QStringLiteral("CREATE TABLE vendite (cliente INTEGER, mese INTEGER, qta "
                                       "INTEGER)")};
        for (int c = 1; c <= 4; ++c) {
            sql << QStringLiteral("INSERT INTO clienti VALUES (%1, 'Cliente %1')").arg(c);
            for (int m = 1; m <= months; ++m)
                sql << QStringLiteral("INSERT INTO vendite VALUES (%1, %2, %3)")
                           .arg(c)
                           .arg(m)
                           .arg(10 * c + m);
        }
        for (int m = 1; m <= months; ++m)
            sql << QStringLiteral("INSERT INTO mesi VALUES (%1, 'M%1')").arg(m);
        makeDatabase(sql);
        addDataSet(QStringLiteral("vxClienti"), QStringLiteral("clienti"));
        addDataSet(QStringLiteral("vxMesi"), QStringLiteral("mesi"));
        addDataSet(QStringLiteral("vxVendite"), QStringLiteral("vendite"),
                   QStringLiteral("[cliente] = [Dati.clienti.id]"));
    }
    // A cross band of `type` from `left`, `width` wide, bound to `dataset`.
    void crossBand(int type, int left, int width, const QString& dataset = QString()) {
        TvxBandView* band = addBand(type, 20, 1000, dataset);
        band->Left = left;
        band->Width = width;
    }
    // The grid: header at 0..100, data from 100 (columns of 60), footer at
    // 400; the master list at 200.
    void grid(const QString& columns, const QString& cell,
              const QString& footer = QStringLiteral("F[COLUMN#]")) {
        crossBand(btCrossHeader, 0, 100);
        crossBand(btCrossData, 100, 60, columns);
        crossBand(btCrossFooter, 400, 80);
        addBand(btMasterData, 200, 20, QStringLiteral("vxClienti"));
        addText(5, 200, 90, 18, QStringLiteral("[Dati.clienti.nome] [COLUMN#]"));
        addText(105, 200, 50, 18, cell);
        addText(405, 200, 70, 18, footer);
    }
};

TEST_F(CrossTables, EveryRowPrintsHeaderColumnsAndFooter) {
    makeSales();
    grid(QStringLiteral("vxMesi"), QStringLiteral("[Dati.mesi.nome] [COLUMN#]"));
    ASSERT_TRUE(prepare()) << ErrorText.toStdString();
    ASSERT_EQ(pageCount(), 1);
    QStringList expected;
    for (int c = 1; c <= 4; ++c)
        expected << QStringLiteral("Cliente %1 1").arg(c) << "M1 1"
                 << "M2 2"
                 << "M3 3"
                 << "F4";
    EXPECT_EQ(texts(0), expected);
    // The columns stand side by side, 60 pixels apart, on the row's line.
    EXPECT_EQ(where(0, QStringLiteral("M2 2")).x() - where(0, QStringLiteral("M1 1")).x(), 60);
    EXPECT_EQ(where(0, QStringLiteral("M3 3")).y(), where(0, QStringLiteral("Cliente 1 1")).y());
}

TEST_F(CrossTables, FooterRowReadsColumnTotalsAndRowsTheirOwnTotal) {
    makeSales();
    // The row total in the footer column, the column totals on the master
    // footer row and their grand total in the corner.
    grid(QStringLiteral("vxVendite"), QStringLiteral("[qta]"), QStringLiteral("R[SUM([qta])]"));
    addBand(btMasterFooter, 300, 20);
    addText(5, 300, 90, 18, QStringLiteral("Totale"));
    addText(105, 300, 50, 18, QStringLiteral("T[SUM([qta])]"));
    addText(405, 300, 70, 18, QStringLiteral("G[SUM([qta])]"));
    ASSERT_TRUE(prepare()) << ErrorText.toStdString();
    const QStringList all = texts(0);
    // Customer 1: 11, 12, 13 and their sum 36.
    EXPECT_EQ(all.mid(0, 5), (QStringList{"Cliente 1 1", "11", "12", "13", "R36"}));
    EXPECT_TRUE(all.contains(QStringLiteral("R126")));
    // Month m over the four customers: 100 + 4 m; all of them 324.
    EXPECT_EQ(all.mid(all.indexOf(QStringLiteral("Totale"))),
              (QStringList{"Totale", "T104", "T108", "T112", "G324"}));
}

TEST_F(CrossTables, ColumnsPastTheRightEdgeContinueOnAFurtherPage) {
    for (const bool copyHeader : {false, true}) {
        SCOPED_TRACE(copyHeader);
        report->Clear();
        makeSales(12);
        page().CopyCrossHeader = copyHeader;
        addBand(btPageHeader, 100, 20);
        addText(5, 100, 200, 18, QStringLiteral("Pagina [PAGE#]"));
        crossBand(btCrossHeader, 0, 100);
        crossBand(btCrossData, 100, 100, QStringLiteral("vxMesi"));
        addBand(btMasterData, 200, 20, QStringLiteral("vxClienti"));
        addText(5, 200, 90, 18, QStringLiteral("[Dati.clienti.nome]"));
        addText(105, 200, 90, 18, QStringLiteral("[Dati.mesi.nome]"));
        ASSERT_TRUE(prepare()) << ErrorText.toStdString();
        ASSERT_EQ(pageCount(), 2);
        const QStringList first = texts(0);
        const QStringList second = texts(1);
        EXPECT_EQ(first.count(QStringLiteral("M1")), 4);
        EXPECT_FALSE(first.contains(QStringLiteral("M12")));
        EXPECT_EQ(second.count(QStringLiteral("M12")), 4);
        EXPECT_EQ(second.value(0), QStringLiteral("Pagina 2"));
        // Every column once per row, on one page or the other.
        for (int m = 1; m <= 12; ++m)
            EXPECT_EQ(first.count(QStringLiteral("M%1").arg(m)) +
                          second.count(QStringLiteral("M%1").arg(m)),
                      4);
        EXPECT_EQ(second.count(QStringLiteral("Cliente 3")), copyHeader ? 1 : 0);
        // Each row keeps its line on the further page.
        EXPECT_EQ(where(1, QStringLiteral("M12")).y(), where(0, QStringLiteral("M1")).y());
    }
}

TEST_F(CrossTables, WithoutMasterDatasetOnlyHeaderAndFooterCellsPrint) {
    makeSales();
    crossBand(btCrossHeader, 0, 100);
    crossBand(btCrossData, 100, 60, QStringLiteral("vxMesi"));
    crossBand(btCrossFooter, 400, 80);
    addBand(btReportTitle, 100, 20);
    addText(5, 100, 90, 18, QStringLiteral("Titolo"));
    addText(105, 100, 50, 18, QStringLiteral("[Dati.mesi.nome]"));
    addText(405, 100, 70, 18, QStringLiteral("Fine"));
    ASSERT_TRUE(prepare()) << ErrorText.toStdString();
    EXPECT_EQ(texts(0), (QStringList{"Titolo", "Fine"}));
}

// Columns that cannot print: no column dataset, none of its records, or
// far too many for the paper.
TEST_F(CrossTables, BadColumnsGiveASanePageOrAnError) {
    struct Case {
        const char* name;
        QString columns; // dataset of the cross data band
        int months;
        const char* error; // empty: prepares
    };
    const Case cases[] = {
        {"no dataset", QString(), 3, ""},
        {"no records", QStringLiteral("vxMesi"), 0, ""},
        {"10,000 columns", QStringLiteral("vxMesi"), 10000,
         "Le colonne della tabella richiedono più di 50 pagine affiancate."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        report->Clear();
        QStringList sql{QStringLiteral("CREATE TABLE clienti (id INTEGER, nome VARCHAR(20))"),
                        QStringLiteral("INSERT INTO clienti VALUES (1, 'Cliente 1')"),
                        QStringLiteral("CREATE TABLE mesi (id INTEGER, nome VARCHAR(10))")};
        for (int m = 1; m <= c.months; ++m)
            sql << QStringLiteral("INSERT INTO mesi VALUES (%1, 'M%1')").arg(m);
        makeDatabase(sql);
        addDataSet(QStringLiteral("vxClienti"), QStringLiteral("clienti"));
        addDataSet(QStringLiteral("vxMesi"), QStringLiteral("mesi"));
        grid(c.columns, QStringLiteral("C[COLUMN#]"));
        const bool ok = prepare();
        EXPECT_EQ(ok, *c.error == 0) << ErrorText.toStdString();
        if (ok)
            EXPECT_EQ(texts(0), (QStringList{"Cliente 1 1", "F1"}));
        else
            EXPECT_EQ(ErrorText.split(QLatin1Char('\r')).value(1), QString::fromUtf8(c.error));
    }
}

} // namespace
