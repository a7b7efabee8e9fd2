// Binding datasets to band objects, attaching them when a page starts, and
// the OnDataSetWork notification.

#include "engine/dataset_binding.h"

#include "platform/component.h"
#include "platform/errors.h"
#include "report/band_view.h"
#include "report/library_state.h"
#include "report/page.h"
#include "report/pages.h"
#include "report/report.h"
#include "report/view.h"

#include <gtest/gtest.h>

#include <memory>

using namespace vx;

namespace {

class BindingTest : public testing::Test {
protected:
    void SetUp() override {
        resetLibraryState();
        form = std::make_unique<Component>(nullptr, QStringLiteral("Form1"), ComponentKind::Form);
        report = std::make_unique<TvxReport>(form.get());
        CurrentReport = report.get();
    }
    void TearDown() override {
        report.reset();
        form.reset();
        resetLibraryState();
    }
    // Adds a band object of that type and name to the first page.
    TvxView* addBand(int bandType, const QString& name, const QString& dataSetName = QString()) {
        std::unique_ptr<TvxView> view = CreateObject(2, QString());
        auto* band = dynamic_cast<TvxBandView*>(view.get());
        EXPECT_NE(band, nullptr);
        band->SetBandType(bandType);
        band->Name = name;
        band->FormatText = dataSetName;
        TvxPage& page = report->Pages->Pages(0);
        page.Objects.push_back(std::move(view));
        return page.Objects.back().get();
    }
    std::unique_ptr<Component> form;
    std::unique_ptr<TvxReport> report;
};

TEST_F(BindingTest, BindDataSetToBandReplacesTheBandsDataset) {
    TvxView* band = addBand(5, QStringLiteral("MasterData1"), QStringLiteral("vecchio"));
    auto old = std::make_unique<TvxUserDataset>();
    old->setName(QStringLiteral("vecchio"));
    report->DataSets.Add(QStringLiteral("vecchio"), std::move(old)); // the report's now

    TvxUserDataset owned(form.get());
    owned.setName(QStringLiteral("vxClienti"));
    BindDataSetToBand(*report, QStringLiteral("masterdata1"), &owned);
    EXPECT_EQ(band->FormatText, QStringLiteral("vxClienti"));
    EXPECT_EQ(report->DataSets.Count(), 1);
    EXPECT_EQ(report->DataSets.Find(QStringLiteral("vxClienti")), &owned);

    // Binding it again (or another owned one) only unlists it.
    BindDataSetToBand(*report, QStringLiteral("MasterData1"), &owned);
    EXPECT_EQ(report->DataSets.Find(QStringLiteral("vxClienti")), &owned);
    EXPECT_EQ(report->DataSets.Count(), 1);
    TvxUserDataset other(form.get());
    other.setName(QStringLiteral("vxAltro"));
    BindDataSetToBand(*report, QStringLiteral("MasterData1"), &other);
    EXPECT_EQ(report->DataSets.Count(), 1);
    EXPECT_EQ(owned.name(), QStringLiteral("vxClienti")) << "an owned dataset is not destroyed";
}

TEST_F(BindingTest, BindDataSetToBandErrors) {
    addBand(3, QStringLiteral("Titolo1"));
    TvxUserDataset ds(form.get());
    struct Case {
        const char* object;
        const char* message;
    } cases[] = {
        {"Manca", "Non è stata trovata la banda: Manca"},
        {"Titolo1", "Non si può collegare un vxDataset ad un oggetto che non sia una banda."},
    };
    for (const Case& c : cases) {
        try {
            BindDataSetToBand(*report, QString::fromUtf8(c.object), &ds);
            ADD_FAILURE() << c.object;
        } catch (const VxError& e) {
            EXPECT_EQ(e.message(), QString::fromUtf8(c.message));
        }
    }
}

TEST_F(BindingTest, AttachFindsOwnerComponentsFirstThenTheList) {
    TvxUserDataset onForm(form.get());
    onForm.setName(QStringLiteral("vxDati"));
    auto listed = std::make_unique<TvxUserDataset>();
    report->DataSets.Add(QStringLiteral("vxDati"), listed.get());
    report->DataSets.Add(QStringLiteral("vxLista"), listed.get());
    EXPECT_EQ(AttachDataset(5, QStringLiteral("VXDATI")), &onForm);
    EXPECT_EQ(AttachDataset(5, QStringLiteral("vxLista")), listed.get());
    EXPECT_EQ(AttachDataset(5, QString()), nullptr);
    EXPECT_FALSE(ErrorRaised);
    EXPECT_EQ(AttachDataset(8, QStringLiteral("vxManca")), nullptr);
    ASSERT_TRUE(ErrorRaised);
    EXPECT_EQ(ErrorText.split(QChar(13)).value(1),
              QStringLiteral("Non è stato trovato il vxDataset: vxManca"));
    Component notADataset(form.get(), QStringLiteral("Bottone"));
    EXPECT_THROW(AttachDataset(5, QStringLiteral("Bottone")), VxError);
    report->DataSets.Remove(listed.get());
}

TEST_F(BindingTest, AttachReportsADatabaseDatasetWithoutDataSet) {
    TvxDBDataSet ds(form.get());
    ds.setName(QStringLiteral("vxDB"));
    report->DisableDataSetControls = false;
    EXPECT_EQ(AttachDataset(5, QStringLiteral("vxDB")), nullptr);
    EXPECT_FALSE(ds.DisableControlsOption) << "copied from the report";
    ASSERT_TRUE(ErrorRaised);
    EXPECT_EQ(ErrorText.split(QChar(13)).value(1), QStringLiteral("Dataset non assegnato: vxDB"));
}

TEST_F(BindingTest, DataSetWorkHandlerCanFixTheRecordCount) {
    addBand(8, QStringLiteral("Dettaglio"), QStringLiteral("vxRighe"));
    addBand(5, QStringLiteral("Principale"), QStringLiteral("vxRighe"));
    TvxUserDataset ds(form.get());
    ds.setName(QStringLiteral("vxRighe"));
    ds.RangeEnd = reCount;
    QStringList log;
    report->OnDataSetWork = [&](const QString& band, DataSet* dataSet, int32_t& count,
                                TvxDataSetOperation op) {
        EXPECT_EQ(dataSet, nullptr);
        log << QStringLiteral("%1:%2:%3").arg(band).arg(int(op)).arg(count);
        if (op == dwFirst)
            count = 5;
    };
    ASSERT_EQ(AttachDataset(5, QStringLiteral("vxRighe")), &ds);
    int records = 0;
    ds.First();
    NotifyDataSetWork(5, &ds, dwFirst);
    for (; !ds.Eof(); ds.Next())
        ++records;
    EXPECT_EQ(records, 5);
    NotifyDataSetWork(8, &ds, dwNext);
    NotifyDataSetWork(11, &ds, dwNext); // no band of that type names it
    NotifyDataSetWork(3, &ds, dwNext);  // not a data band
    EXPECT_EQ(log.join(' '), QStringLiteral("Principale:0:0 Principale:2:0 Dettaglio:3:5"));
    // The name must match exactly, case included.
    ds.setName(QStringLiteral("VXRIGHE"));
    NotifyDataSetWork(5, &ds, dwClose);
    EXPECT_EQ(log.size(), 3);
}

} // namespace
