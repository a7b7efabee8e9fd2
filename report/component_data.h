#pragma once

// The binary properties that the report and its variable bindings add to
// component streaming (a report placed on a form keeps its variables and
// bindings in the form's stream). Both properties are named "Data" and are
// written only when they have something to hold:
//
//   TvxReport "Data"  the Variables lines: i32 line count, then per line one
//                     length byte and the line's Windows-1252 bytes (a line
//                     longer than 255 characters keeps its first 255).
//   TvxValues "Data"  the values block of the template format (values.h).
//
// A host's component streamer calls these when it writes and reads the
// component. Reading is hostile-input safe: a damaged property leaves the
// target as the reader found it and returns false.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace vx {

class TvxReport;
class TvxValues;

inline const QString kDataPropertyName = QStringLiteral("Data");

// The report's "Data" property: none when Variables is empty.
std::optional<QByteArray> WriteReportDataProperty(const TvxReport& report);
// Empties Variables and adds the lines read; false (Variables unchanged)
// when the bytes are damaged or end early.
bool ReadReportDataProperty(TvxReport& report, const QByteArray& data);

// The bindings' "Data" property: none when there are no bindings.
std::optional<QByteArray> WriteValuesDataProperty(const TvxValues& values);
// Replaces the bindings with the block read; false (bindings unchanged) when
// the block is damaged or ends early.
bool ReadValuesDataProperty(TvxValues& values, const QByteArray& data);

// The variable-lines encoding of the report's property, for other callers.
QByteArray EncodeVariableLines(const QStringList& lines);
std::optional<QStringList> DecodeVariableLines(const QByteArray& data);

} // namespace vx
