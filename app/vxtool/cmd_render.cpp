// vxtool render F.vxp --page N [--zoom Z] -o out.png: the page as the
// preview draws it at zoom Z percent (default 100): the page's rectangle at
// that zoom, white, with its picture played record by record through the
// preview's playback (fonts at the zoomed size, each string spaced to its
// recorded width).
#include "app/vxtool/command.h"
#include "app/vxtool/prepared_load.h"
#include "platform/atomic_file.h"
#include "platform/errors.h"
#include "preview/page_render.h"

#include <QBuffer>
#include <QImage>

#include <cmath>

namespace vx::tool {

namespace {

// Zoom as the preview's zoom box offers it; the image size is bounded by
// preview::kMaxRenderPixels.
constexpr double kMinZoom = 1;
constexpr double kMaxZoom = 1000;

int runRender(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    Q_UNUSED(out);
    QStringList args = arguments;
    bool hasPage = false;
    const int page = takePageOption(args, &hasPage);
    QString zoomText = QStringLiteral("100");
    takeOption(args, QStringLiteral("--zoom"), &zoomText);
    QString output;
    const bool hasOutput = takeOption(args, QStringLiteral("-o"), &output);
    bool zoomOk = false;
    const double zoom = zoomText.toDouble(&zoomOk);
    if (args.size() != 1 || !hasPage || page < 1 || !hasOutput || !zoomOk || !std::isfinite(zoom) ||
        zoom < kMinZoom || zoom > kMaxZoom) {
        err << "uso: vxtool render F.vxp --page N [--zoom Z] -o out.png\n";
        return kExitUsage;
    }
    TvxEMFPages pages;
    loadPrepared(pages, args.first());
    if (page > pages.Count()) {
        err << QStringLiteral("La pagina %1 non esiste: il report ha %2 pagine.\n")
                   .arg(page)
                   .arg(pages.Count());
        return kExitError;
    }
    const QImage image = preview::renderPage(pages.Pages(page - 1), page - 1, zoom);
    // Encoded in memory first, then saved without risking an earlier file.
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        throw VxError(saveErrorMessage(output));
    writeFileAtomically(output, png);
    return kExitOk;
}

const CommandRegistration
    registration(QStringLiteral("render"),
                 {QStringLiteral("render F.vxp --page N [--zoom Z] -o out.png"), runRender});

} // namespace

} // namespace vx::tool
