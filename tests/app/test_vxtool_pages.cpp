// vxtool's prepared-report commands (info, text, find, render, pdf, sample)
// run as the real program on the bundled sample and on a sample written by
// `vxtool sample` into a temporary folder: exit codes, output formats,
// Italian errors for missing and damaged files, the PNG and PDF produced.

#include "../support/paths.h"
#include "../support/vxtool_run.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using vx::test::runVxtool;
using vx::test::VxtoolResult;

namespace {

QString committedSample() {
    return vx::test::sourceDir() + QStringLiteral("/samples/fattura.vxp");
}

QStringList outLines(const VxtoolResult& r) {
    return r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

std::string describe(const VxtoolResult& r) {
    return QStringLiteral("exit %1\nstdout:\n%2\nstderr:\n%3")
        .arg(r.exitCode)
        .arg(r.out.left(2000), r.err.left(2000))
        .toStdString();
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

uint32_t le32(const QByteArray& b, qsizetype at) {
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 |
           uint32_t(uint8_t(b[at + 2])) << 16 | uint32_t(uint8_t(b[at + 3])) << 24;
}

// Start of every page record of a prepared-report file (from the next-offset
// chain), the end of the file last.
std::vector<qsizetype> pageStarts(const QByteArray& b) {
    qsizetype pos = 2;
    const int lines = uint8_t(b[0]) | uint8_t(b[1]) << 8;
    for (int i = 0; i < lines; ++i)
        pos += 2 + (uint8_t(b[pos]) | uint8_t(b[pos + 1]) << 8);
    const int count = int(le32(b, pos));
    pos += 4;
    std::vector<qsizetype> starts{pos};
    for (int i = 0; i < count; ++i)
        starts.push_back(qsizetype(le32(b, starts.back())));
    return starts;
}

bool haveProgram(const char* name) {
    return !QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty();
}

QString runProgram(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000))
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Pixel size of the page as the preview draws it: paper (tenths of a mm) at
// 794 pixels per 2100, times the zoom.
int previewPixels(int paperTenths, double zoom) {
    return int(std::nearbyint(paperTenths * 794.0 / 2100.0 * zoom / 100.0));
}

class VxtoolPagesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(dir_->isValid());
        generated_ = dir_->filePath(QStringLiteral("fattura.vxp"));
        const VxtoolResult r =
            runVxtool({QStringLiteral("sample"), QStringLiteral("-o"), generated_});
        ASSERT_EQ(r.exitCode, 0) << describe(r);
        ASSERT_TRUE(QFile::exists(generated_));

        // The sample cut in the middle of page 2: page 1 is complete.
        const QByteArray bytes = readAll(generated_);
        const std::vector<qsizetype> starts = pageStarts(bytes);
        ASSERT_EQ(starts.size(), 4u);
        truncated_ = dir_->filePath(QStringLiteral("troncato.vxp"));
        ASSERT_TRUE(writeAll(truncated_, bytes.left((starts[1] + starts[2]) / 2)));

        notReport_ = dir_->filePath(QStringLiteral("non un report.vxp"));
        ASSERT_TRUE(writeAll(notReport_, QByteArray("questo non è un report preparato\n")));

        // A printer list with one line and a page count of 0.
        empty_ = dir_->filePath(QStringLiteral("vuoto.vxp"));
        QByteArray e("\x01\x00\x03\x00"
                     "PDF"
                     "\x00\x00\x00\x00",
                     11);
        ASSERT_TRUE(writeAll(empty_, e));
    }
    static void TearDownTestSuite() { dir_.reset(); }

    static QString tempPath(const QString& name) { return dir_->filePath(name); }

    static inline std::unique_ptr<QTemporaryDir> dir_;
    static inline QString generated_;
    static inline QString truncated_;
    static inline QString notReport_;
    static inline QString empty_;
};

