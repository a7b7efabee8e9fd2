#include "report/sql_connection.h"
#include "platform/database.h"
#include "platform/process_state.h"
#include "report/report.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <limits>
#include <map>

namespace vx {

namespace {

const QDate kDayZero(1899, 12, 30);

double dayNumber(const QDate& date) {
    return double(kDayZero.daysTo(date));
}
double timeFraction(const QTime& time) {
    return time.msecsSinceStartOfDay() / 86400000.0;
}

// Reports do not carry the connection themselves: it is not part of the
// stored template. Hosts that free a report clear its entry first.
struct SqlConnectionState : DefaultResetPart<SqlConnectionState> {
    std::map<const TvxReport*, SqlConnection*> connections;
};

std::map<const TvxReport*, SqlConnection*>& connections() {
    return libraryState().part<SqlConnectionState>().connections;
}

} // namespace

Variant DatabaseSqlConnection::QueryFirstValue(const QString& sql, const QVariantMap& params) {
    // The query object lives for this call only, also when it fails.
    SqlDataSet query;
    query.setDatabase(&database_);
    query.setSql(sql);
    for (auto it = params.begin(); it != params.end(); ++it)
        query.setParam(it.key(), it.value());
    query.open();
    if (query.eof() && query.bof()) // no row
        return Variant::null();
    return VariantFromDatabase(query.value(0));
}

SqlConnection* ReportSQLConnection(const TvxReport* report) {
    const auto it = connections().find(report);
    return it == connections().end() ? nullptr : it->second;
}

void SetReportSQLConnection(TvxReport* report, SqlConnection* connection) {
    if (connection)
        connections()[report] = connection;
    else
        connections().erase(report);
}

Variant VariantFromDatabase(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return Variant::null();
    switch (value.typeId()) {
    case QMetaType::Bool:
        return Variant(value.toBool());
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::UShort:
        return Variant::fromInt32(value.toInt());
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::ULong:
    case QMetaType::ULongLong: {
        const qlonglong v = value.toLongLong();
        if (v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max())
            return Variant::fromInt32(int32_t(v));
        return Variant::fromInt64(v);
    }
    case QMetaType::Double:
    case QMetaType::Float:
        return Variant(value.toDouble());
    case QMetaType::QDate:
        return Variant::fromDateTime(dayNumber(value.toDate()));
    case QMetaType::QTime:
        return Variant::fromDateTime(timeFraction(value.toTime()));
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        return Variant::fromDateTime(dayNumber(dt.date()) + timeFraction(dt.time()));
    }
    case QMetaType::QByteArray:
        return Variant(QString::fromLatin1(value.toByteArray()));
    default:
        return Variant(value.toString());
    }
}

} // namespace vx
