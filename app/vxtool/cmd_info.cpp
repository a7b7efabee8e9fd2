// vxtool info F.vxp: the pages of a prepared report.
//
//   pages: N
//   page I: paper C WxH portrait|landscape margins M picture PWxPH records R
//
// I counts from 1; W and H are the paper in tenths of a millimetre, M the
// margins flag (0 or 1), PWxPH the picture's size in pixels of 1/96 inch and
// R its number of records (header and end record included).
#include "app/vxtool/command.h"
#include "app/vxtool/prepared_load.h"

namespace vx::tool {

namespace {

int runInfo(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    QStringList args = arguments;
    if (args.size() != 1) {
        err << "uso: vxtool info F.vxp\n";
        return kExitUsage;
    }
    TvxEMFPages pages;
    loadPrepared(pages, args.first());
    out << "pages: " << pages.Count() << "\n";
    for (int i = 0; i < pages.Count(); ++i) {
        const PreparedPageInfo& p = pages.Pages(i);
        out << "page " << (i + 1) << ": paper " << p.PaperSize << " " << p.PaperWidth << "x"
            << p.PaperHeight << " " << (p.Orientation ? "landscape" : "portrait") << " margins "
            << p.UseMargins << " picture " << p.PictureSize.width() << "x" << p.PictureSize.height()
            << " records " << p.Picture.recordCount() << "\n";
    }
    return kExitOk;
}

const CommandRegistration registration(QStringLiteral("info"),
                                       {QStringLiteral("info F.vxp"), runInfo});

} // namespace

} // namespace vx::tool
