// vxtool text F.vxp [--page N]: the text records of the pages, in record
// order, one per line: the page number (from 1), a tab, the text.
#include "app/vxtool/command.h"
#include "app/vxtool/prepared_load.h"
#include "platform/emf/emf_text.h"

namespace vx::tool {

namespace {

int runText(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    QStringList args = arguments;
    bool hasPage = false;
    const int page = takePageOption(args, &hasPage);
    if (args.size() != 1 || page < 0) {
        err << "uso: vxtool text F.vxp [--page N]\n";
        return kExitUsage;
    }
    TvxEMFPages pages;
    loadPrepared(pages, args.first());
    if (hasPage && page > pages.Count()) {
        err << QStringLiteral("La pagina %1 non esiste: il report ha %2 pagine.\n")
                   .arg(page)
                   .arg(pages.Count());
        return kExitError;
    }
    for (int i = 0; i < pages.Count(); ++i) {
        if (hasPage && i + 1 != page)
            continue;
        for (const emf::EmfTextItem& item : emf::extractText(pages.Pages(i).Picture)) {
            // A line per record: line breaks inside a string would split it.
            QString text = item.text;
            text.replace(QLatin1Char('\n'), QLatin1Char(' '))
                .replace(QLatin1Char('\r'), QLatin1Char(' '));
            out << (i + 1) << "\t" << text << "\n";
        }
    }
    return kExitOk;
}

const CommandRegistration registration(QStringLiteral("text"),
                                       {QStringLiteral("text F.vxp [--page N]"), runText});

} // namespace

} // namespace vx::tool
