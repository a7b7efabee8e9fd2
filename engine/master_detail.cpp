#include "engine/master_detail.h"

#include "engine/band.h"
#include "engine/engine_state.h"
#include "engine/page_builder.h"
#include "engine/page_run.h"
#include "expr/evaluator.h"
#include "platform/database.h"
#include "report/data_refs.h"

#include <QRegularExpression>

#include <cmath>
#include <optional>
#include <unordered_map>

namespace vx {

namespace {

bool isBlank(QChar c) {
    return c.unicode() >= 1 && c.unicode() <= 32;
}

QString trimBlanks(const QString& s) {
    qsizetype b = 0, e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.mid(b, e - b);
}

// The position of the one "=" of the filter outside brackets, quotes and
// parentheses that is not part of "<=", ">=" or "<>"; -1 when there is none.
qsizetype equalSign(const QString& filter) {
    int depth = 0;
    QChar quote;
    bool bracket = false;
    for (qsizetype i = 0; i < filter.size(); ++i) {
        const QChar c = filter[i];
        if (bracket) {
            bracket = c != QLatin1Char(']');
        } else if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('[')) {
            bracket = true;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
        } else if (c == QLatin1Char('(')) {
            ++depth;
        } else if (c == QLatin1Char(')')) {
            --depth;
        } else if (c == QLatin1Char('=') && depth == 0) {
            const QChar before = i > 0 ? filter[i - 1] : QChar();
            if (before != QLatin1Char('<') && before != QLatin1Char('>'))
                return i;
        }
    }
    return -1;
}

// The name a side of the filter stands for: a bracketed name or a plain
// identifier (also dataset."field name"); empty for anything else.
QString nameOf(const QString& side) {
    static const QRegularExpression bracketed(QStringLiteral("^\\[([^\\]]+)\\]$"));
    static const QRegularExpression identifier(
        QStringLiteral("^[A-Za-z_#\"][A-Za-z0-9_#.]*(\"[^\"]*\")?$"));
    if (const auto m = bracketed.match(side); m.hasMatch())
        return m.captured(1);
    return identifier.match(side).hasMatch() ? side : QString();
}

Field* fieldNamed(const QString& name) {
    DataSet* dataSet = nullptr;
    Field* field = nullptr;
    if (!name.isEmpty())
        FindFieldForName(name, dataSet, field);
    return field;
}

// Whether another band of the pass walks the same table: narrowing it would
// change that band's rows too.
bool sharedTable(const TvxBand& band, const DataSet* table) {
    for (const auto& run : preparationState().Runs) {
        for (const auto& first : run->Bands) {
            for (const TvxBand* b = first.get(); b; b = b->NextBand.get()) {
                const auto* db = dynamic_cast<const TvxDBDataSet*>(b->DataSet);
                if (b != &band && db && db->dataSetRef() == table)
                    return true;
            }
        }
    }
    return false;
}

// The key of a value as the filter's "=" compares it: integers (also whole
// floats) by number, texts character by character; nothing for other kinds.
std::optional<qint64> integerKey(const Variant& v) {
    if (v.isInteger())
        return v.intValue();
    if (v.isFloat() && std::isfinite(v.floatValue()) &&
        v.floatValue() == std::trunc(v.floatValue()) && std::fabs(v.floatValue()) < 9.0e18)
        return qint64(v.floatValue());
    return std::nullopt;
}

// The value a stored cell has in an expression: a null integer is 0, a null
// text the empty text.
bool addToIndex(DetailKeyLink& link, qint64 rowId, const QVariant& cell) {
    if (link.kind == DetailKeyLink::Kind::Text) {
        if (cell.isValid() && !cell.isNull() && cell.typeId() != QMetaType::QString)
            return false;
        link.textRows[cell.toString()].push_back(rowId);
        return true;
    }
    Variant v = Variant(0);
    if (cell.isValid() && !cell.isNull()) {
        bool ok = false;
        if (cell.typeId() == QMetaType::Double)
            v = Variant(cell.toDouble());
        else if (const qlonglong n = cell.toLongLong(&ok);
                 ok && cell.typeId() != QMetaType::QString)
            v = Variant::fromInt64(n);
        else
            return false;
    }
    const std::optional<qint64> key = integerKey(v);
    // A fractional value equals no whole key: it is left out of the index.
    if (key)
        link.integerRows[*key].push_back(rowId);
    return true;
}

std::unique_ptr<DetailKeyLink> analyse(TvxBand& band) {
    auto* ds = dynamic_cast<TvxDBDataSet*>(band.DataSet);
    if (!ds || !ds->Filtered || ds->RangeBegin != rbFirst || ds->RangeEnd == reCurrent)
        return nullptr;
    auto* table = dynamic_cast<TableDataSet*>(ds->dataSetRef());
    const qsizetype eq = equalSign(ds->Filter);
    if (!table || eq < 0 || sharedTable(band, table))
        return nullptr;
    const QString sides[] = {trimBlanks(ds->Filter.left(eq)), trimBlanks(ds->Filter.mid(eq + 1))};
    DataSetContext context(band);
    Field* fields[] = {fieldNamed(nameOf(sides[0])), fieldNamed(nameOf(sides[1]))};
    for (int own = 0; own < 2; ++own) {
        Field* detail = fields[own];
        Field* master = fields[1 - own];
        if (!detail || !master || detail->dataSet() != table || master->dataSet() == table)
            continue;
        auto link = std::make_unique<DetailKeyLink>();
        link->table = table;
        link->column = detail->name();
        link->masterKey = sides[1 - own];
        if (detail->kind() == FieldKind::Integer && master->kind() == FieldKind::Integer)
            link->kind = DetailKeyLink::Kind::Integer;
        else if (detail->kind() == FieldKind::String && master->kind() == FieldKind::String)
            link->kind = DetailKeyLink::Kind::Text;
        else
            return nullptr;
        bool indexable = true;
        link->byRowId = table->readColumnByRowId(link->column, [&](qint64 id, const QVariant& v) {
            indexable = indexable && addToIndex(*link, id, v);
        });
        return indexable ? std::move(link) : nullptr;
    }
    return nullptr;
}

void narrow(DetailKeyLink& link, const Variant& key) {
    if (link.kind == DetailKeyLink::Kind::Integer) {
        const std::optional<qint64> k = integerKey(key);
        if (!k) {
            link.table->clearRestriction();
            return;
        }
        if (!link.byRowId) {
            link.table->restrictToKey(link.column, QVariant(*k), *k == 0);
            return;
        }
        const auto it = link.integerRows.find(*k);
        link.table->restrictToRowIds(it == link.integerRows.end() ? std::vector<qint64>()
                                                                  : it->second);
        return;
    }
    if (!key.isString()) {
        link.table->clearRestriction();
        return;
    }
    const QString& k = key.stringValue();
    if (!link.byRowId) {
        link.table->restrictToKey(link.column, QVariant(k), k.isEmpty());
        return;
    }
    const auto it = link.textRows.constFind(k);
    link.table->restrictToRowIds(it == link.textRows.constEnd() ? std::vector<qint64>() : *it);
}

} // namespace

void NarrowToMasterKey(TvxBand& band) {
    if (!band.KeyLinkChecked) {
        band.KeyLinkChecked = true;
        band.KeyLink = analyse(band);
    }
    if (!band.KeyLink)
        return;
    Variant key;
    try {
        DataSetContext context(band);
        EvaluateExpression(band.KeyLink->masterKey, key);
    } catch (const std::exception&) {
        // The filter itself reports what is wrong with it.
        band.KeyLink->table->clearRestriction();
        return;
    }
    narrow(*band.KeyLink, key);
}

void ReleaseMasterKey(TvxBand& band) {
    if (band.KeyLink)
        band.KeyLink->table->clearRestriction();
    band.KeyLink.reset();
}

} // namespace vx
