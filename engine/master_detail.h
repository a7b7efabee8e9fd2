#pragma once

// Detail lists keyed to their master record.
//
// A detail dataset whose filter equates one of its own fields with a field
// of another dataset ("[ordine] = [Dati.ordini.num]") would read its whole
// table for every master record, master x detail rows in all. When such a
// dataset wraps a database table, the engine narrows the table to the rows
// of the current key before each list: through an index of the key column
// by row id, read once per pass (SQLite), or else a query with the key as
// parameter. The filter still runs on the rows that remain, so what prints
// is exactly what the filter alone would select.

#include <QHash>
#include <QString>

#include <unordered_map>
#include <vector>

namespace vx {

class TableDataSet;
class TvxBand;

// The key column of a detail table and the expression giving the master's
// key; the row ids of each key when the table has them.
struct DetailKeyLink {
    enum class Kind { Integer, Text };

    TableDataSet* table = nullptr;
    QString column;
    QString masterKey; // the filter's other side, evaluated at each list
    Kind kind = Kind::Integer;
    bool byRowId = false;
    std::unordered_map<qint64, std::vector<qint64>> integerRows;
    QHash<QString, std::vector<qint64>> textRows;
};

// Before the band's dataset goes to its first record: narrows its table to
// the current key, when the band's filter allows it.
void NarrowToMasterKey(TvxBand& band);
// The table back to all its rows (before the band ends the dataset's use).
void ReleaseMasterKey(TvxBand& band);

} // namespace vx
