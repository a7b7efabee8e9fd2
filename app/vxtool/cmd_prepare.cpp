// vxtool prepare T.vxf|T.vxt [--db FILE|URL] [--var NAME=EXPR]... -o out.vxp
//                [--pdf out.pdf]
//
// Loads the template with the database registered as the data module "Dati"
// (one dataset per table, rows ordered by the first column), prepares it and
// writes the prepared report (and the PDF when asked), each file replaced
// whole or not at all. A progress line goes to stderr when stderr is a
// terminal; the load's messages go to stderr. A preparation that fails
// prints its error text on stderr, writes nothing and exits with 1.
#include "app/vxtool/command.h"
#include "app/vxtool/template_load.h"
#include "engine/engine_hooks.h"
#include "engine/preparation.h"
#include "platform/database.h"
#include "preview/pdf_export.h"
#include "report/emf_pages.h"
#include "report/library_state.h"
#include "report/report.h"
#include "report/sql_connection.h"
#include "report/value_expansion.h"
#include "report/values.h"

#include <cstdio>
#include <memory>
#include <unistd.h>

namespace vx::tool {

namespace {

struct PrepareOptions {
    QString templateFile;
    QString db;
    QStringList variables; // NAME=EXPRESSION
    QString output;
    QString pdf;
};

bool parseOptions(const QStringList& arguments, PrepareOptions& o) {
    QStringList args = arguments;
    QString value;
    while (takeOption(args, QStringLiteral("--var"), &value)) {
        if (value.indexOf(QLatin1Char('=')) <= 0)
            return false;
        o.variables << value;
    }
    takeOption(args, QStringLiteral("--db"), &o.db);
    takeOption(args, QStringLiteral("--pdf"), &o.pdf);
    if (!takeOption(args, QStringLiteral("-o"), &o.output) || o.output.isEmpty())
        return false;
    if (args.size() != 1)
        return false;
    o.templateFile = args.first();
    return true;
}

// A --var replaces the template's binding of that name, or adds one: an
// expression variable (numbers as they are, texts in quotes).
void setVariable(TvxValues& values, const QString& assignment) {
    const qsizetype eq = assignment.indexOf(QLatin1Char('='));
    const QString name = assignment.left(eq).trimmed();
    int index = values.IndexOf(name);
    if (index < 0) {
        index = values.AddValue();
        values.SetName(index, name);
    }
    TvxValue* entry = values.Items(index);
    entry->Kind = vkSpecial;
    entry->SpecialCode = svExpression;
    entry->FieldName = assignment.mid(eq + 1);
}

// The preparation's error text, one line per part.
QString errorLines() {
    QString text = ErrorText;
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

int runPrepare(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    PrepareOptions o;
    if (!parseOptions(arguments, o)) {
        err << "uso: vxtool prepare T.vxf|T.vxt [--db FILE|URL] [--var NOME=ESPRESSIONE]... "
               "-o out.vxp [--pdf out.pdf]\n";
        return kExitUsage;
    }
    InstallNameResolution();
    InstallEngine();
    std::unique_ptr<DatabaseModule> data;
    std::unique_ptr<DatabaseSqlConnection> connection;
    if (!o.db.isEmpty()) {
        data = registerDatabaseModule(o.db, QStringLiteral("Dati"));
        connection = std::make_unique<DatabaseSqlConnection>(data->database());
    }
    auto report = std::make_unique<TvxReport>();
    if (!loadTemplate(*report, o.templateFile, err))
        return kExitError;
    for (const QString& v : o.variables)
        setVariable(*report->Values, v);
    if (connection)
        SetReportSQLConnection(report.get(), connection.get());

    const bool terminal = isatty(fileno(stderr)) != 0;
    report->OnProgress = [terminal, &err](int n) {
        if (!terminal)
            return;
        err << "\rPagina in costruzione: " << n << "   ";
        err.flush();
    };
    Prepare(*report);
    if (terminal) {
        err << "\r";
        err.flush();
    }
    if (ErrorRaised) {
        out.flush();
        err << errorLines() << "\n";
        return kExitError;
    }
    TvxEMFPages& pages = *report->PreparedPages;
    SavePreparedPages(pages, o.output);
    if (!o.pdf.isEmpty())
        ExportPdf(pages, o.pdf);
    out << QStringLiteral("%1 pagine scritte in %2\n").arg(pages.Count()).arg(o.output);
    SetReportSQLConnection(report.get(), nullptr);
    return kExitOk;
}

const CommandRegistration
    registration(QStringLiteral("prepare"),
                 {QStringLiteral("prepare T.vxf|T.vxt [--db FILE|URL] [--var NOME=ESPRESSIONE]... "
                                 "-o out.vxp [--pdf out.pdf]"),
                  runPrepare});

} // namespace

} // namespace vx::tool
