// Template files: extension and folder rules, messages, search in the
// program's folder, safe saving, template libraries, AutoLoad.
#include "report_fixture.h"

#include "platform/component.h"
#include "platform/errors.h"
#include "platform/platform_state.h"
#include "report/memo_view.h"
#include "report/report.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUuid>

namespace vx::test {
namespace {

class TemplateFiles : public ReportTest {
protected:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }

    static QString errorOf(const std::function<void()>& f) {
        try {
            f();
        } catch (const VxError& e) {
            return e.message();
        }
        return QString();
    }
    static void writeSample(const QString& fileName, const QString& text) {
        TvxReport report;
        report.Pages->Pages(0).Add(std::make_unique<TvxMemoView>(&report))->Lines = {text};
        report.SaveToFile(fileName);
    }
    static QString firstLine(const TvxReport& report) {
        return report.Pages->Pages(0).Objects.empty()
                   ? QString()
                   : report.Pages->Pages(0).Object(0)->Lines.value(0);
    }
};

TEST_F(TemplateFiles, SaveAndLoadApplyTheExtensionRule) {
    writeSample(path("a.txt"), "uno");
    EXPECT_TRUE(QFile::exists(path("a.txt.vxf")));
    writeSample(path("B.VXF"), "due");
    EXPECT_TRUE(QFile::exists(path("B.VXF")));
    EXPECT_FALSE(QFile::exists(path("B.VXF.vxf")));

    TvxReport report;
    report.LoadFromFile(path("a.txt"));
    EXPECT_EQ(firstLine(report), "uno");
    EXPECT_EQ(report.FileName, "a.txt.vxf");
    report.LoadFromFile(path("B.VXF"));
    EXPECT_EQ(firstLine(report), "due");
}

TEST_F(TemplateFiles, MissingFileMessage) {
    Component form(nullptr, "Form1");
    TvxReport report(&form);
    report.setName("Report1");
    const QString name = path("manca");
    EXPECT_EQ(errorOf([&] { report.LoadFromFile(name); }),
              QString::fromUtf8("Si è tentato di caricare da disco il report 'Form1.Report1'. "
                                "\r\nMa il file '%1.vxf' è inesistente")
                  .arg(name));
}

TEST_F(TemplateFiles, ReportDirRestrictsFolders) {
    Component form(nullptr, "Form1");
    TvxReport report(&form);
    report.setName("Report1");
    report.ReportDir = "C:\\Rep";
    EXPECT_EQ(errorOf([&] { report.LoadFromFile("C:\\Other\\x.vxf"); }),
              QString::fromUtf8("Si è tentato di caricare il report \"Form1.Report1\" da una "
                                "cartella non valida.\r\nE' possibile caricare il report solo "
                                "dalla cartella:  \"C:\\Rep\""));
    EXPECT_EQ(errorOf([&] { report.SaveToFile("C:\\Other\\x.vxf"); }),
              QString::fromUtf8("Si è tentato di salvare il report \"Form1.Report1\" in una "
                                "cartella non valida.\r\nE' possibile salvare il report solo "
                                "nella cartella:  \"C:\\Rep\""));
    // The same folder in other case passes the check (and then is missing).
    EXPECT_TRUE(errorOf([&] {
                    report.LoadFromFile("c:\\rep\\x.vxf");
                }).contains(QString::fromUtf8("è inesistente")));

    // A bare name is read from and written to the report folder.
    report.ReportDir = dir.path();
    report.SaveToFile("x");
    EXPECT_TRUE(QFile::exists(path("x.vxf")));
    writeSample(path("x.vxf"), "nella cartella");
    report.LoadFromFile("x.vxf");
    EXPECT_EQ(firstLine(report), "nella cartella");
}

TEST_F(TemplateFiles, MissingFileIsFoundInTheProgramFolder) {
    const QString bare = QUuid::createUuid().toString(QUuid::Id128) + ".vxf";
    const QString inProgramDir = QCoreApplication::applicationDirPath() + "/" + bare;
    writeSample(inProgramDir, "dal programma");
    const QString before = QDir::currentPath();
    QDir::setCurrent(dir.path());
    TvxReport report;
    report.LoadFromFile(bare);
    EXPECT_EQ(firstLine(report), "dal programma");
    EXPECT_EQ(QDir::currentPath(), QDir(dir.path()).canonicalPath());
    QDir::setCurrent(before);
    QFile::remove(inProgramDir);
}

TEST_F(TemplateFiles, FailedSaveKeepsThePreviousFile) {
    writeSample(path("t.vxf"), "prima");
    QFile file(path("t.vxf"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    TvxReport report;
    report.FileName = "old.vxf";
    QString message;
    {
        const ScopedOverride refuseRename(platformState().AtomicRenameHook,
                                          [](const QString&) { return false; });
        message = errorOf([&] { report.SaveToFile(path("t.vxf")); });
    }
    EXPECT_EQ(message, QString::fromUtf8(
                           "Si è verificato un errore durante la fase di salvataggio del report"));
    EXPECT_EQ(report.FileName, "old.vxf");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"t.vxf"}));
}

TEST_F(TemplateFiles, TemplateLibraryKeepsDescriptionPictureAndPages) {
    QImage preview(8, 6, QImage::Format_RGB32);
    preview.fill(Qt::blue);
    {
        TvxReport report;
        report.Pages->Add();
        report.Pages->Pages(1).Add(std::make_unique<TvxMemoView>(&report))->Lines = {"libreria"};
        report.SaveTemplateFile(path("m.vxt"), {"Fattura", "semplice"}, preview);
    }
    TvxReport report;
    QStringList description;
    QImage picture;
    report.LoadTemplateFile(path("m.vxt"), description, picture, false);
    EXPECT_EQ(description, QStringList({"Fattura", "semplice"}));
    EXPECT_EQ(picture.size(), QSize(8, 6));
    EXPECT_EQ(report.Pages->Count(), 1); // pages untouched

    QStringList ignored{"x"};
    QImage ignoredPicture;
    report.LoadTemplateFile(path("m.vxt"), ignored, ignoredPicture, true);
    ASSERT_EQ(report.Pages->Count(), 2);
    EXPECT_EQ(report.Pages->Pages(1).Object(0)->Lines, QStringList({"libreria"}));
    EXPECT_TRUE(messages().empty());
}

TEST_F(TemplateFiles, AutoLoadLoadsAndReloadsWhenTheFileChanges) {
    writeSample(path("auto.vxf"), "prima");
    TvxReport report;
    report.SetAutoLoad(path("auto.vxf"));
    EXPECT_EQ(firstLine(report), "prima");
    EXPECT_EQ(report.AutoLoadFile, path("auto.vxf"));

    writeSample(path("auto.vxf"), "dopo");
    QFile file(path("auto.vxf"));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.setFileTime(report.AutoLoadTime.addSecs(5), QFileDevice::FileModificationTime);
    file.close();
    report.CheckAutoLoad();
    EXPECT_EQ(firstLine(report), "dopo");

    report.SetAutoLoad(QString());
    EXPECT_TRUE(report.Pages->Pages(0).Objects.empty());
}

} // namespace
} // namespace vx::test
