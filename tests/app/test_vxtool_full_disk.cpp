// Every vxtool command that writes a file, run against a full file system:
// the command exits 1 with its Italian message, and the file it would have
// replaced keeps its bytes.

#include "report/memo_view.h"
#include "report/report.h"
#include "tests/app/vxtool_fixture.h"
#include "tests/support/full_disk.h"
#include "tests/support/paths.h"
#include "tests/support/vxtool_run.h"

#include <QFile>
#include <QTemporaryDir>

namespace vx::test {
namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(illeggibile)");
}

class VxtoolFullDisk : public ReportTest {};

TEST_F(VxtoolFullDisk, EverySaveKeepsThePreviousFileAndExitsWithTheMessage) {
    FullDisk disk;
    if (!disk.mounted())
        GTEST_SKIP() << disk.skipReason().toStdString();
    ensureRuntimeDir();

    // A small template: its bytes fit the write buffer, which is where a
    // full disk used to go unnoticed.
    QTemporaryDir inputs;
    const QString templateIn = inputs.filePath(QStringLiteral("modello.vxf"));
    {
        TvxReport report;
        report.Pages->Pages(0).Add(std::make_unique<TvxMemoView>(&report))->Lines = {"Fattura"};
        report.SaveToFile(templateIn);
    }
    const QString sample = sourceDir() + QStringLiteral("/samples/fattura.vxp");

    struct Case {
        QString target;
        QStringList args;
        QString message;
    };
    const auto unableToSave = [&](const char* name) {
        return QStringLiteral("Impossibile salvare il file \"%1\".").arg(disk.path(name));
    };
    const std::vector<Case> cases = {
        {disk.path("copia.vxf"),
         {"template", "copy", templateIn, disk.path("copia.vxf")},
         QString::fromUtf8("Si è verificato un errore durante la fase di salvataggio del report")},
        {disk.path("esempio.vxp"),
         {"sample", "-o", disk.path("esempio.vxp")},
         unableToSave("esempio.vxp")},
        {disk.path("preparato.vxp"),
         {"prepare", templateIn, "-o", disk.path("preparato.vxp")},
         unableToSave("preparato.vxp")},
        {disk.path("pagine.pdf"),
         {"pdf", sample, "-o", disk.path("pagine.pdf")},
         QStringLiteral("Impossibile scrivere il file \"%1\".").arg(disk.path("pagine.pdf"))},
        {disk.path("pagina.png"),
         {"render", sample, "--page", "1", "-o", disk.path("pagina.png")},
         unableToSave("pagina.png")},
    };
    std::vector<QByteArray> previous;
    for (const Case& c : cases) {
        QFile f(c.target);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        previous.push_back("contenuto precedente di " + c.target.toUtf8());
        ASSERT_EQ(f.write(previous.back()), previous.back().size());
    }
    const QStringList before = disk.files();
    ASSERT_TRUE(disk.fill());

    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].args.join(' ').toStdString());
        const VxtoolResult r = runVxtool(cases[i].args);
        EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(cases[i].message)) << r.err.toStdString();
        EXPECT_EQ(readAll(cases[i].target), previous[i]);
        EXPECT_EQ(disk.files(), before) << "a temporary file was left behind";
    }
}

} // namespace
} // namespace vx::test
