#pragma once

// SQLConnection of a report: what the functions FINDLOOKUP and SQL query.
// The host program sets it (vxtool does with --db); nothing in the library
// does. A query runs with its values bound as parameters, never pasted into
// the SQL text.

#include "expr/variant.h"

#include <QString>
#include <QVariantMap>

namespace vx {

class Database;
class TvxReport;

class SqlConnection {
public:
    virtual ~SqlConnection() = default;
    // Runs `sql`, binding each entry of `params` to the placeholder of its
    // name (":key" for the entry "key"), and returns the first field of the
    // first row (null when there is no row). Throws VxError with the
    // database's message when the query fails.
    virtual Variant QueryFirstValue(const QString& sql, const QVariantMap& params) = 0;
};

// A connection over the database layer. The database must outlive it.
class DatabaseSqlConnection final : public SqlConnection {
public:
    explicit DatabaseSqlConnection(Database& database) : database_(database) {}
    Variant QueryFirstValue(const QString& sql, const QVariantMap& params) override;

private:
    Database& database_;
};

// The connection FINDLOOKUP and SQL use for a report (none unless the host
// sets one; not owned, not stored in templates). Setting none removes it;
// a report's connection is forgotten when the report is destroyed.
SqlConnection* ReportSQLConnection(const TvxReport* report);
void SetReportSQLConnection(TvxReport* report, SqlConnection* connection);

// A database value (QVariant from the database layer) as an expression value:
// null stays null, integers become 32- or 64-bit integers, reals floats,
// dates and times date-times, booleans booleans, everything else strings.
Variant VariantFromDatabase(const QVariant& value);

} // namespace vx
