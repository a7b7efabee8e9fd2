#include "report/component_data.h"

#include "platform/byte_reader.h"
#include "platform/byte_writer.h"
#include "report/report.h"
#include "report/stream_helpers.h"
#include "report/values.h"

namespace vx {

QByteArray EncodeVariableLines(const QStringList& lines) {
    QByteArray bytes;
    ByteWriter out(&bytes);
    out.i32(int32_t(lines.size()));
    for (const QString& line : lines)
        WriteShortString(out, line);
    return bytes;
}

std::optional<QStringList> DecodeVariableLines(const QByteArray& data) {
    ByteReader in(data);
    const int32_t count = in.i32();
    // Every line takes at least its length byte: the count is checked against
    // the bytes left before any line is read.
    if (!in.ok() || count < 0 || size_t(count) > in.remaining())
        return std::nullopt;
    QStringList lines;
    lines.reserve(count);
    for (int32_t i = 0; i < count; ++i)
        lines << ReadShortString(in);
    if (!in.ok())
        return std::nullopt;
    return lines;
}

std::optional<QByteArray> WriteReportDataProperty(const TvxReport& report) {
    if (report.Variables.isEmpty())
        return std::nullopt;
    return EncodeVariableLines(report.Variables);
}

bool ReadReportDataProperty(TvxReport& report, const QByteArray& data) {
    std::optional<QStringList> lines = DecodeVariableLines(data);
    if (!lines)
        return false;
    report.Variables = std::move(*lines);
    return true;
}

std::optional<QByteArray> WriteValuesDataProperty(const TvxValues& values) {
    if (values.Count() == 0)
        return std::nullopt;
    QByteArray bytes;
    ByteWriter out(&bytes);
    values.WriteBinaryData(out);
    return bytes;
}

bool ReadValuesDataProperty(TvxValues& values, const QByteArray& data) {
    // Read into a scratch list first so that a damaged block changes nothing.
    TvxValues scratch;
    ByteReader in(data);
    if (!scratch.ReadBinaryData(in) || !in.ok())
        return false;
    ByteReader again(data);
    return values.ReadBinaryData(again);
}

} // namespace vx
