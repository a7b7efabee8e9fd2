// vxtool prepare, run as a separate program over templates written here
// through the report model and SQLite databases made by the test; the
// results read back with vxtool info and text.

#include "platform/component.h"
#include "platform/database.h"
#include "report/band_view.h"
#include "report/dataset.h"
#include "report/memo_view.h"
#include "report/report.h"
#include "report/subreport_view.h"
#include "tests/app/vxtool_fixture.h"

#include <QFile>
#include <QTemporaryDir>

#include <memory>

namespace vx::test {
namespace {

class VxtoolPrepare : public VxtoolTest {
protected:
    // A table righe (id, nome, importo) of `rows` rows.
    QString makeDatabase(int rows) {
        const QString file = path("dati.sqlite");
        QFile::remove(file);
        auto db = Database::open(file, Database::OpenMode::CreateIfMissing);
        db->exec(
            QStringLiteral("CREATE TABLE righe (id INTEGER, nome VARCHAR(30), importo MONEY)"));
        std::vector<std::vector<QVariant>> values;
        for (int i = 1; i <= rows; ++i)
            values.push_back({i, QStringLiteral("Riga %1").arg(i), i * 1.5});
        db->transaction();
        db->execBatch(QStringLiteral("INSERT INTO righe VALUES (?, ?, ?)"), values);
        db->commit();
        return file;
    }

    // A list over Dati.righe: title, page header "Pagina N di T", data band
    // with `dataText`, summary with the total. Extra template pages when
    // `pages` > 1.
    QString writeList(const QString& dataText, int pages = 1, bool twoPass = true) {
        Component dati(nullptr, QStringLiteral("Dati"), ComponentKind::DataModule);
        TableDataSet table(&dati);
        table.setName(QStringLiteral("righe"));
        auto righe = std::make_unique<TvxDBDataSet>(nullptr);
        righe->SetName(QStringLiteral("vxRighe"));
        righe->SetDataSet(&table);
        TvxReport report;
        report.TwoPass = twoPass;
        const QString name = righe->Name();
        report.DataSets.Add(name, std::move(righe));
        TvxPage& p = report.Pages->Pages(0);
        addBand(report, p, btReportTitle, 40, 30, QString());
        addText(report, p, 40, QStringLiteral("[titolo]"));
        addBand(report, p, btPageHeader, 80, 30, QString());
        addText(report, p, 80, QStringLiteral("Pagina [PAGE#] di [TOTALPAGES]"));
        addBand(report, p, btMasterData, 150, 20, QStringLiteral("vxRighe"));
        addText(report, p, 150, dataText);
        addBand(report, p, btReportSummary, 200, 20, QString());
        addText(report, p, 200, QStringLiteral("Totale [SUM([Dati.righe.importo])]"));
        while (report.Pages->Count() < pages)
            report.Pages->Add();
        const QString file = path("lista.vxf");
        report.SaveToFile(file);
        report.ClearDataSets();
        return file;
    }
    static void addBand(TvxReport& report, TvxPage& p, int type, int top, int height,
                        const QString& dataset) {
        auto band = std::make_unique<TvxBandView>(&report);
        band->SetBandType(type);
        band->Top = top;
        band->Width = 700;
        band->Height = height;
        band->FormatText = dataset;
        p.Add(std::move(band));
    }
    static void addText(TvxReport& report, TvxPage& p, int top, const QString& text) {
        auto memo = std::make_unique<TvxMemoView>(&report);
        memo->Left = 40;
        memo->Top = top;
        memo->Width = 400;
        memo->Height = 18;
        memo->Lines = {text};
        p.Add(std::move(memo));
    }
    QStringList textLines(const QString& vxp) {
        const VxtoolResult r = runVxtool({"text", vxp});
        EXPECT_EQ(r.exitCode, 0) << s(r.err);
        return r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
};

TEST_F(VxtoolPrepare, PreparesTheListAndWritesItsPdf) {
    const QString db = makeDatabase(120);
    const QString t = writeList(QStringLiteral("[Dati.righe.nome]"));
    const QString out = path("lista.vxp");
    const QString pdf = path("lista.pdf");
    const VxtoolResult r =
        runVxtool({"prepare", t, "--db", db, "--var", "titolo='Elenco'", "-o", out, "--pdf", pdf});
    ASSERT_EQ(r.exitCode, 0) << s(r.err);
    const VxtoolResult info = runVxtool({"info", out});
    ASSERT_EQ(info.exitCode, 0);
    const QString pagesLine = info.out.section(QLatin1Char('\n'), 0, 0);
    const int pages = pagesLine.mid(7).toInt();
    ASSERT_GE(pages, 3) << s(pagesLine);
    const QStringList lines = textLines(out);
    EXPECT_EQ(lines.value(0), QStringLiteral("1\tElenco"));
    EXPECT_EQ(lines.value(1), QStringLiteral("1\tPagina 1 di %1").arg(pages));
    EXPECT_TRUE(lines.contains(QStringLiteral("%1\tPagina %1 di %1").arg(pages)));
    EXPECT_TRUE(lines.contains(QStringLiteral("1\tRiga 1")));
    EXPECT_TRUE(lines.last().startsWith(QStringLiteral("%1\tTotale ").arg(pages)));
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5).startsWith("%PDF"));
}

TEST_F(VxtoolPrepare, NoRowsGiveOnePage) {
    const QString db = makeDatabase(0);
    const QString out = path("vuoto.vxp");
    const VxtoolResult r = runVxtool({"prepare", writeList(QStringLiteral("[Dati.righe.nome]")),
                                      "--db", db, "--var", "titolo='x'", "-o", out});
    ASSERT_EQ(r.exitCode, 0) << s(r.err);
    EXPECT_EQ(textLines(out), (QStringList{"1\tx", "1\tPagina 1 di 1", "1\tTotale 0"}));
}

TEST_F(VxtoolPrepare, FailuresExitWithTheErrorAndWriteNothing) {
    const QString db = makeDatabase(5);
    struct Case {
        const char* text;
        int pages;
        const char* detail;
    };
    const Case cases[] = {
        {"[Dati.righe.manca]", 1, "Errore. Identificatore sconosciuto: Dati.righe.manca"},
        {"[1 DIV ([Dati.righe.id] - 3)]", 1,
         "Errore. Tipo di dati incompatibili nell'espressione: 1 DIV ([Dati.righe.id] - 3)"},
        {"[Dati.righe.nome]", 1001,
         "Il report ha 1001 pagine modello: se ne possono preparare al massimo 1000."},
    };
    const QString out = path("errore.vxp");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        QFile::remove(out);
        const VxtoolResult r =
            runVxtool({"prepare", writeList(QString::fromUtf8(c.text), c.pages), "--db", db,
                       "--var", "titolo=1", "-o", out, "--pdf", path("errore.pdf")});
        EXPECT_EQ(r.exitCode, 1);
        const QStringList err = r.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        EXPECT_EQ(err.value(0),
                  QStringLiteral("Si è verificato un errore durante la fase di preparazione"));
        EXPECT_EQ(err.value(1), QString::fromUtf8(c.detail));
        EXPECT_FALSE(QFile::exists(out));
        EXPECT_FALSE(QFile::exists(path("errore.pdf")));
    }
}

