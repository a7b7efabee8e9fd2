#pragma once

// The readable form of a template: the template stream transcribed field by
// field into JSON (the data sets, the report's options, the pages with their
// objects, the bindings and the variable lines; pictures, rich text and
// embedded objects as base64), and back. Keys keep the stream's order, so
// a change to a template reads as a text diff, and the way back gives the
// stream byte for byte.

#include <QByteArray>

#include <optional>

namespace vx {

// A JSON form larger than this is refused before it is parsed.
inline constexpr qsizetype kMaxTemplateJsonBytes = 128 * 1024 * 1024;
// At most this many elements in any one array of the JSON form.
inline constexpr qsizetype kMaxTemplateJsonItems = 1000000;

// The JSON form of a current-version template stream. None when the bytes
// are not a stream the form carries exactly (another version, objects out
// of page order, an unknown object class, trailing bytes or a field not in
// its canonical form): such a template is loaded and saved again first.
std::optional<QByteArray> templateToJson(const QByteArray& stream);

// The template stream of a JSON form. A malformed form, an unknown or
// missing field, a value of the wrong type or out of its range throws
// VxError with the Italian message naming the field's path
// ("Pages[0].Objects[2].Left").
QByteArray templateFromJson(const QByteArray& json);

} // namespace vx
