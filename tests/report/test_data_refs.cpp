// Dataset and field lookups by name, and BindValues.

#include "report/data_refs.h"

#include "dataset_fixture.h"
#include "platform/errors.h"
#include "report/dataset.h"
#include "report/library_state.h"
#include "report/memo_view.h"
#include "report/page.h"
#include "report/pages.h"
#include "report/value_expansion.h"
#include "report/values.h"
#include "report/view.h"
#include "tests/support/fake_canvas.h"

#include <gtest/gtest.h>

using namespace vx;

namespace {

TEST(StripQuotes, RemovesOnlyAPairAtBothEnds) {
    const char* cases[][2] = {
        {"\"abc\"", "abc"}, {"\"", ""},           {"\"\"", ""},         {"\"abc", "\"abc"},
        {"abc\"", "abc\""}, {"a\"b\"", "a\"b\""}, {"\"a\"b\"", "a\"b"}, {"", ""},
    };
    for (const auto& c : cases) {
        QString text = QString::fromUtf8(c[0]);
        StripQuotes(text);
        EXPECT_EQ(text, QString::fromUtf8(c[1])) << c[0];
    }
}

TEST(DataBandForParent, ChoosesTheServingDataBand) {
    const int expected[22] = {5,  5,  5,  5, 5, 5, 5, 8,  8,  8,  11,
                              11, 11, -1, 5, 5, 5, 5, 19, 19, 19, -1};
    for (int t = 0; t < 22; ++t)
        EXPECT_EQ(DataBandForParent(t), expected[t]) << t;
}

class DataRefsTest : public vx::test::DatasetFixture {
protected:
    void SetUp() override {
        DatasetFixture::SetUp();
        module->database().exec(
            QStringLiteral("CREATE TABLE customers (\"Company Name\" TEXT, City TEXT)"));
        module->database().exec(QStringLiteral("INSERT INTO customers VALUES ('Acme', 'Roma')"));
        customers = std::make_unique<SqlDataSet>(form.get());
        customers->setName(QStringLiteral("Customers"));
        customers->setDatabase(&module->database());
        customers->setSql(QStringLiteral("SELECT * FROM customers"));
        customers->open();
        button = std::make_unique<Component>(form.get(), QStringLiteral("Button1"));
    }
    void TearDown() override {
        button.reset();
        customers.reset();
        DatasetFixture::TearDown();
    }
    std::unique_ptr<SqlDataSet> customers;
    std::unique_ptr<Component> button;
};

TEST_F(DataRefsTest, FindComponentByPathAsksTheFirstMatchingFormOrModule) {
    EXPECT_EQ(FindComponentByPath(QStringLiteral("form1.customers")), customers.get());
    EXPECT_EQ(FindComponentByPath(QStringLiteral("Dati.clienti")), &clienti());
    EXPECT_EQ(FindComponentByPath(QStringLiteral("Customers")), nullptr);
    EXPECT_EQ(FindComponentByPath(QStringLiteral("Nessuno.Customers")), nullptr);
    // A data module with a form's name is never asked: forms come first.
    Component shadow(nullptr, QStringLiteral("FORM1"), ComponentKind::DataModule);
    Component onShadow(&shadow, QStringLiteral("Solo"));
    registerModule(&shadow);
    EXPECT_EQ(FindComponentByPath(QStringLiteral("Form1.Solo")), nullptr);
}

TEST_F(DataRefsTest, FindDataSetByNameOrPathOrRecordsTheError) {
    EXPECT_EQ(FindDataSet(QStringLiteral("customers")), customers.get());
    EXPECT_EQ(FindDataSet(QStringLiteral("dati.CLIENTI")), &clienti());
    EXPECT_FALSE(ErrorRaised);
    EXPECT_EQ(FindDataSet(QStringLiteral("Manca")), nullptr);
    ASSERT_TRUE(ErrorRaised);
    EXPECT_TRUE(ErrorText.startsWith(
        QStringLiteral("Si è verificato un errore durante la fase di preparazione")));
    EXPECT_EQ(ErrorText.split(QChar(13)).value(1),
              QStringLiteral("Non è stato trovato il vxDataset: Manca"));
    try {
        FindDataSet(QStringLiteral("Button1"));
        ADD_FAILURE() << "no error";
    } catch (const VxError& e) {
        EXPECT_EQ(e.message(), QString::fromUtf8(kInvalidCastMessage));
    }
}

TEST_F(DataRefsTest, FindDataSetFieldAcceptsEveryForm) {
    clienti().open();
    struct Case {
        const char* name;
        DataSet* dataSetIn;
        DataSet* dataSet;
        const char* field; // nullptr: none
    } cases[] = {
        {"Customers.City", nullptr, customers.get(), "City"},
        {"Customers.\"Company Name\"", nullptr, customers.get(), "Company Name"},
        {"customers.\"Company.Name\"", nullptr, customers.get(), nullptr},
        {"Form1.Customers.City", nullptr, customers.get(), "City"},
        {"Form1.Customers.\"Company Name\"", nullptr, customers.get(), "Company Name"},
        {"Dati.clienti", nullptr, &clienti(), nullptr},
        {"Dati.clienti.nome", nullptr, &clienti(), "nome"},
        {"Dati.manca.nome", nullptr, nullptr, nullptr},
        {"Customers.Manca", nullptr, customers.get(), nullptr},
        {"Nessuno.City", customers.get(), nullptr, nullptr},
        {"Nessuno.x.City", customers.get(), customers.get(),
         nullptr}, // module not found: unchanged
        {"\"Company Name\"", customers.get(), customers.get(), "Company Name"},
        {"City", nullptr, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        DataSet* ds = c.dataSetIn;
        Field* field = reinterpret_cast<Field*>(&ds); // must be reset
        FindDataSetField(QString::fromUtf8(c.name), ds, field);
        EXPECT_EQ(ds, c.dataSet) << c.name;
        if (c.field) {
            ASSERT_NE(field, nullptr) << c.name;
            EXPECT_EQ(field->name(), QString::fromUtf8(c.field)) << c.name;
            EXPECT_EQ(field->dataSet(), ds) << c.name;
        } else {
            EXPECT_EQ(field, nullptr) << c.name;
        }
    }
    EXPECT_FALSE(ErrorRaised) << "lookups record no error";
}

TEST_F(DataRefsTest, FindFieldForNameUsesTheServingDataBandsDataset) {
    clienti().open();
    TvxDBDataSet detail;
    detail.SetDataSet(&clienti());
    TvxUserDataset master;
    const ScopedOverride lookup(pageDataSetLookup(), [&](TvxPage*, int bandType) -> TvxDataset* {
        return bandType == 8   ? static_cast<TvxDataset*>(&detail)
               : bandType == 5 ? &master
                               : nullptr;
    });
    std::unique_ptr<TvxView> view = CreateObject(0, QString());
    ASSERT_NE(view, nullptr);
    CurrentPage = &report->Pages->Pages(0);
    CurrentView = view.get();
    struct Case {
        int parentBandType;
        const char* name;
        DataSet* dataSet;
        const char* field;
    } cases[] = {
        {7, "nome", &clienti(), "nome"},       // detail header: the detail data band
        {9, "\"saldo\"", &clienti(), "saldo"}, // quoted
        {8, "manca", &clienti(), nullptr},
        {3, "nome", nullptr, nullptr},  // master band: a user dataset has no fields
        {13, "nome", nullptr, nullptr}, // no data band serves it
        {7, "Customers.City", customers.get(), "City"},
    };
    for (const Case& c : cases) {
        view->ParentBandType = uint8_t(c.parentBandType);
        DataSet* ds = customers.get();
        Field* field = nullptr;
        FindFieldForName(QString::fromUtf8(c.name), ds, field);
        EXPECT_EQ(ds, c.dataSet) << c.name << " " << c.parentBandType;
        EXPECT_EQ(field ? field->name() : QString(), QString::fromUtf8(c.field ? c.field : ""))
            << c.name;
    }
    CurrentView = nullptr; // without an object nothing is searched
    DataSet* ds = customers.get();
    Field* field = nullptr;
    FindFieldForName(QStringLiteral("nome"), ds, field);
    EXPECT_EQ(ds, nullptr);
}

TEST_F(DataRefsTest, BindValuesBindsFieldsAndFlagsBlobs) {
    clienti().open();
    TvxValues& v = *report->Values;
    auto add = [&](const char* name, uint8_t kind, const char* ds, const char* field) {
        const int i = v.AddValue();
        v.SetName(i, QLatin1String(name));
        v.Items(i)->Kind = kind;
        v.Items(i)->DataSetName = QLatin1String(ds);
        v.Items(i)->FieldName = QLatin1String(field);
        return v.Items(i);
    };
    TvxValue* nome = add("Nome", vkDataField, "Dati.clienti", "NOME");
    TvxValue* special = add("Pag", vkSpecial, "Manca", "x");
    TvxValue* city = add("Citta", vkDataField, "Customers", "City");
    BindValues(report.get());
    EXPECT_FALSE(ErrorRaised) << ErrorText.toStdString();
    ASSERT_NE(nome->BoundField, nullptr);
    EXPECT_EQ(nome->BoundField->name(), QStringLiteral("nome"));
    EXPECT_EQ(nome->BoundDataSet, &clienti());
    EXPECT_EQ(city->BoundDataSet, customers.get());
    EXPECT_EQ(special->BoundDataSet, nullptr);
    EXPECT_FALSE(report->HasBlobValues);

    add("Note", vkDataField, "Dati.clienti", "note");
    BindValues(report.get());
    EXPECT_TRUE(report->HasBlobValues);
}

TEST_F(DataRefsTest, BindValuesSkipsClosedDatasets) {
    TvxValue* v = report->Values->Items(report->Values->AddValue());
    v->Kind = vkDataField;
    v->DataSetName = QStringLiteral("Dati.clienti");
    v->FieldName = QStringLiteral("manca"); // not looked at: the dataset is closed
    BindValues(report.get());
    EXPECT_FALSE(ErrorRaised);
    EXPECT_EQ(v->BoundDataSet, &clienti());
    EXPECT_EQ(v->BoundField, nullptr);
}

TEST_F(DataRefsTest, BindValuesErrorsStopBinding) {
    struct Case {
        const char* dataSet;
        const char* field;
        const char* detail;
    } cases[] = {
        {"Dati.manca", "x", "Non è stato trovato il vxDataset: Dati.manca"},
        {"Dati.clienti", "manca", "Non è stato possibile reperire il campo: clienti.manca"},
    };
    clienti().open();
    for (const Case& c : cases) {
        modelState().reset(); // the error only
        CurrentReport = report.get();
        report->Values->Clear();
        TvxValue* bad = report->Values->Items(report->Values->AddValue());
        bad->Kind = vkDataField;
        bad->DataSetName = QString::fromUtf8(c.dataSet);
        bad->FieldName = QString::fromUtf8(c.field);
        TvxValue* after = report->Values->Items(report->Values->AddValue());
        after->Kind = vkDataField;
        after->DataSetName = QStringLiteral("Customers");
        after->FieldName = QStringLiteral("City");
        BindValues(report.get());
        ASSERT_TRUE(ErrorRaised) << c.detail;
        EXPECT_EQ(ErrorText.split(QChar(13)).value(1), QString::fromUtf8(c.detail));
        EXPECT_EQ(after->BoundDataSet, nullptr) << "binding stopped";
    }
    // With an error pending nothing happens.
    report->Values->Clear();
    TvxValue* v = report->Values->Items(report->Values->AddValue());
    v->Kind = vkDataField;
    v->DataSetName = QStringLiteral("Customers");
    v->FieldName = QStringLiteral("City");
    BindValues(report.get());
    EXPECT_EQ(v->BoundDataSet, nullptr);
}

// Without an engine lookup, plain names look in the dataset the page's band
// object of the serving data band names: a report dataset on the report's
// owner first, then the report's DataSets.
TEST_F(DataRefsTest, FindFieldForNameDefaultsToThePagesBandObjects) {
    clienti().open();
    TvxDBDataSet onOwner(form.get());
    onOwner.SetName(QStringLiteral("vxClienti"));
    onOwner.SetDataSet(&clienti());
    TvxDBDataSet listed;
    listed.SetName(QStringLiteral("vxCustomers"));
    listed.SetDataSet(customers.get());
    report->DataSets.Add(listed.Name(), &listed);
    TvxPage& page = report->Pages->Pages(0);
    auto addBand = [&](int type, const char* dataSet) {
        TvxView* band = page.Add(CreateObject(otBand, QString()));
        band->FrameLines = uint16_t(type);
        band->FormatText = QString::fromUtf8(dataSet);
    };
    addBand(5, "VXCLIENTI");
    addBand(8, "vxCustomers");
    addBand(11, "nessuno");
    std::unique_ptr<TvxView> view = CreateObject(otMemo, QString());
    CurrentPage = &page;
    CurrentView = view.get();
    struct Case {
        int parentBandType;
        const char* name;
        DataSet* dataSet;
        const char* field;
    } cases[] = {
        {3, "nome", &clienti(), "nome"},       // master band: the master data band
        {5, "\"saldo\"", &clienti(), "saldo"}, // quoted
        {7, "City", customers.get(), "City"},  // detail header: the detail data band
        {10, "nome", nullptr, nullptr},        // the sub-detail's name finds nothing
        {18, "nome", nullptr, nullptr},        // no cross data band on the page
    };
    for (const Case& c : cases) {
        view->ParentBandType = uint8_t(c.parentBandType);
        DataSet* ds = nullptr;
        Field* field = nullptr;
        FindFieldForName(QString::fromUtf8(c.name), ds, field);
        EXPECT_EQ(ds, c.dataSet) << c.name << " " << c.parentBandType;
        EXPECT_EQ(field ? field->name() : QString(), QString::fromUtf8(c.field ? c.field : ""))
            << c.name;
    }
    EXPECT_EQ(TemplatePageDataSet(&page, 5), &onOwner);
    EXPECT_EQ(TemplatePageDataSet(&page, 8), &listed);
    EXPECT_EQ(TemplatePageDataSet(nullptr, 5), nullptr);
    // An engine lookup, once installed, answers instead.
    const ScopedOverride lookup(pageDataSetLookup(),
                                [&](TvxPage*, int) -> TvxDataset* { return &listed; });
    view->ParentBandType = 3;
    DataSet* ds = nullptr;
    Field* field = nullptr;
    FindFieldForName(QStringLiteral("City"), ds, field);
    EXPECT_EQ(ds, customers.get());
    report->DataSets.Remove(&listed);
}

// A text object whose only line names a memo or binary field takes the
// field's text while the report has blob bindings: through a bound
// variable, or a plain field name of the serving data band's dataset.
TEST_F(DataRefsTest, TextObjectsFillFromMemoAndBlobFields) {
    module->database().exec(
        QStringLiteral("UPDATE clienti SET note = 'prima riga' || char(13) || char(10) || "
                       "'seconda riga', foto = X'74657374E8' WHERE id = 1"));
    clienti().open();
    TvxDBDataSet master(form.get());
    master.SetName(QStringLiteral("vxClienti"));
    master.SetDataSet(&clienti());
    TvxPage& page = report->Pages->Pages(0);
    TvxView* band = page.Add(CreateObject(otBand, QString()));
    band->FrameLines = 5;
    band->FormatText = QStringLiteral("vxClienti");
    TvxValue* note = report->Values->Items(report->Values->AddValue());
    report->Values->SetName(0, QStringLiteral("Note"));
    note->Kind = vkDataField;
    note->DataSetName = QStringLiteral("Dati.clienti");
    note->FieldName = QStringLiteral("note");
    BindValues(report.get());
    ASSERT_FALSE(ErrorRaised) << ErrorText.toStdString();
    ASSERT_TRUE(report->HasBlobValues);

    const std::unique_ptr<TvxView> created = CreateObject(otMemo, QString());
    auto* memo = static_cast<TvxMemoView*>(created.get());
    memo->ParentBandType = 3;
    CurrentPage = &page;
    CurrentView = memo;
    struct Case {
        const char* line;
        QStringList expected;
    } cases[] = {
        {"[note]", {QStringLiteral("prima riga"), QStringLiteral("seconda riga")}},
        {"[Note]", {QStringLiteral("prima riga"), QStringLiteral("seconda riga")}},
        {"[foto]", {QStringLiteral("test\u00E8")}}, // blob bytes in the Windows code page
        {"[nome]", {QStringLiteral("invariato")}},  // a string field is no blob
        {"[]", {QStringLiteral("invariato")}},
        {"note", {QStringLiteral("invariato")}},
    };
    for (const Case& c : cases) {
        memo->ExpandedLines = {QStringLiteral("invariato")};
        FillFromField(report.get(), {QString::fromUtf8(c.line)}, memo);
        EXPECT_EQ(memo->ExpandedLines, c.expected) << c.line;
    }
    // While preparing, drawing the object fills it from the field.
    memo->Report = report.get();
    memo->Lines = QStringList{QStringLiteral("[foto]")};
    memo->DrawMode = dmDraw;
    PrintMode = true;
    vx::test::FakeCanvas canvas;
    memo->Draw(canvas);
    PrintMode = false;
    EXPECT_EQ(memo->ExpandedLines, QStringList{QStringLiteral("test\u00E8")});
    // Without blob bindings nothing is looked at.
    report->HasBlobValues = false;
    memo->ExpandedLines = {QStringLiteral("invariato")};
    FillFromField(report.get(), {QStringLiteral("[note]")}, memo);
    EXPECT_EQ(memo->ExpandedLines, QStringList{QStringLiteral("invariato")});
}

} // namespace
