// PDF export: page count and sheet sizes (pdfinfo), text kept as text
// (pdftotext), fonts embedded once (pdffonts); the end-to-end print through
// the run's private CUPS PDF queue when there is one.

#include "preview/pdf_export.h"
#include "preview/print_pages.h"
#include "report/printer_settings.h"
#include "tests/preview/cups_printer.h"
#include "tests/preview/preview_fixtures.h"
#include "tests/support/cups_queue.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vx {
namespace {

QString run(const QString& tool, const QStringList& args) {
    QProcess p;
    p.start(tool, args);
    if (!p.waitForFinished(30000))
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

bool haveTools() {
    return !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

QString pdfInfo(const QString& file, int page = 0) {
    QStringList args;
    if (page > 0)
        args << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l")
             << QString::number(page);
    return run(QStringLiteral("pdfinfo"), args << file);
}

TEST(PdfExport, PagesSizesAndText) {
    if (!haveTools())
        GTEST_SKIP() << "poppler-utils not installed";
    auto report = test::a4Report(2);
    const auto text = [](int n) {
        return [n](Canvas& c) {
            c.setFont(FontSpec{});
            c.textOut(100, 100, QStringLiteral("Pagina numero %1").arg(n));
        };
    };
    test::addPage(*report->PreparedPages, 2970, 2100, text(3)); // one landscape sheet
    report->PreparedPages->Pages(2).Orientation = 1;
    test::addPage(*report->PreparedPages, 2100, 2970, [&](Canvas& c) {
        text(4)(c);
        // A clipped record: only what its rectangle shows reaches the PDF.
        c.textOut(100, 200, QStringLiteral("Visibile") + QString(60, QLatin1Char(' ')) + "Nascosto",
                  TextOutOption::Clipped, rectFromEdges(90, 180, 250, 230));
    });
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("out.pdf"));
    dir.setAutoRemove(qEnvironmentVariableIsEmpty("VX_KEEP_PDF"));
    if (!dir.autoRemove())
        qInfo("%s", qPrintable(file));
    EXPECT_EQ(ExportPdf(*report->PreparedPages, file), 4);
    const QString info = pdfInfo(file);
    EXPECT_TRUE(info.contains(QStringLiteral("Pages:           4"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("595 x 842 pts (A4)"))) << info.toStdString();
    EXPECT_TRUE(pdfInfo(file, 3).contains(QStringLiteral("842 x 595 pts")));
    const QString words = run(QStringLiteral("pdftotext"), {file, QStringLiteral("-")});
    for (int i = 1; i <= 4; ++i)
        EXPECT_TRUE(words.contains(QStringLiteral("Pagina numero %1").arg(i))) << i;
    EXPECT_TRUE(words.contains(QStringLiteral("Visibile")));
    EXPECT_FALSE(words.contains(QStringLiteral("Nascosto")));
    if (!QStandardPaths::findExecutable(QStringLiteral("pdffonts")).isEmpty()) {
        // Header, rule, then one row per embedded font: one font, once.
        const QStringList rows =
            run(QStringLiteral("pdffonts"), {file}).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        EXPECT_EQ(rows.size(), 3) << rows.join(QLatin1Char('\n')).toStdString();
    }
}

TEST(PdfExport, RangeAndFileNames) {
    if (!haveTools())
        GTEST_SKIP() << "poppler-utils not installed";
    auto report = test::a4Report(5);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("range.pdf"));
    EXPECT_EQ(ExportPdf(*report->PreparedPages, file, 2, 3), 2);
    EXPECT_TRUE(pdfInfo(file).contains(QStringLiteral("Pages:           2")));
    const QString text = run(QStringLiteral("pdftotext"), {file, QStringLiteral("-")});
    EXPECT_TRUE(text.contains(QStringLiteral("Pagina numero 2")));
    EXPECT_FALSE(text.contains(QStringLiteral("Pagina numero 4")));

    struct {
        const char* chosen;
        const char* expected;
    } names[] = {{"/a/b/conti.vxp", "/a/b/conti.pdf"},
                 {"/a/b.c/conti", "/a/b.c/conti.pdf"},
                 {"conti.2026.emf", "conti.2026.pdf"}};
    for (const auto& n : names)
        EXPECT_EQ(exportFileName(QString::fromUtf8(n.chosen), QStringLiteral("*.pdf")),
                  QString::fromUtf8(n.expected));
}

TEST(PdfExport, FilterTableHoldsThePdfFilterOnce) {
    RegisterPdfExportFilter();
    RegisterPdfExportFilter();
    int pdf = 0;
    for (const auto& f : ExportFilters())
        if (f.FileMask == QStringLiteral("*.pdf")) {
            ++pdf;
            EXPECT_EQ(f.NameFilter(), QStringLiteral("Documento PDF (*.pdf)"));
        }
    EXPECT_EQ(pdf, 1);
}

// Through the real print system into the run's private cups-pdf queue.
TEST(CupsPrint, JobReachesThePdfQueue) {
    QString whyNot;
    const auto queue = test::CupsQueue::fromEnvironment(whyNot);
    if (!queue)
        GTEST_SKIP() << whyNot.toStdString();
    if (!haveTools())
        GTEST_SKIP() << "poppler-utils not installed";
    auto printer = std::make_unique<test::CupsPrinterSelected>(*queue);
    ASSERT_TRUE(printer->selected);

    auto report = test::a4Report(3);
    report->ShowProgress = false;
    report->Title = QStringLiteral("Prova stampa %1").arg(QCoreApplication::applicationPid());
    const std::unique_ptr<PrintTarget> target = createPrinterTarget();
    EXPECT_TRUE(RunPrintJob(*report, *target, 1, 3, 1, true));
    printer.reset();

    const std::vector<test::CupsJob> jobs = queue->waitForJobs(printJobTitle(report->Title), 1);
    ASSERT_EQ(jobs.size(), 1u) << queue->describeJobs();
    ASSERT_EQ(jobs[0].state, QStringLiteral("completed"));
    const QString info = pdfInfo(queue->pdfOf(jobs[0]));
    EXPECT_TRUE(info.contains(QStringLiteral("Pages:           3"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("(A4)"))) << info.toStdString();
}

} // namespace
} // namespace vx
