// The bundled sample prepared report: the generator's output loads, and the
// committed samples/fattura.vxp is what the generator makes today.

#include "../support/paths.h"
#include "platform/emf/emf_text.h"
#include "report/emf_pages.h"
#include "report/sample_report.h"
#include "report_fixture.h"

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
