#pragma once

// The bundled samples: a demo SQLite database made from the readable script
// samples/demo.sql (built into the program) and report templates over it,
// built here in code: an invoice with its rows, a customer list with groups
// and totals, address labels in three columns and a letter with a barcode.

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace vx {

class TvxReport;
class DatabaseModule;

// The text of samples/demo.sql as it was built in.
QString demoDatabaseScript();

// The statements of an SQL script: split at ";" outside quoted texts, with
// "--" comments and blank statements left out.
QStringList splitSqlScript(const QString& script);

// Writes the demo database to `file` (a new SQLite file replacing any old
// one whole: the script runs into a temporary file beside it first).
// Throws VxError when a statement fails or the file cannot be written.
void writeDemoDatabase(const QString& file);

struct SampleTemplate {
    QString fileName; // "fattura.vxf"
    // Builds the template over the demo tables registered as "Dati".
    std::function<void(TvxReport&, const DatabaseModule&)> build;
};

// Every sample, in the order the README lists them.
const std::vector<SampleTemplate>& sampleTemplates();

// Writes demo.sqlite and every sample template into `dir` (created when
// missing); returns the files written.
QStringList writeSamples(const QString& dir);

} // namespace vx
