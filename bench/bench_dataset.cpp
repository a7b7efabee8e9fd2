// Walking a large table through a report dataset, reading four fields per
// row, as a data band does: SQLite always, PostgreSQL when VX_PG_URL is set.

#include "platform/database.h"
#include "report/dataset.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kRows = 100000;

void fillTable(vx::Database& db, bool pg) {
    db.exec(pg ? QStringLiteral(
                     "CREATE TABLE movimenti (id INTEGER PRIMARY KEY, descrizione VARCHAR(40), "
                     "importo DOUBLE PRECISION, data TIMESTAMP)")
               : QStringLiteral(
                     "CREATE TABLE movimenti (id INTEGER PRIMARY KEY, descrizione VARCHAR(40), "
                     "importo REAL, data DATETIME)"));
    std::vector<std::vector<QVariant>> rows;
    rows.reserve(kRows);
    const QDateTime start(QDate(2024, 1, 1), QTime(8, 0));
    for (int i = 1; i <= kRows; ++i)
        rows.push_back(
            {i, QStringLiteral("movimento %1").arg(i), i * 1.25, start.addSecs(qint64(i) * 60)});
    db.transaction();
    db.execBatch(QStringLiteral("INSERT INTO movimenti VALUES (?, ?, ?, ?)"), rows);
    db.commit();
}

struct Source {
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<vx::Database> db;
    QString schema;
};

Source& sqliteSource() {
    static Source s = [] {
        Source src;
        src.dir = std::make_unique<QTemporaryDir>();
        src.db = vx::Database::open(src.dir->filePath(QStringLiteral("bench.sqlite")),
                                    vx::Database::OpenMode::CreateIfMissing);
        fillTable(*src.db, false);
        return src;
    }();
    return s;
}

Source* pgSource() {
    static std::unique_ptr<Source> s = []() -> std::unique_ptr<Source> {
        const QByteArray url = qgetenv("VX_PG_URL");
        if (url.isEmpty())
            return nullptr;
        auto src = std::make_unique<Source>();
        src->schema = QStringLiteral("vx_bench%1").arg(QCoreApplication::applicationPid());
        auto admin = vx::Database::open(QString::fromUtf8(url));
        admin->exec(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(src->schema));
        admin->exec(QStringLiteral("CREATE SCHEMA %1").arg(src->schema));
        src->db = vx::Database::open(QString::fromUtf8(url) +
                                     QStringLiteral("&options=-csearch_path%3D") + src->schema);
        fillTable(*src->db, true);
        return src;
    }();
    return s.get();
}

void walkTable(benchmark::State& state, vx::Database& db) {
    vx::TableDataSet table;
    table.setDatabase(&db);
    table.setTableName(QStringLiteral("movimenti"));
    vx::TvxDBDataSet ds;
    ds.SetDataSet(&table);
    int64_t rows = 0;
    for (auto _ : state) {
        ds.StartUse(); // opens the table; EndUse closes it again
        vx::Field* id = table.findField(QStringLiteral("id"));
        vx::Field* text = table.findField(QStringLiteral("descrizione"));
        vx::Field* amount = table.findField(QStringLiteral("importo"));
        vx::Field* date = table.findField(QStringLiteral("data"));
        double sum = 0;
        for (ds.First(); !ds.Eof(); ds.Next()) {
            sum += id->value().toDouble();
            benchmark::DoNotOptimize(text->value());
            sum += amount->value().toDouble();
            benchmark::DoNotOptimize(date->value());
            ++rows;
        }
        benchmark::DoNotOptimize(sum);
        ds.EndUse();
    }
    state.SetItemsProcessed(rows);
}

void BM_DatasetWalkSqlite(benchmark::State& state) {
    walkTable(state, *sqliteSource().db);
}
BENCHMARK(BM_DatasetWalkSqlite)->Unit(benchmark::kMillisecond);

void BM_DatasetWalkPostgres(benchmark::State& state) {
    Source* src = pgSource();
    if (!src) {
        state.SkipWithError("VX_PG_URL is not set");
        return;
    }
    walkTable(state, *src->db);
}
BENCHMARK(BM_DatasetWalkPostgres)->Unit(benchmark::kMillisecond);

} // namespace
