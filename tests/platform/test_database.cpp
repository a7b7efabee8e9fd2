// The database cursor over a real SQLite file and, when VX_PG_URL is set, a
// real PostgreSQL server (scripts/services/postgresql.sh starts one).

#include "platform/database.h"

#include "platform/component.h"
#include "platform/errors.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace vx;

namespace {

enum class Backend { Sqlite, Postgres };

std::string backendName(const testing::TestParamInfo<Backend>& info) {
    return info.param == Backend::Sqlite ? "Sqlite" : "Postgres";
}

class DatabaseTest : public testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        if (GetParam() == Backend::Postgres) {
            const QByteArray url = qgetenv("VX_PG_URL");
            if (url.isEmpty())
                GTEST_SKIP() << "VX_PG_URL is not set";
            // Test processes may run in parallel: each works in a schema of its own.
            admin = Database::open(QString::fromUtf8(url));
            schema = QStringLiteral("vx_t%1").arg(QCoreApplication::applicationPid());
            admin->exec(QStringLiteral("SET client_min_messages TO warning"));
            admin->exec(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(schema));
            admin->exec(QStringLiteral("CREATE SCHEMA %1").arg(schema));
            spec = QString::fromUtf8(url) + QStringLiteral("&options=-csearch_path%3D") + schema;
            db = Database::open(spec);
        } else {
            ASSERT_TRUE(dir.isValid());
            spec = dir.filePath(QStringLiteral("t.sqlite"));
            db = Database::open(spec, Database::OpenMode::CreateIfMissing);
        }
    }
    void TearDown() override {
        db.reset();
        if (admin)
            admin->exec(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(schema));
    }
    bool pg() const { return GetParam() == Backend::Postgres; }

    // A table "numeri" with ids 1..n and their squares as text.
    void makeNumbers(int n) {
        db->exec(QStringLiteral("CREATE TABLE numeri (id INTEGER PRIMARY KEY, quadrato TEXT)"));
        std::vector<std::vector<QVariant>> rows;
        for (int i = 1; i <= n; ++i)
            rows.push_back({i, QString::number(i * i)});
        db->transaction();
        db->execBatch(QStringLiteral("INSERT INTO numeri VALUES (?, ?)"), rows);
        db->commit();
    }

    std::unique_ptr<TableDataSet> table(const QString& name) {
        auto t = std::make_unique<TableDataSet>();
        t->setDatabase(db.get());
        t->setTableName(name);
        return t;
    }

    QTemporaryDir dir;
    std::unique_ptr<Database> admin;
    QString schema;
    QString spec;
    std::unique_ptr<Database> db;
};

TEST_P(DatabaseTest, EmptyResultIsAtBothEndsAtOnce) {
    db->exec(QStringLiteral("CREATE TABLE vuota (id INTEGER)"));
    auto t = table(QStringLiteral("vuota"));
    t->open();
    EXPECT_TRUE(t->active());
    EXPECT_TRUE(t->eof());
    EXPECT_TRUE(t->bof());
    EXPECT_TRUE(t->isEmpty());
    EXPECT_EQ(t->recNo(), 0);
    EXPECT_EQ(t->recordCount(), 0);
    t->next();
    t->prior();
    EXPECT_TRUE(t->eof());
    EXPECT_EQ(t->recNo(), 0);
    ASSERT_NE(t->findField(QStringLiteral("ID")), nullptr);
    EXPECT_TRUE(t->findField(QStringLiteral("id"))->isNull());
}

