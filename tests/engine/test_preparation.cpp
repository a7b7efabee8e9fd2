// Preparation: passes, page totals, collated order, continuation on the
// previous page, cancelling, events, and the errors a preparation reports.

#include "engine_fixture.h"

#include "engine/band.h"
#include "report/picture_view.h"
#include "report/subreport_view.h"
#include "report/values.h"

using namespace vx;
using namespace vx::test;

namespace {

class Preparation : public EngineTest {
protected:
    // A list of the rows of "righe", 20 pixels each, on the page, with a page header
    // "Pagina N di T".
    void pagedList(TvxPage* onPage = nullptr, const QString& table = "righe") {
        TvxPage& p = onPage ? *onPage : page();
        const QString ds =
            QStringLiteral("vx") + table + QString::number(report->Pages->IndexOf(&p));
        addDataSet(ds, table);
        addBand(btPageHeader, 40, 30, QString(), &p);
        addText(40, 40, 300, 18, QStringLiteral("Pagina [PAGE#] di [TOTALPAGES]"), &p);
        addBand(btMasterData, 200, 20, ds, &p);
        addText(40, 200, 300, 18, QStringLiteral("[Dati.%1.nome]").arg(table), &p);
    }
    QStringList headers() const {
        QStringList out;
        for (int i = 0; i < pageCount(); ++i)
            out << texts(i).value(0);
        return out;
    }
};

TEST_F(Preparation, TotalPagesIsZeroInOnePassAndRightInTwo) {
    makeRows(100);
    pagedList();
    ASSERT_TRUE(prepare());
    const int n = pageCount();
    ASSERT_GE(n, 3);
    EXPECT_EQ(texts(0).value(0), QStringLiteral("Pagina 1 di 0"));
    report->TwoPass = true;
    ASSERT_TRUE(prepare());
    ASSERT_EQ(pageCount(), n);
    for (int i = 0; i < n; ++i)
        EXPECT_EQ(texts(i).value(0), QStringLiteral("Pagina %1 di %2").arg(i + 1).arg(n));
    // A single pass after a two-pass one does not keep the old total.
    report->TwoPass = false;
    ASSERT_TRUE(prepare());
    EXPECT_EQ(texts(0).value(0), QStringLiteral("Pagina 1 di 0"));
}

TEST_F(Preparation, TwoPassesRaiseTheEventsTwiceInOrder) {
    QStringList events;
    report->TwoPass = true;
    report->OnBeginDoc = [&] { events << QStringLiteral("doc"); };
    report->OnBeginPage = [&](int pg) { events << QStringLiteral("page%1").arg(pg); };
    report->OnEndPage = [&](int pg) { events << QStringLiteral("end%1").arg(pg); };
    report->OnEndDoc = [&] { events << QStringLiteral("enddoc"); };
    std::vector<int> progress;
    report->OnProgress = [&](int n) { progress.push_back(n); };
    ASSERT_TRUE(prepare());
    EXPECT_EQ(events.join(QLatin1Char(' ')),
              QStringLiteral("doc page0 end1 enddoc doc page0 end1 enddoc"));
    EXPECT_FALSE(progress.empty());
}

TEST_F(Preparation, CollateInterleavesTheTemplatePages) {
    // Three template pages producing 2, 1 and 2 output pages.
    makeRows(70);
    TvxPage& second = addPage();
    TvxPage& third = addPage();
    pagedList();
    addBand(btReportTitle, 100, 20, QString(), &second);
    addText(40, 100, 300, 18, QStringLiteral("Seconda"), &second);
    pagedList(&third);
    report->Collate = true;
    ASSERT_TRUE(prepare()) << ErrorText.toStdString();
    ASSERT_EQ(pageCount(), 5);
    EXPECT_EQ(headers(), (QStringList{"Pagina 1 di 0", "Seconda", "Pagina 4 di 0", "Pagina 2 di 0",
                                      "Pagina 5 di 0"}));
    // Repaginated in two passes: numbers follow the interleaved order.
    report->TwoPass = true;
    report->Repaginate = true;
    ASSERT_TRUE(prepare());
    ASSERT_EQ(pageCount(), 5);
    EXPECT_EQ(headers(), (QStringList{"Pagina 1 di 5", "Seconda", "Pagina 3 di 5", "Pagina 4 di 5",
                                      "Pagina 5 di 5"}));
}

TEST_F(Preparation, CollatedOrderTakesThePagesInTurn) {
    struct Case {
        std::vector<int32_t> counts;
        std::vector<int32_t> order;
    };
    const Case cases[] = {
        {{2, 1, 2}, {0, 2, 3, 1, 4}}, {{1}, {0}}, {{0, 3}, {0, 1, 2}},
        {{3, 0, 1}, {0, 3, 1, 2}},    {{}, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CollatedOrder(c.counts), c.order);
    // More than 1000 output pages are ordered too.
    const std::vector<int32_t> big = CollatedOrder({800, 700});
    ASSERT_EQ(big.size(), 1500u);
    EXPECT_EQ(big[1], 800);
    EXPECT_EQ(big[1499], 799);
}

TEST_F(Preparation, PrintOnPreviousPageContinuesBelowTheContent) {
    makeRows(3);
    addBand(btReportTitle, 100, 20);
    addText(40, 100, 300, 18, QStringLiteral("Primo"));
    TvxPage& second = addPage();
    second.PrintOnPreviousPage = true;
    addBand(btReportTitle, 100, 20, QString(), &second);
    addText(40, 100, 300, 18, QStringLiteral("Secondo"), &second);
    ASSERT_TRUE(prepare());
    ASSERT_EQ(pageCount(), 1);
    EXPECT_EQ(texts(0), (QStringList{"Primo", "Secondo"}));
    EXPECT_EQ(where(0, QStringLiteral("Secondo")).y(), where(0, QStringLiteral("Primo")).y() + 20);
}

TEST_F(Preparation, CancelledPreparationKeepsItsPages) {
    makeRows(200);
    pagedList();
    report->OnProgress = [this](int n) {
        if (n == 2)
            report->Terminated = true;
    };
    ASSERT_TRUE(prepare());
    EXPECT_FALSE(ErrorRaised);
    EXPECT_GE(pageCount(), 2);
    EXPECT_LT(pageCount(), 8);
    for (int i = 0; i < pageCount(); ++i)
        EXPECT_FALSE(report->PreparedPages->Pages(i).Picture.isNull());
}

TEST_F(Preparation, BindingErrorsStopThePreparation) {
    makeRows(3);
    const int i = report->Values->AddValue();
    report->Values->SetName(i, QStringLiteral("nome"));
    TvxValue* v = report->Values->Items(i);
    v->Kind = vkDataField;
    v->DataSetName = QStringLiteral("Dati.righe");
    v->FieldName = QStringLiteral("manca");
    data().table(QStringLiteral("righe"))->open();
    EXPECT_FALSE(prepare());
    EXPECT_EQ(ErrorText, QStringLiteral("Si è verificato un errore durante la fase di "
                                        "preparazione\rNon è stato possibile reperire il campo: "
                                        "righe.manca\rPagina: 0"));
}

TEST_F(Preparation, ErrorsNameWhatFailed) {
    struct Case {
        const char* text;
        const char* detail;
    };
    const Case cases[] = {
        {"[Dati.righe.manca]", "Errore. Identificatore sconosciuto: Dati.righe.manca"},
        {"[1 DIV 0]", "Errore. Tipo di dati incompatibili nell'espressione: 1 DIV 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        report->Clear();
        makeRows(3);
        addDataSet(QStringLiteral("vxRighe"), QStringLiteral("righe"));
        addBand(btMasterData, 200, 20, QStringLiteral("vxRighe"));
        TvxMemoView* memo = addText(40, 200, 300, 18, QString::fromUtf8(c.text));
        memo->Name = QStringLiteral("Campo");
        EXPECT_FALSE(prepare());
        const QStringList lines = ErrorText.split(QLatin1Char('\r'));
        EXPECT_EQ(lines.value(1), QString::fromUtf8(c.detail));
        EXPECT_EQ(lines.mid(2),
                  (QStringList{"Oggetto: Campo", "Banda: Dati principali", "Pagina: 1"}));
    }
}

TEST_F(Preparation, FailingFilterStopsTheRun) {
    makeRows(3);
    addDataSet(QStringLiteral("vxRighe"), QStringLiteral("righe"),
               QStringLiteral("1 DIV ([Dati.righe.id] - 2)"));
    addBand(btMasterData, 200, 20, QStringLiteral("vxRighe"));
    addText(40, 200, 300, 18, QStringLiteral("[Dati.righe.nome]"));
    EXPECT_FALSE(prepare());
    EXPECT_EQ(ErrorText.split(QLatin1Char('\r')).value(1),
              QStringLiteral("Errore. Errore nell'espressione del filtro della banda."));
}

TEST_F(Preparation, MissingDatasetIsNamed) {
    addBand(btMasterData, 200, 20, QStringLiteral("vxNessuno"));
    addText(40, 200, 300, 18, QStringLiteral("x"));
    EXPECT_FALSE(prepare());
    EXPECT_EQ(ErrorText.split(QLatin1Char('\r')).value(1),
              QStringLiteral("Non è stato trovato il vxDataset: vxNessuno"));
}

TEST_F(Preparation, BandTallerThanThePageIsAnErrorNotALoop) {
    makeRows(3);
    for (const uint16_t options :
         {uint16_t(0), uint16_t(bfSplitAllowed), uint16_t(bfFitToContent | bfSplitAllowed)}) {
        SCOPED_TRACE(options);
        report->Clear(); // frees the datasets of the band objects too
        addDataSet(QStringLiteral("vxRighe"), QStringLiteral("righe"));
        TvxBandView* band = addBand(btMasterData, 100, 3000, QStringLiteral("vxRighe"));
        band->Flags = options;
        // A picture cannot split: one as tall as the band.
        auto picture = std::make_unique<TvxPictureView>(report.get());
        picture->Left = 10;
        picture->Top = 100;
        picture->Width = 100;
        picture->Height = 2900;
        page().Add(std::move(picture));
        EXPECT_FALSE(prepare());
        EXPECT_TRUE(ErrorText.contains(QStringLiteral("La banda è più alta dello spazio di una "
                                                      "pagina vuota")))
            << ErrorText.toStdString();
        EXPECT_TRUE(ErrorText.contains(QStringLiteral("Banda: Dati principali")));
    }
}

TEST_F(Preparation, HeaderTallerThanThePageIsAnErrorNotARecursion) {
    makeRows(80);
    addDataSet(QStringLiteral("vxRighe"), QStringLiteral("righe"));
    addBand(btMasterData, 100, 20, QStringLiteral("vxRighe"));
    addText(40, 100, 300, 18, QStringLiteral("[Dati.righe.nome]"));
    addBand(btPageHeader, 200, 3000);
    addText(40, 200, 300, 18, QStringLiteral("Testata"));
    page().PageHeaderOnFirst = false; // the header first prints on page 2
    EXPECT_FALSE(prepare());
    EXPECT_TRUE(ErrorText.contains(QStringLiteral("Banda: Instestazione pagina")))
        << ErrorText.toStdString();
}

TEST_F(Preparation, TooManyTemplatePagesIsAnError) {
    while (report->Pages->Count() < kMaxTemplatePages + 1)
        report->Pages->Add();
    EXPECT_FALSE(prepare());
    EXPECT_EQ(ErrorText.split(QLatin1Char('\r')).value(1),
              QStringLiteral("Il report ha 1001 pagine modello: se ne possono preparare al "
                             "massimo 1000."));
}

TEST_F(Preparation, ABandHoldsAtMost35SubReports) {
    TvxPage& sub = addPage();
    (void)sub;
    addBand(btReportTitle, 100, 40);
    for (int i = 0; i < kMaxSubReportsPerBand + 1; ++i) {
        auto view = std::make_unique<TvxSubReportView>(report.get());
        view->Left = i * 10;
        view->Top = 100;
        view->Width = 10;
        view->Height = 20;
        view->SubPage = 1;
        page().Add(std::move(view));
    }
    EXPECT_FALSE(prepare());
    EXPECT_EQ(ErrorText.split(QLatin1Char('\r')).mid(1),
              (QStringList{"Una banda può contenere al massimo 35 sottoreport.",
                           "Banda: Titolo report", "Pagina: 1"}));
}

TEST_F(Preparation, PrepareAndShowShowsTheErrorAndEmptiesThePages) {
    addBand(btMasterData, 200, 20, QStringLiteral("vxNessuno"));
    addText(40, 200, 300, 18, QStringLiteral("x"));
    PrepareAndShow(*report);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].caption, QStringLiteral("Errore"));
    EXPECT_TRUE(messages()[0].text.startsWith(
        QStringLiteral("Si è verificato un errore durante la fase di preparazione")));
    EXPECT_EQ(pageCount(), 0);
    EXPECT_FALSE(ErrorRaised);
}

} // namespace
