// Preparing the list report of list_report.h over an SQLite table: two
// passes, every output page recorded (the files are not written here; the
// whole `vxtool prepare --pdf` process is measured by scripts/bench_prepare.sh).

#include "list_report.h"

#include "engine/engine_hooks.h"
#include "engine/preparation.h"
#include "platform/database.h"
#include "report/emf_pages.h"
#include "report/library_state.h"
#include "report/printer_settings.h"
#include "report/report.h"
#include "report/value_expansion.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

namespace {

// One database per row count, made once.
QString listDatabase(int rows) {
    static QTemporaryDir dir;
    static std::map<int, QString> files;
    auto it = files.find(rows);
    if (it == files.end()) {
        const QString file = dir.filePath(QStringLiteral("lista%1.sqlite").arg(rows));
        vx::bench::makeListDatabase(file, rows);
        it = files.emplace(rows, file).first;
    }
    return it->second;
}

void BM_PrepareList(benchmark::State& state) {
    const int rows = int(state.range(0));
    vx::bench::measurePreparation(state, listDatabase(rows), rows, vx::bench::makeListReport);
}
BENCHMARK(BM_PrepareList)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
