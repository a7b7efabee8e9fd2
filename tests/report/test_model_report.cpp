// TvxReport: defaults, Clear, current report, preparation errors, datasets.
#include "report_fixture.h"

#include "platform/platform_state.h"
#include "report/band_view.h"
#include "report/dataset.h"
#include "report/memo_view.h"
#include "report/report.h"
#include "report/report_hooks.h"
#include "report/values.h"

namespace vx::test {
namespace {

class ModelReport : public ReportTest {};

TEST_F(ModelReport, CreatedWithDefaultsAndOneDefaultPage) {
    TvxReport report;
    EXPECT_EQ(CurrentReport, nullptr); // creating a report does not make it current
    EXPECT_TRUE(report.ShowProgress);
    EXPECT_TRUE(report.ModalPreview);
    EXPECT_TRUE(report.Scaled);
    EXPECT_TRUE(report.DisableDataSetControls);
    EXPECT_TRUE(report.PrintToCurrentPrinter);
    EXPECT_FALSE(report.TwoPass);
    ASSERT_EQ(report.Pages->Count(), 1);
    const TvxPage& page = report.Pages->Pages(0);
    EXPECT_EQ(page.PaperSize, 9);
    EXPECT_EQ(page.Margins, (PageMargins{38, 38, 38, 57}));
    EXPECT_TRUE(page.PageHeaderOnFirst);
    EXPECT_TRUE(page.PageFooterOnLast);
    EXPECT_TRUE(page.UseMargins);
    EXPECT_FALSE(page.CopyCrossHeader);
    EXPECT_FALSE(page.PrintOnPreviousPage);
    EXPECT_EQ(page.ZoomX, 100);
    EXPECT_EQ(page.ZoomY, 100);
}

TEST_F(ModelReport, ClearLeavesOnePageAndResetsTheTemplate) {
    TvxReport report;
    report.Pages->Add();
    report.Pages->Add();
    report.Pages->Pages(2).Add(std::make_unique<TvxMemoView>(&report));
    report.Variables = {"Cat", " v"};
    report.Values->AddValue();
    report.TwoPass = report.Collate = report.Repaginate = true;
    report.PrintToCurrentPrinter = false;
    report.FileName = "x.vxf";
    report.Clear();
    ASSERT_EQ(report.Pages->Count(), 1);
    EXPECT_EQ(report.Pages->Pages(0).PaperSize, 9);
    EXPECT_TRUE(report.Pages->Pages(0).Objects.empty());
    EXPECT_TRUE(report.Variables.isEmpty());
    EXPECT_EQ(report.Values->Count(), 0);
    EXPECT_FALSE(report.TwoPass || report.Collate || report.Repaginate);
    EXPECT_TRUE(report.PrintToCurrentPrinter);
    EXPECT_TRUE(report.FileName.isEmpty());
}

TEST_F(ModelReport, DestroyingTheCurrentReportLeavesNone) {
    auto a = std::make_unique<TvxReport>();
    auto b = std::make_unique<TvxReport>();
    CurrentReport = b.get();
    a.reset(); // another report: the current one stays
    EXPECT_EQ(CurrentReport, b.get());
    b.reset();
    EXPECT_EQ(CurrentReport, nullptr);
}

TEST_F(ModelReport, BandNamesKeepTheirTexts) {
    EXPECT_EQ(BandNames.size(), 22u);
    EXPECT_EQ(BandNames[2], "Instestazione pagina");
    EXPECT_EQ(BandNames[13], "Copertura (Sfondo)");
    EXPECT_EQ(BandNames[21], "Nessuna");
    EXPECT_EQ(SpecialValueNames[8], "Totale Pagine");
    EXPECT_EQ(bandName(22), QString());
}

TEST_F(ModelReport, PreparationErrorFirstWinsWithCarriageReturns) {
    TvxReport report;
    CurrentReport = &report; // the report being prepared
    CurrentPageNo = 2;
    SetPreparationError("Dettaglio");
    SetPreparationError("Secondo");
    EXPECT_TRUE(ErrorRaised);
    EXPECT_TRUE(report.Terminated);
    // No band: the object line still appears (its ParentBand equals the
    // absent current band) only when there is a current object.
    EXPECT_EQ(ErrorText, QString::fromUtf8("Si è verificato un errore durante la fase di "
                                           "preparazione\rDettaglio\rPagina: 2"));
}

TEST_F(ModelReport, PreparationErrorNamesObjectBandAndPage) {
    TvxReport report;
    auto* memo = report.Pages->Pages(0).Add(std::make_unique<TvxMemoView>(&report));
    auto* band = reinterpret_cast<TvxBand*>(&report); // any address stands for a band
    memo->ParentBand = band;
    CurrentView = memo;
    CurrentBand = band;
    CurrentPageNo = 1;
    {
        const ScopedOverride dataBand(reportHooks().BandTypeOf, [](const TvxBand&) { return 5; });
        SetPreparationError(QString());
    }
    EXPECT_EQ(ErrorText, QString::fromUtf8("Si è verificato un errore durante la fase di "
                                           "preparazione\rOggetto: Memo1\rBanda: Dati "
                                           "principali\rPagina: 1"));
}

TEST_F(ModelReport, DestroyingADataBandReleasesItsDataset) {
    TvxReport report;
    Component form(nullptr, "Form1");
    // One dataset without owner (destroyed), one with owner (only unlisted).
    auto loose = std::make_unique<TvxDataset>(nullptr);
    loose->setName("Clienti");
    report.DataSets.Add("Clienti", std::move(loose));
    TvxDataset owned(&form);
    owned.setName("Ordini");
    report.DataSets.Add("Ordini", &owned);

    for (const char* name : {"Clienti", "Ordini"}) {
        auto band = std::make_unique<TvxBandView>(&report);
        band->SetBandType(btMasterData);
        band->FormatText = name;
        band.reset();
    }
    EXPECT_EQ(report.DataSets.Count(), 0);
    EXPECT_EQ(owned.owner(), &form);
}

// A host with two reports: objects and datasets of one never touch the
// other's, whichever report is current; creating a report does not make it
// current.
TEST_F(ModelReport, TwoReportsKeepTheirOwnDatasets) {
    Component form(nullptr, "Form1");
    TvxReport first;
    TvxReport second;
    EXPECT_EQ(CurrentReport, nullptr);
    CurrentReport = &second;
    {
        TvxReport third;
        EXPECT_EQ(CurrentReport, &second);
    }
    for (TvxReport* report : {&first, &second}) {
        auto clienti = std::make_unique<TvxDataset>(nullptr);
        clienti->setName("Clienti");
        report->DataSets.Add("Clienti", std::move(clienti));
    }
    TvxDataset* kept = second.DataSets.Find("Clienti");
    auto band = std::make_unique<TvxBandView>(&first);
    band->SetBandType(btMasterData);
    band->FormatText = "Clienti";
    band.reset(); // while the second report is current
    EXPECT_EQ(first.DataSets.Find("Clienti"), nullptr);
    ASSERT_EQ(second.DataSets.Find("Clienti"), kept);
    EXPECT_EQ(kept->name(), "Clienti");

    // A dataset on a form leaves every list that holds it when it goes.
    {
        TvxDataset ordini(&form);
        first.DataSets.Add("Ordini", &ordini);
        second.DataSets.Add("Ordini", &ordini);
        CurrentReport = nullptr;
    }
    EXPECT_EQ(first.DataSets.Find("Ordini"), nullptr);
    EXPECT_EQ(second.DataSets.Find("Ordini"), nullptr);
}

TEST_F(ModelReport, PixelsPerInchIsTheScreensAtStart) {
    TvxReport report;
    EXPECT_EQ(report.PixelsPerInch, screenPixelsPerInch());
    EXPECT_EQ(report.PixelsPerInch, 96); // the offscreen platform's logical resolution
}

TEST_F(ModelReport, ClearingDatasetsKeepsOwnedOnes) {
    Component form(nullptr, "Form1");
    TvxDataset owned(&form);
    {
        TvxReport report;
        report.DataSets.Add("B", std::make_unique<TvxDataset>(nullptr));
        report.DataSets.Add("A", &owned);
        report.Clear();
        EXPECT_EQ(report.DataSets.Count(), 0);
    }
    EXPECT_EQ(owned.owner(), &form); // still alive
}

TEST_F(ModelReport, DataSetListIsSortedWithoutRegardToCase) {
    TvxUserDataset a, b, c;
    TvxDataSetList list;
    TvxDataset *pa = &a, *pb = &b, *pc = &c;
    EXPECT_TRUE(list.Add("b", pb));
    EXPECT_TRUE(list.Add("A", pa));
    EXPECT_FALSE(list.Add("B", pc)); // the earlier entry stays
    EXPECT_EQ(list.At(0).Name, "A");
    EXPECT_EQ(list.Find("B"), pb);
    EXPECT_TRUE(list.Remove(pa));
    EXPECT_EQ(list.Count(), 1);
}

TEST_F(ModelReport, HooksRunTheHigherLayersOperations) {
    TvxReport report;
    int prepared = 0, shown = 0;
    {
        const ScopedOverride prepare(reportHooks().PrepareAndShow,
                                     [&](TvxReport& r) { prepared += &r == &report; });
        const ScopedOverride open(reportHooks().OpenPreview, [&](TvxReport&) { ++shown; });
        report.PrepareAndShow();
        report.OpenPreview();
        report.Prepare(); // no hook: nothing
    }
    EXPECT_EQ(prepared, 1);
    EXPECT_EQ(shown, 1);
}

} // namespace
} // namespace vx::test
