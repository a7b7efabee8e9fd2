// vxtool render F.vxp --page N [--zoom Z] -o out.png|out.svg|out.emf
// vxtool render F.vxp --pages A-B [--zoom Z] -o DIR/page-%d.png
//
// A page as the preview draws it at zoom Z percent (default 100): the
// page's rectangle at that zoom, white, with its picture played record by
// record through the preview's playback (fonts at the zoomed size, each
// string spaced to its recorded width). The output's extension chooses the
// format: PNG, SVG (the same drawing as vectors), or the page's own
// enhanced metafile as stored. With --pages every page of the range is
// written in this one process, "%d" in the output replaced by its number.
#include "app/vxtool/command.h"
#include "app/vxtool/prepared_load.h"
#include "platform/atomic_file.h"
#include "platform/errors.h"
#include "platform/png_writer.h"
#include "preview/page_render.h"

#include <QImage>

#include <cmath>

namespace vx::tool {

namespace {

// Zoom as the preview's zoom box offers it; the image size is bounded by
// preview::kMaxRenderPixels.
constexpr double kMinZoom = 1;
constexpr double kMaxZoom = 1000;
enum class Format { Png, Svg, Emf };

Format formatOf(const QString& output) {
    if (output.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive))
        return Format::Svg;
    if (output.endsWith(QLatin1String(".emf"), Qt::CaseInsensitive))
        return Format::Emf;
    return Format::Png;
}

QByteArray pngOf(const QImage& image, const QString& output) {
    QByteArray png = encodePng(image);
    if (png.isEmpty())
        throw VxError(saveErrorMessage(output));
    return png;
}

// Encoded in memory first, then saved without risking an earlier file.
void writePage(const TvxEMFPages& pages, int page, double zoom, const QString& output) {
    const PreparedPageInfo& info = pages.Pages(page - 1);
    switch (formatOf(output)) {
    case Format::Svg:
        writeFileAtomically(output, preview::renderPageSvg(info, page - 1, zoom));
        return;
    case Format::Emf:
        writeFileAtomically(output, info.Picture.bytes());
        return;
    case Format::Png:
        writeFileAtomically(output, pngOf(preview::renderPage(info, page - 1, zoom), output));
        return;
    }
}

// "A-B" (from 1, A <= B) or a single page "A".
bool parseRange(const QString& text, int* first, int* last) {
    const QStringList parts = text.split(QLatin1Char('-'));
    bool ok1 = false, ok2 = false;
    *first = parts.value(0).toInt(&ok1);
    *last = parts.size() == 2 ? parts.value(1).toInt(&ok2) : *first;
    return parts.size() <= 2 && ok1 && (parts.size() == 1 || ok2) && *first >= 1 && *last >= *first;
}

int runRender(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    Q_UNUSED(out);
    QStringList args = arguments;
    bool hasPage = false;
    int first = takePageOption(args, &hasPage);
    int last = first;
    QString range;
    const bool hasRange = takeOption(args, QStringLiteral("--pages"), &range);
    QString zoomText = QStringLiteral("100");
    takeOption(args, QStringLiteral("--zoom"), &zoomText);
    QString output;
    const bool hasOutput = takeOption(args, QStringLiteral("-o"), &output);
    bool zoomOk = false;
    const double zoom = zoomText.toDouble(&zoomOk);
    const bool rangeOk =
        hasRange ? parseRange(range, &first, &last) && output.count(QStringLiteral("%d")) == 1
                 : hasPage && first >= 1;
    if (args.size() != 1 || hasPage == hasRange || !rangeOk || !hasOutput || !zoomOk ||
        !std::isfinite(zoom) || zoom < kMinZoom || zoom > kMaxZoom) {
        err << "uso: vxtool render F.vxp --page N [--zoom Z] -o out.png|out.svg|out.emf\n"
               "     vxtool render F.vxp --pages A-B [--zoom Z] -o CARTELLA/pagina-%d.png\n";
        return kExitUsage;
    }
    TvxEMFPages pages;
    loadPreparedPictures(pages, args.first());
    if (last > pages.Count()) {
        err << QStringLiteral("La pagina %1 non esiste: il report ha %2 pagine.\n")
                   .arg(last)
                   .arg(pages.Count());
        return kExitError;
    }
    for (int page = first; page <= last; ++page) {
        QString target = output;
        writePage(pages, page, zoom,
                  hasRange ? target.replace(QStringLiteral("%d"), QString::number(page)) : output);
    }
    return kExitOk;
}

const CommandRegistration registration(
    QStringLiteral("render"),
    {QStringLiteral("render F.vxp --page N | --pages A-B [--zoom Z] -o out.png|out.svg|out.emf"),
     runRender});

} // namespace

} // namespace vx::tool
