#pragma once

// Short descriptions of rich-text documents and of drawn texts, for tests
// that compare them with expected strings.

#include "platform/richtext/rich_document.h"
#include "tests/support/fake_canvas.h"

#include <QString>
#include <QStringList>

namespace vx::test {

// "text|b" or "text|n" per run (bold or not), joined by " ; ".
inline QString boldRuns(const rich::Document& d) {
    QStringList out;
    int32_t pos = 0;
    for (const rich::Run& r : d.runs) {
        out << d.text.mid(pos, r.length) + (r.format.bold ? "|b" : "|n");
        pos += r.length;
    }
    return out.join(QStringLiteral(" ; "));
}

// The strings of the text calls recorded on the canvas, in order.
inline QStringList drawnTexts(const FakeCanvas& canvas) {
    QStringList out;
    for (const QString& call : canvas.only("text")) {
        const qsizetype open = call.indexOf('"');
        out << call.mid(open + 1, call.indexOf('"', open + 1) - open - 1);
    }
    return out;
}

} // namespace vx::test
