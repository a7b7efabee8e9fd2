// libFuzzer entry: reads rich text (RTF, or plain text), expands its
// bracketed expressions, lays it out at two widths and writes it back and
// reads that again. Any input must end without a crash, a hang or unbounded
// memory; the reader's own error (nesting too deep) is an expected answer.
#include "addins/richtext/rich_expansion.h"
#include "platform/richtext/rich_layout.h"
#include "platform/richtext/rtf_reader.h"
#include "platform/richtext/rtf_writer.h"

#include <QGuiApplication>

#include "fuzz/fuzz_exit.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv); // fonts need the application
    vx::fuzz::endWithoutStaticDestructors(
        [] { vx::rich::layoutDocument(vx::rich::readRtf("{\\rtf1 x}").document, 100); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    vx::rich::RtfReadResult read = vx::rich::readRtf(bytes);
    // Values that hold brackets themselves exercise the repeated expansion.
    vx::ExpandRichExpressions(read.document, [](const QString& e) { return e.left(6); });
    vx::rich::layoutDocument(read.document, 300);
    vx::rich::layoutDocument(read.document, 7);
    vx::rich::readRtf(vx::rich::writeRtf(read.document));
    return 0;
}
