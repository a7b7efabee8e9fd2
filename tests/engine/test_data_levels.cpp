// Data levels: master/detail/sub-detail lists, groups with their footers and
// totals, and the aggregates of Part of the report that count records.

#include "engine_fixture.h"

#include "expr/evaluator.h"

using namespace vx;
using namespace vx::test;

namespace {

// Sales rows: (regione, citta, importo), ordered by id.
const char* const kSales[][3] = {
    {"Nord", "Milano", "10"}, {"Nord", "Milano", "20"}, {"Nord", "Torino", "5"},
    {"Sud", "Bari", "7"},     {"Sud", "Bari", "3"},     {"Sud", "Napoli", "1"},
};

class DataLevels : public EngineTest {
protected:
    void makeSales() {
        QStringList sql{QStringLiteral(
            "CREATE TABLE vendite (id INTEGER, regione VARCHAR(10), citta VARCHAR(10), "
            "importo INTEGER)")};
        int id = 0;
        for (const auto& r : kSales)
            sql << QStringLiteral("INSERT INTO vendite VALUES (%1, '%2', '%3', %4)")
                       .arg(++id)
                       .arg(QLatin1String(r[0]), QLatin1String(r[1]), QLatin1String(r[2]));
        makeDatabase(sql);
        addDataSet(QStringLiteral("vxVendite"), QStringLiteral("vendite"));
    }
    // Master data band at 300 showing city and amount; groups by region
    // (outer) and city (inner), each with a footer holding a total.
    void groupedReport() {
        makeSales();
        addBand(btGroupHeader, 100, 20, QStringLiteral("[Dati.vendite.regione]"));
        addText(10, 100, 200, 18, QStringLiteral("R [Dati.vendite.regione]"));
        addBand(btGroupHeader, 200, 20, QStringLiteral("[Dati.vendite.citta]"));
        addText(10, 200, 200, 18, QStringLiteral("C [Dati.vendite.citta]"));
        addBand(btMasterData, 300, 20, QStringLiteral("vxVendite"));
        addText(10, 300, 200, 18, QStringLiteral("[Dati.vendite.citta] [Dati.vendite.importo]"));
        addBand(btGroupFooter, 400, 20);
        addText(10, 400, 200, 18, QStringLiteral("TC [Dati.vendite.citta] [SUM([importo])]"));
        addBand(btGroupFooter, 500, 20);
        addText(10, 500, 200, 18, QStringLiteral("TR [Dati.vendite.regione] [SUM([importo])]"));
    }
};

TEST_F(DataLevels, NestedGroupsPrintHeadersFootersAndTotals) {
    groupedReport();
    addBand(btReportSummary, 600, 20);
    addText(10, 600, 200, 18, QStringLiteral("Totale [SUM([importo])] [COUNT()]"));
    ASSERT_TRUE(prepare()) << ErrorText.toStdString();
    const QStringList expected{"R Nord",       "C Milano",   "Milano 10",  "Milano 20",
                               "TC Milano 30", "C Torino",   "Torino 5",   "TC Torino 5",
                               "TR Nord 35",   "R Sud",      "C Bari",     "Bari 7",
                               "Bari 3",       "TC Bari 10", "C Napoli",   "Napoli 1",
                               "TC Napoli 1",  "TR Sud 11",  "Totale 46 6"};
    EXPECT_EQ(texts(0), expected);
}

TEST_F(DataLevels, LineNumbersRestartPerGroupButNotThrough) {
    makeSales();
    addBand(btGroupHeader, 100, 20, QStringLiteral("[Dati.vendite.regione]"));
    addText(10, 100, 200, 18, QStringLiteral("R [Dati.vendite.regione] #[LINE#]"));
    addBand(btMasterData, 300, 20, QStringLiteral("vxVendite"));
    addText(10, 300, 200, 18, QStringLiteral("[LINE#]/[LINETHROUGH#]"));
    ASSERT_TRUE(prepare());
    // In a group header LINE# numbers the groups.
    EXPECT_EQ(texts(0),
              (QStringList{"R Nord #1", "1/1", "2/2", "3/3", "R Sud #2", "1/4", "2/5", "3/6"}));
}

TEST_F(DataLevels, FooterAfterTheLastRecordSeesTheLastRecord) {
    makeSales();
    addBand(btMasterData, 300, 20, QStringLiteral("vxVendite"));
    addText(10, 300, 200, 18, QStringLiteral("[Dati.vendite.id]"));
    addBand(btMasterFooter, 400, 20);
    addText(10, 400, 200, 18, QStringLiteral("ultimo [Dati.vendite.citta] [importo]"));
    ASSERT_TRUE(prepare());
    EXPECT_EQ(texts(0).last(), QStringLiteral("ultimo Napoli 1"));
}

TEST_F(DataLevels, FilteredFooterSeesTheLastRecordThatPasses) {
    makeSales();
    report->DataSets.Find(QStringLiteral("vxVendite"));
    auto* ds = static_cast<TvxDBDataSet*>(report->DataSets.Find(QStringLiteral("vxVendite")));
    ds->Filter = QStringLiteral("[Dati.vendite.regione] = 'Nord'");
    ds->Filtered = true;
    addBand(btMasterData, 300, 20, QStringLiteral("vxVendite"));
    addText(10, 300, 200, 18, QStringLiteral("[Dati.vendite.id]"));
    addBand(btMasterFooter, 400, 20);
    addText(10, 400, 200, 18, QStringLiteral("ultimo [Dati.vendite.id]"));
    ASSERT_TRUE(prepare());
    EXPECT_EQ(texts(0), (QStringList{"1", "2", "3", "ultimo 3"}));
}

TEST_F(DataLevels, OuterGroupTotalSurvivesInnerResets) {
    groupedReport();
    ASSERT_TRUE(prepare());
    const QStringList t = texts(0);
    EXPECT_TRUE(t.contains(QStringLiteral("TR Nord 35")));
    EXPECT_TRUE(t.contains(QStringLiteral("TR Sud 11")));
}

TEST_F(DataLevels, AggregatesOfEachKind) {
    makeSales();
    addBand(btMasterData, 300, 20, QStringLiteral("vxVendite"));
    addBand(btMasterFooter, 400, 20);
    struct Case {
        const char* expression;
        const char* shown;
    };
    const Case cases[] = {
        {"[SUM([importo])]", "46"},
        {"[AVG([Dati.vendite.importo])]", "7#66666666666667"},
        {"[MIN([importo])]", "1"},
        {"[MAX([importo])]", "20"},
        {"[COUNT()]", "6"},
        {"[SUM(1)]", "6"},
        {"[COUNT(Dati.vendite)]", "6"},
    };
    int top = 400;
    for (const Case& c : cases)
        addText(10, top++, 200, 18, QString::fromUtf8(c.expression));
    ASSERT_TRUE(prepare()) << ErrorText.toStdString();
    const QStringList t = texts(0);
    ASSERT_EQ(t.size(), int(std::size(cases)));
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(
            t[int(i)],
            QString::fromUtf8(cases[i].shown).replace(QLatin1Char('#'), SystemDecimalSeparator()))
            << cases[i].expression;
}

TEST_F(DataLevels, GrandTotalInTheSummarySurvivesGroupChanges) {
    groupedReport();
    addBand(btReportSummary, 600, 20);
    addText(10, 600, 200, 18, QStringLiteral("G [MIN([importo])] [MAX([importo])]"));
    ASSERT_TRUE(prepare());
    EXPECT_EQ(texts(0).last(), QStringLiteral("G 1 20"));
}

TEST_F(DataLevels, AggregateInABandThatCannotCarryOneIsAnError) {
    makeSales();
    addBand(btReportTitle, 50, 20);
    addText(10, 50, 200, 18, QStringLiteral("[COUNT()]"));
    addBand(btMasterData, 300, 20, QStringLiteral("vxVendite"));
    EXPECT_FALSE(prepare());
    EXPECT_TRUE(ErrorText.contains(QStringLiteral(
        "Non è possibile inserire in una banda non abilitata la funzione statistica : COUNT")))
        << ErrorText.toStdString();
}

class MasterDetail : public EngineTest {
protected:
    // Customers 1..3; orders for customers 1 and 3 only; order lines.
    void makeOrders(bool parameterised) {
        makeDatabase({QStringLiteral("CREATE TABLE clienti (id INTEGER, nome VARCHAR(20))"),
                      QStringLiteral("INSERT INTO clienti VALUES (1, 'Rossi')"),
                      QStringLiteral("INSERT INTO clienti VALUES (2, 'Bianchi')"),
                      QStringLiteral("INSERT INTO clienti VALUES (3, 'Verdi')"),
                      QStringLiteral("CREATE TABLE ordini (num INTEGER, cliente INTEGER)"),
                      QStringLiteral("INSERT INTO ordini VALUES (10, 1)"),
                      QStringLiteral("INSERT INTO ordini VALUES (11, 3)"),
                      QStringLiteral("INSERT INTO ordini VALUES (12, 1)"),
                      QStringLiteral("CREATE TABLE righe (ordine INTEGER, art VARCHAR(10))"),
                      QStringLiteral("INSERT INTO righe VALUES (10, 'a')"),
                      QStringLiteral("INSERT INTO righe VALUES (10, 'b')"),
                      QStringLiteral("INSERT INTO righe VALUES (11, 'c')")});
        addDataSet(QStringLiteral("vxClienti"), QStringLiteral("clienti"));
        const QString orderFilter =
            parameterised ? QStringLiteral("[Dati.ordini.cliente] = [Dati.clienti.id]")
                          : QStringLiteral("Dati.clienti.id = Dati.ordini.cliente");
        addDataSet(QStringLiteral("vxOrdini"), QStringLiteral("ordini"), orderFilter);
        addDataSet(QStringLiteral("vxRighe"), QStringLiteral("righe"),
                   QStringLiteral("ordine = Dati.ordini.num"));
        addBand(btMasterData, 100, 20, QStringLiteral("vxClienti"));
        addText(10, 100, 200, 18, QStringLiteral("[Dati.clienti.nome]"));
        addBand(btDetailHeader, 150, 20);
        addText(10, 150, 200, 18, QStringLiteral("ordini:"));
        addBand(btDetailData, 200, 20, QStringLiteral("vxOrdini"));
        addText(10, 200, 200, 18, QStringLiteral("ordine [Dati.ordini.num]"));
        addBand(btSubDetailData, 300, 20, QStringLiteral("vxRighe"));
        addText(10, 300, 200, 18, QStringLiteral("art [art]"));
        addBand(btDetailFooter, 400, 20);
        addText(10, 400, 200, 18, QStringLiteral("n. [COUNT()]"));
    }
};

TEST_F(MasterDetail, ThreeLevelsPrintOnlyMastersWithDetails) {
    for (const bool parameterised : {false, true}) {
        SCOPED_TRACE(parameterised);
        report->Clear();
        makeOrders(parameterised);
        ASSERT_TRUE(prepare()) << ErrorText.toStdString();
        // Bianchi has no orders; order 12 has no lines, so it does not
        // print, but it is one of Rossi's two orders.
        EXPECT_EQ(texts(0), (QStringList{"Rossi", "ordini:", "ordine 10", "art a", "art b", "n. 2",
                                         "Verdi", "ordini:", "ordine 11", "art c", "n. 1"}));
    }
}

TEST_F(MasterDetail, PrintWhenDetailEmptyKeepsTheMaster) {
    makeOrders(true);
    for (const auto& owned : page().Objects)
        if (owned->ObjectType == otBand && owned->FrameLines == btMasterData)
            owned->Flags |= bfPrintWhenDetailEmpty;
    ASSERT_TRUE(prepare());
    EXPECT_TRUE(texts(0).contains(QStringLiteral("Bianchi")));
}

} // namespace

