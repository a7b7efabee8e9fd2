#pragma once

// Variable bindings of a report: TvxValues holds one TvxValue per variable
// name, in insertion order (a preparation sorts them by name), searched
// without regard to case.
//
// The values block (stored in templates after tag 254 and as the streaming
// property "Data"):
//   i32 count, then per binding: u8 kind, i32 special code,
//   byte-counted dataset name, byte-counted field name, byte-counted name.
// A byte-counted string is one length byte and that many Windows-1252 bytes;
// longer texts are cut to their first 255 characters when written.

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace vx {

class ByteReader;
class ByteWriter;
class DataSet;
class Field;

// TvxValue::Kind values.
enum TvxValueKind : uint8_t {
    vkNone = 0,      // not bound ("[Nessuno]")
    vkDataField = 1, // bound to a database field
    vkSpecial = 2,   // bound to a special value ("Altro")
};

// Special value codes (TvxValue::SpecialCode for kind 2).
enum TvxSpecialCode : int32_t {
    svPageNo = 0,
    svExpression = 1,
    svDate = 2,
    svTime = 3,
    svLineNo = 4,
    svLineThrough = 5,
    svColumnNo = 6,
    svCurrentLine = 7,
    svTotalPages = 8,
};
constexpr int kSpecialCodeCount = 9;

// The fixed name a special value stands for ("PAGE#", "DATE", ...); empty for
// the expression code and for codes outside the table.
QString SpecialValueFixedName(int32_t code);

// One binding.
struct TvxValue {
    uint8_t Kind = vkNone;
    int32_t SpecialCode = 0;
    QString DataSetName;             // kind 1: dataset name in the forms FindDataSet accepts
    QString FieldName;               // kind 1: the field; kind 2 code 1: the expression text
    DataSet* BoundDataSet = nullptr; // filled by BindValues; not owned
    Field* BoundField = nullptr;     // filled by BindValues; not owned
};

class TvxValues {
public:
    TvxValues();
    ~TvxValues();
    TvxValues(const TvxValues&) = delete;
    TvxValues& operator=(const TvxValues&) = delete;

    int Count() const { return int(entries_.size()); }
    // Items and Names: index from 0; out-of-range indexes return nullptr / empty.
    TvxValue* Items(int index) const;
    QString Names(int index) const;
    void SetName(int index, const QString& name);

    // Appends a binding of kind 0 under an empty name; returns its position.
    int AddValue();
    void Delete(int index);
    void Clear();

    // The first binding whose name equals name without regard to case.
    TvxValue* FindVariable(const QString& name) const;
    int IndexOf(const QString& name) const;

    // Sorts the entries by name without regard to case (stable), as a
    // preparation does; the list stays in that order afterwards.
    void Sort();
    bool Sorted() const { return sorted_; }

    // The values block. ReadBinaryData clears first and returns false (leaving
    // what it read so far) when the block is damaged or ends early.
    void WriteBinaryData(ByteWriter& out) const;
    bool ReadBinaryData(ByteReader& in);

private:
    struct Entry {
        QString name;
        std::unique_ptr<TvxValue> value;
    };
    std::vector<Entry> entries_;
    bool sorted_ = false;
};

} // namespace vx