// The committed sample and a fresh one describe the same three A4 pages.
TEST_F(VxtoolPagesTest, InfoListsEveryPageInItsFormat) {
    static const QRegularExpression pageLine(QStringLiteral(
        "^page (\\d+): paper (\\d+) (\\d+)x(\\d+) (portrait|landscape) margins ([01]) "
        "picture (\\d+)x(\\d+) records (\\d+)$"));
    QString previous;
    for (const QString& file : {committedSample(), generated_}) {
        SCOPED_TRACE(file.toStdString());
        const VxtoolResult r = runVxtool({QStringLiteral("info"), file});
        ASSERT_EQ(r.exitCode, 0) << describe(r);
        const QStringList lines = outLines(r);
        ASSERT_EQ(lines.size(), 4) << describe(r);
        EXPECT_EQ(lines[0], QStringLiteral("pages: 3"));
        for (int i = 1; i <= 3; ++i) {
            const QRegularExpressionMatch m = pageLine.match(lines[i]);
            ASSERT_TRUE(m.hasMatch()) << lines[i].toStdString();
            EXPECT_EQ(m.captured(1).toInt(), i);
            EXPECT_EQ(m.captured(2), QStringLiteral("9"));
            EXPECT_EQ(m.captured(3), QStringLiteral("2100"));
            EXPECT_EQ(m.captured(4), QStringLiteral("2970"));
            EXPECT_EQ(m.captured(5), QStringLiteral("portrait"));
            EXPECT_EQ(m.captured(6), QStringLiteral("1"));
            EXPECT_EQ(m.captured(7), QStringLiteral("793"));
            EXPECT_EQ(m.captured(8), QStringLiteral("1122"));
            EXPECT_GT(m.captured(9).toInt(), 20);
        }
        if (!previous.isEmpty()) {
            EXPECT_EQ(r.out, previous) << "the committed sample differs from the generator";
        }
        previous = r.out;
    }
}

TEST_F(VxtoolPagesTest, InfoOfAnEmptyReport) {
    const VxtoolResult r = runVxtool({QStringLiteral("info"), empty_});
    ASSERT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_EQ(r.out, QStringLiteral("pages: 0\n"));
}

TEST_F(VxtoolPagesTest, TextPrintsPageTabTextInRecordOrder) {
    const VxtoolResult all = runVxtool({QStringLiteral("text"), committedSample()});
    ASSERT_EQ(all.exitCode, 0) << describe(all);
    const QStringList lines = outLines(all);
    ASSERT_GT(lines.size(), 100);
    int lastPage = 1;
    for (const QString& line : lines) {
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        ASSERT_GT(tab, 0) << line.toStdString();
        const int page = line.left(tab).toInt();
        EXPECT_TRUE(page >= lastPage && page <= 3) << line.toStdString();
        lastPage = page;
    }
    // Accented letters, the euro sign and typographic quotes survive.
    for (const char* expected :
         {"1\tSocietà Esempio S.r.l.", "1\tCittà Nuova S.p.A.", "1\tPrezzo €",
          "1\tCartucce d’inchiostro nero", "2\tTotale € 1.234,56", "2\tBanca Popolare di Forlì",
          "3\tNiccolò Bianchi", "3\tPâtisserie Dupré", "3\tPagina 3 di 3"})
        EXPECT_TRUE(lines.contains(QString::fromUtf8(expected))) << expected;
    EXPECT_EQ(runVxtool({QStringLiteral("text"), generated_}).out, all.out);

    const VxtoolResult page2 = runVxtool(
        {QStringLiteral("text"), committedSample(), QStringLiteral("--page"), QStringLiteral("2")});
    ASSERT_EQ(page2.exitCode, 0) << describe(page2);
    QStringList expected;
    for (const QString& line : lines)
        if (line.startsWith(QStringLiteral("2\t")))
            expected << line;
    EXPECT_EQ(outLines(page2), expected);
}

