// vxtool pdf F.vxp -o out.pdf [--pages A-B]: the pages (all, or A to B from
// 1) as a vector PDF, each on a sheet of its own paper, placed as printing
// places them; text stays text.
#include "app/vxtool/command.h"
#include "app/vxtool/prepared_load.h"
#include "preview/pdf_export.h"

#include <QRegularExpression>

namespace vx::tool {

namespace {

// "A-B" or "A" (from 1); false when malformed.
bool parseRange(const QString& text, int& first, int& last) {
    static const QRegularExpression re(
        QStringLiteral("^\\s*(\\d{1,9})\\s*(?:-\\s*(\\d{1,9})\\s*)?$"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        return false;
    first = m.captured(1).toInt();
    last = m.captured(2).isEmpty() ? first : m.captured(2).toInt();
    return first >= 1 && last >= first;
}

int runPdf(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    QStringList args = arguments;
    QString output;
    const bool hasOutput = takeOption(args, QStringLiteral("-o"), &output);
    QString range;
    const bool hasRange = takeOption(args, QStringLiteral("--pages"), &range);
    int first = 1;
    int last = 1 << 30;
    if (args.size() != 1 || !hasOutput || output.isEmpty() ||
        (hasRange && !parseRange(range, first, last))) {
        err << "uso: vxtool pdf F.vxp -o out.pdf [--pages A-B]\n";
        return kExitUsage;
    }
    TvxEMFPages pages;
    loadPrepared(pages, args.first());
    if (first > pages.Count()) {
        err << QStringLiteral("La pagina %1 non esiste: il report ha %2 pagine.\n")
                   .arg(first)
                   .arg(pages.Count());
        return kExitError;
    }
    const int written = ExportPdf(pages, output, first, last);
    out << QStringLiteral("%1 pagine scritte in %2\n").arg(written).arg(output);
    return kExitOk;
}

const CommandRegistration registration(QStringLiteral("pdf"),
                                       {QStringLiteral("pdf F.vxp -o out.pdf [--pages A-B]"),
                                        runPdf});

} // namespace

} // namespace vx::tool
