// Barcode objects in prepared reports: one EAN-13 and one Code 128 symbol
// per record of an SQLite table, exported to PDF (and printed on the tests'
// CUPS PDF queue where the run has one), every record's symbols read back
// by zbarimg from its own part of the page; data that a symbology cannot
// encode stops the preparation with the object's message.

#include "prepared_addins_fixture.h"

#include "addins/barcode/codebarre_view.h"
#include "expr/variant.h"
#include "preview/pdf_export.h"
#include "preview/print_pages.h"
#include "tests/preview/cups_printer.h"
#include "tests/support/cups_queue.h"

#include <QCoreApplication>

namespace vx::test {
namespace {

constexpr int kRecords = 14; // two pages of bands 90 pixels high

// The twelve digits of record i and the EAN-13 check digit computed by hand:
// weights 1 and 3 from the left, the digit that completes a multiple of 10.
QString ean12(int i) {
    return QStringLiteral("8001234%1").arg(i, 5, 10, QLatin1Char('0'));
}
QChar eanCheck(const QString& twelve) {
    int sum = 0;
    for (int k = 0; k < 12; ++k)
        sum += twelve[k].digitValue() * (k % 2 ? 3 : 1);
    return QChar('0' + (10 - sum % 10) % 10);
}

class PreparedBarcodes : public PreparedAddIns {
protected:
    // A master data band over codici (id, codice, nome) whose records show
    // "Riga N" at the band's top, an EAN-13 of codice and a Code 128 of nome.
    void buildLabels(int rows) {
        QStringList sql{QStringLiteral(
            "CREATE TABLE codici (id INTEGER, codice VARCHAR(13), nome VARCHAR(20))")};
        for (int i = 1; i <= rows; ++i)
            sql << QStringLiteral("INSERT INTO codici VALUES (%1, '%2', 'Art-%1')")
                       .arg(i)
                       .arg(ean12(i));
        makeDatabase(sql);
        addDataSet(QStringLiteral("vxCodici"), QStringLiteral("codici"));
        addBand(btMasterData, 100, 90, QStringLiteral("vxCodici"));
        addText(10, 100, 100, 18, QStringLiteral("Riga [Dati.codici.id]"));
        ean = add<TvxCodeBarreView>(120, 105, 200, 70, {QStringLiteral("[Dati.codici.codice]")});
        ean->BarModul = 2;
        code128 = add<TvxCodeBarreView>(400, 105, 250, 70, {QStringLiteral("[Dati.codici.nome]")});
        code128->BarType = bcCode128B;
        code128->BarModul = 2;
    }

    // Every record's two symbols decoded from the pages rasterised at 300
    // dpi; `offset` is where the page's origin lies on the image (a
    // printer's margin), in 1/96 inch.
    void expectEveryRecordDecodes(const std::vector<QImage>& images, QPoint offset = {}) {
        ASSERT_EQ(int(images.size()), pageCount());
        QTemporaryDir dir;
        int found = 0;
        const double k = 300.0 / 96.0;
        for (int p = 0; p < pageCount(); ++p) {
            for (const PageText& t : textsAt(p)) {
                if (!t.text.startsWith(QStringLiteral("Riga ")))
                    continue;
                const int i = t.text.mid(5).toInt();
                const QString twelve = ean12(i);
                // The band's part of the page around each symbol, quiet zones included.
                const int top = t.at.y() + offset.y();
                const QRect eanArea(QPoint(int((110 + offset.x()) * k), int(top * k)),
                                    QPoint(int((350 + offset.x()) * k), int((top + 88) * k)));
                const QRect c128Area(QPoint(int((390 + offset.x()) * k), int(top * k)),
                                     QPoint(int((690 + offset.x()) * k), int((top + 88) * k)));
                EXPECT_EQ(zbarRead(images[p].copy(eanArea), dir.filePath(QStringLiteral("e.png"))),
                          twelve + eanCheck(twelve))
                    << "record " << i;
                EXPECT_EQ(zbarRead(images[p].copy(c128Area), dir.filePath(QStringLiteral("c.png"))),
                          QStringLiteral("Art-%1").arg(i))
                    << "record " << i;
                ++found;
            }
        }
        EXPECT_EQ(found, kRecords);
    }

