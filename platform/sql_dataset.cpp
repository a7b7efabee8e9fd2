// The SQL datasets: a query walked with a bounded window of rows, with its
// parameters and master datasets (SqlDataSet), and one table's rows
// (TableDataSet).

#include "platform/database.h"

#include "platform/errors.h"
#include "platform/sql_connection_name.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

#include <map>

namespace vx {

namespace {

// PostgreSQL type numbers (pg_type OIDs) that QtSql reports as double but
// that hold money amounts.
constexpr int kPgNumericOid = 1700;
constexpr int kPgMoneyOid = 790;
// The unbounded text type: long texts, the memo fields of this back end
// (character varying and character stay strings).
constexpr int kPgTextOid = 25;

FieldKind kindOf(const QSqlField& field, Database::Kind backEnd) {
    switch (field.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return FieldKind::Integer;
    case QMetaType::Double:
    case QMetaType::Float:
        if (backEnd == Database::Kind::PostgreSql &&
            (field.typeID() == kPgNumericOid || field.typeID() == kPgMoneyOid))
            return FieldKind::Currency;
        return FieldKind::Float;
    case QMetaType::Bool:
        return FieldKind::Boolean;
    case QMetaType::QDate:
    case QMetaType::QTime:
    case QMetaType::QDateTime:
        return FieldKind::DateTime;
    case QMetaType::QByteArray:
        return FieldKind::Blob;
    case QMetaType::QString:
        if (backEnd == Database::Kind::PostgreSql && field.typeID() == kPgTextOid)
            return FieldKind::Memo;
        return FieldKind::String;
    default:
        return FieldKind::Unknown;
    }
}

// Kind from an SQLite declared column type.
FieldKind kindOfDeclared(const QString& declared, FieldKind fallback) {
    const QString t = declared.toUpper();
    if (t.contains(QLatin1String("DATE")) || t.contains(QLatin1String("TIME")))
        return FieldKind::DateTime;
    if (t.contains(QLatin1String("BOOL")))
        return FieldKind::Boolean;
    if (t.contains(QLatin1String("MONEY")) || t.contains(QLatin1String("CURRENCY")) ||
        t.contains(QLatin1String("DECIMAL")))
        return FieldKind::Currency;
    if (t.contains(QLatin1String("MEMO")) || t.contains(QLatin1String("CLOB")))
        return FieldKind::Memo;
    if (t.contains(QLatin1String("BLOB")) || t.contains(QLatin1String("BINARY")) ||
        t.contains(QLatin1String("IMAGE")) || t.contains(QLatin1String("GRAPHIC")))
        return FieldKind::Blob;
    return fallback;
}

} // namespace

struct SqlDataSet::Impl {
    struct Param {
        QString name;
        QVariant value;
        DataSet* master = nullptr;
        QString masterField;
        int listenerId = 0;
    };
    std::vector<Param> params;
    std::vector<std::pair<QString, FieldKind>> kinds;
    std::unique_ptr<QSqlQuery> query;
    int columns = 0;
    // PostgreSQL streams a forward-only result over its connection, which can
    // then run nothing else; each dataset walks on a connection of its own.
    QString walkConnection;
    bool requerying = false;
    // SQLite: declared column types of the tables a query reads, by table
    // (lower case), then column (lower case); asked once per table.
    std::map<QString, std::map<QString, QString>> declared;
};

SqlDataSet::SqlDataSet(Component* owner) : DataSet(owner), d(std::make_unique<Impl>()) {}

SqlDataSet::~SqlDataSet() {
    close();
    clearParams();
    setDatabase(nullptr);
}

void SqlDataSet::setDatabase(Database* database) {
    close();
    if (!d->walkConnection.isEmpty()) {
        d->query.reset();
        {
            QSqlDatabase c = QSqlDatabase::database(d->walkConnection, false);
            c.close();
        }
        QSqlDatabase::removeDatabase(d->walkConnection);
        d->walkConnection.clear();
    }
    database_ = database;
}

void SqlDataSet::setSql(const QString& sql) {
    close();
    sql_ = sql;
    d->declared.clear();
}

FieldKind SqlDataSet::declaredKind(const QSqlField& field, FieldKind fallback) {
    // SQLite keeps values of any type in any column and tells only the
    // declared type of a result column that comes straight from a table:
    // the column's table and name lead to its declaration.
    const QString table = field.tableName().toLower();
    if (table.isEmpty() || !database_)
        return fallback;
    auto it = d->declared.find(table);
    if (it == d->declared.end()) {
        std::map<QString, QString> columns;
        QSqlQuery q(QSqlDatabase::database(database_->connectionName(), false));
        if (q.exec(QStringLiteral("PRAGMA table_info(") + database_->quoteName(table) +
                   QLatin1Char(')')))
            while (q.next())
                columns[q.value(1).toString().toLower()] = q.value(2).toString();
        it = d->declared.emplace(table, std::move(columns)).first;
    }
    const auto column = it->second.find(field.name().toLower());
    return column == it->second.end() ? fallback : kindOfDeclared(column->second, fallback);
}

void SqlDataSet::setParam(const QString& name, const QVariant& value) {
    for (auto& p : d->params)
        if (p.name == name && !p.master) {
            p.value = value;
            return;
        }
    d->params.push_back({name, value, nullptr, QString(), 0});
}

void SqlDataSet::setMasterParam(const QString& name, DataSet* master, const QString& masterField) {
    Impl::Param p;
    p.name = name;
    p.master = master;
    p.masterField = masterField;
    if (master)
        p.listenerId =
            master->addListener([this](DataSet* m, DataSetEvent e) { masterEvent(m, e); });
    d->params.push_back(std::move(p));
}

void SqlDataSet::clearParams() {
    for (auto& p : d->params)
        if (p.master)
            p.master->removeListener(p.listenerId);
    d->params.clear();
}

void SqlDataSet::setFieldKind(const QString& field, FieldKind kind) {
    d->kinds.emplace_back(field, kind);
}

void SqlDataSet::masterEvent(DataSet* master, DataSetEvent event) {
    if (event == DataSetEvent::Destroyed) {
        for (auto& p : d->params)
            if (p.master == master) {
                p.master = nullptr;
                p.value = QVariant();
            }
        return;
    }
    if (event != DataSetEvent::Scrolled || !active() || d->requerying)
        return;
    // Query again with the master's current values; the detail stands on its
    // first row.
    d->requerying = true;
    try {
        close();
        open();
    } catch (...) {
        d->requerying = false;
        throw;
    }
    d->requerying = false;
}

std::vector<DataSet::Column> SqlDataSet::startWalk() {
    if (!database_)
        throw VxError(QStringLiteral("Database non assegnato: ") + name());
    QString connection = database_->connectionName();
    if (database_->kind() == Database::Kind::PostgreSql) {
        if (d->walkConnection.isEmpty()) {
            const QString walk = newSqlConnectionName();
            QSqlDatabase c = QSqlDatabase::cloneDatabase(database_->connectionName(), walk);
            if (!c.open()) {
                const QString detail = c.lastError().text();
                c = QSqlDatabase();
                QSqlDatabase::removeDatabase(walk);
                throw VxError(detail);
            }
            d->walkConnection = walk;
        }
        connection = d->walkConnection;
    }
    d->query.reset();
    d->query = std::make_unique<QSqlQuery>(QSqlDatabase::database(connection, false));
    QSqlQuery& q = *d->query;
    q.setForwardOnly(true);
    if (!q.prepare(sql_))
        throw VxError(q.lastError().text());
    for (const auto& p : d->params) {
        const QVariant v = p.master ? p.master->fieldValue(p.masterField) : p.value;
        q.bindValue(QLatin1Char(':') + p.name, v);
    }
    if (!q.exec())
        throw VxError(q.lastError().text());
    const QSqlRecord rec = q.record();
    std::vector<Column> cols;
    cols.reserve(size_t(rec.count()));
    for (int i = 0; i < rec.count(); ++i) {
        const QSqlField f = rec.field(i);
        FieldKind k = kindOf(f, database_->kind());
        if (database_->kind() == Database::Kind::Sqlite)
            k = declaredKind(f, k);
        for (const auto& [name, kind] : d->kinds)
            if (name.compare(f.name(), Qt::CaseInsensitive) == 0)
                k = kind;
        cols.push_back({f.name(), k});
    }
    d->columns = int(cols.size());
    return cols;
}

bool SqlDataSet::fetchRow(QVariant* out) {
    if (!d->query)
        return false;
    if (!d->query->next()) {
        // A walk that fails (the database went away, a damaged file) is an
        // error, not the end of the rows: a report must not end its list
        // early as if the data had ended.
        const QSqlError error = d->query->lastError();
        if (error.type() != QSqlError::NoError)
            throw VxError(QStringLiteral("Errore nella lettura dei dati di ") + name() +
                          QStringLiteral(": ") + error.text());
        return false;
    }
    for (int c = 0; c < d->columns; ++c) {
        QVariant v = d->query->value(c);
        if (v.isNull())
            out[c] = QVariant();
        else
            out[c] = std::move(v);
    }
    return true;
}

int SqlDataSet::skipRows(int n) {
    int done = 0;
    while (done < n && d->query && d->query->next())
        ++done;
    return done;
}

void SqlDataSet::endWalk() {
    if (d->query) {
        d->query->finish();
        d->query.reset();
    }
}

int SqlDataSet::countRows() {
    if (!database_)
        return -1;
    QString inner = sql_.trimmed();
    while (inner.endsWith(QLatin1Char(';')))
        inner.chop(1);
    QSqlQuery q(QSqlDatabase::database(database_->connectionName(), false));
    q.setForwardOnly(true);
    if (!q.prepare(QStringLiteral("SELECT COUNT(*) FROM (") + inner +
                   QStringLiteral(") AS vx_count")))
        return -1;
    for (const auto& p : d->params) {
        const QVariant v = p.master ? p.master->fieldValue(p.masterField) : p.value;
        q.bindValue(QLatin1Char(':') + p.name, v);
    }
    if (!q.exec() || !q.next())
        return -1;
    bool ok = false;
    const qlonglong n = q.value(0).toLongLong(&ok);
    return ok && n >= 0 && n <= std::numeric_limits<int>::max() ? int(n) : -1;
}

// ---------------------------------------------------------------- TableDataSet

namespace {

QString quotedIdentifier(const QString& name) {
    QString inner = name;
    inner.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

// The parameter of a key restriction.
const QString kKeyParam = QStringLiteral("vxdetailkey");

} // namespace

void TableDataSet::setTableName(const QString& table) {
    table_ = table;
    restricted_ = false;
    setSql(QStringLiteral("SELECT * FROM ") + quotedIdentifier(table) +
           QStringLiteral(" ORDER BY 1"));
}

void TableDataSet::narrow(const QString& condition) {
    restricted_ = !condition.isEmpty();
    replaceSql(QStringLiteral("SELECT * FROM ") + quotedIdentifier(table_) +
               (restricted_ ? QStringLiteral(" WHERE ") + condition : QString()) +
               QStringLiteral(" ORDER BY 1"));
    requery();
}

bool TableDataSet::readColumnByRowId(
    const QString& column, const std::function<void(qint64 rowId, const QVariant& value)>& row) {
    if (!database() || database()->kind() != Database::Kind::Sqlite)
        return false;
    QSqlQuery q(QSqlDatabase::database(database()->connectionName(), false));
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT rowid, ") + quotedIdentifier(column) +
                QStringLiteral(" FROM ") + quotedIdentifier(table_)))
        return false;
    while (q.next())
        row(q.value(0).toLongLong(), q.value(1));
    if (q.lastError().type() != QSqlError::NoError)
        throw VxError(QStringLiteral("Errore nella lettura dei dati di ") + name() +
                      QStringLiteral(": ") + q.lastError().text());
    return true;
}

void TableDataSet::restrictToRowIds(const std::vector<qint64>& rowIds) {
    clearParams();
    if (rowIds.empty()) {
        narrow(QStringLiteral("0"));
        return;
    }
    QString list;
    list.reserve(qsizetype(rowIds.size()) * 8);
    for (const qint64 id : rowIds) {
        if (!list.isEmpty())
            list += QLatin1Char(',');
        list += QString::number(id);
    }
    narrow(QStringLiteral("rowid IN (") + list + QLatin1Char(')'));
}

void TableDataSet::restrictToKey(const QString& column, const QVariant& key, bool withNulls) {
    clearParams();
    setParam(kKeyParam, key);
    const QString c = quotedIdentifier(column);
    narrow(QStringLiteral("(") + c + QStringLiteral(" = :") + kKeyParam +
           (withNulls ? QStringLiteral(" OR ") + c + QStringLiteral(" IS NULL)")
                      : QStringLiteral(")")));
}

void TableDataSet::clearRestriction() {
    if (!restricted_)
        return;
    clearParams();
    narrow(QString());
}

std::vector<DataSet::Column> TableDataSet::startWalk() {
    // The column kinds come from the table's declarations (SqlDataSet).
    return SqlDataSet::startWalk();
}

} // namespace vx
