// vxtool template dump|check|copy, run as a separate program over template
// files written here (current ones through the report model, old and damaged
// ones byte by byte), with and without a database given by --db.

#include "platform/component.h"
#include "platform/database.h"
#include "report/band_view.h"
#include "report/dataset.h"
#include "report/memo_view.h"
#include "report/report.h"
#include "report/values.h"
#include "tests/app/vxtool_fixture.h"
#include "tests/report/template_builder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

namespace vx::test {
namespace {

const QString kLoadFailed = QString::fromUtf8(
    "Non è stato possibile terminare la fase di caricamento del report.\nProbabilmente il "
    "report è corrotto, o contiene componenti non inseriti all'interno del progetto.");

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

class VxtoolTemplate : public VxtoolTest {
protected:
    // A table clienti (id, nome, saldo) in an SQLite file.
    QString makeDatabase() {
        const QString file = path("dati.sqlite");
        auto db = Database::open(file, Database::OpenMode::CreateIfMissing);
        db->exec(QStringLiteral(
            "CREATE TABLE clienti (id INTEGER PRIMARY KEY, nome VARCHAR(30), saldo MONEY)"));
        db->exec(QStringLiteral("INSERT INTO clienti VALUES (1, 'Rossi', 10.5)"));
        return file;
    }

