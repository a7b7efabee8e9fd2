#include "platform/database.h"

#include "platform/errors.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <QUrlQuery>

#include <algorithm>
#include <atomic>

namespace vx {

// ---------------------------------------------------------------- Field

QVariant Field::value() const {
    if (!dataSet_ || index_ < 0)
        return QVariant();
    return dataSet_->value(index_);
}

bool Field::isNull() const {
    return value().isNull();
}

QString Field::asString() const {
    return value().toString();
}

QByteArray Field::asBytes() const {
    const QVariant v = value();
    if (v.typeId() == QMetaType::QByteArray)
        return v.toByteArray();
    return v.toString().toUtf8();
}

// ---------------------------------------------------------------- DataSet

namespace {

// Reads n decimal digits at pos; -1 when they are not all digits.
int digits(const QString& s, qsizetype pos, int n) {
    if (pos < 0 || pos + n > s.size())
        return -1;
    int v = 0;
    for (int i = 0; i < n; ++i) {
        const char16_t c = s.at(pos + i).unicode();
        if (c < u'0' || c > u'9')
            return -1;
        v = v * 10 + (c - u'0');
    }
    return v;
}

// Text dates as SQLite stores them: "YYYY-MM-DD", optionally followed by
// "T" or a blank and "HH:MM[:SS[.fff]]", or a bare time. The result keeps
// the stored wall-clock date and time with a UTC time spec: reading a
// local-time QDateTime asks the C library for the zone on every row, which
// costs more than the whole rest of the walk.
QDateTime parseStoredDateTime(const QString& raw) {
    const QString text = raw.trimmed();
    QDate date(1899, 12, 30);
    qsizetype pos = 0;
    if (text.size() >= 10 && text.at(4) == QLatin1Char('-') && text.at(7) == QLatin1Char('-')) {
        date = QDate(digits(text, 0, 4), digits(text, 5, 2), digits(text, 8, 2));
        if (!date.isValid())
            return QDateTime();
        if (text.size() == 10)
            return QDateTime(date, QTime(0, 0), Qt::UTC);
        if (text.at(10) != QLatin1Char('T') && text.at(10) != QLatin1Char(' '))
            return QDateTime();
        pos = 11;
    }
    const int h = digits(text, pos, 2);
    const int mi = pos + 2 < text.size() && text.at(pos + 2) == QLatin1Char(':')
                       ? digits(text, pos + 3, 2)
                       : -1;
    if (h < 0 || mi < 0)
        return QDateTime();
    int sec = 0, ms = 0;
    qsizetype at = pos + 5;
    if (at < text.size() && text.at(at) == QLatin1Char(':')) {
        sec = digits(text, at + 1, 2);
        at += 3;
        if (at < text.size() && text.at(at) == QLatin1Char('.')) {
            int scale = 100;
            for (++at; at < text.size() && text.at(at).isDigit(); ++at, scale /= 10)
                ms += scale * (text.at(at).unicode() - u'0');
        }
    }
    if (at < text.size() && text.at(at) != QLatin1Char('Z'))
        return QDateTime(); // zones other than Z are not stored by this program
    const QTime time(h, mi, sec < 0 ? -1 : sec, ms);
    return time.isValid() ? QDateTime(date, time, Qt::UTC) : QDateTime();
}

// Values of date-time, boolean and currency columns arrive in the storage
// type of the back end (SQLite keeps dates as text and booleans as integers);
// they are converted once, when the row enters the window.
QVariant convertToKind(const QVariant& v, FieldKind kind) {
    if (!v.isValid() || v.isNull())
        return QVariant();
    switch (kind) {
    case FieldKind::DateTime: {
        switch (v.typeId()) {
        case QMetaType::QDateTime:
            return v;
        case QMetaType::QDate:
            return QDateTime(v.toDate(), QTime(0, 0));
        case QMetaType::QTime:
            return QDateTime(QDate(1899, 12, 30), v.toTime());
        default: {
            const QDateTime dt = parseStoredDateTime(v.toString());
            return dt.isValid() ? QVariant(dt) : v;
        }
        }
    }
    case FieldKind::Boolean:
        if (v.typeId() == QMetaType::Bool)
            return v;
        if (v.typeId() == QMetaType::QString) {
            const QString s = v.toString().trimmed().toLower();
            return QVariant(!(s.isEmpty() || s == QLatin1String("0") ||
                              s == QLatin1String("false") || s == QLatin1String("f") ||
                              s == QLatin1String("no")));
        }
        return QVariant(v.toLongLong() != 0);
    case FieldKind::Currency:
        if (v.typeId() == QMetaType::Double)
            return v;
        {
            bool ok = false;
            const double d = v.toDouble(&ok);
            return ok ? QVariant(d) : v;
        }
    default:
        return v;
    }
}

bool needsConversion(FieldKind kind) {
    return kind == FieldKind::DateTime || kind == FieldKind::Boolean || kind == FieldKind::Currency;
}

} // namespace

DataSet::DataSet(Component* owner) : Component(owner) {}

DataSet::~DataSet() {
    // Listeners are told first, while the object is still whole; the
    // subclass has already ended its walk in its own destructor.
    notify(DataSetEvent::Destroyed);
}

void DataSet::setActive(bool on) {
    if (on)
        open();
    else
        close();
}

void DataSet::bindColumns(const std::vector<Column>& columns) {
    for (auto& f : allFields_)
        f->index_ = -1;
    activeFields_.clear();
    for (int i = 0; i < int(columns.size()); ++i) {
        Field* field = nullptr;
        for (auto& f : allFields_)
            if (f->index_ < 0 && f->name_.compare(columns[i].name, Qt::CaseInsensitive) == 0) {
                field = f.get();
                break;
            }
        if (!field) {
            allFields_.push_back(std::make_unique<Field>(this, columns[i].name));
            field = allFields_.back().get();
        }
        field->index_ = i;
        field->kind_ = columns[i].kind;
        activeFields_.push_back(field);
    }
    columnCount_ = int(columns.size());
}

void DataSet::setColumnKind(int column, FieldKind kind) {
    if (column >= 0 && column < int(activeFields_.size()))
        activeFields_[column]->kind_ = kind;
}

void DataSet::open() {
    if (active_)
        return;
    const std::vector<Column> columns = startWalk(); // throws on failure
    bindColumns(columns);
    cells_.assign(size_t(kRowWindow) * size_t(std::max(columnCount_, 1)), QVariant());
    windowStart_ = windowEnd_ = walkPos_ = 0;
    walkAtEnd_ = false;
    countCache_ = -1;
    active_ = true;
    current_ = loadRow(0) ? 0 : -1;
    bof_ = true;
    eof_ = current_ < 0;
    notify(DataSetEvent::Opened);
    notify(DataSetEvent::Scrolled);
}

void DataSet::close() {
    if (!active_)
        return;
    endWalk();
    active_ = false;
    current_ = -1;
    eof_ = bof_ = true;
    cells_.clear();
    cells_.shrink_to_fit();
    windowStart_ = windowEnd_ = walkPos_ = 0;
    walkAtEnd_ = false;
    countCache_ = -1;
    for (auto& f : allFields_)
        f->index_ = -1;
    activeFields_.clear();
    columnCount_ = 0;
    notify(DataSetEvent::Closed);
}

void DataSet::restartWalkAt(int index) const {
    auto* self = const_cast<DataSet*>(this);
    self->endWalk();
    self->startWalk(); // same query, same columns
    const int skipped = index > 0 ? self->skipRows(index) : 0;
    windowStart_ = windowEnd_ = walkPos_ = skipped;
    walkAtEnd_ = skipped < index;
}

bool DataSet::loadRow(int index) const {
    if (!active_ || index < 0)
        return false;
    if (index >= windowStart_ && index < windowEnd_)
        return true;
    if (walkAtEnd_ && index >= windowEnd_)
        return false;
    if (index < windowStart_) {
        // Behind the window: run the query again and fill the window so that
        // it ends at the row asked for (a backward walk then finds the rows
        // before it in memory).
        restartWalkAt(std::max(0, index - kRowWindow + 1));
        if (walkAtEnd_)
            return false;
    } else if (index - windowEnd_ > kRowWindow) {
        // Far ahead: skip without keeping the rows in between.
        const int want = index - kRowWindow + 1 - windowEnd_;
        const int skipped = const_cast<DataSet*>(this)->skipRows(want);
        walkPos_ += skipped;
        windowStart_ = windowEnd_ = walkPos_;
        if (skipped < want) {
            walkAtEnd_ = true;
            return false;
        }
    }
    auto* self = const_cast<DataSet*>(this);
    const int cols = std::max(columnCount_, 1);
    while (windowEnd_ <= index) {
        QVariant* slot = &cells_[size_t(windowEnd_ % kRowWindow) * size_t(cols)];
        if (!self->fetchRow(slot)) {
            walkAtEnd_ = true;
            countCache_ = windowEnd_;
            return false;
        }
        for (int c = 0; c < columnCount_; ++c) {
            const FieldKind k = activeFields_[c]->kind_;
            if (needsConversion(k))
                slot[c] = convertToKind(slot[c], k);
        }
        ++windowEnd_;
        walkPos_ = windowEnd_;
        if (windowEnd_ - windowStart_ > kRowWindow)
            ++windowStart_;
    }
    return true;
}

const QVariant* DataSet::rowCells(int index) const {
    if (!loadRow(index))
        return nullptr;
    return &cells_[size_t(index % kRowWindow) * size_t(std::max(columnCount_, 1))];
}

QVariant DataSet::value(int column) const {
    if (!active_ || current_ < 0 || column < 0 || column >= columnCount_)
        return QVariant();
    const QVariant* row = rowCells(current_);
    return row ? row[column] : QVariant();
}

bool DataSet::moveTo(int index) {
    if (!loadRow(index))
        return false;
    current_ = index;
    return true;
}

void DataSet::first() {
    if (!active_)
        return;
    current_ = loadRow(0) ? 0 : -1;
    bof_ = true;
    eof_ = current_ < 0;
    notify(DataSetEvent::Scrolled);
}

void DataSet::last() {
    if (!active_)
        return;
    const int n = recordCount();
    current_ = n > 0 && loadRow(n - 1) ? n - 1 : -1;
    eof_ = true;
    bof_ = current_ < 0;
    notify(DataSetEvent::Scrolled);
}

void DataSet::next() {
    if (!active_ || eof_)
        return;
    bof_ = false;
    if (current_ < 0 || !moveTo(current_ + 1)) {
        eof_ = true;
        return;
    }
    notify(DataSetEvent::Scrolled);
}

void DataSet::prior() {
    if (!active_ || bof_)
        return;
    eof_ = false;
    if (current_ <= 0 || !moveTo(current_ - 1)) {
        bof_ = true;
        return;
    }
    notify(DataSetEvent::Scrolled);
}

void DataSet::refresh() {
    if (!active_)
        return;
    const int keep = current_;
    restartWalkAt(0);
    countCache_ = -1;
    current_ = -1;
    if (keep >= 0) {
        if (loadRow(keep))
            current_ = keep;
        else if (walkAtEnd_ && windowEnd_ > 0 && loadRow(windowEnd_ - 1))
            current_ = windowEnd_ - 1;
    } else if (loadRow(0)) {
        current_ = 0;
    }
    eof_ = bof_ = current_ < 0;
    notify(DataSetEvent::Scrolled);
}

void DataSet::requery() {
    if (!active_)
        return;
    restartWalkAt(0);
    countCache_ = -1;
    current_ = loadRow(0) ? 0 : -1;
    bof_ = true;
    eof_ = current_ < 0;
    notify(DataSetEvent::Scrolled);
}

bool DataSet::isEmpty() const {
    return !active_ || current_ < 0;
}

int DataSet::recNo() const {
    return active_ && current_ >= 0 ? current_ + 1 : 0;
}

void DataSet::setRecNo(int recNo) {
    if (!active_ || current_ < 0)
        return;
    const int target = std::max(recNo, 1) - 1;
    if (!moveTo(target)) {
        // Past the last row: stand on the last one.
        if (walkAtEnd_ && windowEnd_ > 0)
            moveTo(windowEnd_ - 1);
    }
    eof_ = bof_ = false;
    notify(DataSetEvent::Scrolled);
}

int DataSet::recordCount() const {
    if (!active_)
        return 0;
    if (walkAtEnd_)
        return windowEnd_;
    if (countCache_ < 0)
        countCache_ = const_cast<DataSet*>(this)->countRows();
    if (countCache_ < 0) {
        // The back end cannot count: walk to the end through the window.
        int i = windowEnd_;
        while (loadRow(i))
            ++i;
        countCache_ = windowEnd_;
    }
    return countCache_;
}

int DataSet::skipRows(int n) {
    const int cols = std::max(columnCount_, 1);
    std::vector<QVariant> scratch(static_cast<size_t>(cols));
    int done = 0;
    while (done < n && fetchRow(scratch.data()))
        ++done;
    return done;
}

Field* DataSet::field(int index) const {
    return index >= 0 && index < int(activeFields_.size()) ? activeFields_[index] : nullptr;
}

Field* DataSet::findField(const QString& name) const {
    if (name.isEmpty())
        return nullptr;
    for (Field* f : activeFields_)
        if (f->name().compare(name, Qt::CaseInsensitive) == 0)
            return f;
    return nullptr;
}

QVariant DataSet::fieldValue(const QString& name) const {
    const Field* f = findField(name);
    return f ? f->value() : QVariant();
}

QStringList DataSet::fieldNames() const {
    QStringList out;
    for (Field* f : activeFields_)
        out << f->name();
    return out;
}

int DataSet::addListener(Listener listener) {
    const int id = nextListenerId_++;
    listeners_.push_back({id, std::move(listener)});
    return id;
}

void DataSet::removeListener(int id) {
    listeners_.erase(std::remove_if(listeners_.begin(), listeners_.end(),
                                    [id](const ListenerEntry& e) { return e.id == id; }),
                     listeners_.end());
}

void DataSet::notify(DataSetEvent event) {
    if (listeners_.empty())
        return;
    if (listeners_.size() == 1) { // the usual case, once per row: no allocation
        Listener fn = listeners_.front().fn;
        fn(this, event);
        return;
    }
    // A listener may remove itself (or others) while being called: iterate
    // over a copy of the ids and look each one up again.
    std::vector<int> ids;
    ids.reserve(listeners_.size());
    for (const auto& e : listeners_)
        ids.push_back(e.id);
    for (int id : ids) {
        auto it = std::find_if(listeners_.begin(), listeners_.end(),
                               [id](const ListenerEntry& e) { return e.id == id; });
        if (it != listeners_.end()) {
            Listener fn = it->fn; // the entry may go away during the call
            fn(this, event);
        }
    }
}

} // namespace vx
