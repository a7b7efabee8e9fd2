// Report objects: default names, renaming, the factory, the add-in registry.
#include "report_fixture.h"

#include "platform/errors.h"
#include "report/addin_registry.h"
#include "report/band_view.h"
#include "report/memo_view.h"
#include "report/picture_view.h"
#include "report/report.h"
#include "report/subreport_view.h"

#include <optional>

namespace vx::test {
namespace {

class ModelObjects : public ReportTest {};

TvxView* addMemo(TvxReport& report, int page = 0) {
    return report.Pages->Pages(page).Add(std::make_unique<TvxMemoView>(&report));
}

TEST_F(ModelObjects, DefaultNamesCountUpAndReuseTheFirstFreeNumber) {
    TvxReport report;
    TvxPage& page = report.Pages->Pages(0);
    EXPECT_EQ(addMemo(report)->Name, "Memo1");
    EXPECT_EQ(addMemo(report)->Name, "Memo2");
    EXPECT_EQ(addMemo(report)->Name, "Memo3");
    page.Delete(1);
    EXPECT_EQ(addMemo(report)->Name, "Memo2");
}

TEST_F(ModelObjects, DefaultNamePerClassAndWithoutReport) {
    TvxReport report;
    EXPECT_EQ(TvxPictureView(&report).Name, "Picture1");
    EXPECT_EQ(TvxBandView(&report).Name, "Band1");
    EXPECT_EQ(TvxSubReportView(&report).Name, "SubReport1");
    EXPECT_EQ(TvxMemoView(nullptr).Name, "Memo1");
    // Names are unique over all pages of the report.
    report.Pages->Add();
    addMemo(report, 0);
    EXPECT_EQ(addMemo(report, 1)->Name, "Memo2");
}

TEST_F(ModelObjects, RenameAcceptsValidNamesAndRefusesOthersWithTheirMessage) {
    struct Row {
        const char* name;
        bool accepted;
        const char* message;
    };
    const Row rows[] = {
        {"_a1", true, nullptr},
        {"Totale_2", true, nullptr},
        {"1a", false, "Formato del nome errato."},
        {"a-b", false, "Formato del nome errato."},
        {"", false, "Formato del nome errato."},
        {"è", false, "Formato del nome errato."},
        {"memo1", false, "Non è possibile assegnare un nome già esistente."}, // case ignored
    };
    for (const Row& row : rows) {
        TvxReport report;
        addMemo(report); // Memo1
        TvxView* other = addMemo(report);
        clearMessages();
        EXPECT_EQ(other->Rename(QString::fromUtf8(row.name)), row.accepted) << row.name;
        if (row.accepted) {
            EXPECT_EQ(other->Name, QString::fromUtf8(row.name));
            EXPECT_TRUE(messages().empty());
        } else {
            EXPECT_EQ(other->Name, "Memo2") << row.name;
            ASSERT_EQ(messages().size(), 1u) << row.name;
            EXPECT_EQ(messages()[0].caption, "Errore");
            EXPECT_EQ(messages()[0].icon, MessageIcon::Error);
            EXPECT_EQ(messages()[0].text, QString::fromUtf8(row.message));
        }
    }
}

TEST_F(ModelObjects, RenameToOwnNameInOtherCaseIsAccepted) {
    TvxReport report;
    TvxView* memo = addMemo(report);
    EXPECT_TRUE(memo->Rename("MEMO1"));
}

TEST_F(ModelObjects, AssignKeepsTargetNameWhenSourceNameIsTaken) {
    TvxReport report;
    TvxView* source = addMemo(report); // Memo1, on the page
    source->Left = 7;
    source->Lines = {"a", "b"};
    TvxMemoView target(&report);
    target.Name = "Mine";
    target.Assign(*source);
    EXPECT_EQ(target.Name, "Mine");
    EXPECT_EQ(target.Left, 7);
    EXPECT_EQ(target.Lines, QStringList({"a", "b"}));

    TvxMemoView loose(nullptr);
    loose.Name = "Free";
    target.Assign(loose);
    EXPECT_EQ(target.Name, "Free");
}

TEST_F(ModelObjects, FindObjectSearchesAllPagesIgnoringCaseAndTheExcepted) {
    TvxReport report;
    report.Pages->Add();
    TvxView* a = addMemo(report, 0);
    TvxView* b = addMemo(report, 1);
    EXPECT_EQ(FindObject(&report, "MEMO2", nullptr), b);
    EXPECT_EQ(FindObject(&report, "memo1", b), a);
    EXPECT_EQ(FindObject(&report, "memo1", a), nullptr);
    EXPECT_EQ(FindObject(nullptr, "Memo1", nullptr), nullptr);
}

class FakeAddIn : public TvxView {
public:
    explicit FakeAddIn(TvxReport* report) : TvxView(report) {
        ObjectType = otAddIn;
        AssignDefaultName();
    }
    QString ClassName() const override { return QStringLiteral("TvxFakeView"); }
    void Draw(Canvas&) override {}
};

class Registry : public ModelObjects {
protected:
    void SetUp() override {
        ModelObjects::SetUp();
        empty_.emplace();
    }
    void TearDown() override {
        empty_.reset();
        ModelObjects::TearDown();
    }
    std::optional<EmptyAddInRegistryGuard> empty_;
};

TEST_F(Registry, FactoryCreatesBuiltInClassesAndRegisteredAddIns) {
    TvxReport report;
    CurrentReport = &report; // the factory's objects belong to the current report
    ASSERT_TRUE(RegisterAddInObject(
        "TvxFakeView", [](TvxReport* r) { return std::make_unique<FakeAddIn>(r); }, QImage(),
        "Inserisci finto"));
    const char* classes[] = {"TvxMemoView", "TvxPictureView", "TvxBandView", "TvxSubReportView"};
    for (int code = 0; code < 4; ++code) {
        auto view = CreateObject(code, QString());
        ASSERT_TRUE(view);
        EXPECT_EQ(view->ClassName(), classes[code]);
        EXPECT_EQ(view->ObjectType, code);
        EXPECT_EQ(view->Report, &report);
    }
    for (int code : {4, 9, 11, 255})
        EXPECT_EQ(CreateObject(code, QString()), nullptr) << code;
    auto addIn = CreateObject(10, "TvxFakeView");
    ASSERT_TRUE(addIn);
    EXPECT_EQ(addIn->ObjectType, 10);
    EXPECT_EQ(addIn->Name, "Fake1");
    EXPECT_TRUE(messages().empty());
}

TEST_F(Registry, UnknownAddInClassShowsMessageAndAbortsSilently) {
    TvxReport report;
    RegisterAddInObject(
        "TvxFakeView", [](TvxReport* r) { return std::make_unique<FakeAddIn>(r); }, QImage(), "");
    EXPECT_THROW(CreateObject(10, "tvxfakeview"), VxAbort); // case matters
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].caption, "Errore");
    EXPECT_EQ(messages()[0].text,
              QString::fromUtf8("Oggetto non trovato : tvxfakeview.\n\rUn componente avanzato "
                                "presente nel report, \n\rnon è stato inserito nel programma "
                                "che ne fa uso."));
}

