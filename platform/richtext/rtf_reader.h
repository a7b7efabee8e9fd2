#pragma once

// Reading of rich text format (RTF) into the document model: font and colour
// tables, bold, italic, underline, strike-out, sizes and colours, paragraphs,
// line breaks and tabs, alignment, indents, space before and after, tab
// stops, bullets and numbering (\pn, with \pntext and \listtext labels as
// the fallback), \'xx in Windows-1252 and \uN with its \ucN fallback, field
// results. Unknown control words are ignored, unknown destinations and the
// ones without visible text (style sheet, information, pictures, headers)
// are skipped.
//
// The input is hostile: the reader works without recursion, keeps at most
// kMaxRtfFonts fonts and kMaxRtfColors colours (later entries are ignored)
// and refuses groups nested deeper than kMaxRtfGroupDepth. Unbalanced
// braces are tolerated: groups still open at the end close there, and
// anything after the brace that closes the document is ignored.

#include "platform/richtext/rich_document.h"

#include <QByteArray>
#include <QString>

namespace vx::rich {

// Real documents nest a few dozen groups; deeper nesting is damage.
inline constexpr int kMaxRtfGroupDepth = 512;
// Font and colour tables of real documents hold tens of entries.
inline constexpr int kMaxRtfFonts = 4096;
inline constexpr int kMaxRtfColors = 4096;
// Tab stops kept per paragraph.
inline constexpr int kMaxTabStops = 64;

struct RtfReadResult {
    Document document; // what was read (also when an error stopped reading)
    QString error;     // empty when the whole input was read
    bool ok() const { return error.isEmpty(); }
};

// True when the bytes begin (after blanks) with "{\rtf".
bool looksLikeRtf(const QByteArray& bytes);

// Reads RTF. Bytes that are not RTF are plain Windows-1252 text whose line
// ends (CR LF, CR or LF) end paragraphs, in Arial 10, as the rich-edit
// control loads a plain text.
RtfReadResult readRtf(const QByteArray& bytes);

// The message of a document nested too deeply.
QString rtfTooDeepMessage();

} // namespace vx::rich
