// Sub-reports: another template page's lists shown inside a band, filtered on
// the master's record, side by side, nested, continuing on further pages.

#include "engine_fixture.h"

#include "engine/sub_reports.h"
#include "report/subreport_view.h"

using namespace vx;
using namespace vx::test;

namespace {

class SubReports : public EngineTest {
protected:
    // Invoices 1..n; invoice i has i rows "r i.j" in group "g i".
    void makeInvoices(int n) {
        QStringList sql{QStringLiteral("CREATE TABLE fatture (num INTEGER)"),
                        QStringLiteral("CREATE TABLE righe (fattura INTEGER, descrizione "
                                       "VARCHAR(20), importo INTEGER)")};
        for (int i = 1; i <= n; ++i) {
            sql << QStringLiteral("INSERT INTO fatture VALUES (%1)").arg(i);
            for (int j = 1; j <= i; ++j)
                sql << QStringLiteral("INSERT INTO righe VALUES (%1, 'r %1.%2', %3)")
                           .arg(i)
                           .arg(j)
                           .arg(j * 10);
        }
        makeDatabase(sql);
        addDataSet(QStringLiteral("vxFatture"), QStringLiteral("fatture"));
        addDataSet(QStringLiteral("vxRighe"), QStringLiteral("righe"),
                   QStringLiteral("[fattura] = [Dati.fatture.num]"));
    }
    TvxSubReportView* addSubReport(int left, int top, int subPage, TvxPage* onPage = nullptr) {
        auto view = std::make_unique<TvxSubReportView>(report.get());
        view->Left = left;
        view->Top = top;
        view->Width = 300;
        view->Height = 20;
        view->SubPage = subPage;
        auto* raw = view.get();
        (onPage ? *onPage : page()).Add(std::move(view));
        return raw;
    }
    // A page holding a list of `dataset` whose rows show `text`.
    TvxPage& listPage(const QString& dataset, const QString& text) {
        TvxPage& p = addPage();
        addBand(btMasterData, 100, 20, dataset, &p);
        addText(0, 100, 200, 18, text, &p);
        return p;
    }
    // A table `name` (n INTEGER) with rows 1..count.
    static QStringList numbers(const QString& name, int count) {
        QStringList sql{QStringLiteral("CREATE TABLE %1 (n INTEGER)").arg(name)};
        for (int i = 1; i <= count; ++i)
            sql << QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(name).arg(i);
        return sql;
    }
};

TEST_F(SubReports, EachInvoiceIsFollowedByItsOwnRows) {
    makeInvoices(5);
    addBand(btMasterData, 100, 40, QStringLiteral("vxFatture"));
    addText(10, 100, 200, 18, QStringLiteral("Fattura [Dati.fatture.num]"));
    addSubReport(10, 120, 1);
    listPage(QStringLiteral("vxRighe"), QStringLiteral("[descrizione]"));
    ASSERT_TRUE(prepare()) << ErrorText.toStdString();
    ASSERT_EQ(pageCount(), 1);
    QStringList expected;
    for (int i = 1; i <= 5; ++i) {
        expected << QStringLiteral("Fattura %1").arg(i);
        for (int j = 1; j <= i; ++j)
            expected << QStringLiteral("r %1.%2").arg(i).arg(j);
    }
    EXPECT_EQ(texts(0), expected);
    // The rows start at the object and the next invoice below the last row.
    EXPECT_EQ(where(0, QStringLiteral("r 1.1")).y() - where(0, QStringLiteral("Fattura 1")).y(),
              20);
    EXPECT_EQ(where(0, QStringLiteral("Fattura 3")).y() - where(0, QStringLiteral("r 2.2")).y(),
              20);
}

// A group of the sub-report's list ends before the next record counts: its
// footer totals its own rows, and LINE# restarts with each group.
TEST_F(SubReports, GroupsOfASubReportTotalTheirOwnRecords) {
    makeInvoices(3);
    addDataSet(QStringLiteral("vxTutte"), QStringLiteral("righe"));
    addBand(btReportTitle, 100, 40);
    addSubReport(10, 110, 1);
    TvxPage& rows = listPage(QStringLiteral("vxTutte"), QStringLiteral("[importo] [LINE#]"));
    addBand(btGroupHeader, 50, 20, QStringLiteral("[fattura]"), &rows);
    addText(0, 50, 200, 18, QStringLiteral("G [fattura] #[LINE#]"), &rows);
    addBand(btGroupFooter, 200, 20, QString(), &rows);
    addText(0, 200, 200, 18, QStringLiteral("T [SUM([importo])]"), &rows);
    ASSERT_TRUE(prepare()) << ErrorText.toStdString();
    // A group header's LINE# numbers the groups, as on a page of its own.
    EXPECT_EQ(texts(0), (QStringList{"G 1 #1", "10 1", "T 10", "G 2 #2", "10 1", "20 2", "T 30",
                                     "G 3 #3", "10 1", "20 2", "30 3", "T 60"}));
}

TEST_F(SubReports, SideBySideContinueOnTheNextPageAndTheBandBelowFollowsTheTaller) {
    makeDatabase(numbers(QStringLiteral("a"), 60) + numbers(QStringLiteral("b"), 70));
    addDataSet(QStringLiteral("vxA"), QStringLiteral("a"));
    addDataSet(QStringLiteral("vxB"), QStringLiteral("b"));
    addBand(btReportTitle, 100, 30);
    addSubReport(10, 100, 1);
    addSubReport(400, 100, 2);
    addBand(btReportSummary, 200, 20);
    addText(10, 200, 200, 18, QStringLiteral("Fine"));
    listPage(QStringLiteral("vxA"), QStringLiteral("A [Dati.a.n]"));
    listPage(QStringLiteral("vxB"), QStringLiteral("B [Dati.b.n]"));
    ASSERT_TRUE(prepare()) << ErrorText.toStdString();
    ASSERT_EQ(pageCount(), 2);
    const QString all = allTexts();
    for (int i = 1; i <= 70; ++i) {
        if (i <= 60) {
            EXPECT_EQ(all.count(QStringLiteral("A %1,").arg(i)) +
                          all.count(QStringLiteral("A %1|").arg(i)),
                      1)
                << i;
        }
        EXPECT_EQ(all.count(QStringLiteral("B %1,").arg(i)) +
                      all.count(QStringLiteral("B %1|").arg(i)),
                  1)
            << i;
    }
    EXPECT_TRUE(texts(1).contains(QStringLiteral("A 60")));
    EXPECT_EQ(texts(1).last(), QStringLiteral("Fine"));
    // Each keeps its column on the next page; the summary follows B, the taller.
    EXPECT_EQ(where(0, QStringLiteral("B 1")).x() - where(0, QStringLiteral("A 1")).x(), 390);
    EXPECT_EQ(where(1, QStringLiteral("A 60")).x(), where(0, QStringLiteral("A 1")).x());
    EXPECT_EQ(where(1, QStringLiteral("Fine")).y() - where(1, QStringLiteral("B 70")).y(), 20);
}

TEST_F(SubReports, NestedSubReportsShowTheirLevels) {
    makeDatabase({QStringLiteral("CREATE TABLE clienti (id INTEGER)"),
                  QStringLiteral("INSERT INTO clienti VALUES (1)"),
                  QStringLiteral("INSERT INTO clienti VALUES (2)"),
                  QStringLiteral("CREATE TABLE ordini (num INTEGER, cliente INTEGER)"),
                  QStringLiteral("INSERT INTO ordini VALUES (10, 1)"),
                  QStringLiteral("INSERT INTO ordini VALUES (20, 2)"),
                  QStringLiteral("INSERT INTO ordini VALUES (21, 2)"),
                  QStringLiteral("CREATE TABLE righe (ordine INTEGER, art VARCHAR(10))"),
                  QStringLiteral("INSERT INTO righe VALUES (10, 'a')"),
                  QStringLiteral("INSERT INTO righe VALUES (21, 'b')"),
                  QStringLiteral("INSERT INTO righe VALUES (21, 'c')")});
    addDataSet(QStringLiteral("vxClienti"), QStringLiteral("clienti"));
    addDataSet(QStringLiteral("vxOrdini"), QStringLiteral("ordini"),
               QStringLiteral("[cliente] = [Dati.clienti.id]"));
    addDataSet(QStringLiteral("vxRighe"), QStringLiteral("righe"),
               QStringLiteral("[ordine] = [Dati.ordini.num]"));
    addBand(btMasterData, 100, 40, QStringLiteral("vxClienti"));
    addText(10, 100, 200, 18, QStringLiteral("cliente [Dati.clienti.id]"));
    addSubReport(10, 120, 1);
    TvxPage& orders = addPage();
    addBand(btMasterData, 100, 40, QStringLiteral("vxOrdini"), &orders);
    addText(20, 100, 200, 18, QStringLiteral("ordine [Dati.ordini.num]"), &orders);
    addSubReport(20, 120, 2, &orders);
    listPage(QStringLiteral("vxRighe"), QStringLiteral("art [art]"));
    ASSERT_TRUE(prepare()) << ErrorText.toStdString();
    EXPECT_EQ(texts(0), (QStringList{"cliente 1", "ordine 10", "art a", "cliente 2", "ordine 20",
                                     "ordine 21", "art b", "art c"}));
}

// Sub-reports that cannot print stop with an Italian error naming the
// object, never loop or write past a table.
TEST_F(SubReports, BadSubReportsAreErrors) {
    struct Case {
        const char* name;
        int nestedPage; // the sub-report inside page 2 shows this page (-1: none)
        int rowHeight;  // of page 2's list
        const char* error;
    };
    const Case cases[] = {
        {"missing page", 7, 20, "Il sottoreport mostra la pagina 8, che non esiste."},
        {"its own page", 1, 20, "Il sottoreport mostra la pagina 2, che è già in stampa."},
        {"row taller than a page", -1, 3000,
         "La banda è più alta dello spazio di una pagina "
         "vuota"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        report->Clear();
        makeInvoices(2);
        addBand(btMasterData, 100, 40, QStringLiteral("vxFatture"));
        addSubReport(10, 120, 1);
        TvxPage& rows = addPage();
        addBand(btMasterData, 100, c.rowHeight, QStringLiteral("vxRighe"), &rows);
        addText(0, 100, 200, 18, QStringLiteral("[descrizione]"), &rows);
        if (c.nestedPage >= 0)
            addSubReport(0, 110, c.nestedPage, &rows);
        EXPECT_FALSE(prepare());
        EXPECT_TRUE(
            ErrorText.split(QLatin1Char('\r')).value(1).startsWith(QString::fromUtf8(c.error)))
            << ErrorText.toStdString();
    }
}

} // namespace

namespace {

// Where the room of a sub-report ends: in the next column of its page, in a
// page footer (the rest is dropped), and a band the host hides is skipped,
// not waited for.
TEST_F(SubReports, ColumnsFootersAndHiddenBandsEndTheirOwnWay) {
    struct Case {
        const char* name;
        int columns;       // of the sub-report's page
        bool inFooter;     // the sub-report lies in the page footer
        bool hideRows;     // the host hides the rows' band
        int rowsOnPage0;   // of the 60
        bool secondColumn; // row 60 right of row 1
    };
    const Case cases[] = {
        {"next column", 2, false, false, 60, true},
        {"page footer", 1, true, false, 1, false},
        {"hidden rows", 1, false, true, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        report->Clear();
        report->OnDrawObject = nullptr;
        makeDatabase(numbers(QStringLiteral("a"), 60));
        addDataSet(QStringLiteral("vxA"), QStringLiteral("a"));
        addBand(c.inFooter ? btPageFooter : btReportTitle, 100, 30);
        addSubReport(10, 100, 1);
        TvxPage& rows = listPage(QStringLiteral("vxA"), QStringLiteral("A [Dati.a.n]"));
        rows.ColumnCount = c.columns;
        TvxView* rowBand = rows.Objects.front().get();
        if (c.hideRows) {
            report->OnDrawObject = [rowBand](TvxView* v) {
                if (v == rowBand)
                    v->Visible = 0;
            };
        }
        ASSERT_TRUE(prepare()) << ErrorText.toStdString();
        EXPECT_EQ(pageCount(), 1);
        const QStringList shown = texts(0);
        EXPECT_EQ(shown.size(), c.rowsOnPage0) << shown.join(',').toStdString();
        if (c.secondColumn) {
            EXPECT_GT(where(0, QStringLiteral("A 60")).x(), where(0, QStringLiteral("A 1")).x());
        }
    }
}

} // namespace

namespace {

TEST_F(SubReports, NestingDeeperThanTheLimitIsAnError) {
    constexpr int kLevels = kMaxSubReportDepth + 2;
    QStringList sql;
    for (int i = 0; i <= kLevels; ++i)
        sql << numbers(QStringLiteral("t%1").arg(i), 1);
    makeDatabase(sql);
    // Page i lists table ti, whose row shows page i + 1, one level deeper.
    for (int i = 0; i <= kLevels; ++i) {
        const QString name = QStringLiteral("vx%1").arg(i);
        addDataSet(name, QStringLiteral("t%1").arg(i));
        TvxPage& p = i == 0 ? page() : addPage();
        addBand(btMasterData, 100, 30, name, &p);
        if (i < kLevels)
            addSubReport(10, 100, i + 1, &p);
    }
    EXPECT_FALSE(prepare());
    EXPECT_EQ(ErrorText.split(QLatin1Char('\r')).value(1),
              QStringLiteral("I sottoreport sono annidati oltre 32 livelli."));
}

} // namespace

namespace {

// A nested sub-report longer than the page waits in its band; the enclosing
// playback goes on to the next page and resumes it there.
TEST_F(SubReports, NestedSubReportContinuesOnTheNextPage) {
    makeDatabase(numbers(QStringLiteral("esterna"), 1) + numbers(QStringLiteral("a"), 80));
    addDataSet(QStringLiteral("vxEsterna"), QStringLiteral("esterna"));
    addDataSet(QStringLiteral("vxA"), QStringLiteral("a"));
    addBand(btReportTitle, 100, 30);
    addSubReport(10, 100, 1);
    addBand(btReportSummary, 200, 20);
    addText(10, 200, 200, 18, QStringLiteral("Fine"));
    TvxPage& outer = listPage(QStringLiteral("vxEsterna"), QStringLiteral("Esterna"));
    addSubReport(20, 110, 2, &outer);
    listPage(QStringLiteral("vxA"), QStringLiteral("A [Dati.a.n]"));
    ASSERT_TRUE(prepare()) << ErrorText.toStdString();
    ASSERT_EQ(pageCount(), 2);
    const QStringList all = texts(0) + texts(1);
    QStringList expected{"Esterna"};
    for (int i = 1; i <= 80; ++i)
        expected << QStringLiteral("A %1").arg(i);
    expected << "Fine";
    EXPECT_EQ(all, expected);
    EXPECT_EQ(where(1, QStringLiteral("Fine")).y() - where(1, QStringLiteral("A 80")).y(), 20);
}

} // namespace

namespace {

// A band that may split and holds a sub-report does not split: the
// sub-report's own playback continues on the next page, so no row is lost
// when the band meets the bottom of a page.
TEST_F(SubReports, ASplittingBandKeepsItsSubReportsRows) {
    makeInvoices(12);
    TvxBandView* band = addBand(btMasterData, 100, 400, QStringLiteral("vxFatture"));
    band->Flags = bfSplitAllowed;
    addText(10, 100, 200, 18, QStringLiteral("Fattura [Dati.fatture.num]"));
    addSubReport(10, 120, 1);
    addText(10, 480, 200, 18, QStringLiteral("Chiusa [Dati.fatture.num]"));
    listPage(QStringLiteral("vxRighe"), QStringLiteral("[descrizione]"));
    ASSERT_TRUE(prepare()) << ErrorText.toStdString();
    ASSERT_GT(pageCount(), 1);
    QStringList all;
    for (int p = 0; p < pageCount(); ++p)
        all += texts(p);
    for (int i = 1; i <= 12; ++i)
        for (int j = 1; j <= i; ++j)
            EXPECT_EQ(all.count(QStringLiteral("r %1.%2").arg(i).arg(j)), 1) << i << "." << j;
    EXPECT_EQ(all.count(QStringLiteral("Fattura 12")), 1);
}

} // namespace
