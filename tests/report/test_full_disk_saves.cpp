// The report's own saves (template, template library, prepared report) on a
// real full file system: each raises its Italian error, keeps the previous
// file byte for byte and leaves no temporary file behind.

#include "platform/errors.h"
#include "report/emf_pages.h"
#include "report/memo_view.h"
#include "report/report.h"
#include "report_fixture.h"
#include "tests/preview/preview_fixtures.h"
#include "tests/support/full_disk.h"

#include <QFile>

namespace vx::test {
namespace {

class FullDiskSaves : public ReportTest {};

TEST_F(FullDiskSaves, EveryReportSaveFailsAndKeepsThePreviousFile) {
    FullDisk disk;
    if (!disk.mounted())
        GTEST_SKIP() << disk.skipReason().toStdString();

    TvxReport report;
    report.Pages->Pages(0).Add(std::make_unique<TvxMemoView>(&report))->Lines = {"Fattura"};
    addPage(*report.PreparedPages, 2100, 2970);
    const QString saveFailed =
        QString::fromUtf8("Si è verificato un errore durante la fase di salvataggio del report");

    struct Case {
        const char* name;
        std::function<void(const QString&)> save;
        QString message;
    };
    const std::vector<Case> cases = {
        {"modello.vxf", [&](const QString& f) { report.SaveToFile(f); }, saveFailed},
        {"libreria.vxt", [&](const QString& f) { report.SaveTemplateFile(f, {"Fattura"}, {}); },
         saveFailed},
        {"stampa.vxp", [&](const QString& f) { report.SavePreparedFile(f); },
         QStringLiteral("Impossibile salvare il file \"%1\".").arg(disk.path("stampa.vxp"))},
    };
    // Each previous file is a real save of the same kind.
    std::vector<QByteArray> previous;
    for (const Case& c : cases) {
        c.save(disk.path(c.name));
        QFile f(disk.path(c.name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        previous.push_back(f.readAll());
    }
    report.Pages->Pages(0).Object(0)->Lines = {"Fattura con una riga in più"};
    addPage(*report.PreparedPages, 2100, 2970);
    const QStringList before = disk.files();
    ASSERT_TRUE(disk.fill());

    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].name);
        const QString file = disk.path(cases[i].name);
        try {
            cases[i].save(file);
            ADD_FAILURE() << "the save reported success";
        } catch (const VxError& e) {
            EXPECT_EQ(e.message(), cases[i].message);
        }
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), previous[i]);
        EXPECT_EQ(disk.files(), before) << "a temporary file was left behind";
    }
}

} // namespace
} // namespace vx::test
