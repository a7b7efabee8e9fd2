// vxtool eval and vxtool format, run as the real program: the output form
// "KIND VALUE" / "error: MESSAGE", variables from the command line, a data
// module over an SQLite file, and the text a format code gives a value.
#include "platform/database.h"
#include "tests/support/vxtool_run.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <clocale>
#include <optional>

#include <sys/resource.h>

namespace vx {
namespace {

using test::runVxtool;
using test::VxtoolResult;

// Runs vxtool under a given system locale (LC_ALL of the child process, which
// inherits this process's environment) and restores the environment.
class VxtoolEvalTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (qEnvironmentVariableIsSet("LC_ALL"))
            savedLcAll_ = qgetenv("LC_ALL");
        setLocale("it_IT.UTF-8");
    }
    void TearDown() override {
        if (savedLcAll_)
            qputenv("LC_ALL", *savedLcAll_);
        else
            qunsetenv("LC_ALL");
    }
    static void setLocale(const char* name) { qputenv("LC_ALL", name); }

    static VxtoolResult eval(QStringList args) {
        args.prepend(QStringLiteral("eval"));
        return runVxtool(args);
    }
    // The one line eval or format printed, without its line end.
    static QString line(const VxtoolResult& r) {
        QString out = r.out;
        if (out.endsWith(QLatin1Char('\n')))
            out.chop(1);
        return out;
    }

    // A small database: clienti(id, nome, saldo) with rows stored out of order.
    QString makeDatabase() {
        EXPECT_TRUE(dir_.isValid());
        const QString path = dir_.filePath(QStringLiteral("demo.sqlite"));
        auto db = Database::open(path, Database::OpenMode::CreateIfMissing);
        db->exec(QStringLiteral("CREATE TABLE clienti (id INTEGER, nome VARCHAR(40), saldo REAL)"));
        db->exec(QStringLiteral("INSERT INTO clienti VALUES (2, 'Verdi', 10)"));
        db->exec(QStringLiteral("INSERT INTO clienti VALUES (1, 'rossi', NULL)"));
        db->exec(QStringLiteral("INSERT INTO clienti VALUES (3, 'O''Brien', 2.5)"));
        return path;
    }

    QTemporaryDir dir_;

private:
    std::optional<QByteArray> savedLcAll_;
};

struct EvalCase {
    const char* expression;
    const char* output; // the line printed on standard output
};

void expectEvaluations(const std::vector<EvalCase>& cases, const QStringList& extra = {}) {
    for (const EvalCase& c : cases) {
        QStringList args{QString::fromUtf8(c.expression)};
        args += extra;
        const VxtoolResult r = runVxtool(QStringList{QStringLiteral("eval")} + args);
        EXPECT_EQ(r.exitCode, 0) << c.expression << "\n" << r.err.toStdString();
        EXPECT_EQ(r.out.toStdString(), std::string(c.output) + "\n") << c.expression;
    }
}

TEST_F(VxtoolEvalTest, KindsAndValues) {
    // Under an Italian locale the output still uses "." as decimal point.
    expectEvaluations({
        {"1+2*3", "float 7"},
        {"1.5 * 2", "float 3"},
        {"10/4", "float 2.5"},
        {"1/3", "float 0.333333333333333"}, // 15 significant digits
        {"2/3", "float 0.666666666666667"},
        {"0.1 + 0.2", "float 0.3"}, // no trailing zeros, no noise digits
        {"1000000 * 1000000 * 100000000", "float 1E20"},
        {"0.00001 / 100", "float 1E-7"},
        {"2^10", "float 1024"},
        {"-3 + 5", "float 2"},
        {"7 DIV 2", "integer 3"},
        {"7.5 DIV 2", "integer 4"},
        {"3 > 2", "integer 1"},
        {"NOT (3 > 2)", "integer 0"},
        {"ROUND(2.5)", "integer 2"},
        {"'it''s'", "string it's"},
        {"'a' + 'b'", "string ab"},
        {"'(' + 'a'", "string (a"},
        {"", "null"},
        {"EUROTOMONEYVAL(1)", "currency 1936.27"},
        {"EUROTOMONEYVAL(0.5)", "currency 968.135"},
        {"MONEYTOEUROVAL(1000000)", "float 516.46"},
        {"STRTODATE('05/11/1998')", "datetime 1998-11-05T00:00:00"},
        {"STRTODATE('05/11/1998') + 0.5", "datetime 1998-11-05T12:00:00"},
        {"UPPERCASE('abc')", "string ABC"},
        {"PHRASECASE('l''aNNO santo')", "string L'Anno Santo"},
        {"IF(1>0, 'a', 1/0)", "string a"},
        {"NUMBERTOLETTER(1234.56)", "string milleduecentotrentaquattro virgola cinquantasei"},
        {"NUMBERTOLETTER(0.05)", "string zero virgola zerocinque"},
        {"NUMBERTOLETTER(-2000000000)", "string meno duemiliardi"},
        {"PI", "float 3.14159265358979"},
        {"TOTALPAGES", "integer 0"},
        {"PAGE#", "integer 1"},
    });
}

