#pragma once

// The record layouts of the template stream, field by field in stream
// order, for the readable (JSON) form of templates: one table per record
// kind (page, data set, binding, and each report object class), so that the
// JSON form is a field-for-field transcription of the stream.

#include <QString>

#include <cstdint>
#include <span>

namespace vx {

enum class StreamField : uint8_t {
    U8,     // one byte
    U16,    // 16 bits
    I32,    // 32 bits, signed
    F64,    // IEEE double
    Bool16, // 16-bit boolean (0 or -1)
    Short,  // short string (length byte)
    Text,   // one string stored as a string list
    Lines,  // string list
    Blob,   // kind byte, 32-bit end offset in the stream, the bytes up to it
    Ole,    // flag byte, then (flag 1) one embedded-object container stream
};

struct FieldLayout {
    const char* name; // JSON key: the model's member name
    StreamField kind;
};

using RecordLayout = std::span<const FieldLayout>;

RecordLayout pageLayout();
RecordLayout valueLayout();
// The fields of an object record: the common part and the class's own
// part. Empty for an unknown add-in class or object type.
RecordLayout objectLayout(uint8_t objectType, const QString& className);

} // namespace vx