namespace {

// Keyed detail lists read only their own rows, and see exactly the rows the
// filter selects: the same key kinds, a null key counting as 0 or as the
// empty text, as the filter's "=" compares them.
TEST_F(MasterDetail, DetailReadsOnlyTheRowsOfItsKey) {
    struct Case {
        const char* type;   // of the key columns
        const char* key;    // the master's key of customer i
        const char* filter; // on the detail
    };
    const Case cases[] = {
        {"INTEGER", "%1", "[cliente] = [Dati.clienti.id]"},
        {"VARCHAR(8)", "'c%1'", "Dati.clienti.id = Dati.ordini.cliente"},
    };
    constexpr int kCustomers = 30;
    constexpr int kOrders = 300;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        report->Clear();
        QStringList sql{
            QStringLiteral("CREATE TABLE clienti (n INTEGER, id %1)").arg(c.type),
            QStringLiteral("CREATE TABLE ordini (num INTEGER, cliente %1)").arg(c.type)};
        for (int i = 0; i < kCustomers; ++i) {
            // Customer 0 has the "zero" key: 0 or the empty text.
            const QString key =
                i == 0 ? (QLatin1String(c.type) == QLatin1String("INTEGER") ? QStringLiteral("0")
                                                                            : QStringLiteral("''"))
                       : QString::fromUtf8(c.key).arg(i);
            sql << QStringLiteral("INSERT INTO clienti VALUES (%1, %2)").arg(i).arg(key);
        }
        for (int i = 0; i < kOrders; ++i) {
            const int customer = 1 + i % (kCustomers - 1);
            sql << QStringLiteral("INSERT INTO ordini VALUES (%1, %2)")
                       .arg(i)
                       .arg(QString::fromUtf8(c.key).arg(customer));
        }
        // Orders without a customer belong to the "zero" key.
        sql << QStringLiteral("INSERT INTO ordini VALUES (1000, NULL)")
            << QStringLiteral("INSERT INTO ordini VALUES (1001, NULL)");
        makeDatabase(sql);
        addDataSet(QStringLiteral("vxClienti"), QStringLiteral("clienti"));
        addDataSet(QStringLiteral("vxOrdini"), QStringLiteral("ordini"),
                   QString::fromUtf8(c.filter));
        addBand(btMasterData, 100, 20, QStringLiteral("vxClienti"));
        addText(10, 100, 200, 18, QStringLiteral("cliente"));
        addBand(btDetailData, 200, 10, QStringLiteral("vxOrdini"));
        addText(10, 200, 200, 8, QStringLiteral("o"));
        addBand(btDetailFooter, 300, 20);
        addText(10, 300, 200, 18, QStringLiteral("[Dati.clienti.n]: [COUNT()]"));
        int evaluations = 0;
        SetFilterEvaluator([&evaluations](const QString& expression) {
            ++evaluations;
            const Variant v = EvaluateExpression(expression);
            return !CompareVariants(ExprOp::Equal, v, Variant(0));
        });
        const bool ok = prepare();
        SetFilterEvaluator(nullptr);
        ASSERT_TRUE(ok) << ErrorText.toStdString();
        QStringList expected{QStringLiteral("0: 2")};
        for (int i = 1; i < kCustomers; ++i)
            expected << QStringLiteral("%1: %2").arg(i).arg(kOrders / (kCustomers - 1) +
                                                            (i <= kOrders % (kCustomers - 1)));
        QStringList printed;
        for (int p = 0; p < pageCount(); ++p)
            printed += texts(p).filter(QStringLiteral(": "));
        EXPECT_EQ(printed, expected);
        // Each order is looked at about once, not once per customer.
        EXPECT_LT(evaluations, 3 * kOrders);
    }
}

} // namespace