TEST_F(VxtoolEvalTest, ErrorsAreReportedWithTheirMessages) {
    struct ErrorCase {
        const char* expression;
        const char* message;
    };
    const ErrorCase cases[] = {
        {"(1+2", "Numero errato di parentesi nell'espressione : "},
        {"'a' + 2", "Tipo di dati incompatibili nell'espressione: 'a' + 2"},
        {"pippo", "Identificatore sconosciuto: pippo"},
        {"1 + (2 * pippo)", "Identificatore sconosciuto: 2 * pippo)"},
        {"   ", "Identificatore sconosciuto:    "},
        {"[Totale", "Identificatore sconosciuto: [Totale"},
        {"0^2", "Tipo di dati incompatibili nell'espressione: 0^2"},
        {"1 DIV 0", "Tipo di dati incompatibili nell'espressione: 1 DIV 0"},
        {"1.2.3", "'1,2.3' is not a valid floating point value"},
        {"SQR(3,4)", "E' stato inserito un numero di parametri errato per la funzione : SQR"},
        {"SQRT(-1)", "Tipi di parametri errati nella funzione: SQRT (-1)"},
        {"COPY('abc', 1)",
         "E' stato inserito un numero di parametri errato per la funzione : COPY"},
        {"LN(0)", "Tipi di parametri errati nella funzione: LN (0)"},
        // No engine runs here: aggregates fail cleanly instead of answering.
        {"SUM(1)", "Funzione statistica non disponibile: SUM"},
        {"COUNT()", "Funzione statistica non disponibile: COUNT"},
        // No database given.
        {"SQL('SELECT 1')", "Tipi di parametri errati nella funzione: SQL ('SELECT 1')"},
    };
    for (const ErrorCase& c : cases) {
        const VxtoolResult r = eval({QString::fromUtf8(c.expression)});
        EXPECT_EQ(r.exitCode, 1) << c.expression;
        EXPECT_TRUE(r.out.startsWith(QStringLiteral("error: ") + QString::fromUtf8(c.message)))
            << c.expression << " -> " << r.out.toStdString();
        EXPECT_TRUE(r.out.endsWith(QLatin1Char('\n'))) << c.expression;
        EXPECT_EQ(r.out.count(QLatin1Char('\n')), 1) << c.expression;
    }
}

TEST_F(VxtoolEvalTest, DeepNestingFailsCleanly) {
    const int depth = 20000;
    const QString deep =
        QString(depth, QLatin1Char('(')) + QLatin1Char('1') + QString(depth, QLatin1Char(')'));
    VxtoolResult r = eval({deep});
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith(QLatin1String("error: Troppi livelli annidati"))) << r.out.size();
    QString nots;
    for (int i = 0; i < depth / 2; ++i)
        nots += QStringLiteral("NOT ");
    r = eval({nots + QLatin1Char('0')});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.startsWith(QLatin1String("error: Troppi livelli annidati")));
    // Calls nested inside calls: each argument is evaluated by a nested
    // evaluation from the resolver.
    QString calls = QStringLiteral("1");
    for (int i = 0; i < 2000; ++i)
        calls = QStringLiteral("ABS(") + calls + QLatin1Char(')');
    r = eval({calls});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.startsWith(QLatin1String("error: "))) << r.out.left(200).toStdString();
    // A variable whose expression names itself.
    r = eval({QStringLiteral("Ciclo + 1"), QStringLiteral("--var"), QStringLiteral("Ciclo=Ciclo")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.startsWith(QLatin1String("error: "))) << r.out.left(200).toStdString();
}