// A cross table of the rows by two months, then a sub-report listing the
// notes in the summary.
TEST_F(VxtoolPrepare, PreparesCrossTablesAndSubReports) {
    const QString db = makeDatabase(2);
    {
        auto d = Database::open(db, Database::OpenMode::Existing);
        d->exec(QStringLiteral("CREATE TABLE mesi (id INTEGER, nome VARCHAR(10))"));
        d->exec(QStringLiteral("INSERT INTO mesi VALUES (1, 'gen'), (2, 'feb')"));
        d->exec(QStringLiteral("CREATE TABLE note (id INTEGER, testo VARCHAR(10))"));
        d->exec(QStringLiteral("INSERT INTO note VALUES (1, 'Nota 1'), (2, 'Nota 2')"));
    }
    Component dati(nullptr, QStringLiteral("Dati"), ComponentKind::DataModule);
    std::vector<std::unique_ptr<TableDataSet>> tables;
    TvxReport report;
    for (const char* name : {"righe", "mesi", "note"}) {
        tables.push_back(std::make_unique<TableDataSet>(&dati));
        TableDataSet* table = tables.back().get();
        table->setName(QString::fromUtf8(name));
        auto ds = std::make_unique<TvxDBDataSet>(nullptr);
        ds->SetName(QStringLiteral("vx") + QString::fromUtf8(name));
        ds->SetDataSet(table);
        const QString dsName = ds->Name();
        report.DataSets.Add(dsName, std::unique_ptr<TvxDataset>(std::move(ds)));
    }
    TvxPage& p = report.Pages->Pages(0);
    addBand(report, p, btCrossHeader, 0, 1000, QString());
    p.Objects.back()->Width = 100;
    addBand(report, p, btCrossData, 0, 1000, QStringLiteral("vxmesi"));
    p.Objects.back()->Left = 100;
    p.Objects.back()->Width = 80;
    addBand(report, p, btMasterData, 150, 20, QStringLiteral("vxrighe"));
    addText(report, p, 150, QStringLiteral("[Dati.righe.nome]"));
    p.Objects.back()->Left = 0;
    p.Objects.back()->Width = 90;
    addText(report, p, 150, QStringLiteral("[Dati.mesi.nome]"));
    p.Objects.back()->Left = 105;
    p.Objects.back()->Width = 70;
    addBand(report, p, btReportSummary, 250, 30, QString());
    auto sub = std::make_unique<TvxSubReportView>(&report);
    sub->Left = 300;
    sub->Top = 250;
    sub->Width = 300;
    sub->Height = 20;
    sub->SubPage = 1;
    p.Add(std::move(sub));
    TvxPage& notes = report.Pages->Add();
    addBand(report, notes, btMasterData, 100, 20, QStringLiteral("vxnote"));
    addText(report, notes, 100, QStringLiteral("[Dati.note.testo]"));
    const QString t = path("tabella.vxf");
    report.SaveToFile(t);
    report.ClearDataSets();
    const QString out = path("tabella.vxp");
    const VxtoolResult r = runVxtool({"prepare", t, "--db", db, "-o", out});
    ASSERT_EQ(r.exitCode, 0) << s(r.err);
    EXPECT_EQ(textLines(out), (QStringList{"1\tRiga 1", "1\tgen", "1\tfeb", "1\tRiga 2", "1\tgen",
                                           "1\tfeb", "1\tNota 1", "1\tNota 2"}));
}

TEST_F(VxtoolPrepare, WrongUsage) {
    for (const QStringList& args :
         {QStringList{"prepare"}, QStringList{"prepare", "t.vxf"},
          QStringList{"prepare", "t.vxf", "-o", "x.vxp", "--var", "senza"}}) {
        const VxtoolResult r = runVxtool(args);
        EXPECT_EQ(r.exitCode, 2) << s(args.join(' '));
        EXPECT_TRUE(r.err.startsWith(QStringLiteral("uso: vxtool prepare")));
    }
}

} // namespace
} // namespace vx::test
