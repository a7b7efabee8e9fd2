#pragma once

// Stream helpers shared by every record of the template and prepared-report
// formats: short strings, byte-counted strings, 16-bit booleans and string
// lists. Text is stored in Windows-1252 and converted at this boundary.
//
// Readers never throw: a damaged field marks the ByteReader failed (sticky),
// returns an empty value, and the caller checks reader.ok() once.

#include "platform/byte_reader.h"
#include "platform/byte_writer.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vx {

// A short string holds at most 255 bytes behind its length byte.
inline constexpr int kShortStringMax = 255;
// Current string-list layout: a written line keeps its first 1024 bytes;
// a longer line in a stream being read marks the stream damaged.
inline constexpr int kListLineMax = 1024;
// Old string-list layout (read only): at most 255 characters per line.
inline constexpr int kOldListLineMax = 255;
// A list holds at most 65535 lines (its count is 16-bit).
inline constexpr int kListLinesMax = 65535;

enum class StringListLayout {
    Current, // u16 count, then per line u16 length and the bytes
    Old      // lines ended by CR (13), list ended by a zero byte
};

// Windows-1252 conversion at the stream boundary.
QString fromCodePage(const QByteArray& bytes);
QByteArray toCodePage(const QString& text);

// Short string (also the "byte-counted string" of the values block):
// one length byte and that many bytes; a longer text is cut to 255 bytes.
void WriteShortString(ByteWriter& out, const QString& text);
QString ReadShortString(ByteReader& in);

// 16-bit boolean: 0 false, -1 true; any non-zero value reads as true.
void WriteBool16(ByteWriter& out, bool value);
bool ReadBool16(ByteReader& in);

// String lists. The writer always uses the current layout.
void WriteStringList(ByteWriter& out, const QStringList& list);
QStringList ReadStringList(ByteReader& in, StringListLayout layout);
// The layout of the stream being read: old for template versions 25 and
// earlier, current otherwise (see StreamVersionScope for streams that carry
// no version byte of their own).
StringListLayout currentListLayout();
QStringList ReadStringList(ByteReader& in); // with currentListLayout()

// A single string stored as a string list: a list of one line; reads the
// first line (empty when the list is empty).
void WriteStringAsList(ByteWriter& out, const QString& text);
QString ReadStringAsList(ByteReader& in);

// Sets FileVersion to `version` for its lifetime (streams without a version
// byte of their own, such as prepared reports and template libraries, are
// read as the current version).
class StreamVersionScope {
public:
    explicit StreamVersionScope(int version);
    ~StreamVersionScope();
    StreamVersionScope(const StreamVersionScope&) = delete;
    StreamVersionScope& operator=(const StreamVersionScope&) = delete;

private:
    int saved_;
};

} // namespace vx
