// The bundled samples: `vxtool samples` writes the demo database and the
// templates, and every template prepares over it with the expected pages
// and texts.

#include "app/demo_samples.h"
#include "tests/support/vxtool_run.h"

#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vx::test {
namespace {

std::string s(const QString& text) {
    return text.toStdString();
}

TEST(DemoScript, SplitsStatementsOutsideQuotesAndDropsComments) {
    struct Case {
        const char* script;
        QStringList statements;
    };
    const Case cases[] = {
        {"CREATE TABLE a (x);\nINSERT INTO a VALUES (1);",
         {"CREATE TABLE a (x)", "INSERT INTO a VALUES (1)"}},
        {"-- a comment; not a statement\nSELECT 1", {"SELECT 1"}},
        {"INSERT INTO a VALUES ('x;y -- z');", {"INSERT INTO a VALUES ('x;y -- z')"}},
        {"INSERT INTO a VALUES ('dell''Orso;');;  ;", {"INSERT INTO a VALUES ('dell''Orso;')"}},
        {"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(splitSqlScript(QString::fromUtf8(c.script)), c.statements) << c.script;
}

class Samples : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new QTemporaryDir;
        // Qt's warning about a missing runtime folder is not the load's.
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
            qputenv("XDG_RUNTIME_DIR", dir_->path().toLocal8Bit());
        const VxtoolResult r = runVxtool({"samples", "-o", dir_->path()});
        ASSERT_EQ(r.exitCode, 0) << s(r.err);
        ASSERT_EQ(r.out.count(QLatin1Char('\n')), 1 + int(sampleTemplates().size())) << s(r.out);
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    static QString path(const QString& name) { return dir_->filePath(name); }
    static QTemporaryDir* dir_;
};
QTemporaryDir* Samples::dir_ = nullptr;

// Each sample prepares from the demo database into the expected number of
// pages, and the expected texts are on the pages named.
TEST_F(Samples, EverySamplePreparesWithItsKeyTexts) {
    struct Case {
        const char* file;
        int pages;
        QStringList texts; // "page<TAB>text" lines of vxtool text
    };
    // Amounts print with the thousands separator of the system's locale.
    const QString group = QLocale::system().groupSeparator();
    const Case cases[] = {
        {"fattura.vxf",
         4,
         {"1\tFattura n. 2026/001", "1\tCaffè Città Eterna", "1\tVia del Corso 101",
          "1\t00186 Roma (RM)", "1\tCaffè in grani, 1 kg", "1\t294,00", "1\t414,00", "1\t91,08",
          "1\t505,08", "3\tSocietà Agricola Sant'Agata", "4\tFattura n. 2026/004", "4\t345,00",
          "4\t75,90", "4\t420,90", "4\tPagina 4"}},
        {"clienti.vxf",
         1,
         {"1\tElenco clienti per provincia", "1\tProvincia di MI", "1\tNiccolò Bellù",
          "1\tClienti della provincia: 2", "1\tProvincia di RM", "1\tClienti della provincia: 3",
          "1\tTotale clienti: 10", "1\tPagina 1 di 1"}},
        {"etichette.vxf", 1, {"1\tZoë Martinelli", "1\tContrada Pozzillo", "1\t47121 Forlì (FC)"}},
        {"lettera.vxf",
         10,
         {"1\tNiccolò Bellù", "1\tGentile cliente,", "10\tZoë Martinelli", "10\tLa direzione"}},
        {"vendite.vxf",
         1,
         {"1\tVendite 2025", "1\tT1", "1\tT4", "1\tSicilia", "1\t78" + group + "260,00",
          "1\t207" + group + "197,80"}},
        {"libro_fatture.vxf",
         1,
         {"1\tLibro delle fatture", "1\t2026/002", "1\tCaffettiera per tre tazze", "1\t43,70",
          "1\t414,00", "1\tFatture nel libro: 4"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const QString vxp = path(QString::fromUtf8(c.file) + QStringLiteral(".vxp"));
        const VxtoolResult r = runVxtool({"prepare", path(QString::fromUtf8(c.file)), "--db",
                                          path(QStringLiteral("demo.sqlite")), "-o", vxp});
        ASSERT_EQ(r.exitCode, 0) << s(r.err);
        EXPECT_EQ(r.err, QString()) << s(r.err);
        EXPECT_EQ(r.out, QStringLiteral("%1 pagine scritte in %2\n").arg(c.pages).arg(vxp));
        const VxtoolResult t = runVxtool({"text", vxp});
        ASSERT_EQ(t.exitCode, 0) << s(t.err);
        const QStringList lines = t.out.split(QLatin1Char('\n'));
        for (const QString& text : c.texts)
            EXPECT_TRUE(lines.contains(text)) << s(text);
    }
}

} // namespace
} // namespace vx::test
