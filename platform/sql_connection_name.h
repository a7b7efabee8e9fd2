#pragma once

// A name for a new QtSql connection, unique in the process: each database
// opens one, and a PostgreSQL dataset walks its query on one of its own.

#include <QString>

namespace vx {

QString newSqlConnectionName();

} // namespace vx
