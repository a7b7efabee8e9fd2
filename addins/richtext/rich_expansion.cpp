#include "addins/richtext/rich_expansion.h"

namespace vx {

namespace {

// The end of the expression that starts at `open` (the position of its
// matching "]"), or -1 when it is not closed.
qsizetype matchingBracket(const QString& text, qsizetype open) {
    int depth = 0;
    for (qsizetype p = open; p < text.size(); ++p) {
        if (text[p] == QLatin1Char('['))
            ++depth;
        else if (text[p] == QLatin1Char(']') && --depth == 0)
            return p;
    }
    return -1;
}

} // namespace

bool ExpandRichExpressions(rich::Document& doc,
                           const std::function<QString(const QString&)>& value) {
    int reexpansions = 0;
    qsizetype from = 0;
    while (true) {
        // Nothing before `from` holds a "[" any more, so searching from there
        // is searching from the start of the text.
        const qsizetype open = doc.text.indexOf(QLatin1Char('['), from);
        if (open < 0 || open == doc.text.size() - 1)
            return true;
        const qsizetype close = matchingBracket(doc.text, open);
        const qsizetype end = close < 0 ? doc.text.size() : close + 1;
        const qsizetype innerEnd = close < 0 ? doc.text.size() : close;
        const QString result = value(doc.text.mid(open + 1, innerEnd - open - 1));
        doc.replace(int32_t(open), int32_t(end - open), result);
        if (result.contains(QLatin1Char('[')) && ++reexpansions > kMaxRichReexpansions)
            return false;
        from = open;
    }
}

} // namespace vx