TEST_F(VxtoolEvalTest, CommandLineVariables) {
    const QStringList vars{
        QStringLiteral("--var"), QStringLiteral("Prezzo=12.5"),
        QStringLiteral("--var"), QStringLiteral("Quantita=3"),
        QStringLiteral("--var"), QStringLiteral("Cliente='rossi'"),
        QStringLiteral("--var"), QStringLiteral("Totale=Prezzo * Quantita"),
    };
    expectEvaluations(
        {
            {"Prezzo * Quantita", "float 37.5"},
            {"prezzo", "float 12.5"}, // variable names ignore case
            {"UPPERCASE(Cliente)", "string ROSSI"},
            {"[Totale] + 1", "float 38.5"},
            {"NUMBERTOLETTER(Totale)", "string trentasette virgola cinque"},
        },
        vars);
    for (const char* bad : {"=3", "senzauguale"}) {
        const VxtoolResult r =
            eval({QStringLiteral("1"), QStringLiteral("--var"), QString::fromLatin1(bad)});
        EXPECT_EQ(r.exitCode, 2) << bad;
        EXPECT_TRUE(r.out.isEmpty()) << bad;
    }
    EXPECT_EQ(eval({}).exitCode, 2);
    EXPECT_EQ(eval({QStringLiteral("1"), QStringLiteral("2")}).exitCode, 2);
}

TEST_F(VxtoolEvalTest, DatabaseFieldsAndLookups) {
    const QString db = makeDatabase();
    const QStringList withDb{QStringLiteral("--db"), db};
    expectEvaluations(
        {
            // The data module "Dati": one dataset per table, rows in the order
            // of the first column, standing on the first row.
            {"UPPERCASE([Dati.clienti.nome])", "string ROSSI"},
            {"Dati.clienti.id + 1", "float 2"},
            {"FINDLOOKUP('CLIENTI', 'id', 'nome', 2)", "string Verdi"},
            {"FINDLOOKUP('clienti', 'nome', 'id', 'O''Brien')", "integer 3"},
            {"FINDLOOKUP('clienti', 'id', 'nome', '')", "string "},
            {"SQL('SELECT COUNT(*) FROM clienti')", "integer 3"},
        },
        withDb);
}

TEST_F(VxtoolEvalTest, LookupKeysAreNeverRunAsSql) {
    const QString db = makeDatabase();
    const char* hostile[] = {
        "FINDLOOKUP('clienti', 'nome', 'id', '\\'' OR 1=1 --')",
        "FINDLOOKUP('clienti', 'nome', 'id', 'x'' OR ''1''=''1')",
        "FINDLOOKUP('clienti', 'nome', 'id', 'x''; DELETE FROM clienti; --')",
        "FINDLOOKUP('clienti', 'nome', 'id', '''; DROP TABLE clienti; --')",
    };
    for (const char* expression : hostile) {
        const VxtoolResult r = eval({QString::fromLatin1(expression), QStringLiteral("--db"), db});
        EXPECT_EQ(r.exitCode, 0) << expression << r.out.toStdString();
        EXPECT_EQ(line(r), QStringLiteral("null")) << expression;
    }
    // Nothing changed in the file.
    auto check = Database::open(db);
    check->exec(QStringLiteral("SELECT 1")); // still opens and runs
    const VxtoolResult count =
        eval({QStringLiteral("SQL('SELECT COUNT(*) FROM clienti WHERE nome IS NOT NULL')"),
              QStringLiteral("--db"), db});
    EXPECT_EQ(line(count), QStringLiteral("integer 3"));
}

