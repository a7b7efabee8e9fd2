#include "platform/richtext/stored_text.h"

#include "platform/richtext/rtf_reader.h"
#include "platform/richtext/rtf_writer.h"

namespace vx::rich {

QString StoredText::load(const QByteArray& bytes) {
    bytes_ = bytes;
    RtfReadResult result = readRtf(bytes);
    document_ = std::move(result.document);
    return result.error;
}

void StoredText::setDocument(Document document) {
    document_ = std::move(document);
    bytes_ = writeRtf(document_);
}

void StoredText::clear() {
    bytes_.clear();
    document_ = Document();
}

} // namespace vx::rich
