#include "app/demo_samples.h"

#include "addins/barcode/codebarre_view.h"
#include "platform/database.h"
#include "platform/errors.h"
#include "report/band_view.h"
#include "report/dataset.h"
#include "report/memo_view.h"
#include "report/page.h"
#include "report/pages.h"
#include "report/report.h"
#include "report/subreport_view.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <memory>

namespace vx {

QStringList splitSqlScript(const QString& script) {
    QStringList statements;
    QString current;
    bool quoted = false;
    for (qsizetype i = 0; i < script.size(); ++i) {
        const QChar c = script.at(i);
        if (!quoted && c == QLatin1Char('-') && script.mid(i, 2) == QLatin1String("--")) {
            const qsizetype end = script.indexOf(QLatin1Char('\n'), i);
            i = end < 0 ? script.size() : end;
            current += QLatin1Char('\n');
            continue;
        }
        if (c == QLatin1Char('\''))
            quoted = !quoted; // a doubled quote toggles twice
        if (!quoted && c == QLatin1Char(';')) {
            if (!current.trimmed().isEmpty())
                statements << current.trimmed();
            current.clear();
            continue;
        }
        current += c;
    }
    if (!current.trimmed().isEmpty())
        statements << current.trimmed();
    return statements;
}

void writeDemoDatabase(const QString& file) {
    const QString temporary = file + QStringLiteral(".tmp");
    QFile::remove(temporary);
    try {
        auto db = Database::open(temporary, Database::OpenMode::CreateIfMissing);
        db->transaction();
        for (const QString& statement : splitSqlScript(demoDatabaseScript()))
            db->exec(statement);
        if (!db->commit())
            throw VxError(QStringLiteral("Impossibile scrivere il database %1").arg(file));
    } catch (...) {
        QFile::remove(temporary);
        throw;
    }
    // rename() replaces the old file in one step.
    if (std::rename(QFile::encodeName(temporary).constData(),
                    QFile::encodeName(file).constData()) != 0) {
        QFile::remove(temporary);
        throw VxError(QStringLiteral("Impossibile scrivere il database %1").arg(file));
    }
}

namespace {

// Places bands and texts on the first page of a template.
class TemplateBuilder {
public:
    TemplateBuilder(TvxReport& report, const DatabaseModule& data) : report_(report), data_(data) {}

    // A report dataset `name` over the demo table, with an optional filter.
    void dataset(const QString& name, const QString& table, const QString& filter = QString()) {
        auto ds = std::make_unique<TvxDBDataSet>();
        ds->SetName(name);
        ds->SetDataSet(data_.table(table));
        ds->Filter = filter;
        ds->Filtered = !filter.isEmpty();
        report_.DataSets.Add(name, std::move(ds));
    }
    TvxBandView& band(int type, int top, int height, const QString& text = QString(),
                      uint16_t flags = 0) {
        auto band = std::make_unique<TvxBandView>(&report_);
        band->SetBandType(type);
        band->Top = top;
        band->Width = 718;
        band->Height = height;
        band->FormatText = text;
        band->Flags = flags;
        return static_cast<TvxBandView&>(*page().Add(std::move(band)));
    }
    // A text object; `lines` separated by "\n".
    TvxMemoView& text(int left, int top, int width, int height, const QString& lines,
                      int points = 10, uint16_t style = 0) {
        auto memo = std::make_unique<TvxMemoView>(&report_);
        memo->Left = left;
        memo->Top = top;
        memo->Width = width;
        memo->Height = height;
        memo->Lines = lines.split(QLatin1Char('\n'));
        memo->Font.Size = points;
        memo->Font.Style = style;
        return static_cast<TvxMemoView&>(*page().Add(std::move(memo)));
    }
    // A right-aligned amount in euro ("1.234,50").
    TvxMemoView& amount(int left, int top, int width, const QString& expression,
                        uint16_t style = 0) {
        TvxMemoView& memo = text(left, top, width, 18, expression, 10, style);
        memo.SetHorzAlign(1);
        memo.FormatCode = kMoneyFormat;
        return memo;
    }
    // Further bands and texts go on `page` (the first page until then).
    void onPage(TvxPage& page) { page_ = &page; }
    TvxPage& page() { return page_ ? *page_ : report_.Pages->Pages(0); }
    TvxReport& report() { return report_; }

