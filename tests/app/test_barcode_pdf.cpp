// Barcode objects on an A4 page exported to PDF and rasterised by poppler at
// 300 and 600 dpi: sharp bar edges wherever the symbol stands on the page,
// and the symbols read back by zbarimg.
#include "addins/barcode/codebarre_view.h"
#include "expr/evaluator.h"
#include "preview/pdf_export.h"
#include "report/library_state.h"
#include "tests/preview/preview_fixtures.h"

#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace vx {
namespace {

bool haveTools() {
    return !QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("zbarimg")).isEmpty();
}

// The part `area` (device pixels) of the page rasterised at `dpi`.
QImage rasterise(const QString& pdf, int dpi, const QRect& area, const QString& stem) {
    QProcess p;
    p.start(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-gray"),
             QStringLiteral("-singlefile"), QStringLiteral("-x"), QString::number(area.x()),
             QStringLiteral("-y"), QString::number(area.y()), QStringLiteral("-W"),
             QString::number(area.width()), QStringLiteral("-H"), QString::number(area.height()),
             pdf, stem});
    p.waitForFinished(60000);
    return QImage(stem + QStringLiteral(".pgm"));
}

QString zbar(const QString& image) {
    QProcess p;
    p.start(QStringLiteral("zbarimg"), {QStringLiteral("--raw"), QStringLiteral("-q"), image});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

struct Placed {
    EdgeRect bars; // logical pixels
    int width = 0;
};

TEST(BarcodePdf, SharpEdgesAt300And600DpiAndReadable) {
    if (!haveTools())
        GTEST_SKIP() << "pdftoppm or zbarimg not installed";
    resetLibraryState();
    auto report = std::make_unique<TvxReport>(); // installs its own resolver first
    PrintMode = true;
    ScopedExprResolver scope([](const QString&, const QStringList*, Variant& value) {
        value = Variant(QStringLiteral("400638133393"));
    });
    // Symbols of modules 1 to 3 across the page and down it: an error that
    // grows with the distance from the corner would show on the far ones.
    const QPoint places[] = {{37, 41}, {401, 300}, {455, 1000}};
    std::vector<Placed> placed;
    test::addPage(*report->PreparedPages, 2100, 2970, [&](Canvas& c) {
        int modul = 1;
        for (QPoint at : places) {
            TvxCodeBarreView v(nullptr);
            v.Left = at.x();
            v.Top = at.y();
            v.Height = 70;
            v.BarModul = modul++;
            v.Lines = QStringList{QStringLiteral("Codice")};
            v.Draw(c);
            placed.push_back({v.BarRect, v.BarWidth});
        }
    });
    PrintMode = false;
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("barcode.pdf"));
    ASSERT_EQ(ExportPdf(*report->PreparedPages, pdf), 1);
    for (int dpi : {300, 600}) {
        const double k = dpi / 96.0;
        for (size_t i = 0; i < placed.size(); ++i) {
            const Placed& p = placed[i];
            // The symbol with a quiet zone of 20 pixels around it.
            const QRect area(
                QPoint(int((p.bars.Left - 20) * k), int((p.bars.Top - 20) * k)),
                QPoint(int((p.bars.Left + p.width + 20) * k), int((p.bars.Bottom + 20) * k)));
            const QString stem = dir.filePath(QStringLiteral("bars%1_%2").arg(dpi).arg(i));
            const QImage img = rasterise(pdf, dpi, area, stem);
            ASSERT_FALSE(img.isNull());
            const int left = int(std::floor(p.bars.Left * k)) - 2 - area.x();
            const int right = int(std::ceil((p.bars.Left + p.width) * k)) + 2 - area.x();
            const int top = int(std::ceil(p.bars.Top * k)) + 1 - area.y();
            const int bottom = int(std::floor(p.bars.Bottom * k)) - 1 - area.y();
            int edges = 0;
            for (int x = left; x < right; ++x) {
                const int ref = qGray(img.pixel(x, top));
                ASSERT_TRUE(ref == 0 || ref == 255) << x << " at " << dpi << " dpi: " << ref;
                if (ref != qGray(img.pixel(x - 1, top)))
                    ++edges;
                for (int y = top; y < bottom; y += 7)
                    ASSERT_EQ(qGray(img.pixel(x, y)), ref) << x << "," << y;
            }
            EXPECT_EQ(edges, 60) << dpi << " dpi";
            EXPECT_EQ(zbar(stem + QStringLiteral(".pgm")), QStringLiteral("4006381333931"))
                << dpi << " dpi, symbol " << i;
        }
    }
}

} // namespace
} // namespace vx