TEST_F(VxtoolPagesTest, FindPrintsEveryHitInDocumentOrder) {
    struct Case {
        QStringList args;
        QStringList expectedPages; // page of each hit, in order; empty: no hit
    };
    const QString f = committedSample();
    const QString totale = QStringLiteral("Totale");
    const std::vector<Case> cases = {
        {{totale}, {QStringLiteral("2")}},
        {{QStringLiteral("TOTALE")}, {QStringLiteral("2")}},
        {{QStringLiteral("TOTALE"), QStringLiteral("--case")}, {}},
        {{QStringLiteral("Tot")}, {QStringLiteral("2")}},
        {{QStringLiteral("Tot"), QStringLiteral("--word")}, {}},
        {{totale, QStringLiteral("--word"), QStringLiteral("--case")}, {QStringLiteral("2")}},
        {{QStringLiteral("Pagina"), QStringLiteral("--word")},
         {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}},
        {{QStringLiteral("Pagina"), QStringLiteral("--from-page"), QStringLiteral("2")},
         {QStringLiteral("2"), QStringLiteral("3")}},
        {{QStringLiteral("Niccolò")}, {QStringLiteral("3")}},
        {{QStringLiteral("assente dal documento")}, {}},
    };
    static const QRegularExpression hitLine(QStringLiteral("^page (\\d+) record (\\d+)$"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(QLatin1Char(' ')).toStdString());
        const VxtoolResult r = runVxtool(QStringList{QStringLiteral("find"), f} + c.args);
        ASSERT_EQ(r.exitCode, 0) << describe(r);
        QStringList pages;
        int lastKey = -1;
        for (const QString& line : outLines(r)) {
            const QRegularExpressionMatch m = hitLine.match(line);
            ASSERT_TRUE(m.hasMatch()) << line.toStdString();
            const int key = m.captured(1).toInt() * 100000 + m.captured(2).toInt();
            EXPECT_GT(key, lastKey) << "hits out of document order";
            EXPECT_GT(m.captured(2).toInt(), 0) << "the header record holds no text";
            lastKey = key;
            pages << m.captured(1);
        }
        EXPECT_EQ(pages, c.expectedPages) << describe(r);
    }
}

TEST_F(VxtoolPagesTest, RenderWritesThePageAtTheZoomAsAPng) {
    struct Case {
        QString file;
        QString page;
        QString zoom; // empty: the default 100
    };
    const std::vector<Case> cases = {
        {committedSample(), QStringLiteral("1"), QString()},
        {committedSample(), QStringLiteral("3"), QStringLiteral("50")},
        {generated_, QStringLiteral("2"), QStringLiteral("200")},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE((c.page + QLatin1Char('@') + c.zoom).toStdString());
        const QString png = tempPath(QStringLiteral("render%1.png").arg(n++));
        QStringList args{QStringLiteral("render"), c.file, QStringLiteral("--page"), c.page,
                         QStringLiteral("-o"),     png};
        if (!c.zoom.isEmpty())
            args << QStringLiteral("--zoom") << c.zoom;
        const VxtoolResult r = runVxtool(args);
        ASSERT_EQ(r.exitCode, 0) << describe(r);
        QImage image;
        ASSERT_TRUE(image.load(png, "PNG"));
        const double zoom = c.zoom.isEmpty() ? 100.0 : c.zoom.toDouble();
        EXPECT_EQ(image.size(), QSize(previewPixels(2100, zoom), previewPixels(2970, zoom)));
        // White paper with something drawn on it.
        EXPECT_EQ(image.pixel(image.width() - 1, image.height() / 2), qRgb(255, 255, 255));
        int dark = 0;
        for (int y = 0; y < image.height(); y += 3)
            for (int x = 0; x < image.width(); x += 3)
                dark += qGray(image.pixel(x, y)) < 128;
        EXPECT_GT(dark, 100);
    }
}

