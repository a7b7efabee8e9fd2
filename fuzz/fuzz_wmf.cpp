// libFuzzer entry for the Windows metafile reader and its conversion: the
// input is parsed, converted to an enhanced metafile, which is parsed
// strictly (the conversion must always write a sound picture) and played
// onto a small image through the painter canvas.

#include "fuzz/fuzz_exit.h"
#include "platform/emf/emf_player.h"
#include "platform/emf/wmf_convert.h"
#include "platform/emf/wmf_reader.h"
#include "platform/errors.h"
#include "platform/fonts.h"
#include "platform/painter_canvas.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static std::unique_ptr<QGuiApplication> app = std::make_unique<QGuiApplication>(*argc, *argv);
    vx::fuzz::endWithoutStaticDestructors([] { vx::fontTextWidth(vx::FontSpec{}, "x"); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (16u << 20))
        return 0;
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    vx::emf::WmfPicture wmf;
    QByteArray converted;
    try {
        wmf = vx::emf::WmfPicture::parse(bytes);
        converted = vx::emf::wmfToEmf(wmf);
    } catch (const vx::VxError&) {
        return 0; // a damaged metafile is refused with a message
    }
    // What the conversion writes must always be a sound enhanced metafile.
    const vx::emf::EmfPicture pic = vx::emf::EmfPicture::parse(converted);
    QImage img(64, 64, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    QPainter painter(&img);
    vx::PainterCanvas canvas(painter);
    vx::emf::EmfPlayer player(pic);
    player.play(canvas, QRectF(0, 0, 64, 64));
    return 0;
}