TEST_F(Registry, HoldsThirtyTwoRowsAndRefusesMore) {
    auto factory = [](TvxReport* r) { return std::make_unique<FakeAddIn>(r); };
    for (int i = 0; i < kMaxAddInObjects; ++i)
        EXPECT_TRUE(
            RegisterAddInObject(QStringLiteral("TvxC%1View").arg(i), factory, QImage(), ""));
    EXPECT_FALSE(RegisterAddInObject("TvxOneTooManyView", factory, QImage(), ""));
    EXPECT_EQ(AddInObjects().size(), size_t(kMaxAddInObjects));
    EXPECT_EQ(AddInObjects().front().ClassName, "TvxC0View");
    EXPECT_EQ(FindAddInObject("TvxOneTooManyView"), nullptr);
}

TEST_F(Registry, RefusesDuplicatesAndIncompleteRows) {
    auto factory = [](TvxReport* r) { return std::make_unique<FakeAddIn>(r); };
    EXPECT_TRUE(RegisterAddInObject("TvxFakeView", factory, QImage(), "a"));
    EXPECT_FALSE(RegisterAddInObject("TvxFakeView", factory, QImage(), "b"));
    EXPECT_FALSE(RegisterAddInObject("", factory, QImage(), ""));
    EXPECT_FALSE(RegisterAddInObject("TvxNoFactoryView", nullptr, QImage(), ""));
    EXPECT_EQ(AddInObjects().size(), 1u);
}

} // namespace
} // namespace vx::test