TEST_F(VxtoolEvalTest, MissingDatabaseIsAnErrorAndCreatesNothing) {
    ASSERT_TRUE(dir_.isValid());
    const QString missing = dir_.filePath(QStringLiteral("assente.sqlite"));
    const VxtoolResult r = eval({QStringLiteral("1"), QStringLiteral("--db"), missing});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(r.err.isEmpty());
    EXPECT_FALSE(QFile::exists(missing));
}

// vxtool format CODE VALUE [--text PATTERN]: category << 24 | sub-format << 16
// | decimals << 8 | separator character.
struct FormatCase {
    const char* code;
    const char* value;
    const char* pattern; // nullptr: no --text
    const char* output;
};

void expectFormats(const std::vector<FormatCase>& cases) {
    for (const FormatCase& c : cases) {
        QStringList args{QStringLiteral("format"), QString::fromLatin1(c.code),
                         QString::fromUtf8(c.value)};
        if (c.pattern)
            args << QStringLiteral("--text") << QString::fromUtf8(c.pattern);
        const VxtoolResult r = runVxtool(args);
        EXPECT_EQ(r.exitCode, 0) << c.code << " " << c.value << "\n" << r.err.toStdString();
        EXPECT_EQ(r.out.toStdString(), std::string(c.output) + "\n") << c.code << " " << c.value;
    }
}

TEST_F(VxtoolEvalTest, FormatCategoriesUnderTheItalianLocale) {
    expectFormats({
        // Text: the standard conversion with the system separator.
        {"556", "1234.5", nullptr, "1234,5"},
        {"0", "STRTODATE('05/11/1998') + 0.5", nullptr, "05/11/1998 12:00:00"},
        {"0", "0.5 + STRTODATE('30/12/1899')", nullptr, "12:00:00"},
        // Number: separator ",", 2 decimals.
        {"0x0100022C", "1234.5", nullptr, "1234,5"},
        {"0x0101022C", "1234.5", nullptr, "1234,50"},
        {"0x0102022C", "1234.5", nullptr, "1.234,5"},
        {"0x0103022C", "1234.5", nullptr, "1.234,50"},
        {"0x0100022C", "'abc'", nullptr, "abc"},
        {"0x0100022C", "STRTODATE('05/11/1998')", nullptr, "36104"},
        {"0x0104002C", "1234.5", "#,##0.000", "1.234,500"},
        // Date and time.
        {"0x02000000", "STRTODATE('05/11/1998')", nullptr, "05/11/98"},
        {"0x02010000", "STRTODATE('05/11/1998')", nullptr, "05/11/1998"},
        {"0x02030000", "STRTODATE('05/11/1998')", nullptr, "5 novembre 1998"},
        {"0x02040000", "STRTODATE('05/11/1998')", "yyyy-mm-dd", "1998-11-05"},
        {"0x03000000", "STRTOTIME('2:43:35')", nullptr, "02:43:35"},
        {"0x03030000", "STRTOTIME('2:43:35')", nullptr, "2:43"},
        // Logical.
        {"0x04010000", "-3", nullptr, "Si"},
        {"0x04010000", "0", nullptr, "No"},
        {"0x04010000", "'x'", nullptr, "x"},
        {"0x04020000", "1", nullptr, "X"},
        // A category without formats, and a null value.
        {"0x07000000", "1", nullptr, ""},
        {"0x0103022C", "", nullptr, ""},
    });
}

TEST_F(VxtoolEvalTest, FormatFollowsTheSystemSeparators) {
    setLocale("en_US.UTF-8");
    expectFormats({
        {"0x0103022E", "1234.5", nullptr, "1,234.50"},
        {"0x0101022C", "1234.5", nullptr, "1234,50"}, // the code's separator wins
        {"558", "1234.5", nullptr, "1234.5"},
    });
}

