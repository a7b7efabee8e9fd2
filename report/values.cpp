#include "report/values.h"

#include "platform/byte_reader.h"
#include "platform/byte_writer.h"
#include "report/stream_helpers.h"

#include <algorithm>

namespace vx {

namespace {

// Smallest stored binding: kind, special code and three empty strings.
constexpr size_t kMinValueRecord = 1 + 4 + 1 + 1 + 1;

} // namespace

QString SpecialValueFixedName(int32_t code) {
    switch (code) {
    case svPageNo:
        return QStringLiteral("PAGE#");
    case svDate:
        return QStringLiteral("DATE");
    case svTime:
        return QStringLiteral("TIME");
    case svLineNo:
        return QStringLiteral("LINE#");
    case svLineThrough:
        return QStringLiteral("LINETHROUGH#");
    case svColumnNo:
        return QStringLiteral("COLUMN#");
    case svCurrentLine:
        return QStringLiteral("CURRENT#");
    case svTotalPages:
        return QStringLiteral("TOTALPAGES");
    default:
        return QString();
    }
}

TvxValues::TvxValues() = default;
TvxValues::~TvxValues() {
    Clear();
}

TvxValue* TvxValues::Items(int index) const {
    return index >= 0 && index < Count() ? entries_[size_t(index)].value.get() : nullptr;
}

QString TvxValues::Names(int index) const {
    return index >= 0 && index < Count() ? entries_[size_t(index)].name : QString();
}

void TvxValues::SetName(int index, const QString& name) {
    if (index >= 0 && index < Count())
        entries_[size_t(index)].name = name;
}

int TvxValues::AddValue() {
    entries_.push_back({QString(), std::make_unique<TvxValue>()});
    return Count() - 1;
}

void TvxValues::Delete(int index) {
    if (index >= 0 && index < Count())
        entries_.erase(entries_.begin() + index);
}

void TvxValues::Clear() {
    entries_.clear();
}

int TvxValues::IndexOf(const QString& name) const {
    for (int i = 0; i < Count(); ++i)
        if (entries_[size_t(i)].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

TvxValue* TvxValues::FindVariable(const QString& name) const {
    return Items(IndexOf(name));
}

void TvxValues::Sort() {
    std::stable_sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
        return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
    });
    sorted_ = true;
}

void TvxValues::WriteBinaryData(ByteWriter& out) const {
    out.i32(Count());
    for (const Entry& e : entries_) {
        out.u8(e.value->Kind);
        out.i32(e.value->SpecialCode);
        WriteShortString(out, e.value->DataSetName);
        WriteShortString(out, e.value->FieldName);
        WriteShortString(out, e.name);
    }
}

bool TvxValues::ReadBinaryData(ByteReader& in) {
    Clear();
    sorted_ = false;
    const int32_t count = in.i32();
    // The count is checked against the bytes left before anything is created.
    if (!in.ok() || count < 0 || size_t(count) > in.remaining() / kMinValueRecord) {
        in.fail();
        return false;
    }
    for (int32_t i = 0; i < count; ++i) {
        TvxValue v;
        v.Kind = in.u8();
        v.SpecialCode = in.i32();
        v.DataSetName = ReadShortString(in);
        v.FieldName = ReadShortString(in);
        const QString name = ReadShortString(in);
        if (!in.ok())
            return false;
        const int at = AddValue();
        *entries_[size_t(at)].value = std::move(v);
        SetName(at, name);
    }
    return true;
}

} // namespace vx
