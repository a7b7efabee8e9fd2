#pragma once

// Expansion of the bracketed expressions of a rich text: each "[...]" in
// the document's text is replaced by its value, which takes the formatting
// of the replaced characters (of the "[" where the expression starts).

#include "platform/richtext/rich_document.h"

#include <QString>

#include <functional>

namespace vx {

// A value may itself hold "[" and is expanded in turn; a chain of more
// values than this (a value that names itself) stops the expansion.
inline constexpr int kMaxRichReexpansions = 1000;

// Replaces the expressions from the start of the text on. An expression runs
// from a "[" to its matching "]" (brackets nest), or to the end of the text
// when it is not closed; a "[" that is the text's last character ends the
// expansion. After each replacement the search goes on at the value's first
// character, so a value holding "[" is expanded in turn. Returns false when
// the expansion stopped at kMaxRichReexpansions.
bool ExpandRichExpressions(rich::Document& document,
                           const std::function<QString(const QString&)>& value);

} // namespace vx
