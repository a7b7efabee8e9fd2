// libFuzzer entry for the metafile reader, the player and text extraction:
// the input is parsed (keeping the valid prefix), its text extracted and it
// is played onto a small image through the painter canvas.

#include "platform/emf/emf_player.h"
#include "platform/emf/emf_text.h"
#include "platform/errors.h"
#include "platform/painter_canvas.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstddef>
#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static std::unique_ptr<QGuiApplication> app = std::make_unique<QGuiApplication>(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (16u << 20))
        return 0;
    // fromRawData shares the fuzzer's buffer: the reader must never need a copy.
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const vx::emf::EmfPicture pic =
            vx::emf::EmfPicture::parse(bytes, vx::emf::ParseMode::KeepValidPrefix);
        (void)vx::emf::extractText(pic);
        QImage img(64, 64, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::white);
        QPainter painter(&img);
        vx::PainterCanvas canvas(painter);
        vx::emf::EmfPlayer player(pic);
        player.play(canvas, QRectF(0, 0, 64, 64));
    } catch (const vx::VxError&) {
        // A damaged picture is refused with a message: the expected outcome.
    }
    return 0;
}