// The value is expanded as a text object expands its bracketed text: the
// whole text is a name first, and a null field shows as the empty text
// although it counts as 0 inside an expression.
TEST_F(VxtoolEvalTest, FormatExpandsLikeATextObject) {
    const QString db = makeDatabase();
    const struct {
        const char* value;
        const char* output;
    } cases[] = {
        {"Dati.clienti.saldo", ""}, {"Dati.clienti.saldo + 1", "1"}, {"Dati.clienti.nome", "rossi"},
        {"Totale fattura", "12,5"}, {"[Totale fattura] * 2", "25"},
    };
    for (const auto& c : cases) {
        const VxtoolResult r =
            runVxtool({QStringLiteral("format"), QStringLiteral("0x0100022C"),
                       QString::fromUtf8(c.value), QStringLiteral("--db"), db,
                       QStringLiteral("--var"), QStringLiteral("Totale fattura=12.5")});
        EXPECT_EQ(r.exitCode, 0) << c.value << r.out.toStdString();
        EXPECT_EQ(line(r).toStdString(), c.output) << c.value;
    }
    EXPECT_EQ(line(eval({QStringLiteral("Dati.clienti.saldo"), QStringLiteral("--db"), db})),
              QStringLiteral("integer 0"));
}

TEST_F(VxtoolEvalTest, FormatUsageAndErrors) {
    EXPECT_EQ(
        runVxtool({QStringLiteral("format"), QStringLiteral("abc"), QStringLiteral("1")}).exitCode,
        2);
    EXPECT_EQ(runVxtool({QStringLiteral("format"), QStringLiteral("0")}).exitCode, 2);
    const VxtoolResult r =
        runVxtool({QStringLiteral("format"), QStringLiteral("0"), QStringLiteral("pippo")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(line(r), QStringLiteral("error: Errore. Identificatore sconosciuto: pippo"));
    const VxtoolResult failed =
        runVxtool({QStringLiteral("format"), QStringLiteral("0"), QStringLiteral("SQRT(-1)")});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(line(failed),
              QStringLiteral("error: Tipi di parametri errati nella funzione: SQRT (-1)"));
}

// True when the C library has the locale (scripts/setup.sh generates them).
bool systemLocaleInstalled(const char* name) {
    locale_t l = newlocale(LC_ALL_MASK, name, locale_t(nullptr));
    if (!l)
        return false;
    freelocale(l);
    return true;
}

// The numbers of the language do not depend on the system locale; the
// texts take that locale's separators where the functions ask for them.
// Under it_IT.UTF-8 these are exactly the texts Italian users read.
TEST_F(VxtoolEvalTest, NumbersHoldUnderEverySystemLocale) {
    int tried = 0;
    for (const char* name : {"it_IT.UTF-8", "C.UTF-8", "de_CH.UTF-8"}) {
        if (!systemLocaleInstalled(name))
            continue;
        ++tried;
        setLocale(name);
        const QLocale system(QString::fromLatin1(name).section(QLatin1Char('.'), 0, 0));
        const QString dec = system.decimalPoint();
        const QString grp = system.groupSeparator();
        if (QLatin1String(name) == QLatin1String("it_IT.UTF-8")) {
            EXPECT_EQ(dec, QStringLiteral(","));
            EXPECT_EQ(grp, QStringLiteral("."));
        }
        const QString rows[][2] = {
            {QStringLiteral("1.5 * 2"), QStringLiteral("float 3")},
            {QStringLiteral("0.75"), QStringLiteral("float 0.75")},
            {QStringLiteral("CEIL(1.2)"), QStringLiteral("integer 2")},
            {QStringLiteral("STR(1.5)"), QStringLiteral("string 1") + dec + QStringLiteral("5")},
            {QStringLiteral("EURO(1234.5)"), QStringLiteral("string \u20AC 1") + grp +
                                                 QStringLiteral("234") + dec +
                                                 QStringLiteral("50")},
            {QStringLiteral("MONEYTOEURO(1000000)"),
             QStringLiteral("string \u20AC 516") + dec + QStringLiteral("46")},
            {QStringLiteral("NUMBERTOLETTER(0.05)"),
             QStringLiteral("string zero virgola zerocinque")},
        };
        for (const auto& row : rows)
            EXPECT_EQ(line(eval({row[0]})), row[1]) << name << ": " << row[0].toStdString();
        const VxtoolResult formatted = runVxtool(
            {QStringLiteral("format"), QStringLiteral("0x0103022C"), QStringLiteral("1234.5")});
        EXPECT_EQ(line(formatted), QStringLiteral("1") + grp + QStringLiteral("234,50")) << name;
    }
    if (tried == 0)
        GTEST_SKIP() << "no system locale installed (scripts/setup.sh generates them)";
}

// Limits for a child vxtool: its address space and its processor time. The
// program itself needs about 100 MB of address space and a fraction of a
// second; an expression that built unbounded strings or ran long would pass
// these. Sanitizer builds reserve huge shadow memory and run slower: there
// only the time limit holds, widened.
void limitChild() {
#if defined(__SANITIZE_ADDRESS__)
    const rlim_t cpuSeconds = 20;
#else
    const rlim_t cpuSeconds = 2;
    const rlimit memory{rlim_t(256) << 20, rlim_t(256) << 20};
    setrlimit(RLIMIT_AS, &memory);
#endif
    const rlimit cpu{cpuSeconds, cpuSeconds};
    setrlimit(RLIMIT_CPU, &cpu);
}

TEST_F(VxtoolEvalTest, HostileExpressionsEndQuicklyWithItalianErrors) {
    const QString term = QStringLiteral("FILLSTR(4194304,'a')");
    QStringList terms;
    for (int i = 0; i < 60; ++i)
        terms << term;
    QString deep = QStringLiteral("1");
    for (int i = 0; i < 5000; ++i)
        deep = QStringLiteral("ABS(") + deep + QLatin1Char(')');
    const struct {
        QString expression;
        QString message; // the beginning of the error line
    } rows[] = {
        {terms.join(QStringLiteral(" + ")), QStringLiteral("Tipo di dati incompatibili")},
        {QStringLiteral("LENGTH(") + terms.join(QStringLiteral(" + (")) +
             QString(59, QLatin1Char(')')) + QLatin1Char(')'),
         QStringLiteral("Tipi di parametri errati nella funzione: FILLSTR")},
        {QStringLiteral("LENGTH(") + terms.join(QStringLiteral(") + LENGTH(")) + QLatin1Char(')'),
         QStringLiteral("Tipi di parametri errati nella funzione: FILLSTR")},
        {deep, QStringLiteral("Troppi livelli annidati nell'espressione: ")},
        {QStringLiteral("STRTODATE('31/12/9999') + 1"),
         QStringLiteral("Data fuori dall'intervallo")},
        {QStringLiteral("STRTODATE('01/01/0001') - POWER(10, 300)"),
         QStringLiteral("Data fuori dall'intervallo")},
        {QStringLiteral("FORMATDATETIME('dd/mm/yyyy', POWER(10, 300))"),
         QStringLiteral("Tipi di parametri errati nella funzione: FORMATDATETIME")},
    };
    for (const auto& row : rows) {
        const VxtoolResult r = runVxtool({QStringLiteral("eval"), row.expression}, {}, limitChild);
        EXPECT_EQ(r.exitCode, 1) << row.expression.left(60).toStdString() << "\n"
                                 << r.err.toStdString();
        EXPECT_TRUE(r.out.startsWith(QStringLiteral("error: ") + row.message))
            << row.expression.left(60).toStdString() << " -> " << r.out.left(300).toStdString();
        // The message quotes at most 100 characters of the expression.
        EXPECT_LT(r.out.size(), 400) << row.expression.left(60).toStdString();
    }
    // A date outside the calendar shown by a text object: an error, not a
    // blank or "00/00/0000".
    const VxtoolResult shown = runVxtool({QStringLiteral("format"), QStringLiteral("0"),
                                          QStringLiteral("STRTODATE('31/12/9999') + 1")},
                                         {}, limitChild);
    EXPECT_EQ(shown.exitCode, 1);
    EXPECT_TRUE(shown.out.startsWith(QStringLiteral("error: Errore. Data fuori dall'intervallo")))
        << shown.out.toStdString();
}

} // namespace
} // namespace vx
