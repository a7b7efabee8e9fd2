// vxtool render to SVG, EMF and page ranges, and vxtool diff of two
// prepared reports; the pixel comparison behind diff.

#include "app/demo_samples.h"
#include "platform/database.h"
#include "preview/page_diff.h"
#include "tests/support/vxtool_run.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vx::test {
namespace {

std::string s(const QString& text) {
    return text.toStdString();
}

class RenderAndDiff : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new QTemporaryDir;
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
            qputenv("XDG_RUNTIME_DIR", dir_->path().toLocal8Bit());
        ASSERT_EQ(runVxtool({"samples", "-o", dir_->path()}).exitCode, 0);
        // A copy of the demo database with one customer renamed.
        QFile::copy(path("demo.sqlite"), path("altro.sqlite"));
        Database::open(path("altro.sqlite"))
            ->exec(QStringLiteral("UPDATE clienti SET nome = 'Ottica Canturina' WHERE id = 3"));
        for (const char* db : {"demo", "altro"}) {
            const VxtoolResult r = runVxtool({"prepare", path("lettera.vxf"), "--db",
                                              path(QStringLiteral("%1.sqlite").arg(db)), "-o",
                                              path(QStringLiteral("lettera-%1.vxp").arg(db))});
            ASSERT_EQ(r.exitCode, 0) << s(r.err);
        }
        ASSERT_EQ(runVxtool({"prepare", path("fattura.vxf"), "--db", path("demo.sqlite"), "-o",
                             path("fattura.vxp")})
                      .exitCode,
                  0);
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    static QString path(const QString& name) { return dir_->filePath(name); }
    static QString path(const char* name) { return path(QString::fromUtf8(name)); }
    static QByteArray read(const QString& file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static QTemporaryDir* dir_;
};
QTemporaryDir* RenderAndDiff::dir_ = nullptr;

TEST_F(RenderAndDiff, RenderWritesSvgEmfAndPageRanges) {
    const QString vxp = path("lettera-demo.vxp");
    ASSERT_EQ(runVxtool({"render", vxp, "--page", "2", "-o", path("p.svg")}).exitCode, 0);
    const QByteArray svg = read(path("p.svg"));
    EXPECT_TRUE(svg.contains("<svg")) << svg.left(200).toStdString();
    // Texts are drawn as outlines: many paths, no empty text elements.
    EXPECT_GT(svg.count("<path"), 20) << svg.size();
    EXPECT_FALSE(svg.contains("<text")) << svg.size();

    ASSERT_EQ(runVxtool({"render", vxp, "--page", "2", "-o", path("p.emf")}).exitCode, 0);
    const QByteArray emf = read(path("p.emf"));
    ASSERT_GT(emf.size(), 44);
    EXPECT_EQ(emf.left(4), QByteArray("\x01\0\0\0", 4));
    EXPECT_EQ(emf.mid(40, 4), QByteArray(" EMF"));

    const VxtoolResult range =
        runVxtool({"render", vxp, "--pages", "2-4", "-o", path("pagina-%d.png")});
    ASSERT_EQ(range.exitCode, 0) << s(range.err);
    ASSERT_EQ(runVxtool({"render", vxp, "--page", "3", "-o", path("sola.png")}).exitCode, 0);
    EXPECT_EQ(QImage(path("pagina-3.png")), QImage(path("sola.png")));
    // vxtool's own light platform draws exactly as Qt's "offscreen" one.
    ASSERT_EQ(runVxtool({"render", vxp, "--page", "3", "-o", path("offscreen.png")}, {}, {},
                        QStringLiteral("offscreen"))
                  .exitCode,
              0);
    EXPECT_EQ(QImage(path("offscreen.png")), QImage(path("sola.png")));
    EXPECT_TRUE(QFile::exists(path("pagina-2.png")) && QFile::exists(path("pagina-4.png")));
    EXPECT_FALSE(QFile::exists(path("pagina-1.png")) || QFile::exists(path("pagina-5.png")));

    struct Case {
        QStringList args;
        int exitCode;
        const char* message;
    };
    const Case cases[] = {
        {{"--pages", "9-11", "-o", path("x-%d.png")}, 1, "La pagina 11 non esiste"},
        {{"--pages", "1-2", "-o", path("x.png")}, 2, "uso: vxtool render"},
        {{"--pages", "3-2", "-o", path("x-%d.png")}, 2, "uso: vxtool render"},
        {{"--page", "1", "--pages", "1-2", "-o", path("x-%d.png")}, 2, "uso: vxtool render"},
    };
    for (const Case& c : cases) {
        const VxtoolResult r = runVxtool(QStringList{"render", vxp} + c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << s(c.args.join(' '));
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.message))) << s(r.err);
    }
}

TEST_F(RenderAndDiff, DiffListsExactlyThePagesThatDiffer) {
    const VxtoolResult same =
        runVxtool({"diff", path("lettera-demo.vxp"), path("lettera-demo.vxp")});
    EXPECT_EQ(same.exitCode, 0) << s(same.err);
    EXPECT_EQ(same.out, QStringLiteral("pagine: 10 e 10\ni report sono uguali\n"));

    const QString images = path("differenze");
    const VxtoolResult changed =
        runVxtool({"diff", path("lettera-demo.vxp"), path("lettera-altro.vxp"), "-o", images});
    EXPECT_EQ(changed.exitCode, 1) << s(changed.err);
    const QStringList lines = changed.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << s(changed.out);
    EXPECT_EQ(lines[0], QStringLiteral("pagine: 10 e 10"));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("pagina 3: "))) << s(lines[1]);
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral(" pixel diversi"))) << s(lines[1]);
    EXPECT_EQ(QDir(images).entryList(QDir::Files), QStringList{"pagina-3.png"});

    const VxtoolResult counts = runVxtool({"diff", path("lettera-demo.vxp"), path("fattura.vxp")});
    EXPECT_EQ(counts.exitCode, 1);
    EXPECT_TRUE(counts.out.startsWith(QStringLiteral("pagine: 10 e 4\n"))) << s(counts.out);
    EXPECT_TRUE(counts.out.endsWith(QStringLiteral("pagina 10: solo in A\n"))) << s(counts.out);
}

// The pixel rule: a channel beyond the tolerance, or a pixel of one page only.
TEST(PageDiff, CountsDifferingPixelsAndPaintsThemRed) {
    QImage base(3, 2, QImage::Format_RGB32);
    base.fill(qRgb(0, 0, 0));
    QImage shifted = base;
    shifted.setPixel(1, 1, qRgb(0, 10, 0));
    QImage wider(4, 2, QImage::Format_RGB32);
    wider.fill(qRgb(0, 0, 0));
    struct Case {
        QImage b;
        int tolerance;
        qint64 pixels;
    };
    const Case cases[] = {{base, 0, 0}, {shifted, 9, 1}, {shifted, 10, 0}, {wider, 0, 2}};
    for (const Case& c : cases)
        EXPECT_EQ(preview::comparePages(base, c.b, c.tolerance).pixels, c.pixels)
            << c.tolerance << " " << c.b.width();
    const QImage picture = preview::comparePages(base, shifted, 0).picture;
    EXPECT_EQ(picture.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(picture.pixel(0, 0), qRgb(192, 192, 192)); // black faded to a quarter
}

} // namespace
} // namespace vx::test
