#pragma once

// The list report the engine's benchmarks prepare: a table "movimenti" of an
// SQLite database, and a template with a title, a page header "Pagina N di
// T" (two passes), a data band of six fields with number and date formats,
// a summary with SUM and COUNT and a page footer.

#include <QString>

#include <functional>
#include <memory>

namespace benchmark {
class State;
}

namespace vx {
class TvxBandView;
class TvxMemoView;
class TvxPage;
class TvxReport;
} // namespace vx

namespace vx::bench {

// Creates the database file with `rows` rows.
void makeListDatabase(const QString& file, int rows);
// The list template, its dataset bound to "Dati.movimenti" (register the
// database as the data module "Dati" before preparing it).
std::unique_ptr<TvxReport> makeListReport();
// A band object (718 pixels wide) and a one-line text object (18 pixels
// high) added to a page of the report.
TvxBandView* addBand(TvxReport& report, TvxPage& page, int type, int top, int height,
                     const QString& dataset = QString());
TvxMemoView* addText(TvxReport& report, TvxPage& page, int left, int top, int width,
                     const QString& text);
// Writes the template as a ".vxf" file.
void writeListTemplate(const QString& file);
// Measures the preparation of the report `makeReport` gives over the SQLite
// file `database` registered as "Dati", every page recorded; the page count
// is a counter, and `rows` records a run (when not 0) give the item rate.
void measurePreparation(benchmark::State& state, const QString& database, int rows,
                        const std::function<std::unique_ptr<TvxReport>()>& makeReport);

} // namespace vx::bench
