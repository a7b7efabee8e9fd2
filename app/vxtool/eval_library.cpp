#include "app/vxtool/eval_library.h"
#include "app/vxtool/command.h"
#include "expr/evaluator.h"
#include "platform/database.h"
#include "platform/errors.h"
#include "report/engine_counters.h"
#include "report/library_state.h"
#include "report/name_resolver.h"
#include "report/report.h"
#include "report/sql_connection.h"
#include "report/value_expansion.h"
#include "report/values.h"

#include <QDateTime>

#include <cmath>

namespace vx::tool {

struct EvalSession::Impl {
    std::unique_ptr<DatabaseModule> module;
    std::unique_ptr<DatabaseSqlConnection> connection;
    std::unique_ptr<TvxReport> report;
    std::unique_ptr<ScopedExprResolver> resolver;
};

EvalSession::EvalSession() : d(std::make_unique<Impl>()) {}

EvalSession::~EvalSession() {
    if (d->report)
        SetReportSQLConnection(d->report.get(), nullptr);
    d->resolver.reset();
    d->report.reset();
    d->connection.reset();
    d->module.reset();
    resetLibraryState();
}

std::unique_ptr<EvalSession> EvalSession::open(QStringList& args, QTextStream& err) {
    QStringList variables;
    QString value;
    while (takeOption(args, QStringLiteral("--var"), &value))
        variables << value;
    QString db;
    takeOption(args, QStringLiteral("--db"), &db);

    std::unique_ptr<EvalSession> session(new EvalSession());
    Impl& d = *session->d;
    InstallNameResolution();
    resetLibraryState();
    resetEngineCounters();
    // The date and time of the run, as a preparation takes them.
    const QDateTime now = QDateTime::currentDateTime();
    PrintDate = double(QDate(1899, 12, 30).daysTo(now.date()));
    PrintTime = now.time().msecsSinceStartOfDay() / 86400000.0;
    if (!db.isEmpty()) {
        d.module = registerDatabaseModule(db, QStringLiteral("Dati"));
        // Every table stands on its first row, so "Dati.table.field" reads it.
        for (const QString& name : d.module->database().tables()) {
            if (TableDataSet* table = d.module->table(name)) {
                table->open();
                table->first();
            }
        }
        d.connection = std::make_unique<DatabaseSqlConnection>(d.module->database());
    }
    d.report = std::make_unique<TvxReport>();
    CurrentReport = d.report.get();
    d.resolver = std::make_unique<ScopedExprResolver>(MakeReportResolver(d.report.get()));
    if (d.connection)
        SetReportSQLConnection(d.report.get(), d.connection.get());
    for (const QString& v : variables) {
        const qsizetype eq = v.indexOf(QLatin1Char('='));
        if (eq <= 0) {
            err << "uso: --var NOME=ESPRESSIONE\n";
            return nullptr;
        }
        // An expression variable: numbers as they are, texts in quotes.
        const int i = d.report->Values->AddValue();
        d.report->Values->SetName(i, v.left(eq).trimmed());
        TvxValue* entry = d.report->Values->Items(i);
        entry->Kind = vkSpecial;
        entry->SpecialCode = svExpression;
        entry->FieldName = v.mid(eq + 1);
    }
    return session;
}

Variant EvalSession::evaluate(const QString& text) {
    CurrentReport = d->report.get();
    Variant v;
    try {
        EvaluateExpression(text, v);
    } catch (const VxError&) {
        if (!ErrorRaised)
            throw;
    }
    // A function that failed recorded its own message first; that is the
    // one to show (the evaluator only saw a name without value afterwards).
    if (ErrorRaised)
        throw VxError(ErrorText.section(QChar(13), 1, 1));
    return v;
}

} // namespace vx::tool

namespace vx::tool {

QString EvalSession::expand(const QString& text, int32_t formatCode, const QString& formatText) {
    CurrentReport = d->report.get();
    const QString result = ExpandValue(text, formatCode, formatText);
    if (ErrorRaised)
        throw VxError(ErrorText.section(QChar(13), 1, 1));
    return result;
}

} // namespace vx::tool
