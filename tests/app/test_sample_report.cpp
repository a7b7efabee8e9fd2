// The bundled sample prepared report: the generator's output loads, and the
// committed samples/fattura.vxp is what the generator makes today.

#include "app/sample_report.h"
#include "platform/emf/emf_text.h"
#include "report/emf_pages.h"
#include "tests/report/report_fixture.h"
#include "tests/support/paths.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vx;

namespace {

QStringList allTexts(const TvxEMFPages& pages) {
    QStringList out;
    for (int i = 0; i < pages.Count(); ++i)
        for (const auto& item : emf::extractText(pages.Pages(i).Picture))
            out << QStringLiteral("%1\t%2").arg(i + 1).arg(item.text);
    return out;
}

class SampleReportTest : public test::ReportTest {};

} // namespace

TEST_F(SampleReportTest, GeneratedSampleLoadsWithItsTexts) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("fattura.vxp"));
    TvxEMFPages pages;
    buildSampleReport(pages);
    SavePreparedPages(pages, file);
    TvxEMFPages loaded;
    LoadPreparedPages(loaded, file);
    ASSERT_EQ(loaded.Count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(loaded.Pages(i).PaperSize, 9);
        EXPECT_EQ(loaded.Pages(i).PictureSize, QSize(793, 1122));
    }
    const QStringList texts = allTexts(loaded);
    for (const QString& expected :
         {QStringLiteral("1\tSocietà Esempio S.r.l."), QStringLiteral("1\tCittà Nuova S.p.A."),
          QStringLiteral("2\tTotale € 1.234,56"), QStringLiteral("3\tNiccolò Bianchi"),
          QStringLiteral("3\tDocumento generato da DIZEridiv – copia di cortesia")})
        EXPECT_TRUE(texts.contains(expected)) << expected.toStdString();
}

TEST_F(SampleReportTest, CommittedSampleMatchesTheGenerator) {
    TvxEMFPages committed;
    LoadPreparedPages(committed, test::sourceDir() + QStringLiteral("/samples/fattura.vxp"));
    TvxEMFPages fresh;
    buildSampleReport(fresh);
    ASSERT_EQ(committed.Count(), fresh.Count());
    EXPECT_EQ(allTexts(committed), allTexts(fresh));
    for (int i = 0; i < fresh.Count(); ++i)
        EXPECT_EQ(committed.Pages(i).Picture.recordCount(), fresh.Pages(i).Picture.recordCount());
}

// Every page of the sample opens in an independent EMF reader (emf2svg),
// which finds its texts (accented letters and the euro sign), the bitmap
// logo and the note turned by 90 degrees.
TEST_F(SampleReportTest, PagesOpenInAnIndependentReader) {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("emf2svg-conv"));
    if (tool.isEmpty())
        GTEST_SKIP() << "emf2svg-conv is not installed";
    TvxEMFPages pages;
    LoadPreparedPages(pages, test::sourceDir() + QStringLiteral("/samples/fattura.vxp"));
    ASSERT_EQ(pages.Count(), 3);
    QTemporaryDir dir;
    const char* const expected[] = {"Società Esempio S.r.l.", "Totale € 1.234,56",
                                    "Niccolò Bianchi"};
    for (int i = 0; i < pages.Count(); ++i) {
        SCOPED_TRACE(i + 1);
        const QString in = dir.filePath(QStringLiteral("p%1.emf").arg(i + 1));
        const QString out = dir.filePath(QStringLiteral("p%1.svg").arg(i + 1));
        QFile f(in);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(pages.Pages(i).Picture.bytes());
        f.close();
        QProcess p;
        p.start(tool, {QStringLiteral("-i"), in, QStringLiteral("-o"), out});
        ASSERT_TRUE(p.waitForFinished(60000));
        ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        QFile svg(out);
        ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
        const QString content = QString::fromUtf8(svg.readAll());
        EXPECT_TRUE(content.contains(QString::fromUtf8(expected[i])));
        EXPECT_TRUE(content.contains(QStringLiteral("<image")));
        EXPECT_TRUE(content.contains(QStringLiteral("rotate(-90")));
    }
}
