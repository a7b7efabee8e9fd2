// Exporting from the preview's save dialog through the registered export
// filters: the types after the two built-in ones, the progress window and
// its cancel button, failures reaching the caller.

#include "platform/errors.h"
#include "preview/pdf_export.h"
#include "preview/progress_filter_form.h"
#include "preview/standard_preview.h"
#include "tests/preview/preview_fixtures.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vx {
namespace {

// What the recording filter was asked, for the last export run.
struct FilterLog {
    QString fileName;
    std::vector<int> pages;
    int finished = 0;
    int cancelAfterPage = -1; // press "&Annulla" while this page is exported
    int failOnPage = -1;      // throw while this page is exported
    int barMaximum = -1;
    QString caption;
    QString label;
    bool refuse = false;
};

FilterLog& filterLog() {
    static FilterLog log;
    return log;
}

class RecordingFilter : public TvxExportFilter {
public:
    bool Start(TvxEMFPages&, const QString& fileName) override {
        filterLog().fileName = fileName;
        return !filterLog().refuse;
    }
    void ExportPage(int pageIndex) override {
        FilterLog& log = filterLog();
        log.pages.push_back(pageIndex);
        auto* form = qobject_cast<TProgressFilterForm*>(QApplication::activeModalWidget());
        if (form) {
            log.barMaximum = form->ProgressBar1->maximum();
            log.caption = form->windowTitle();
            log.label = form->Label1->text();
            if (pageIndex == log.cancelAfterPage)
                form->Button1->click();
        }
        if (pageIndex == log.failOnPage)
            throw VxError(QStringLiteral("disco pieno"));
    }
    void Finish() override { ++filterLog().finished; }
};

const QString kTestMask = QStringLiteral("*.prova");

// The save dialog's type number of the filter with `mask`.
int saveTypeOf(const QString& mask) {
    const auto& filters = ExportFilters();
    for (size_t i = 0; i < filters.size(); ++i)
        if (filters[i].FileMask == mask)
            return int(i) + 3;
    return -1;
}

class ExportFilterTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterPdfExportFilter();
        RegisterExportFilter(TvxExportFilterInfo{[] { return std::make_unique<RecordingFilter>(); },
                                                 QStringLiteral("Prova"), kTestMask});
        filterLog() = FilterLog{};
        report = test::a4Report(4);
        window = new TStandardPreview();
        window->setReport(report.get());
        window->resize(800, 600);
        window->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        window->close();
        QApplication::processEvents();
        delete window.data();
    }

    std::unique_ptr<TvxReport> report;
    QPointer<TStandardPreview> window;
    QTemporaryDir dir;
};

TEST_F(ExportFilterTest, PdfTypeFollowsTheBuiltInTypesAndWritesEveryPage) {
    const QStringList types = TStandardPreview::saveDialogFilters();
    ASSERT_GE(types.size(), 4);
    EXPECT_EQ(types[0], QStringLiteral("Report file (*.vxp)"));
    EXPECT_EQ(types[1], QStringLiteral("Enhanced Meta File - File Grafico (*.emf)"));
    EXPECT_EQ(types[2], QStringLiteral("Documento PDF (*.pdf)"));
    EXPECT_EQ(types.indexOf(QStringLiteral("Prova (*.prova)")), saveTypeOf(kTestMask) - 1);
    const int type = saveTypeOf(QStringLiteral("*.pdf"));
    ASSERT_EQ(type, 3); // registered first, at start-up
    window->SaveReportFile(dir.filePath(QStringLiteral("fatture.vxp")), type);
    const QString pdf = dir.filePath(QStringLiteral("fatture.pdf"));
    ASSERT_TRUE(QFile::exists(pdf));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("fatture.vxp"))));
    if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
        GTEST_SKIP() << "poppler-utils not installed";
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    ASSERT_TRUE(info.waitForFinished(30000));
    EXPECT_TRUE(QString::fromUtf8(info.readAllStandardOutput())
                    .contains(QStringLiteral("Pages:           4")));
}

TEST_F(ExportFilterTest, ProgressWindowShowsTheFilterAndCountsPages) {
    window->SaveReportFile(dir.filePath(QStringLiteral("conti")), saveTypeOf(kTestMask));
    const FilterLog& log = filterLog();
    EXPECT_EQ(log.fileName, dir.filePath(QStringLiteral("conti.prova")));
    EXPECT_EQ(log.pages, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(log.finished, 1);
    EXPECT_EQ(log.barMaximum, 4); // the page count
    EXPECT_EQ(log.caption, QStringLiteral("Esportazione..."));
    EXPECT_EQ(log.label, QStringLiteral("Prova"));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(ExportFilterTest, CancelStopsAfterThePageInProgressAndTheFilterFinishes) {
    filterLog().cancelAfterPage = 1;
    const ExportOutcome outcome = ExportReport(
        *report, ExportFilters()[size_t(saveTypeOf(kTestMask) - 3)], dir.filePath("x"));
    EXPECT_EQ(filterLog().pages, (std::vector<int>{0, 1}));
    EXPECT_EQ(filterLog().finished, 1);
    EXPECT_TRUE(outcome.Cancelled);
    EXPECT_EQ(outcome.Pages, 2);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(ExportFilterTest, RefusedOrFailingExports) {
    const TvxExportFilterInfo& info = ExportFilters()[size_t(saveTypeOf(kTestMask) - 3)];
    filterLog().refuse = true;
    const ExportOutcome refused = ExportReport(*report, info, dir.filePath("x"));
    EXPECT_TRUE(refused.FileName.isEmpty());
    EXPECT_TRUE(filterLog().pages.empty());

    // An error of the filter closes the window and reaches the caller.
    filterLog() = FilterLog{};
    filterLog().failOnPage = 2;
    EXPECT_THROW(window->SaveReportFile(dir.filePath("x"), saveTypeOf(kTestMask)), VxError);
    EXPECT_EQ(filterLog().pages, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(filterLog().finished, 0);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    // Types past the table do nothing.
    EXPECT_NO_THROW(window->SaveReportFile(dir.filePath("y"), 3 + int(ExportFilters().size())));
}

TEST(PdfExportFile, FailedExportKeepsTheEarlierFile) {
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("conti.pdf"));
    {
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("earlier");
    }
    auto report = test::a4Report(2);
    // An export that stops half way (an error) is abandoned without Finish.
    std::unique_ptr<TvxExportFilter> filter = createPdfExportFilter();
    ASSERT_TRUE(filter->Start(*report->PreparedPages, name));
    filter->ExportPage(0);
    filter.reset(); // abandoned without Finish
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("earlier"));

    EXPECT_THROW(ExportPdf(*report->PreparedPages, dir.filePath(QStringLiteral("no/such/x.pdf"))),
                 VxError);
}

} // namespace
} // namespace vx
