// vxtool samples -o DIR: writes the demo database (demo.sqlite, from the
// built-in script samples/demo.sql) and the sample templates over it into
// DIR, one line per file written.
#include "app/demo_samples.h"
#include "app/vxtool/command.h"

namespace vx::tool {

namespace {

int runSamples(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    QStringList args = arguments;
    QString dir;
    if (!takeOption(args, QStringLiteral("-o"), &dir) || dir.isEmpty() || !args.isEmpty()) {
        err << "uso: vxtool samples -o CARTELLA\n";
        return kExitUsage;
    }
    for (const QString& file : writeSamples(dir))
        out << file << "\n";
    return kExitOk;
}

const CommandRegistration registration(QStringLiteral("samples"),
                                       {QStringLiteral("samples -o CARTELLA"), runSamples});

} // namespace

} // namespace vx::tool
