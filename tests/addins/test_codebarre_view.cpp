// The barcode report object: its record, defaults, registry row, and what
// it draws while preparing and designing.
#include "barcode_fixture.h"

#include "platform/errors.h"
#include "report/addin_registry.h"
#include "report/page.h"
#include "report/pages.h"
#include "report/printer_settings.h"
#include "report/report.h"
#include "report/view.h"
#include "tests/support/fake_canvas.h"

namespace vx::test {
namespace {

using CodeBarreView = BarcodeTest;

TEST_F(CodeBarreView, NewObjectDefaults) {
    TvxCodeBarreView v(nullptr);
    EXPECT_EQ(v.ObjectType, otAddIn);
    EXPECT_EQ(v.Name, QStringLiteral("CodeBarre1"));
    EXPECT_EQ(v.Lines, QStringList{QStringLiteral("0")});
    EXPECT_EQ(v.FormatText, QStringLiteral("00000000000"));
    EXPECT_EQ(v.BarChecksum, 1);
    EXPECT_EQ(v.BarShowText, 1);
    EXPECT_EQ(v.BarShowCheckText, 0);
    EXPECT_EQ(v.BarType, bcCodeEAN13);
    EXPECT_EQ(v.BarModul, 1);
    EXPECT_EQ(v.BarRatio, 1.0);
    EXPECT_EQ(v.BarWidth, 0);
}

TEST_F(CodeBarreView, RecordIs25BytesAfterTheCommonPartAndRoundTrips) {
    TvxCodeBarreView a(nullptr);
    a.BarChecksum = 0;
    a.BarShowCheckText = 1;
    a.BarType = bcCode128B;
    a.BarModul = 3;
    a.BarRatio = 2.5;
    QByteArray common, whole;
    {
        ByteWriter w(&common);
        a.TvxView::SaveToStream(w);
    }
    {
        ByteWriter w(&whole);
        a.SaveToStream(w);
    }
    ASSERT_EQ(whole.size() - common.size(), 25);
    // checksum, show text, show check, reserved, type, module (i32), ratio (f64), 2 x i32
    EXPECT_EQ(whole.mid(common.size(), 9).toHex(), QByteArray("000101000603000000"));
    TvxCodeBarreView b(nullptr);
    ByteReader r(whole);
    b.LoadFromStream(r);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.remaining(), 0u);
    EXPECT_EQ(b.BarChecksum, 0);
    EXPECT_EQ(b.BarShowCheckText, 1);
    EXPECT_EQ(b.BarType, bcCode128B);
    EXPECT_EQ(b.BarModul, 3);
    EXPECT_EQ(b.BarRatio, 2.5);
    TvxCodeBarreView c(nullptr);
    c.Assign(b);
    EXPECT_EQ(c.BarType, bcCode128B);
    EXPECT_EQ(c.BarRatio, 2.5);
}

TEST_F(CodeBarreView, RegisteredWithItsHintAndMadeByTheFactory) {
    const EmptyAddInRegistryGuard empty;
    RegisterBarcodeAddIn();
    RegisterBarcodeAddIn(); // a second call adds nothing
    ASSERT_EQ(AddInObjects().size(), 1u);
    EXPECT_EQ(AddInObjects()[0].ButtonHint, QStringLiteral("Inserisci codice a barre"));
    const std::unique_ptr<TvxView> v = CreateObject(otAddIn, QStringLiteral("TvxCodeBarreView"));
    ASSERT_NE(dynamic_cast<TvxCodeBarreView*>(v.get()), nullptr);
    EXPECT_EQ(v->ObjectType, otAddIn);
}

TEST_F(CodeBarreView, TemplateWithABarcodeLoadsBack) {
    const EmptyAddInRegistryGuard empty;
    RegisterBarcodeAddIn();
    auto savedPrinter = ReplacePrinterSettings(std::make_unique<TPrinterSettings>(nullptr));
    {
        TvxReport report;
        auto v = std::make_unique<TvxCodeBarreView>(&report);
        v->BarType = bcCodeUPC_E1;
        v->BarShowText = 0;
        v->Lines = QStringList{QStringLiteral("[Articoli.Codice]")};
        report.Pages->Pages(0).Objects.push_back(std::move(v));
        const QByteArray bytes = report.SaveToBytes();
        TvxReport loaded;
        loaded.LoadFromBytes(bytes);
        ASSERT_EQ(loaded.Pages->Pages(0).Objects.size(), 1u);
        const auto* b =
            dynamic_cast<const TvxCodeBarreView*>(loaded.Pages->Pages(0).Objects[0].get());
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->ObjectType, otAddIn);
        EXPECT_EQ(b->Name, QStringLiteral("CodeBarre1"));
        EXPECT_EQ(b->BarType, bcCodeUPC_E1);
        EXPECT_EQ(b->BarShowText, 0);
        EXPECT_EQ(b->Lines, QStringList{QStringLiteral("[Articoli.Codice]")});
    }
    ReplacePrinterSettings(std::move(savedPrinter));
}