TEST_F(VxtoolPagesTest, PdfHasThePagesOnA4WithTheirText) {
    if (!haveProgram("pdfinfo") || !haveProgram("pdftotext"))
        GTEST_SKIP() << "pdfinfo/pdftotext (poppler-utils) not installed";
    struct Case {
        QStringList range;
        int pages;
        QStringList present;
        QStringList absent;
    };
    const std::vector<Case> cases = {
        {{},
         3,
         {QStringLiteral("Società Esempio S.r.l."), QStringLiteral("Totale € 1.234,56"),
          QStringLiteral("Niccolò Bianchi")},
         {}},
        {{QStringLiteral("--pages"), QStringLiteral("2-3")},
         2,
         {QStringLiteral("Totale € 1.234,56"), QStringLiteral("Pâtisserie Dupré")},
         {QStringLiteral("Cartucce d’inchiostro nero")}},
        {{QStringLiteral("--pages"), QStringLiteral("3")},
         1,
         {QStringLiteral("Elenco clienti")},
         {QStringLiteral("Totale")}},
        // A range past the end stops at the last page.
        {{QStringLiteral("--pages"), QStringLiteral("2-9")}, 2, {QStringLiteral("Forlì")}, {}},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.range.join(QLatin1Char(' ')).toStdString());
        const QString pdf = tempPath(QStringLiteral("out%1.pdf").arg(n++));
        const VxtoolResult r = runVxtool(
            QStringList{QStringLiteral("pdf"), committedSample(), QStringLiteral("-o"), pdf} +
            c.range);
        ASSERT_EQ(r.exitCode, 0) << describe(r);
        const QString info = runProgram(QStringLiteral("pdfinfo"), {pdf});
        EXPECT_TRUE(
            info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(c.pages))))
            << info.toStdString();
        EXPECT_TRUE(info.contains(QStringLiteral("595 x 842 pts (A4)"))) << info.toStdString();
        const QString text = runProgram(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        for (const QString& s : c.present)
            EXPECT_TRUE(text.contains(s)) << s.toStdString();
        for (const QString& s : c.absent)
            EXPECT_FALSE(text.contains(s)) << s.toStdString();
    }
}

