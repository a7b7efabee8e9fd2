#include "app/main_form.h"

#include "engine/engine_hooks.h"
#include "platform/message_box.h"
#include "report/band_view.h"
#include "report/pages.h"
#include "report/printer_settings.h"
#include "report/report.h"
#include "report/report_hooks.h"

#include "report/emf_pages.h"
#include "tests/support/paths.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace vx {
namespace {

// Records the report operations the flow asks for instead of preparing or
// showing anything.
class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedPrinter_ = ReplacePrinterSettings(std::make_unique<TPrinterSettings>());
    }
    void TearDown() override { ReplacePrinterSettings(std::move(savedPrinter_)); }
    QStringList calls_;
    MessageBoxInterceptor boxes_;
    const ScopedOverride<std::function<void(TvxReport&)>> prepareAndShow_{
        reportHooks().PrepareAndShow,
        [this](TvxReport&) { calls_ << QStringLiteral("PrepareAndShow"); }};
    const ScopedOverride<std::function<void(TvxReport&)>> openPreview_{
        reportHooks().OpenPreview, [this](TvxReport&) { calls_ << QStringLiteral("OpenPreview"); }};

private:
    std::unique_ptr<TPrinterSettings> savedPrinter_;
};

TEST_F(MainFormTest, StartsWithCaptionGeometryAndComponents) {
    TMainForm form({QStringLiteral("dizeridiv")});
    EXPECT_EQ(form.windowTitle(), QStringLiteral("KT - DIZEridiv"));
    EXPECT_EQ(form.pos(), QPoint(192, 114));
    EXPECT_EQ(form.size(), QSize(222, 124));
    EXPECT_EQ(form.font().family(), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(form.font().pixelSize(), 11);
    struct Row {
        const char* name;
        const char* className;
    } rows[] = {{"vxReport1", "TvxReport"},
                {"vxRichObject1", "TvxRichObject"},
                {"vxShapeObject1", "TvxShapeObject"},
                {"vxCodeBarreObject1", "TvxCodeBarreObject"},
                {"vxGraphObject1", "TvxGraphObject"},
                {"vxOLEObject1", "TvxOLEObject"},
                {"vxFramedMemoObject1", "TvxFramedMemoObject"},
                {"vxDesigner1", "TvxDesigner"}};
    EXPECT_EQ(form.componentCount(), 8);
    for (const Row& r : rows) {
        Component* c = form.findComponent(QString::fromLatin1(r.name));
        ASSERT_NE(c, nullptr) << r.name;
        EXPECT_EQ(c->className(), QString::fromLatin1(r.className));
        EXPECT_EQ(c->owner(), &form);
    }
    TvxReport* report = form.vxReport1();
    EXPECT_EQ(report->PixelsPerInch, 96);
    EXPECT_TRUE(report->ModalPreview);
    EXPECT_TRUE(report->ShowProgress);
    EXPECT_TRUE(report->PrintToCurrentPrinter);
    EXPECT_EQ(report->Pages->Count(), 1);
}

TEST_F(MainFormTest, MissingOrNoFilePreparesAndCloses) {
    QTemporaryDir dir;
    const QStringList cases[] = {
        {QStringLiteral("dizeridiv")},
        {QStringLiteral("dizeridiv"), QString()},
        {QStringLiteral("dizeridiv"), dir.filePath(QStringLiteral("non esiste.vxp"))},
        {QStringLiteral("dizeridiv"), dir.path()}, // a folder is not a file
    };
    for (const QStringList& args : cases) {
        calls_.clear();
        TMainForm form(args);
        form.show();
        QCoreApplication::processEvents(); // runs the show handler
        EXPECT_EQ(calls_, QStringList{QStringLiteral("PrepareAndShow")})
            << args.value(1).toStdString();
        EXPECT_FALSE(form.isVisible());
    }
    EXPECT_TRUE(boxes_.messages().empty());
}

// With the engine: the report's own template (one empty page) is prepared
// and previewed, or a preparation error is shown and nothing is previewed;
// either way the pages are emptied and the window closes.
TEST_F(MainFormTest, WithoutAFileTheReportIsPreparedAndPreviewed) {
    InstallEngine();
    int previewedPages = -1;
    reportHooks().OpenPreview = [&](TvxReport& r) { previewedPages = r.PreparedPages->Count(); };
    {
        TMainForm form({QStringLiteral("dizeridiv")});
        form.vxReport1()->ShowProgress = false;
        form.show();
        QCoreApplication::processEvents();
        EXPECT_EQ(previewedPages, 1);
        EXPECT_TRUE(boxes_.messages().empty());
        EXPECT_EQ(form.vxReport1()->PreparedPages->Count(), 0);
        EXPECT_FALSE(form.isVisible());
    }
    previewedPages = -1;
    TMainForm form({QStringLiteral("dizeridiv")});
    TvxReport& report = *form.vxReport1();
    report.ShowProgress = false;
    auto band = std::make_unique<TvxBandView>(&report);
    band->SetBandType(btMasterData);
    band->Height = 20;
    band->FormatText = QStringLiteral("vxNessuno");
    report.Pages->Pages(0).Add(std::move(band));
    form.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(previewedPages, -1);
    ASSERT_EQ(boxes_.messages().size(), 1u);
    EXPECT_EQ(boxes_.messages()[0].caption, QStringLiteral("Errore"));
    EXPECT_EQ(boxes_.messages()[0].icon, MessageIcon::Error);
    EXPECT_EQ(boxes_.messages()[0].text.toStdString(),
              "Si è verificato un errore durante la fase di preparazione\r"
              "Non è stato trovato il vxDataset: vxNessuno\rPagina: 1");
    EXPECT_FALSE(form.isVisible());
}

TEST_F(MainFormTest, ExistingFileIsLoadedAndPreviewed) {
    // The preview is opened on the file's pages; further arguments are
    // ignored.
    int previewedPages = -1;
    reportHooks().OpenPreview = [&](TvxReport& r) {
        calls_ << QStringLiteral("OpenPreview");
        previewedPages = r.PreparedPages->Count();
    };
    const QString sample = test::sourceDir() + QStringLiteral("/samples/fattura.vxp");
    TvxReport reference;
    reference.LoadPreparedFile(sample);
    ASSERT_GT(reference.PreparedPages->Count(), 0);

    TMainForm form({QStringLiteral("dizeridiv"), sample, QStringLiteral("altro.vxp")});
    form.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(calls_, QStringList{QStringLiteral("OpenPreview")});
    EXPECT_EQ(previewedPages, reference.PreparedPages->Count());
    EXPECT_FALSE(form.vxReport1()->PreparedFromTemplate);
    EXPECT_TRUE(boxes_.messages().empty());
    EXPECT_FALSE(form.isVisible());
}

// The program itself: without a file (or with one that does not exist,
// named with blanks) it prepares its report and shows the preview, which
// stays until the user closes it: the program runs on, without an error.
TEST(Program, ShowsItsPreparedReportWithoutAFile) {
    const QString program =
        QFileInfo(QCoreApplication::applicationDirPath() + QStringLiteral("/../app/dizeridiv"))
            .absoluteFilePath();
    if (!QFileInfo(program).isExecutable())
        GTEST_SKIP() << "dizeridiv not built";
    QTemporaryDir dir;
    const QStringList cases[] = {
        {},
        {dir.filePath(QStringLiteral("non esiste.vxp"))},
        {QString(), QStringLiteral("ignorato")},
    };
    for (const QStringList& args : cases) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
        process.start(program, args);
        ASSERT_TRUE(process.waitForStarted(30000));
        const bool ended = process.waitForFinished(3000);
        EXPECT_FALSE(ended) << "the program ended without a preview: "
                            << args.join(' ').toStdString() << " "
                            << process.readAllStandardError().toStdString();
        process.kill();
        process.waitForFinished(5000);
    }
}