    // Number, "1.234,50": category 1, sub-format 3, 2 decimals, ",".
    static constexpr int32_t kMoneyFormat = 0x0103022C;

private:
    TvxReport& report_;
    const DatabaseModule& data_;
    TvxPage* page_ = nullptr;
};

const QString kFirm = QStringLiteral("Torrefazione Aurora S.n.c.");
const QString kFirmAddress =
    QStringLiteral("Via dei Mille 5 - 40121 Bologna - Partita IVA 01234567890");

// The firm's name and address at the top of every page.
void firmHeader(TemplateBuilder& b, int top) {
    b.band(btPageHeader, top, 56);
    b.text(0, top, 500, 24, kFirm, 14, fsBold);
    b.text(0, top + 26, 600, 16, kFirmAddress, 8);
}

// Invoice amount of a row: quantity times price.
const QString kRowAmount = QStringLiteral("[Dati.righe.quantita] * [Dati.righe.prezzo]");

// A field of the invoice's customer.
QString customerField(const char* field) {
    return QStringLiteral("[FINDLOOKUP('clienti', 'id', '%1', [Dati.fatture.cliente])]")
        .arg(QLatin1String(field));
}

// One invoice a page: the invoice's heading and customer, its rows, and the
// taxable amount, VAT and total under them.
void buildInvoice(TvxReport& report, const DatabaseModule& data) {
    TemplateBuilder b(report, data);
    b.dataset(QStringLiteral("vxFatture"), QStringLiteral("fatture"));
    b.dataset(QStringLiteral("vxRighe"), QStringLiteral("righe"),
              QStringLiteral("[fattura] = [Dati.fatture.id]"));
    firmHeader(b, 20);

    // After its rows and totals each invoice but the last ends its page.
    b.band(btMasterData, 100, 130, QStringLiteral("vxFatture"), bfNewPageAfter);
    b.text(0, 110, 300, 22, QStringLiteral("Fattura n. [Dati.fatture.numero]"), 12, fsBold);
    b.text(0, 134, 300, 18, QStringLiteral("del [Dati.fatture.data]"));
    b.text(0, 156, 300, 18, QStringLiteral("Codice cliente: [Dati.fatture.cliente]"), 8);
    b.text(400, 110, 318, 18, QStringLiteral("Spett.le"), 8);
    b.text(400, 128, 318, 20, customerField("nome"), 11, fsBold);
    b.text(400, 150, 318, 18, customerField("indirizzo"));
    b.text(400, 168, 318, 18,
           customerField("cap") + QLatin1Char(' ') + customerField("citta") + QStringLiteral(" (") +
               customerField("provincia") + QLatin1Char(')'));

    TvxBandView& titles = b.band(btDetailHeader, 250, 26);
    Q_UNUSED(titles);
    TvxMemoView& line = b.text(0, 250, 718, 24, QString());
    line.FrameLines = frBottom;
    b.text(0, 252, 380, 18, QStringLiteral("Descrizione"), 10, fsBold);
    b.text(390, 252, 80, 18, QStringLiteral("Quantità"), 10, fsBold).SetHorzAlign(1);
    b.text(480, 252, 110, 18, QStringLiteral("Prezzo"), 10, fsBold).SetHorzAlign(1);
    b.text(600, 252, 118, 18, QStringLiteral("Importo"), 10, fsBold).SetHorzAlign(1);

    b.band(btDetailData, 290, 20, QStringLiteral("vxRighe"));
    b.text(0, 290, 380, 18, QStringLiteral("[Dati.righe.descrizione]"));
    b.text(390, 290, 80, 18, QStringLiteral("[Dati.righe.quantita]")).SetHorzAlign(1);
    b.amount(480, 290, 110, QStringLiteral("[Dati.righe.prezzo]"));
    b.amount(600, 290, 118, QLatin1Char('[') + kRowAmount + QLatin1Char(']'));

    b.band(btDetailFooter, 330, 90);
    const QString sum = QStringLiteral("SUM(%1)").arg(kRowAmount);
    TvxMemoView& rule = b.text(420, 330, 298, 8, QString());
    rule.FrameLines = frBottom;
    b.text(420, 342, 170, 18, QStringLiteral("Imponibile"));
    b.amount(600, 342, 118, QStringLiteral("[%1]").arg(sum));
    b.text(420, 362, 170, 18, QStringLiteral("IVA 22%"));
    b.amount(600, 362, 118, QStringLiteral("[%1 * 0.22]").arg(sum));
    b.text(420, 384, 170, 18, QStringLiteral("Totale fattura"), 10, fsBold);
    b.amount(600, 384, 118, QStringLiteral("[%1 * 1.22]").arg(sum), fsBold);

    b.band(btPageFooter, 460, 24);
    b.text(0, 462, 718, 18, QStringLiteral("Pagina [PAGE#]"), 8).SetHorzAlign(2);
}

// The customers province by province: a heading per province, the count
// and the credit total under each, the grand totals at the end.
void buildCustomerList(TvxReport& report, const DatabaseModule& data) {
    report.TwoPass = true; // "di [TOTALPAGES]"
    TemplateBuilder b(report, data);
    b.dataset(QStringLiteral("vxClienti"), QStringLiteral("clienti"));

    b.band(btReportTitle, 20, 40);
    b.text(0, 20, 718, 30, QStringLiteral("Elenco clienti per provincia"), 16, fsBold);

    b.band(btPageHeader, 70, 26);
    TvxMemoView& line = b.text(0, 70, 718, 24, QString());
    line.FrameLines = frBottom;
    b.text(0, 72, 80, 18, QStringLiteral("Codice"), 10, fsBold);
    b.text(90, 72, 280, 18, QStringLiteral("Nome"), 10, fsBold);
    b.text(380, 72, 200, 18, QStringLiteral("Città"), 10, fsBold);
    b.text(590, 72, 128, 18, QStringLiteral("Fido"), 10, fsBold).SetHorzAlign(1);

    b.band(btGroupHeader, 110, 28, QStringLiteral("[Dati.clienti.provincia]"));
    b.text(0, 116, 400, 20, QStringLiteral("Provincia di [Dati.clienti.provincia]"), 11, fsBold);

    b.band(btMasterData, 150, 20, QStringLiteral("vxClienti"));
    b.text(0, 150, 80, 18, QStringLiteral("[Dati.clienti.codice]"));
    b.text(90, 150, 280, 18, QStringLiteral("[Dati.clienti.nome]"));
    b.text(380, 150, 200, 18, QStringLiteral("[Dati.clienti.citta]"));
    b.amount(590, 150, 128, QStringLiteral("[Dati.clienti.fido]"));

    b.band(btGroupFooter, 190, 30);
    b.text(90, 192, 280, 18, QStringLiteral("Clienti della provincia: [COUNT()]"), 9, fsItalic);
    b.amount(590, 192, 128, QStringLiteral("[SUM([Dati.clienti.fido])]"), fsItalic);

    b.band(btReportSummary, 240, 40);
    TvxMemoView& rule = b.text(0, 240, 718, 8, QString());
    rule.FrameLines = frBottom;
    b.text(90, 252, 280, 18, QStringLiteral("Totale clienti: [COUNT()]"), 10, fsBold);
    b.amount(590, 252, 128, QStringLiteral("[SUM([Dati.clienti.fido])]"), fsBold);

    b.band(btPageFooter, 300, 24);
    b.text(0, 302, 718, 18, QStringLiteral("Pagina [PAGE#] di [TOTALPAGES]"), 8).SetHorzAlign(2);
}

// Address labels three abreast: name, street, postcode, town and province.
void buildLabels(TvxReport& report, const DatabaseModule& data) {
    TemplateBuilder b(report, data);
    b.dataset(QStringLiteral("vxClienti"), QStringLiteral("clienti"));
    b.page().ColumnCount = 3;
    b.page().ColumnGap = 12;
    b.band(btMasterData, 40, 110, QStringLiteral("vxClienti"));
    TvxMemoView& label =
        b.text(0, 46, 228, 96,
               QStringLiteral("[Dati.clienti.nome]\n[Dati.clienti.indirizzo]\n"
                              "[Dati.clienti.cap] [Dati.clienti.citta] ([Dati.clienti.provincia])"),
               11);
    label.Flags = mfWordWrap;
    label.FrameLines = frAll;
    label.FrameColor = Color(0xC0C0C0);
    label.SetVertAlign(1);
}

// A letter to every customer with the customer's code as a Code 128 barcode.
void buildLetter(TvxReport& report, const DatabaseModule& data) {
    TemplateBuilder b(report, data);
    b.dataset(QStringLiteral("vxClienti"), QStringLiteral("clienti"));
    b.band(btMasterData, 20, 900, QStringLiteral("vxClienti"), bfNewPageAfter);
    b.text(0, 20, 500, 24, kFirm, 14, fsBold);
    b.text(0, 46, 600, 16, kFirmAddress, 8);
    b.text(420, 130, 298, 60,
           QStringLiteral("[Dati.clienti.nome]\n[Dati.clienti.indirizzo]\n"
                          "[Dati.clienti.cap] [Dati.clienti.citta] ([Dati.clienti.provincia])"),
           11);
    b.text(0, 240, 718, 20, QStringLiteral("Oggetto: la Sua nuova tessera cliente"), 11, fsBold);
    TvxMemoView& body = b.text(
        0, 280, 718, 200,
        QStringLiteral(
            "Gentile cliente,\n"
            "siamo lieti di inviarLe la tessera con il Suo codice cliente [Dati.clienti.codice]. "
            "Il codice a barre qui sotto lo riporta: basta mostrarlo alla cassa perché ogni "
            "acquisto sia registrato a Suo nome.\n\nCon i migliori saluti."),
        11);
    body.Flags = mfWordWrap;

    auto bars = std::make_unique<TvxCodeBarreView>(&report);
    bars->Left = 0;
    bars->Top = 500;
    bars->Width = 240;
    bars->Height = 80;
    bars->BarType = bcCode128B;
    bars->BarModul = 2;
    bars->Lines = {QStringLiteral("[Dati.clienti.codice]")};
    b.page().Add(std::move(bars));
    b.text(0, 620, 300, 20, QStringLiteral("La direzione"), 11, fsItalic);
}

// Sales by region and quarter as a cross table: a row per region, a column
// per quarter, the region's total at the end of its row, the quarters'
// totals and the grand total under the table.
void buildQuarterlySales(TvxReport& report, const DatabaseModule& data) {
    TemplateBuilder b(report, data);
    b.dataset(QStringLiteral("vxRegioni"), QStringLiteral("regioni"));
    b.dataset(QStringLiteral("vxVendite"), QStringLiteral("vendite"),
              QStringLiteral("[regione] = [Dati.regioni.nome]"));
    constexpr int kRegion = 160, kQuarter = 110, kTotal = 130;
    // The columns: region names, one column per quarter, the row total.
    TvxBandView& names = b.band(btCrossHeader, 0, 1000);
    names.Left = 0;
    names.Width = kRegion;
    TvxBandView& quarters = b.band(btCrossData, 0, 1000, QStringLiteral("vxVendite"));
    quarters.Left = kRegion;
    quarters.Width = kQuarter;
    TvxBandView& totals = b.band(btCrossFooter, 0, 1000);
    totals.Left = kRegion + kQuarter;
    totals.Width = kTotal;
    const int cells = kRegion, total = kRegion + kQuarter;

    b.band(btReportTitle, 20, 44);
    b.text(0, 20, kRegion - 4, 30, QStringLiteral("Vendite 2025"), 16, fsBold);

    b.band(btMasterHeader, 70, 26);
    b.text(0, 72, kRegion - 4, 18, QStringLiteral("Regione"), 10, fsBold);
    b.text(cells, 72, kQuarter - 4, 18, QStringLiteral("[Dati.vendite.trimestre]"), 10, fsBold)
        .SetHorzAlign(1);
    b.text(total, 72, kTotal - 4, 18, QStringLiteral("Totale"), 10, fsBold).SetHorzAlign(1);

    b.band(btMasterData, 110, 22, QStringLiteral("vxRegioni"));
    b.text(0, 112, kRegion - 4, 18, QStringLiteral("[Dati.regioni.nome]"));
    b.amount(cells, 112, kQuarter - 4, QStringLiteral("[Dati.vendite.importo]"));
    b.amount(total, 112, kTotal - 4, QStringLiteral("[SUM([Dati.vendite.importo])]"), fsBold);

    b.band(btReportSummary, 150, 30);
    b.text(0, 156, kRegion - 4, 18, QStringLiteral("Totale"), 10, fsBold);
    b.amount(cells, 156, kQuarter - 4, QStringLiteral("[SUM([Dati.vendite.importo])]"), fsBold);
    b.amount(total, 156, kTotal - 4, QStringLiteral("[SUM([Dati.vendite.importo])]"), fsBold);
}

// The invoice book: a line per invoice, its rows listed beside it by a
// sub-report (the second template page, filtered on the invoice), with the
// invoice's total under them.
void buildInvoiceBook(TvxReport& report, const DatabaseModule& data) {
    TemplateBuilder b(report, data);
    b.dataset(QStringLiteral("vxFatture"), QStringLiteral("fatture"));
    b.dataset(QStringLiteral("vxRighe"), QStringLiteral("righe"),
              QStringLiteral("[fattura] = [Dati.fatture.id]"));
    firmHeader(b, 20);
    b.band(btReportTitle, 90, 40);
    b.text(0, 94, 718, 26, QStringLiteral("Libro delle fatture"), 14, fsBold);
    b.band(btMasterData, 140, 30, QStringLiteral("vxFatture"));
    b.text(0, 144, 110, 18, QStringLiteral("[Dati.fatture.numero]"), 10, fsBold);
    b.text(0, 162, 110, 18, QStringLiteral("[Dati.fatture.data]"), 8);
    auto rows = std::make_unique<TvxSubReportView>(&report);
    rows->Left = 120;
    rows->Top = 144;
    rows->Width = 598;
    rows->Height = 20;
    rows->SubPage = 1;
    b.page().Add(std::move(rows));
    b.band(btReportSummary, 190, 30);
    b.text(0, 196, 400, 18, QStringLiteral("Fatture nel libro: [COUNT()]"), 10, fsBold);

    // The rows of one invoice, with its taxable amount.
    TvxPage& sub = report.Pages->Add();
    b.onPage(sub);
    b.band(btMasterData, 100, 20, QStringLiteral("vxRighe"));
    b.text(0, 100, 320, 18, QStringLiteral("[Dati.righe.descrizione]"));
    b.text(330, 100, 60, 18, QStringLiteral("[Dati.righe.quantita]")).SetHorzAlign(1);
    b.amount(400, 100, 90, QStringLiteral("[Dati.righe.prezzo]"));
    b.amount(500, 100, 98, QLatin1Char('[') + kRowAmount + QLatin1Char(']'));
    b.band(btMasterFooter, 140, 26);
    b.text(330, 142, 160, 18, QStringLiteral("Imponibile"), 10, fsItalic);
    b.amount(500, 142, 98, QStringLiteral("[SUM(%1)]").arg(kRowAmount), fsBold);
}

} // namespace

const std::vector<SampleTemplate>& sampleTemplates() {
    static const std::vector<SampleTemplate> samples{
        {QStringLiteral("fattura.vxf"), buildInvoice},
        {QStringLiteral("clienti.vxf"), buildCustomerList},
        {QStringLiteral("etichette.vxf"), buildLabels},
        {QStringLiteral("lettera.vxf"), buildLetter},
        {QStringLiteral("vendite.vxf"), buildQuarterlySales},
        {QStringLiteral("libro_fatture.vxf"), buildInvoiceBook},
    };
    return samples;
}

QStringList writeSamples(const QString& dir) {
    if (!QDir().mkpath(dir))
        throw VxError(QStringLiteral("Impossibile creare la cartella %1").arg(dir));
    const QString database = QDir(dir).filePath(QStringLiteral("demo.sqlite"));
    writeDemoDatabase(database);
    QStringList written{database};
    const auto data = registerDatabaseModule(database, QStringLiteral("Dati"));
    for (const SampleTemplate& sample : sampleTemplates()) {
        TvxReport report;
        sample.build(report, *data);
        const QString file = QDir(dir).filePath(sample.fileName);
        report.SaveToFile(file);
        report.ClearDataSets();
        written << file;
    }
    return written;
}

} // namespace vx
