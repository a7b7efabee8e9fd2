#pragma once

// Expansion of the bracketed expressions of report objects: ExpandValue
// turns one expression into the text shown in its place (resolved as a plain
// name first, evaluated otherwise, remembered as the current value and
// formatted with the object's format code), and FillFromField loads a text,
// picture or rich-text object straight from a memo or binary field named by
// its first line.

#include <QString>
#include <QStringList>

#include <cstdint>

namespace vx {

class TvxReport;
class TvxView;

// The text of one bracketed expression (without its brackets), formatted
// with CurrentView's FormatCode and FormatText (the default code when there
// is no current object). Failures are recorded with SetPreparationError
// ("Errore. " and the message) and give the empty text; after a preparation
// error every expression gives the empty text.
QString ExpandValue(const QString& text);
inline void ExpandValue(const QString& text, QString& result) {
    result = ExpandValue(text);
}
// The same with an explicit format code and custom pattern.
QString ExpandValue(const QString& text, int32_t formatCode, const QString& formatText);

// Loads `object` from the field named by its first line ("[Name]") when the
// report has blob bindings and that field holds memo or binary data.
void FillFromField(TvxReport* report, const QStringList& lines, TvxView* object);

// Installs the report hooks this module provides (the resolver of new reports
// and the expansion of text objects). Runs at start-up; calling it again is
// harmless.
void InstallNameResolution();

} // namespace vx
