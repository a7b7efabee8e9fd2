// The "Data" properties of component streaming: the report's variable lines
// and the bindings' values block.

#include "report/component_data.h"

#include "report/library_state.h"
#include "report/report.h"
#include "report/values.h"

#include <gtest/gtest.h>

using namespace vx;

namespace {

class ComponentData : public testing::Test {
protected:
    void SetUp() override { resetLibraryState(); }
    void TearDown() override { resetLibraryState(); }
};

TEST_F(ComponentData, ReportPropertyIsWrittenOnlyWithVariables) {
    TvxReport report;
    report.Variables.clear();
    EXPECT_FALSE(WriteReportDataProperty(report).has_value());
    report.Variables = {QStringLiteral("Clienti"), QStringLiteral(" Totale€")};
    const std::optional<QByteArray> data = WriteReportDataProperty(report);
    ASSERT_TRUE(data.has_value());
    // i32 count, then one length byte and the Windows-1252 bytes per line.
    EXPECT_EQ(data->toHex(), QByteArray("02000000"
                                        "07436c69656e7469"
                                        "0820546f74616c6580"));
    TvxReport back;
    back.Variables = {QStringLiteral("vecchia")};
    ASSERT_TRUE(ReadReportDataProperty(back, *data));
    EXPECT_EQ(back.Variables, report.Variables);
}

TEST_F(ComponentData, ReportPropertyCutsLongLinesAndRefusesDamage) {
    TvxReport report;
    report.Variables = {QString(300, QLatin1Char('x')), QString()};
    TvxReport back;
    ASSERT_TRUE(ReadReportDataProperty(back, *WriteReportDataProperty(report)));
    EXPECT_EQ(back.Variables, QStringList({QString(255, QLatin1Char('x')), QString()}));

    const QByteArray damaged[] = {
        QByteArray(),
        QByteArray::fromHex("ffffffff"),           // negative count
        QByteArray::fromHex("ffffff7f0141"),       // count beyond the bytes
        QByteArray::fromHex("020000000141054142"), // second line cut short
    };
    for (const QByteArray& bytes : damaged) {
        back.Variables = {QStringLiteral("resta")};
        EXPECT_FALSE(ReadReportDataProperty(back, bytes)) << bytes.toHex().constData();
        EXPECT_EQ(back.Variables, QStringList{QStringLiteral("resta")});
    }
    back.Variables = {QStringLiteral("via")};
    EXPECT_TRUE(ReadReportDataProperty(back, QByteArray::fromHex("00000000")));
    EXPECT_TRUE(back.Variables.isEmpty());
}

TEST_F(ComponentData, ValuesPropertyIsTheValuesBlock) {
    TvxValues values;
    EXPECT_FALSE(WriteValuesDataProperty(values).has_value());
    const int i = values.AddValue();
    values.SetName(i, QStringLiteral("Nome"));
    values.Items(i)->Kind = vkDataField;
    values.Items(i)->DataSetName = QStringLiteral("Dati.clienti");
    values.Items(i)->FieldName = QStringLiteral("nome");
    const int j = values.AddValue();
    values.SetName(j, QStringLiteral("Pagina"));
    values.Items(j)->Kind = vkSpecial;
    values.Items(j)->SpecialCode = svPageNo;
    const std::optional<QByteArray> data = WriteValuesDataProperty(values);
    ASSERT_TRUE(data.has_value());
    EXPECT_EQ(data->left(10).toHex(), QByteArray("02000000"
                                                 "01"
                                                 "00000000"
                                                 "0c"));

    TvxValues back;
    back.SetName(back.AddValue(), QStringLiteral("vecchia"));
    ASSERT_TRUE(ReadValuesDataProperty(back, *data));
    ASSERT_EQ(back.Count(), 2);
    EXPECT_EQ(back.Names(0), QStringLiteral("Nome"));
    EXPECT_EQ(back.Items(0)->DataSetName, QStringLiteral("Dati.clienti"));
    EXPECT_EQ(back.Items(1)->Kind, vkSpecial);
    EXPECT_EQ(back.Items(1)->SpecialCode, svPageNo);

    // A damaged block leaves the bindings as they were.
    EXPECT_FALSE(ReadValuesDataProperty(back, data->left(data->size() - 1)));
    EXPECT_EQ(back.Count(), 2);
    EXPECT_EQ(back.Names(1), QStringLiteral("Pagina"));
}

} // namespace