    // A version-27 template: a master data band over the database dataset
    // "Dati.clienti" (filtered, counted range), a text object, bindings and
    // variables.
    QString writeSample() {
        Component dati(nullptr, QStringLiteral("Dati"), ComponentKind::DataModule);
        TableDataSet table(&dati);
        table.setName(QStringLiteral("clienti"));
        auto clienti = std::make_unique<TvxDBDataSet>(nullptr);
        clienti->SetName(QStringLiteral("Clienti"));
        clienti->SetDataSet(&table);
        clienti->Filtered = true;
        clienti->Filter = QStringLiteral("saldo > 10");
        clienti->RangeEnd = reCount;
        clienti->RangeEndCount = 3;

        TvxReport report;
        report.TwoPass = true;
        const QString name = clienti->Name(); // before the pointer moves into the call
        report.DataSets.Add(name, std::move(clienti));
        auto band = std::make_unique<TvxBandView>(&report);
        band->SetBandType(btMasterData);
        band->FormatText = QStringLiteral("Clienti");
        band->Left = 0;
        band->Top = 100;
        band->Width = 700;
        band->Height = 30;
        band->Rename(QStringLiteral("Dettaglio"));
        report.Pages->Pages(0).Add(std::move(band));
        auto memo = std::make_unique<TvxMemoView>(&report);
        memo->Left = 5;
        memo->Top = 105;
        memo->Width = 200;
        memo->Height = 20;
        memo->Lines = {QStringLiteral("[Dati.clienti.nome]"),
                       QString::fromUtf8("Saldo: [saldo] €")};
        memo->Rename(QStringLiteral("Nome"));
        report.Pages->Pages(0).Add(std::move(memo));
        const int i = report.Values->AddValue();
        report.Values->SetName(i, QStringLiteral("Nome"));
        report.Values->Items(i)->Kind = vkDataField;
        report.Values->Items(i)->DataSetName = QStringLiteral("Dati.clienti");
        report.Values->Items(i)->FieldName = QStringLiteral("nome");
        const int j = report.Values->AddValue();
        report.Values->SetName(j, QStringLiteral("Pagina"));
        report.Values->Items(j)->Kind = vkSpecial;
        report.Values->Items(j)->SpecialCode = svPageNo;
        report.Variables = {QStringLiteral("Cliente"), QStringLiteral(" Nome"),
                            QStringLiteral(" Pagina")};
        const QString file = path("sample.vxf");
        report.SaveToFile(file);
        report.ClearDataSets();
        return file;
    }
};

// A version-21 stream (no version byte, old string lists, bounds in the old
// pixel scale): one text object at 100,50 sized 100x20.
QByteArray version21Stream() {
    StreamBuilder s;
    s.b16(false).b16(false).oldList({"Stampante"});
    s.page(false);
    s.u8(0).u8(0).commonOld(100, 50, 100, 20, true, {"riga uno", "due"});
    s.memoPart(true);
    s.u8(254).i32(0).oldList({"Cat", " v"});
    return s.bytes;
}

TEST_F(VxtoolTemplate, DumpPrintsTheStructureInAStableForm) {
    const QString file = writeSample();
    const QString db = makeDatabase();
    const VxtoolResult r = runVxtool({"template", "dump", file, "--db", db});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(s(r.err), "");
    const QString expected = QString::fromUtf8(
        "version: 27\n"
        "print-to-current-printer: yes\n"
        "two-pass: yes\n"
        "collate: no\n"
        "repaginate: no\n"
        "datasets: 1\n"
        "dataset 1: \"Clienti\" db path \"Dati.clienti\" filtered yes filter \"saldo > 10\" "
        "range 0 2 3\n"
        "pages: 1\n"
        "page 1: paper 9 2100x2970 portrait margins 38,38,38,57 use-margins yes "
        "header-on-first yes footer-on-last yes copy-cross-header no print-on-previous no "
        "columns 0 gap 0 zoom 100,100\n"
        "object 1: page 1 type band class TvxBandView name \"Dettaglio\" bounds 0,100,700,30 "
        "flags 0 band 5 \"%1\" dataset \"Clienti\" visible 1\n"
        "object 2: page 1 type text class TvxMemoView name \"Nome\" bounds 5,105,200,20 %2\n"
        "  line \"[Dati.clienti.nome]\"\n"
        "  line \"Saldo: [saldo] €\"\n"
        "values: 2\n"
        "value 1: \"Nome\" kind 1 dataset \"Dati.clienti\" field \"nome\"\n"
        "value 2: \"Pagina\" kind 2 special 0 \"\"\n"
        "variables: 3\n"
        "variable \"Cliente\"\n"
        "variable \" Nome\"\n"
        "variable \" Pagina\"\n");
    // The band's display name and the text object's style fields are
    // checked by the model tests; here they are taken from the output.
    const QStringList lines = r.out.split(QLatin1Char('\n'));
    const qsizetype bandAt = lines.indexOf(QRegularExpression(QStringLiteral("^object 1: .*")));
    const qsizetype memoAt = lines.indexOf(QRegularExpression(QStringLiteral("^object 2: .*")));
    ASSERT_GE(bandAt, 0) << r.out.toStdString();
    ASSERT_GE(memoAt, 0) << r.out.toStdString();
    const QString bandName = lines[bandAt].section(QLatin1Char('"'), 3, 3);
    const QString memoRest = lines[memoAt].section(QStringLiteral("5,105,200,20 "), 1);
    EXPECT_TRUE(memoRest.startsWith(QStringLiteral("flags "))) << memoRest.toStdString();
    EXPECT_TRUE(memoRest.contains(QStringLiteral(" font \""))) << memoRest.toStdString();
    EXPECT_EQ(s(r.out), s(expected.arg(bandName, memoRest)));

    // The same file dumps the same text every time.
    EXPECT_EQ(runVxtool({"template", "dump", file, "--db", db}).out, r.out);
}

TEST_F(VxtoolTemplate, DatasetPathsResolveOnlyWithTheDatabase) {
    const QString file = writeSample();
    const QString db = makeDatabase();

    const VxtoolResult without = runVxtool({"template", "check", file});
    EXPECT_EQ(without.exitCode, 0) << without.err.toStdString();
    EXPECT_EQ(s(without.out), "ok\n");
    EXPECT_EQ(s(without.err), "Attenzione: Non è stato trovato il vxDataset: Dati.clienti\n");
    const VxtoolResult dumped = runVxtool({"template", "dump", file});
    EXPECT_TRUE(dumped.out.contains(QStringLiteral("\ndatasets: 0\n"))) << dumped.out.toStdString();

    const VxtoolResult with = runVxtool({"template", "check", "--db", db, file});
    EXPECT_EQ(with.exitCode, 0) << with.err.toStdString();
    EXPECT_EQ(s(with.out), "ok\n");
    EXPECT_EQ(s(with.err), "");

    const QByteArray pgUrl = qgetenv("VX_PG_URL");
    if (!pgUrl.isEmpty()) {
        // The same through a PostgreSQL URL, in a schema of this test.
        const QString schema = QStringLiteral("vx_vt%1").arg(QCoreApplication::applicationPid());
        auto admin = Database::open(QString::fromUtf8(pgUrl));
        admin->exec(QStringLiteral("SET client_min_messages TO warning"));
        admin->exec(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(schema));
        admin->exec(QStringLiteral("CREATE SCHEMA %1").arg(schema));
        admin->exec(QStringLiteral("CREATE TABLE %1.clienti (id INTEGER, nome TEXT)").arg(schema));
        const QString url =
            QString::fromUtf8(pgUrl) + QStringLiteral("&options=-csearch_path%3D") + schema;
        const VxtoolResult pg = runVxtool({"template", "check", file, "--db", url});
        EXPECT_EQ(pg.exitCode, 0) << pg.err.toStdString();
        EXPECT_EQ(s(pg.err), "");
        admin->exec(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(schema));
    }

    // A database that cannot be opened is an error of the run.
    const VxtoolResult bad = runVxtool({"template", "check", file, "--db", path("manca.sqlite")});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.err.startsWith(QStringLiteral("Non è stato possibile aprire il database: ")))
        << bad.err.toStdString();
}

TEST_F(VxtoolTemplate, CheckReportsTheLoadMessages) {
    // Current header, one page, then the given tail.
    auto current = [](const QByteArray& tail) {
        StreamBuilder s;
        s.u8(27).i32(0).b16(true).b16(false).b16(false).b16(false).list({"P"});
        s.page(true);
        return s.bytes + tail;
    };
    StreamBuilder tag7;
    tag7.u8(7).u8(0);
    StreamBuilder tag11;
    tag11.u8(254).i32(0).list({"Cat"}).u8(11).bytes.append("resto mai letto");
    StreamBuilder missingDataset;
    missingDataset.u8(27).i32(1).u8(1).shortString("Dati.manca").u8(0).shortString("");
    missingDataset.shortString("Manca").u8(0).u8(0).u16(0).i32(0);
    missingDataset.b16(true).b16(false).b16(false).b16(false).list({"P"}).page(true);
    struct Case {
        const char* name;
        QByteArray bytes;
        int exitCode;
        const char* out;
        QString err;
    } cases[] = {
        {"tag7.vxf", current(tag7.bytes), 1, "failed\n",
         QStringLiteral("Errore: ") + kLoadFailed + QLatin1Char('\n')},
        {"tag11.vxf", current(tag11.bytes), 0, "ok\n", QString()},
        {"missing.vxf", missingDataset.bytes, 0, "ok\n",
         QStringLiteral("Attenzione: Non è stato trovato il vxDataset: Dati.manca\n")},
        {"version28.vxf", QByteArray(1, char(28)) + current({}).mid(1), 1, "failed\n",
         QStringLiteral("Errore: ") + kLoadFailed + QLatin1Char('\n')},
    };
    for (const Case& c : cases) {
        writeAll(path(c.name), c.bytes);
        const VxtoolResult r = runVxtool({"template", "check", path(c.name)});
        EXPECT_EQ(r.exitCode, c.exitCode) << c.name << " " << r.err.toStdString();
        EXPECT_EQ(s(r.out), c.out) << c.name;
        EXPECT_EQ(s(r.err), s(c.err)) << c.name;
    }
    // After tag 7 the template is one empty page.
    const VxtoolResult dumped = runVxtool({"template", "dump", path("tag7.vxf")});
    EXPECT_TRUE(dumped.out.contains(QStringLiteral("\npages: 1\npage 1: ")));
    EXPECT_FALSE(dumped.out.contains(QStringLiteral("\nobject ")));
    // After tag 11 the variables read before it are kept.
    EXPECT_TRUE(runVxtool({"template", "dump", path("tag11.vxf")})
                    .out.endsWith(QStringLiteral("variables: 1\nvariable \"Cat\"\n")));

    // A file that does not exist, with and without the extension.
    const VxtoolResult missing = runVxtool({"template", "check", path("nessuno")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(s(missing.err),
              s(QStringLiteral("Errore: Si è tentato di caricare da disco il report ''. \nMa il "
                               "file '%1' è inesistente\n")
                    .arg(path("nessuno.vxf"))));
}

TEST_F(VxtoolTemplate, CopyWritesTheCurrentVersion) {
    // A current file is copied byte for byte.
    const QString sample = writeSample();
    const QString db = makeDatabase();
    const VxtoolResult same =
        runVxtool({"template", "copy", sample, path("copia.vxf"), "--db", db});
    ASSERT_EQ(same.exitCode, 0) << same.err.toStdString();
    EXPECT_EQ(readAll(path("copia.vxf")), readAll(sample));

    // A version-21 file comes out as version 27 with the bounds scaled.
    writeAll(path("vecchio.vxf"), version21Stream());
    const VxtoolResult old =
        runVxtool({"template", "copy", path("vecchio.vxf"), path("nuovo.vxf")});
    ASSERT_EQ(old.exitCode, 0) << old.err.toStdString();
    const QByteArray copied = readAll(path("nuovo.vxf"));
    ASSERT_FALSE(copied.isEmpty());
    EXPECT_EQ(uint8_t(copied[0]), 27);
    TvxReport report;
    report.LoadFromFile(path("nuovo.vxf"));
    EXPECT_TRUE(messages().empty());
    ASSERT_EQ(report.Pages->Count(), 1);
    ASSERT_EQ(report.Pages->Pages(0).Count(), 1);
    const TvxView* memo = report.Pages->Pages(0).Object(0);
    EXPECT_EQ(QList<int>({memo->Left, memo->Top, memo->Width, memo->Height}),
              QList<int>({103, 52, 103, 21}));
    EXPECT_EQ(memo->Lines, QStringList({"riga uno", "due"}));
    EXPECT_EQ(report.Variables, QStringList({"Cat", " v"}));
    // Copied again, the version-27 file stays as it is.
    ASSERT_EQ(runVxtool({"template", "copy", path("nuovo.vxf"), path("ancora.vxf")}).exitCode, 0);
    EXPECT_EQ(readAll(path("ancora.vxf")), copied);
    // Its JSON form gives the re-saved template back byte for byte.
    ASSERT_EQ(
        runVxtool({"template", "export", path("vecchio.vxf"), "-o", path("vecchio.json")}).exitCode,
        0);
    ASSERT_EQ(runVxtool({"template", "import", path("vecchio.json"), "-o", path("dal_json.vxf")})
                  .exitCode,
              0);
    EXPECT_EQ(readAll(path("dal_json.vxf")), copied);

    // A load that fails writes nothing.
    StreamBuilder damaged;
    damaged.u8(27).i32(0).b16(true).b16(false).b16(false).b16(false).list({"P"});
    damaged.page(true).u8(7).u8(0);
    writeAll(path("rotto.vxf"), damaged.bytes);
    const VxtoolResult failed =
        runVxtool({"template", "copy", path("rotto.vxf"), path("rotto-copia.vxf")});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_FALSE(QFile::exists(path("rotto-copia.vxf")));
}

// A template its owner made read-only stays as it is: the save fails with
// its message. (Run as root, the copy runs as the user nobody, whom the
// file's mode binds.)
TEST_F(VxtoolTemplate, CopyLeavesAReadOnlyFileAlone) {
    constexpr uid_t kNobody = 65534;
    const bool root = ::geteuid() == 0;
    const QString sample = writeSample();
    const QString target = path("protetto.vxf");
    writeAll(target, "modello protetto");
    // Only the file's mode protects it: the folder is open to everyone.
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(sample).constData(), 0644), 0);
    if (root) {
        ASSERT_EQ(::chown(QFile::encodeName(target).constData(), kNobody, kNobody), 0);
    }
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0444), 0);

    const VxtoolResult r = runVxtool({"template", "copy", sample, target}, {}, [root] {
        if (root && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            ::_exit(99);
    });
    EXPECT_EQ(r.exitCode, 1) << s(r.err);
    EXPECT_TRUE(r.err.contains(
        QString::fromUtf8("Si è verificato un errore durante la fase di salvataggio del report")))
        << s(r.err);
    EXPECT_EQ(readAll(target), "modello protetto");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter("protetto").size(), 1)
        << "a temporary file was left behind";
}

TEST_F(VxtoolTemplate, WrongUsageExitsWithTwo) {
    const QList<QStringList> cases = {
        {"template"},
        {"template", "dump"},
        {"template", "check", "a.vxf", "b.vxf"},
        {"template", "copy", "a.vxf"},
        {"template", "stampa", "a.vxf"},
    };
    for (const QStringList& args : cases) {
        const VxtoolResult r = runVxtool(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith(QStringLiteral("uso: "))) << args.join(' ').toStdString();
    }
}

} // namespace
} // namespace vx::test
