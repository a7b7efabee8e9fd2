// vxtool find F.vxp TEXT [--case] [--word] [--from-page N]: every text
// record that holds TEXT, in document order, one line each:
// "page N record R", N the page from 1 and R the index of the record in the
// page's picture (the header is record 0; the preview numbers the same
// record page index x 10000 + R). These are the hits the preview's search
// steps through from the first page (or from page N) with "Successivo".
#include "app/vxtool/command.h"
#include "app/vxtool/prepared_load.h"
#include "preview/text_search.h"

namespace vx::tool {

namespace {

int runFind(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    QStringList args = arguments;
    const bool caseSensitive = takeFlag(args, QStringLiteral("--case"));
    const bool wholeWord = takeFlag(args, QStringLiteral("--word"));
    QString fromText;
    const bool hasFrom = takeOption(args, QStringLiteral("--from-page"), &fromText);
    bool ok = true;
    const int fromPage = hasFrom ? fromText.toInt(&ok) : 1;
    if (args.size() != 2 || !ok || fromPage < 1) {
        err << "uso: vxtool find F.vxp TESTO [--case] [--word] [--from-page N]\n";
        return kExitUsage;
    }
    TvxEMFPages pages;
    loadPrepared(pages, args.at(0));
    if (hasFrom && fromPage > pages.Count()) {
        err << QStringLiteral("La pagina %1 non esiste: il report ha %2 pagine.\n")
                   .arg(fromPage)
                   .arg(pages.Count());
        return kExitError;
    }
    const std::vector<preview::FindHit> hits =
        preview::findAll(pages, args.at(1), caseSensitive, !wholeWord, fromPage - 1);
    for (const preview::FindHit& hit : hits)
        out << "page " << (hit.page + 1) << " record " << hit.recordIndex << "\n";
    return kExitOk;
}

const CommandRegistration
    registration(QStringLiteral("find"),
                 {QStringLiteral("find F.vxp TESTO [--case] [--word] [--from-page N]"), runFind});

} // namespace

} // namespace vx::tool
