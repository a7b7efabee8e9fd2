// vxtool diff A.vxp B.vxp [-o DIR] [--tolerance N] [--zoom Z]
//
// Compares two prepared reports page by page as the preview draws them
// (zoom Z percent, default 100): the page counts, then every pair of pages
// rendered and compared pixel by pixel (a pixel differs when a colour channel
// differs by more than N, default 0). Prints the page counts and one line per
// page that differs with its count of differing pixels ("pagina 2: 1234
// pixel diversi"; a page of one report only: "pagina 4: solo in B"); with -o
// writes DIR/pagina-N.png for each, the differing pixels red over the faded
// page of A. Exit status 0 when the reports are equal, 1 when they differ
// (or on an error, with its message on stderr), 2 on wrong usage.
#include "app/vxtool/command.h"
#include "app/vxtool/prepared_load.h"
#include "platform/atomic_file.h"
#include "platform/errors.h"
#include "platform/png_writer.h"
#include "preview/page_diff.h"
#include "preview/page_render.h"

#include <QDir>

#include <cmath>

namespace vx::tool {

namespace {

constexpr int kMaxTolerance = 255;
constexpr double kMinZoom = 1;
constexpr double kMaxZoom = 400;

struct DiffOptions {
    QString a, b, dir;
    int tolerance = 0;
    double zoom = 100;
};

bool parseOptions(const QStringList& arguments, DiffOptions& o) {
    QStringList args = arguments;
    QString tolerance = QStringLiteral("0"), zoom = QStringLiteral("100");
    takeOption(args, QStringLiteral("-o"), &o.dir);
    takeOption(args, QStringLiteral("--tolerance"), &tolerance);
    takeOption(args, QStringLiteral("--zoom"), &zoom);
    bool ok1 = false, ok2 = false;
    o.tolerance = tolerance.toInt(&ok1);
    o.zoom = zoom.toDouble(&ok2);
    if (args.size() != 2 || !ok1 || !ok2 || o.tolerance < 0 || o.tolerance > kMaxTolerance ||
        !std::isfinite(o.zoom) || o.zoom < kMinZoom || o.zoom > kMaxZoom)
        return false;
    o.a = args.at(0);
    o.b = args.at(1);
    return true;
}

void writeDifference(const QString& dir, int page, const QImage& picture) {
    const QString file = QDir(dir).filePath(QStringLiteral("pagina-%1.png").arg(page));
    const QByteArray png = encodePng(picture);
    if (png.isEmpty())
        throw VxError(saveErrorMessage(file));
    writeFileAtomically(file, png);
}

int runDiff(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    DiffOptions o;
    if (!parseOptions(arguments, o)) {
        err << "uso: vxtool diff A.vxp B.vxp [-o CARTELLA] [--tolerance N] [--zoom Z]\n";
        return kExitUsage;
    }
    TvxEMFPages a, b;
    loadPreparedPictures(a, o.a);
    loadPreparedPictures(b, o.b);
    if (!o.dir.isEmpty() && !QDir().mkpath(o.dir))
        throw VxError(QStringLiteral("Impossibile creare la cartella %1").arg(o.dir));
    out << "pagine: " << a.Count() << " e " << b.Count() << "\n";
    bool different = a.Count() != b.Count();
    const int pages = std::max(a.Count(), b.Count());
    for (int i = 0; i < pages; ++i) {
        if (i >= a.Count() || i >= b.Count()) {
            out << "pagina " << i + 1 << ": solo in " << (i < a.Count() ? "A" : "B") << "\n";
            continue;
        }
        const preview::PageDifference d =
            preview::comparePages(preview::renderPage(a.Pages(i), i, o.zoom),
                                  preview::renderPage(b.Pages(i), i, o.zoom), o.tolerance);
        if (d.pixels == 0)
            continue;
        different = true;
        out << "pagina " << i + 1 << ": " << d.pixels << " pixel diversi\n";
        if (!o.dir.isEmpty())
            writeDifference(o.dir, i + 1, d.picture);
    }
    if (!different)
        out << "i report sono uguali\n";
    return different ? kExitError : kExitOk;
}

const CommandRegistration registration(
    QStringLiteral("diff"),
    {QStringLiteral("diff A.vxp B.vxp [-o CARTELLA] [--tolerance N] [--zoom Z]"), runDiff});

} // namespace

} // namespace vx::tool