TEST_P(DatabaseTest, EndsKeepTheCursorOnTheLastAndFirstRow) {
    makeNumbers(3);
    auto t = table(QStringLiteral("numeri"));
    t->open();
    Field* id = t->findField(QStringLiteral("id"));
    ASSERT_NE(id, nullptr);
    EXPECT_EQ(t->recordCount(), 3); // counted before the walk reached the end
    EXPECT_EQ(t->recNo(), 1);
    EXPECT_TRUE(t->bof());
    EXPECT_FALSE(t->eof());
    t->next();
    t->next();
    EXPECT_EQ(t->recNo(), 3);
    EXPECT_FALSE(t->eof());
    t->next(); // past the last row: Eof, still on row 3
    EXPECT_TRUE(t->eof());
    EXPECT_EQ(t->recNo(), 3);
    EXPECT_EQ(id->value().toInt(), 3);
    t->next();
    EXPECT_EQ(t->recNo(), 3);
    t->prior();
    EXPECT_FALSE(t->eof());
    EXPECT_EQ(id->value().toInt(), 2);
    t->prior();
    t->prior(); // before the first row: Bof, still on row 1
    EXPECT_TRUE(t->bof());
    EXPECT_EQ(t->recNo(), 1);
    EXPECT_EQ(id->value().toInt(), 1);
    t->last();
    EXPECT_TRUE(t->eof());
    EXPECT_EQ(id->value().toInt(), 3);
    t->first();
    EXPECT_EQ(id->value().toInt(), 1);
    EXPECT_TRUE(t->bof());
}

TEST_P(DatabaseTest, RecNoMovesAndClampsAndBookmarksReturn) {
    makeNumbers(10);
    auto t = table(QStringLiteral("numeri"));
    t->open();
    t->setRecNo(7);
    EXPECT_EQ(t->fieldValue(QStringLiteral("quadrato")).toString(), QStringLiteral("49"));
    const DataSet::Bookmark b = t->bookmark();
    t->first();
    t->gotoBookmark(b);
    EXPECT_EQ(t->recNo(), 7);
    t->setRecNo(99);
    EXPECT_EQ(t->recNo(), 10);
    EXPECT_FALSE(t->eof());
    t->setRecNo(-5);
    EXPECT_EQ(t->recNo(), 1);
}

TEST_P(DatabaseTest, WalksBeyondTheRowWindowBothWays) {
    const int n = DataSet::kRowWindow * 2 + 100;
    makeNumbers(n);
    auto t = table(QStringLiteral("numeri"));
    t->open();
    Field* id = t->findField(QStringLiteral("id"));
    int seen = 0;
    for (t->first(); !t->eof(); t->next()) {
        ++seen;
        ASSERT_EQ(id->value().toInt(), seen);
        ASSERT_EQ(t->recNo(), seen);
    }
    EXPECT_EQ(seen, n);
    EXPECT_EQ(t->recordCount(), n);
    int back = n;
    while (!t->bof()) {
        ASSERT_EQ(id->value().toInt(), back) << "prior walk";
        t->prior();
        if (!t->bof())
            --back;
    }
    EXPECT_EQ(back, 1);
    t->setRecNo(n - 1);
    EXPECT_EQ(id->value().toInt(), n - 1);
    t->setRecNo(3);
    EXPECT_EQ(id->value().toInt(), 3);
    t->refresh();
    EXPECT_EQ(t->recNo(), 3);
    EXPECT_EQ(id->value().toInt(), 3);
}