TEST_F(MainFormTest, DamagedFileShowsErrorAndWindowStays) {
    QFile sample(test::sourceDir() + QStringLiteral("/samples/fattura.vxp"));
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    const QByteArray whole = sample.readAll();
    const QByteArray damaged[] = {
        QByteArray("\x05\x00\x00\x00\x07garbage", 12),
        whole.left(whole.size() / 2), // cut short in the middle of a page
    };
    for (const QByteArray& bytes : damaged) {
        boxes_.clear();
        calls_.clear();
        QTemporaryDir dir;
        // A path with blanks, as it arrives after the platform removed the
        // quotes.
        const QString path = dir.filePath(QStringLiteral("rapporto rotto.vxp"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();

        TMainForm form({QStringLiteral("dizeridiv"), path, QStringLiteral("ignorato")});
        form.show();
        QCoreApplication::processEvents();
        ASSERT_EQ(boxes_.messages().size(), 1u) << bytes.size();
        EXPECT_EQ(boxes_.messages()[0].caption, applicationTitle());
        EXPECT_EQ(boxes_.messages()[0].icon, MessageIcon::Error);
        EXPECT_FALSE(boxes_.messages()[0].text.isEmpty());
        EXPECT_TRUE(calls_.isEmpty()); // no preview
        EXPECT_TRUE(form.isVisible());
        form.close();
    }
}

} // namespace
} // namespace vx
