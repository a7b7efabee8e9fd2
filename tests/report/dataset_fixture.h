#pragma once

// A small SQLite database made by the test in a temporary folder, with a
// table "clienti" (id 1..5, nome, saldo, note memo, foto blob), a data
// module "Dati" registered over it and a fresh report owned by a form "Form1".

#include "platform/component.h"
#include "platform/database.h"
#include "report/library_state.h"
#include "report/report.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace vx::test {

class DatasetFixture : public testing::Test {
protected:
    void SetUp() override {
        resetLibraryState();
        ASSERT_TRUE(dir.isValid());
        const QString file = dir.filePath(QStringLiteral("dati.sqlite"));
        {
            auto db = Database::open(file, Database::OpenMode::CreateIfMissing);
            db->exec(QStringLiteral(
                "CREATE TABLE clienti (id INTEGER PRIMARY KEY, nome VARCHAR(30), saldo MONEY, "
                "note MEMO, foto BLOB)"));
            const char* names[] = {"Rossi", "Bianchi", "Verdi", "Neri", "Gialli"};
            std::vector<std::vector<QVariant>> rows;
            for (int i = 0; i < 5; ++i)
                rows.push_back(
                    {i + 1, QString::fromLatin1(names[i]), (i + 1) * 10.5, QVariant(), QVariant()});
            db->execBatch(QStringLiteral("INSERT INTO clienti VALUES (?, ?, ?, ?, ?)"), rows);
        }
        module = registerDatabaseModule(file);
        form = std::make_unique<Component>(nullptr, QStringLiteral("Form1"), ComponentKind::Form);
        registerModule(form.get());
        report = std::make_unique<TvxReport>(form.get());
        CurrentReport = report.get();
    }
    void TearDown() override {
        report.reset();
        form.reset();
        module.reset();
        resetLibraryState();
    }
    TableDataSet& clienti() { return *module->table(QStringLiteral("clienti")); }

    QTemporaryDir dir;
    std::unique_ptr<DatabaseModule> module;
    std::unique_ptr<Component> form;
    std::unique_ptr<TvxReport> report;
};

} // namespace vx::test
