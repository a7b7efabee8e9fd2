#pragma once

// A small database made by the test, with a table "clienti" (id 1..5, nome,
// saldo, note memo, foto blob), a data module "Dati" registered over it and
// a fresh report owned by a form "Form1". SQLite in a temporary folder, or
// (DatasetBackendFixture with true) the PostgreSQL server of VX_PG_URL in a
// schema of this test process.

#include "platform/component.h"
#include "platform/database.h"
#include "report/library_state.h"
#include "report/report.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace vx::test {

class DatasetData {
protected:
    void setUpData(bool pg) {
        resetLibraryState();
        QString spec;
        if (pg) {
            const QString url = QString::fromUtf8(qgetenv("VX_PG_URL"));
            admin = Database::open(url);
            schema = QStringLiteral("vx_r%1").arg(QCoreApplication::applicationPid());
            admin->exec(QStringLiteral("SET client_min_messages TO warning"));
            admin->exec(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(schema));
            admin->exec(QStringLiteral("CREATE SCHEMA %1").arg(schema));
            spec = url + QStringLiteral("&options=-csearch_path%3D") + schema;
        } else {
            ASSERT_TRUE(dir.isValid());
            spec = dir.filePath(QStringLiteral("dati.sqlite"));
        }
        {
            auto db = Database::open(spec, Database::OpenMode::CreateIfMissing);
            db->exec(pg ? QStringLiteral(
                              "CREATE TABLE clienti (id INTEGER PRIMARY KEY, nome VARCHAR(30), "
                              "saldo NUMERIC(15,4), note TEXT, foto BYTEA)")
                        : QStringLiteral(
                              "CREATE TABLE clienti (id INTEGER PRIMARY KEY, nome VARCHAR(30), "
                              "saldo MONEY, note MEMO, foto BLOB)"));
            const char* names[] = {"Rossi", "Bianchi", "Verdi", "Neri", "Gialli"};
            std::vector<std::vector<QVariant>> rows;
            for (int i = 0; i < 5; ++i)
                rows.push_back({i + 1, QString::fromLatin1(names[i]), (i + 1) * 10.5, QVariant(),
                                QVariant(QMetaType(QMetaType::QByteArray))});
            db->execBatch(QStringLiteral("INSERT INTO clienti VALUES (?, ?, ?, ?, ?)"), rows);
        }
        module = registerDatabaseModule(spec);
        form = std::make_unique<Component>(nullptr, QStringLiteral("Form1"), ComponentKind::Form);
        registerModule(form.get());
        report = std::make_unique<TvxReport>(form.get());
        CurrentReport = report.get();
    }
    void tearDownData() {
        report.reset();
        form.reset();
        module.reset();
        if (admin)
            admin->exec(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(schema));
        admin.reset();
        resetLibraryState();
    }
    TableDataSet& clienti() { return *module->table(QStringLiteral("clienti")); }

    QTemporaryDir dir;
    std::unique_ptr<Database> admin;
    QString schema;
    std::unique_ptr<DatabaseModule> module;
    std::unique_ptr<Component> form;
    std::unique_ptr<TvxReport> report;
};

class DatasetFixture : public testing::Test, protected DatasetData {
protected:
    void SetUp() override { setUpData(false); }
    void TearDown() override { tearDownData(); }
};

// Parameter: true for PostgreSQL (skipped without VX_PG_URL).
class DatasetBackendFixture : public testing::TestWithParam<bool>, protected DatasetData {
protected:
    void SetUp() override {
        if (GetParam() && qgetenv("VX_PG_URL").isEmpty())
            GTEST_SKIP() << "VX_PG_URL is not set";
        setUpData(GetParam());
    }
    void TearDown() override { tearDownData(); }
};

inline std::string backendName(const testing::TestParamInfo<bool>& info) {
    return info.param ? "Postgres" : "Sqlite";
}

} // namespace vx::test