TEST_P(DatabaseTest, FieldKindsAndNullsOfEveryKind) {
    if (pg())
        db->exec(QStringLiteral(
            "CREATE TABLE tipi (id INTEGER PRIMARY KEY, i INTEGER, f DOUBLE PRECISION, "
            "c NUMERIC(15,4), d TIMESTAMP, b BOOLEAN, s VARCHAR(40), m TEXT, x BYTEA)"));
    else
        db->exec(
            QStringLiteral("CREATE TABLE tipi (id INTEGER PRIMARY KEY, i INTEGER, f REAL, c MONEY, "
                           "d DATETIME, b BOOLEAN, s VARCHAR(40), m MEMO, x BLOB)"));
    const QByteArray blob("\x00\x01\xff\x00zz", 6);
    db->execBatch(QStringLiteral("INSERT INTO tipi VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                  {{1, QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(),
                    QVariant(), QVariant()},
                   {2, 42, 2.5, 12.3456, QDateTime(QDate(2024, 2, 29), QTime(13, 45, 10)), true,
                    QStringLiteral("àé"), QStringLiteral("lungo\ntesto"), blob}});
    auto t = table(QStringLiteral("tipi"));
    t->open();
    struct Row {
        const char* field;
        FieldKind kind;
        QVariant value;
    };
    const Row rows[] = {
        {"i", FieldKind::Integer, 42},
        {"f", FieldKind::Float, 2.5},
        {"c", FieldKind::Currency, 12.3456},
        {"d", FieldKind::DateTime, QDateTime(QDate(2024, 2, 29), QTime(13, 45, 10))},
        {"b", FieldKind::Boolean, true},
        {"s", FieldKind::String, QStringLiteral("àé")},
        {"m", FieldKind::Memo, QStringLiteral("lungo\ntesto")},
        {"x", FieldKind::Blob, blob},
    };
    for (const Row& r : rows) {
        Field* f = t->findField(QLatin1String(r.field));
        ASSERT_NE(f, nullptr) << r.field;
        EXPECT_EQ(int(f->kind()), int(r.kind)) << r.field;
        EXPECT_TRUE(f->isNull()) << r.field;
        EXPECT_FALSE(f->value().isValid()) << r.field;
    }
    t->next();
    for (const Row& r : rows) {
        Field* f = t->findField(QLatin1String(r.field));
        EXPECT_FALSE(f->isNull()) << r.field;
        if (r.kind == FieldKind::Float || r.kind == FieldKind::Currency)
            EXPECT_DOUBLE_EQ(f->value().toDouble(), r.value.toDouble()) << r.field;
        else if (r.kind == FieldKind::Integer)
            EXPECT_EQ(f->value().toLongLong(), r.value.toLongLong()) << r.field;
        else if (r.kind == FieldKind::Blob)
            EXPECT_EQ(f->asBytes(), blob);
        else if (r.kind == FieldKind::DateTime) // the stored wall-clock date and time
            EXPECT_EQ(
                std::make_pair(f->value().toDateTime().date(), f->value().toDateTime().time()),
                std::make_pair(r.value.toDateTime().date(), r.value.toDateTime().time()));
        else
            EXPECT_EQ(f->value(), r.value) << r.field;
    }
    EXPECT_TRUE(t->findField(QStringLiteral("x"))->isBlob());
}

TEST_P(DatabaseTest, FieldsOutliveCloseAndReopen) {
    makeNumbers(2);
    auto t = table(QStringLiteral("numeri"));
    t->open();
    Field* id = t->findField(QStringLiteral("id"));
    t->close();
    EXPECT_TRUE(id->isNull());
    EXPECT_EQ(t->findField(QStringLiteral("id")), nullptr);
    EXPECT_EQ(t->recordCount(), 0);
    t->open();
    EXPECT_EQ(t->findField(QStringLiteral("id")), id);
    EXPECT_EQ(id->value().toInt(), 1);
}

TEST_P(DatabaseTest, DetailQueryFollowsTheMasterRecord) {
    db->exec(QStringLiteral("CREATE TABLE clienti (id INTEGER PRIMARY KEY, nome VARCHAR(20))"));
    db->exec(QStringLiteral(
        "CREATE TABLE ordini (num INTEGER PRIMARY KEY, cliente_id INTEGER, importo INTEGER)"));
    db->execBatch(QStringLiteral("INSERT INTO clienti VALUES (?, ?)"),
                  {{1, QStringLiteral("Rossi")},
                   {2, QStringLiteral("Bianchi")},
                   {3, QStringLiteral("Verdi")}});
    db->execBatch(QStringLiteral("INSERT INTO ordini VALUES (?, ?, ?)"),
                  {{10, 1, 5}, {11, 1, 7}, {12, 3, 9}, {13, 1, 1}});
    auto master = table(QStringLiteral("clienti"));
    SqlDataSet detail;
    detail.setDatabase(db.get());
    detail.setSql(QStringLiteral("SELECT num FROM ordini WHERE cliente_id = :id ORDER BY num"));
    detail.setMasterParam(QStringLiteral("id"), master.get(), QStringLiteral("id"));
    master->open();
    detail.open();
    QStringList walked;
    for (master->first(); !master->eof(); master->next()) {
        QStringList nums;
        for (detail.first(); !detail.eof(); detail.next())
            nums << detail.fieldValue(QStringLiteral("num")).toString();
        walked << master->fieldValue(QStringLiteral("nome")).toString() + QLatin1Char(':') +
                      nums.join(',') + QLatin1Char('/') + QString::number(detail.recordCount());
    }
    EXPECT_EQ(walked.join(' '), QStringLiteral("Rossi:10,11,13/3 Bianchi:/0 Verdi:12/1"));
    master.reset(); // the detail forgets its master
    detail.close();
    detail.open();
    EXPECT_TRUE(detail.eof());
}

