#pragma once

// Writing of the document model as rich text format (RTF), in the form the
// reader reads back to the same document: font and colour tables, the
// paragraph formats with their bullets and numbering, character formats as
// changes from one run to the next, text in Windows-1252 (\'xx above 127)
// and \uN for characters the code page has not.

#include "platform/richtext/rich_document.h"

#include <QByteArray>

namespace vx::rich {

QByteArray writeRtf(const Document& document);

} // namespace vx::rich