    TvxCodeBarreView* ean = nullptr;
    TvxCodeBarreView* code128 = nullptr;
};

TEST(EanCheckDigit, ComputedByHandMatchesAPublishedNumber) {
    EXPECT_EQ(eanCheck(QStringLiteral("400638133393")), QChar('1'));
}

TEST_F(PreparedBarcodes, EveryRecordsSymbolsDecodeFromTheExportedPdf) {
    if (!haveTool("pdftoppm") || !haveTool("zbarimg"))
        GTEST_SKIP() << "pdftoppm or zbarimg not installed";
    buildLabels(kRecords);
    ASSERT_TRUE(prepare()) << ErrorText.toStdString();
    ASSERT_EQ(pageCount(), 2);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("etichette.pdf"));
    ASSERT_EQ(ExportPdf(*report->PreparedPages, pdf), 2);
    expectEveryRecordDecodes(pdfPageImages(pdf, 300));
}

TEST_F(PreparedBarcodes, EveryRecordsSymbolsDecodeFromThePrintedPages) {
    QString whyNot;
    const auto queue = CupsQueue::fromEnvironment(whyNot);
    if (!queue)
        GTEST_SKIP() << whyNot.toStdString();
    if (!haveTool("pdftoppm") || !haveTool("zbarimg"))
        GTEST_SKIP() << "pdftoppm or zbarimg not installed";
    buildLabels(kRecords);
    ASSERT_TRUE(prepare()) << ErrorText.toStdString();
    auto printer = std::make_unique<CupsPrinterSelected>(*queue);
    ASSERT_TRUE(printer->selected);
    report->Title = QStringLiteral("Etichette %1").arg(QCoreApplication::applicationPid());
    const std::unique_ptr<PrintTarget> target = createPrinterTarget();
    ASSERT_TRUE(RunPrintJob(*report, *target, 1, pageCount(), 1, true));
    printer.reset();
    const std::vector<CupsJob> jobs = queue->waitForJobs(printJobTitle(report->Title), 1);
    ASSERT_EQ(jobs.size(), 1u) << queue->describeJobs();
    ASSERT_EQ(jobs[0].state, QStringLiteral("completed"));
    expectEveryRecordDecodes(pdfPageImages(queue->pdfOf(jobs[0]), 300));
}

// Field values of one record against the barcode type: what the engine
// records as the preparation error (empty: the report prepares).
struct FieldCase {
    const char* name;
    int type;
    const char* sqlValue; // the field's SQL literal; {dec}: the system decimal separator
    QString detail;
};

const FieldCase kFieldCases[] = {
    {"code93_lowercase", bcCode93, "'abc'",
     QStringLiteral("Errore. TBarcode: Code93 dati errati Data <abc>")},
    {"code39_accent", bcCode39, "'CAFFÈ'",
     QStringLiteral("Errore. TBarcode: Code39 dati errati Data <CAFFÈ>")},
    {"ten_thousand_characters", bcCode128B, "printf('%.10000c', 'A')",
     QStringLiteral("Errore. Il codice a barre è troppo lungo (più di 1024 caratteri)")},
    // A number with decimals in the system's own writing ("12,5" under it_IT):
    // it reads as a number, so the symbology itself refuses it.
    {"ean13_decimal", bcCodeEAN13, "'12{dec}5'",
     QStringLiteral("Errore. Il codice a barre deve essere di tipo numerico")},
    // The Part's behaviour: the code of 0, an empty symbol, a leading 0.
    {"ean13_null_field", bcCodeEAN13, "NULL", QString()},
    {"code39_empty", bcCode39, "''", QString()},
    {"interleaved_odd_length", bcCode_2_5_interleaved, "'12345'", QString()},
};

class PreparedBarcodeFields : public PreparedBarcodes,
                              public testing::WithParamInterface<FieldCase> {};

TEST_P(PreparedBarcodeFields, BadDataIsThePreparationsErrorNeverACrash) {
    const FieldCase& c = GetParam();
    makeDatabase({QStringLiteral("CREATE TABLE codici (id INTEGER, codice TEXT)"),
                  QStringLiteral("INSERT INTO codici VALUES (1, %1)")
                      .arg(QString::fromUtf8(c.sqlValue)
                               .replace(QStringLiteral("{dec}"), SystemDecimalSeparator()))});
    addDataSet(QStringLiteral("vxCodici"), QStringLiteral("codici"));
    addBand(btMasterData, 100, 90, QStringLiteral("vxCodici"));
    auto* bars = add<TvxCodeBarreView>(120, 105, 200, 70, {QStringLiteral("[Dati.codici.codice]")});
    bars->BarType = uint8_t(c.type);
    bars->Name = QStringLiteral("CodiceBarre1");
    EXPECT_EQ(prepare(), c.detail.isEmpty()) << ErrorText.toStdString();
    EXPECT_EQ(errorDetail().toStdString(), c.detail.toStdString());
    if (!c.detail.isEmpty()) {
        EXPECT_TRUE(ErrorText.contains(QStringLiteral("Oggetto: CodiceBarre1")))
            << ErrorText.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, PreparedBarcodeFields, testing::ValuesIn(kFieldCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace vx::test