TEST_P(DatabaseTest, DataModuleHasOneOrderedDatasetPerTable) {
    db->exec(QStringLiteral("CREATE TABLE clienti (id INTEGER, nome TEXT)"));
    db->exec(QStringLiteral("CREATE TABLE ordini (num INTEGER)"));
    db->execBatch(QStringLiteral("INSERT INTO clienti VALUES (?, ?)"),
                  {{3, QStringLiteral("c")}, {1, QStringLiteral("a")}, {2, QStringLiteral("b")}});
    {
        auto module = registerDatabaseModule(spec);
        EXPECT_EQ(findModule(QStringLiteral("dati")), &module->module());
        auto* clienti =
            dynamic_cast<TableDataSet*>(findComponentPath(QStringLiteral("Dati.CLIENTI")));
        ASSERT_NE(clienti, nullptr);
        EXPECT_EQ(clienti->name(), QStringLiteral("clienti"));
        EXPECT_NE(findComponentPath(QStringLiteral("Dati.ordini")), nullptr);
        clienti->open();
        QString names;
        for (; !clienti->eof(); clienti->next())
            names += clienti->fieldValue(QStringLiteral("nome")).toString();
        EXPECT_EQ(names, QStringLiteral("abc"));
    }
    EXPECT_EQ(findModule(QStringLiteral("Dati")), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Backends, DatabaseTest,
                         testing::Values(Backend::Sqlite, Backend::Postgres), backendName);

TEST(DatabaseOpen, ErrorsNameTheDatabaseWithoutItsPassword) {
    struct Case {
        QString spec;
        QString prefix;
    } cases[] = {
        {QStringLiteral("/nonexistent/x.sqlite"),
         QStringLiteral("Non è stato possibile aprire il database: /nonexistent/x.sqlite\r\nIl "
                        "file non esiste.")},
        {QStringLiteral("postgresql://u:segreto@/db?host=/nonexistent-socket-dir"),
         QStringLiteral("Non è stato possibile aprire il database: "
                        "postgresql://u@/db?host=/nonexistent-socket-dir\r\n")},
        {QStringLiteral("postgresql://u@host:99999999/db"),
         QStringLiteral("Non è stato possibile aprire il database: "
                        "postgresql://u@host:99999999/db\r\nIndirizzo")},
    };
    for (const Case& c : cases) {
        try {
            Database::open(c.spec);
            ADD_FAILURE() << c.spec.toStdString();
        } catch (const VxError& e) {
            EXPECT_TRUE(e.message().startsWith(c.prefix)) << e.message().toStdString();
            EXPECT_FALSE(e.message().contains(QStringLiteral("segreto")));
        }
    }
}

// Walking date-time fields must not make the C library look at the zone file
// for every value: once a database is open, TZ names the zone.
TEST(DatabaseOpen, LocalTimeZoneIsPinned) {
    if (!QFileInfo::exists(QStringLiteral("/etc/localtime")))
        GTEST_SKIP() << "no /etc/localtime";
    auto db = Database::open(QStringLiteral(":memory:"));
    EXPECT_FALSE(qgetenv("TZ").isEmpty());
}

TEST(DatabaseOpen, QueryErrorsLeaveTheDatasetClosed) {
    auto db = Database::open(QStringLiteral(":memory:"));
    SqlDataSet q;
    q.setDatabase(db.get());
    q.setSql(QStringLiteral("SELECT * FROM manca"));
    EXPECT_THROW(q.open(), VxError);
    EXPECT_FALSE(q.active());
    EXPECT_TRUE(q.eof());
}

} // namespace
