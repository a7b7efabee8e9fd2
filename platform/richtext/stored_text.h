#pragma once

// A rich text as an object stores it: the bytes exactly as they were loaded
// (saved back unchanged, so nothing the reader skipped is lost) and the
// document read from them. Setting a new document replaces the bytes with
// the writer's RTF.

#include "platform/richtext/rich_document.h"

#include <QByteArray>
#include <QString>

namespace vx::rich {

class StoredText {
public:
    // Keeps the bytes and reads them (RTF, or plain text); returns the
    // reader's error, empty when the whole text was read.
    QString load(const QByteArray& bytes);
    void setDocument(Document document);
    void clear();

    const QByteArray& bytes() const { return bytes_; }
    const Document& document() const { return document_; }
    // True when the text has no character (a template stores no text then).
    bool isEmpty() const { return document_.isEmpty(); }

    bool operator==(const StoredText&) const = default;

private:
    QByteArray bytes_;
    Document document_;
};

} // namespace vx::rich
