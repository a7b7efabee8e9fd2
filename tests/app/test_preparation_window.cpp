// The progress window while a report is prepared: caption, stage texts with
// the page reached (and the total in the final of two passes), and its
// cancel button.

#include "app/preparation_window.h"
#include "engine/engine_hooks.h"
#include "engine/engine_state.h"
#include "engine/preparation.h"
#include "preview/progress_form.h"
#include "report/band_view.h"
#include "report/dataset.h"
#include "report/emf_pages.h"
#include "report/engine_counters.h"
#include "report/library_state.h"
#include "report/memo_view.h"
#include "report/pages.h"
#include "report/report.h"
#include "report/value_expansion.h"
#include "tests/report/report_fixture.h"

#include <QLabel>

namespace vx::test {
namespace {

class PreparationWindow : public ReportTest {
protected:
    void SetUp() override {
        ReportTest::SetUp();
        resetPreparationState();
        InstallNameResolution();
        InstallEngine();
        installPreparationWindow();
        report = std::make_unique<TvxReport>();
        report->Title = QStringLiteral("Vendite");
        // 300 rows from a user dataset: several pages; each step records the
        // window's caption and label.
        rows = std::make_unique<TvxUserDataset>();
        rows->setName(QStringLiteral("vxRighe"));
        rows->RangeEnd = reCount;
        rows->RangeEndCount = 300;
        rows->OnNext = [this](TvxDataset*) {
            const TProgressForm& form = ProgressForm();
            seen << form.windowTitle() + QLatin1Char('|') + form.Label1->text();
            if (onStep)
                onStep();
        };
        report->DataSets.Add(rows->name(), rows.get());
        auto band = std::make_unique<TvxBandView>(report.get());
        band->SetBandType(btMasterData);
        band->Top = 100;
        band->Height = 30;
        band->FormatText = rows->name();
        report->Pages->Pages(0).Add(std::move(band));
        auto memo = std::make_unique<TvxMemoView>(report.get());
        memo->Top = 100;
        memo->Width = 200;
        memo->Height = 20;
        memo->Lines = {QStringLiteral("riga [LINE#]")};
        report->Pages->Pages(0).Add(std::move(memo));
    }
    void TearDown() override {
        report->DataSets.Remove(rows.get());
        report.reset();
        rows.reset();
        progressWindow() = ProgressWindow();
        resetPreparationState();
        resetEngineCounters();
        ReportTest::TearDown();
    }
    bool saw(const QString& entry) const { return seen.contains(entry); }

    std::unique_ptr<TvxReport> report;
    std::unique_ptr<TvxUserDataset> rows;
    QStringList seen;
    std::function<void()> onStep;
};

TEST_F(PreparationWindow, TwoPassesShowTheirStagesAndTheTotal) {
    report->TwoPass = true;
    ASSERT_TRUE(Prepare(*report));
    ASSERT_FALSE(ErrorRaised) << ErrorText.toStdString();
    const int pages = report->PreparedPages->Count();
    ASSERT_GE(pages, 3);
    EXPECT_TRUE(saw(QStringLiteral("Report in preparazione - Vendite|Esecuzione 1° passo:  2")));
    EXPECT_TRUE(
        saw(QStringLiteral("Report in preparazione - Vendite|Pagina in costruzione:  2 di %1")
                .arg(pages)));
    EXPECT_FALSE(ProgressForm().isVisible());
}

TEST_F(PreparationWindow, OnePassShowsThePageReached) {
    ASSERT_TRUE(Prepare(*report));
    EXPECT_TRUE(saw(QStringLiteral("Report in preparazione - Vendite|Pagina in costruzione:  2")));
}

TEST_F(PreparationWindow, CancelStopsAndKeepsThePagesBuilt) {
    int steps = 0;
    onStep = [&steps] {
        if (++steps == 50)
            ProgressForm().Button1Click();
    };
    EXPECT_FALSE(Prepare(*report));
    EXPECT_FALSE(ErrorRaised);
    EXPECT_GE(report->PreparedPages->Count(), 1);
    EXPECT_LE(steps, 51);
    EXPECT_FALSE(report->Terminated); // cleared when the preparation ends
}

} // namespace
} // namespace vx::test
