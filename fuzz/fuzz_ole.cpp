// libFuzzer entry: an embedded OLE object as a template stores it. The input
// is read as the container's stream and, when it is none, as the object's
// storage itself; the compound file is opened, its class name and
// presentation read, and the picture or the placeholder drawn into a
// metafile. Nothing may crash, hang or read outside the input.
#include "platform/emf/recording_canvas.h"
#include "platform/ole/ole_picture.h"
#include "platform/ole/ole_storage.h"

#include "fuzz/fuzz_exit.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    vx::fuzz::endWithoutStaticDestructors([] {
        vx::emf::RecordingCanvas canvas(QSize(10, 10));
        vx::ole::drawPlaceholder(canvas, QRect(0, 0, 10, 10), QString());
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vx;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    ByteReader in(bytes);
    const QByteArray stream = ole::readContainerStream(in);
    const auto container = ole::parseContainerStream(stream);
    const QByteArray storage = container ? container->storage : bytes;
    const ole::EmbeddedObject object =
        ole::readEmbeddedObject(storage, container ? container->aspect : ole::kAspectContent);
    emf::RecordingCanvas canvas(QSize(200, 100));
    const QRect dest(10, 10, 180, 80);
    if (!object.presentation || !ole::drawPresentation(canvas, *object.presentation, dest))
        ole::drawPlaceholder(canvas, dest, object.className);
    if (object.presentation)
        ole::naturalSize(*object.presentation);
    canvas.finish();
    return 0;
}