TEST_F(CodeBarreView, SizesItselfToTheBarsAndSpreadsTheText) {
    auto v = makeView(bcCodeEAN13, 2);
    code = Variant(QStringLiteral("400638133393"));
    FakeCanvas canvas;
    v->Draw(canvas);
    EXPECT_EQ(v->BarWidth, 190); // 95 modules of 2 pixels
    EXPECT_EQ(v->Width, 190);
    // Checksum on, check digit hidden: 12 characters, one text call each,
    // spread over the bars (fake font: 7 pixels a character).
    QStringList texts = canvas.calls.filter(QStringLiteral("text "));
    ASSERT_EQ(texts.size(), 12);
    EXPECT_TRUE(texts.first().startsWith(QStringLiteral("text 21,")));
    // spacing (190 - 84 - 1) / 11 = 9.545...; the last at 11 x 7 + 11 x 9.545 + 20 = 202 (+1)
    EXPECT_TRUE(texts.last().startsWith(QStringLiteral("text 203,"))) << texts.last().toStdString();
    EXPECT_TRUE(texts.last().contains(QStringLiteral("\"3\"")));
}

struct DataCase {
    const char* name;
    int type;
    Variant value;
    const char* printed; // the text under the bars, or the error message
    bool error;
};

const DataCase kDataCases[] = {
    // Data that does not read as a number prints the code of 0.
    {"ean13_letters_print_zero", bcCodeEAN13, Variant(QStringLiteral("abc")), "000000000000",
     false},
    {"ean13_null_prints_zero", bcCodeEAN13, Variant::null(), "000000000000", false},
    {"ean13_integer_field", bcCodeEAN13, Variant(int64_t(400638133393)), "400638133393", false},
    // A number with other characters than digits is refused.
    {"ean13_decimal", bcCodeEAN13, Variant(12.5), "Il codice a barre deve essere di tipo numerico",
     true},
    {"i2of5_too_long_for_a_double", bcCode_2_5_interleaved, Variant(QString(400, QLatin1Char('9'))),
     nullptr, false},
    {"code39_text", bcCode39, Variant(QStringLiteral("ABC-1")), "ABC-1", false},
    {"code93_lowercase", bcCode93, Variant(QStringLiteral("abc")),
     "TBarcode: Code93 dati errati Data <abc>", true},
};

class CodeBarreData : public BarcodeTest, public testing::WithParamInterface<DataCase> {};

TEST_P(CodeBarreData, PrintedTextOrError) {
    const DataCase& c = GetParam();
    auto v = makeView(c.type);
    v->BarShowCheckText = 0;
    code = c.value;
    FakeCanvas canvas;
    try {
        v->Draw(canvas);
        ASSERT_FALSE(c.error) << "no error";
    } catch (const VxError& e) {
        ASSERT_TRUE(c.error) << e.message().toStdString();
        EXPECT_EQ(e.message(), QString::fromUtf8(c.printed));
        return;
    }
    QString printed;
    for (const QString& call : canvas.calls.filter(QStringLiteral("text ")))
        printed += call.section(QLatin1Char('"'), 1, 1);
    if (c.printed)
        EXPECT_EQ(printed, QString::fromUtf8(c.printed));
    else
        EXPECT_EQ(printed, c.value.toString());
}

INSTANTIATE_TEST_SUITE_P(Cases, CodeBarreData, testing::ValuesIn(kDataCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CodeBarreView, DesigningShowsTheExpressionClipped) {
    PrintMode = false;
    auto v = makeView(bcCodeEAN13);
    v->Visible = 0;
    FakeCanvas canvas;
    v->Draw(canvas);
    // The bars of "00000000" (EAN 13 of 0000000000000), the expression in the strip.
    EXPECT_EQ(v->BarWidth, 95);
    const QStringList texts = canvas.calls.filter(QStringLiteral("text "));
    ASSERT_EQ(texts.size(), 1);
    EXPECT_TRUE(texts[0].contains(QStringLiteral("\"Codice\" opt=4")));
    // The invisible object is crossed out in red.
    EXPECT_GE(canvas.calls.filter(QStringLiteral("lineTo")).size(), 2);
}

TEST_F(CodeBarreView, HiddenObjectDrawsNothingWhilePreparing) {
    auto v = makeView(bcCodeEAN13);
    v->Visible = 0;
    FakeCanvas canvas;
    v->Draw(canvas);
    EXPECT_TRUE(canvas.calls.isEmpty());
}

} // namespace
} // namespace vx::test
