// vxtool render F.vxp --page N [--zoom Z] -o out.png: the page drawn at zoom
// Z percent (default 100) on white: its picture played as a whole into the
// page rectangle (the page's screen size from its metrics).
#include "app/vxtool/command.h"
#include "app/vxtool/prepared_load.h"
#include "platform/emf/emf_player.h"
#include "platform/errors.h"
#include "platform/painter_canvas.h"

#include <QImage>
#include <QPainter>

#include <cmath>

namespace vx::tool {

namespace {

// Rendering limits: zoom as the preview offers it, and an image size that
// stays well inside memory.
constexpr int kMinZoom = 1;
constexpr int kMaxZoom = 1000;
constexpr qint64 kMaxPixels = 200LL * 1000 * 1000;

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
    const int zoom = zoomText.toInt(&zoomOk);
    if (args.size() != 1 || !hasPage || page < 1 || !hasOutput || !zoomOk || zoom < kMinZoom ||
        zoom > kMaxZoom) {
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
    const PreparedPageInfo& p = pages.Pages(page - 1);
    QSize pageSize(p.PageMetrics.ScreenWidth, p.PageMetrics.ScreenHeight);
    if (pageSize.width() <= 0 || pageSize.height() <= 0)
        pageSize = p.PictureSize;
    const double scale = zoom / 100.0;
    const QSize imageSize(std::max(1, int(std::lround(pageSize.width() * scale))),
                          std::max(1, int(std::lround(pageSize.height() * scale))));
    if (qint64(imageSize.width()) * imageSize.height() > kMaxPixels)
        throw VxError(QStringLiteral("La pagina è troppo grande per questo ingrandimento."));
    QImage image(imageSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        PainterCanvas canvas(painter, QTransform::fromScale(scale, scale));
        emf::EmfPlayer player(p.Picture);
        player.play(canvas, QRectF(0, 0, pageSize.width(), pageSize.height()));
    }
    if (!image.save(output, "PNG"))
        throw VxError(QStringLiteral("Impossibile salvare il file \"%1\".").arg(output));
    return kExitOk;
}

const CommandRegistration
    registration(QStringLiteral("render"),
                 {QStringLiteral("render F.vxp --page N [--zoom Z] -o out.png"), runRender});

} // namespace

} // namespace vx::tool