// Wrong usage exits with 2 and the usage line; an error with 1 and the
// system's Italian message on stderr, with nothing on stdout.
TEST_F(VxtoolPagesTest, UsageAndErrorsExitCodesAndMessages) {
    const QString missing = tempPath(QStringLiteral("manca.vxp"));
    const QString png = tempPath(QStringLiteral("errore.png"));
    const QString pdf = tempPath(QStringLiteral("errore.pdf"));
    const QString f = committedSample();
    struct Case {
        QStringList args;
        int exitCode;
        QStringList errContains;
    };
    const QString openError = QStringLiteral("Impossibile aprire il file \"%1\".").arg(missing);
    const QString truncatedError =
        QStringLiteral("Errore nella lettura del file \"%1\": il file è danneggiato o "
                       "incompleto (pagina 2).")
            .arg(truncated_);
    const QString notReportError =
        QStringLiteral("Errore nella lettura del file \"%1\"").arg(notReport_);
    const QString page = QStringLiteral("--page");
    const QString o = QStringLiteral("-o");
    const std::vector<Case> cases = {
        {{}, 2, {QStringLiteral("uso: vxtool")}},
        {{QStringLiteral("sconosciuto")}, 2, {QStringLiteral("uso: vxtool")}},
        {{QStringLiteral("info")}, 2, {QStringLiteral("uso: vxtool info")}},
        {{QStringLiteral("text"), f, page, QStringLiteral("0")}, 2, {}},
        {{QStringLiteral("text"), f, page, QStringLiteral("x")}, 2, {}},
        {{QStringLiteral("find"), f}, 2, {QStringLiteral("uso: vxtool find")}},
        {{QStringLiteral("find"), f, QStringLiteral("a"), QStringLiteral("--from-page"),
          QStringLiteral("0")},
         2,
         {}},
        {{QStringLiteral("render"), f, o, png}, 2, {QStringLiteral("uso: vxtool render")}},
        {{QStringLiteral("render"), f, page, QStringLiteral("1"), QStringLiteral("--zoom"),
          QStringLiteral("0"), o, png},
         2,
         {}},
        {{QStringLiteral("render"), f, page, QStringLiteral("1")}, 2, {}},
        {{QStringLiteral("pdf"), f}, 2, {QStringLiteral("uso: vxtool pdf")}},
        {{QStringLiteral("pdf"), f, o, pdf, QStringLiteral("--pages"), QStringLiteral("3-2")},
         2,
         {}},
        {{QStringLiteral("sample")}, 2, {QStringLiteral("uso: vxtool sample")}},

        {{QStringLiteral("text"), f, page, QStringLiteral("4")},
         1,
         {QStringLiteral("La pagina 4 non esiste: il report ha 3 pagine.")}},
        {{QStringLiteral("render"), f, page, QStringLiteral("7"), o, png},
         1,
         {QStringLiteral("La pagina 7 non esiste: il report ha 3 pagine.")}},
        {{QStringLiteral("find"), f, QStringLiteral("a"), QStringLiteral("--from-page"),
          QStringLiteral("5")},
         1,
         {QStringLiteral("La pagina 5 non esiste")}},
        {{QStringLiteral("pdf"), f, o, pdf, QStringLiteral("--pages"), QStringLiteral("4-5")},
         1,
         {QStringLiteral("La pagina 4 non esiste")}},
        {{QStringLiteral("pdf"), empty_, o, pdf}, 1, {QStringLiteral("il report ha 0 pagine")}},

        {{QStringLiteral("info"), missing}, 1, {openError}},
        {{QStringLiteral("text"), missing}, 1, {openError}},
        {{QStringLiteral("find"), missing, QStringLiteral("a")}, 1, {openError}},
        {{QStringLiteral("render"), missing, page, QStringLiteral("1"), o, png}, 1, {openError}},
        {{QStringLiteral("pdf"), missing, o, pdf}, 1, {openError}},

        {{QStringLiteral("info"), truncated_}, 1, {truncatedError}},
        {{QStringLiteral("text"), truncated_}, 1, {truncatedError}},
        {{QStringLiteral("find"), truncated_, QStringLiteral("a")}, 1, {truncatedError}},
        {{QStringLiteral("render"), truncated_, page, QStringLiteral("1"), o, png},
         1,
         {truncatedError}},
        {{QStringLiteral("pdf"), truncated_, o, pdf}, 1, {truncatedError}},
        {{QStringLiteral("info"), notReport_}, 1, {notReportError}},

        {{QStringLiteral("sample"), o, tempPath(QStringLiteral("nessuna/cartella/x.vxp"))},
         1,
         {QStringLiteral("nessuna/cartella/x.vxp")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(QLatin1Char(' ')).toStdString());
        const VxtoolResult r = runVxtool(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << describe(r);
        for (const QString& s : c.errContains)
            EXPECT_TRUE(r.err.contains(s)) << describe(r);
        if (c.exitCode != 0) {
            EXPECT_TRUE(r.out.isEmpty()) << describe(r);
        }
    }
    // Failed commands leave no output file behind.
    EXPECT_FALSE(QFile::exists(png));
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(VxtoolPagesTest, SampleReplacesAnExistingFileAndIsReproducible) {
    const QString target = tempPath(QStringLiteral("esistente.vxp"));
    ASSERT_TRUE(writeAll(target, QByteArray("vecchio contenuto")));
    const VxtoolResult r = runVxtool({QStringLiteral("sample"), QStringLiteral("-o"), target});
    ASSERT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_EQ(readAll(target), readAll(generated_));
    // No temporary file is left beside the target.
    const QStringList left = QDir(QFileInfo(target).absolutePath())
                                 .entryList({QStringLiteral("esistente*")}, QDir::Files);
    EXPECT_EQ(left, QStringList{QStringLiteral("esistente.vxp")});
}

} // namespace
