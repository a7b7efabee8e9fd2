// Opening a template directly in the viewer: the file's content decides
// whether it is a prepared report, a template or a template library; a
// template is loaded over the database of "--db", prepared and previewed.

#include "addins/register_addins.h"
#include "app/demo_samples.h"
#include "app/main_form.h"
#include "app/sample_report.h"
#include "engine/engine_hooks.h"
#include "engine/preparation.h"
#include "platform/message_box.h"
#include "report/dataset_list.h"
#include "report/emf_pages.h"
#include "report/library_state.h"
#include "report/printer_settings.h"
#include "report/report.h"
#include "report/report_file_kind.h"
#include "report/report_hooks.h"
#include "report/value_expansion.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <optional>

#include <gtest/gtest.h>

namespace vx {
namespace {

class OpenTemplate : public ::testing::Test {
protected:
    void SetUp() override {
        resetLibraryState();
        savedPrinter_ = ReplacePrinterSettings(std::make_unique<TPrinterSettings>());
        RegisterAddIns();
        InstallNameResolution();
        InstallEngine();
        ASSERT_TRUE(dir_.isValid());
        writeSamples(dir_.path());
        openPreview_.emplace(reportHooks().OpenPreview, [this](TvxReport& r) {
            calls_ << QStringLiteral("OpenPreview");
            preparedPages_ = r.PreparedPages ? r.PreparedPages->Count() : -1;
        });
    }
    void TearDown() override {
        openPreview_.reset();
        ReplacePrinterSettings(std::move(savedPrinter_));
        resetLibraryState();
    }

    QString path(const QString& name) const { return dir_.filePath(name); }
    QByteArray read(const QString& name) const {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QString write(const QString& name, const QByteArray& bytes) const {
        QFile f(path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path(name);
    }
    QByteArray preparedBytes() const {
        TvxEMFPages pages;
        buildSampleReport(pages);
        SavePreparedPages(pages, path(QStringLiteral("campione.vxp")));
        return read(QStringLiteral("campione.vxp"));
    }
    QByteArray libraryBytes() const {
        TvxReport report;
        report.SaveTemplateFile(path(QStringLiteral("libreria.vxt")), {QStringLiteral("Fattura")},
                                QImage());
        return read(QStringLiteral("libreria.vxt"));
    }

    QStringList calls_;
    int preparedPages_ = -1;
    MessageBoxInterceptor boxes_;
    // Set after the engine's hooks: the engine prepares, then asks for the
    // preview, which only records here.
    std::optional<ScopedOverride<std::function<void(TvxReport&)>>> openPreview_;

private:
    QTemporaryDir dir_;
    std::unique_ptr<TPrinterSettings> savedPrinter_;
};

// The content decides; the extension only where the content does not.
TEST_F(OpenTemplate, ContentDecidesTheKindOfFile) {
    const QByteArray prepared = preparedBytes();
    const QByteArray templ = read(QStringLiteral("fattura.vxf"));
    const QByteArray library = libraryBytes();
    struct Case {
        QByteArray bytes;
        const char* name;
        ReportFileKind kind;
    };
    const Case cases[] = {
        {prepared, "a.vxp", ReportFileKind::Prepared},
        {prepared, "a.vxf", ReportFileKind::Prepared},
        {templ, "a.vxf", ReportFileKind::Template},
        {templ, "a.vxp", ReportFileKind::Template},
        {library, "a.vxf", ReportFileKind::TemplateLibrary},
        {library, "a", ReportFileKind::TemplateLibrary},
        // A prepared report damaged in its first page is still one.
        {prepared.left(40), "a.vxp", ReportFileKind::Prepared},
        {"ciao", "a.txt", ReportFileKind::Template},
        {QByteArray(), "a.vxt", ReportFileKind::TemplateLibrary},
    };
    for (const Case& c : cases)
        EXPECT_EQ(detectReportFileKind(c.bytes, c.bytes.size(), QString::fromLatin1(c.name)),
                  c.kind)
            << c.name << " " << c.bytes.left(8).toHex().toStdString();
}

TEST_F(OpenTemplate, TemplateIsPreparedOverItsDatabaseAndPreviewed) {
    // Named as a prepared report, still a template.
    const QString file = write(QStringLiteral("fattura.vxp"), read(QStringLiteral("fattura.vxf")));
    TMainForm form({QStringLiteral("dizeridiv"), file, QStringLiteral("--db"),
                    path(QStringLiteral("demo.sqlite"))});
    form.FormShow();
    EXPECT_EQ(calls_, QStringList{QStringLiteral("OpenPreview")});
    EXPECT_EQ(form.vxReport1()->DataSets.Count(), 2);
    EXPECT_EQ(preparedPages_, 4); // one page per invoice, customers found by FINDLOOKUP
    EXPECT_TRUE(boxes_.messages().empty());
}

TEST_F(OpenTemplate, WrongFileShowsTheErrorBoxAndTheWindowStays) {
    const QString file = write(QStringLiteral("rotto.vxf"), QByteArray("\x1b\0\0\0\0ciao", 9));
    TMainForm form({QStringLiteral("dizeridiv"), file});
    form.show();
    form.FormShow();
    EXPECT_TRUE(calls_.isEmpty());
    ASSERT_EQ(boxes_.messages().size(), 1u);
    EXPECT_EQ(boxes_.messages().front().icon, MessageIcon::Error);
    EXPECT_TRUE(form.isVisible());
}

} // namespace
} // namespace vx
