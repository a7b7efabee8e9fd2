// libFuzzer entry: a prepared report (.vxp) read from bytes. Every failure
// must be the library's reading error; the pages kept must be complete.

#include "platform/errors.h"
#include "report/emf_pages.h"

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>

#include <cstdint>
#include <cstdlib>

namespace {

void setUp() {
    static bool done = false;
    if (done)
        return;
    done = true;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_vxp";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    // No printers: fixed A4 metrics, the stored printer name is ignored.
    vx::PreparedPrinterAccess& access = vx::preparedPrinterAccess();
    access.SelectedPrinterName = [] { return QStringLiteral("Stampante predefinita"); };
    access.SelectStoredPrinter = [](vx::TvxReport*, const QString&) {};
    access.PageMetricsFor = [](int32_t, int32_t, int32_t, uint8_t) {
        vx::PageMetrics m;
        m.ScreenWidth = 793;
        m.ScreenHeight = 1122;
        return m;
    };
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    setUp();
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    vx::TvxEMFPages pages;
    try {
        pages.LoadFromStream(buffer, QStringLiteral("fuzz.vxp"));
    } catch (const vx::VxError&) {
    }
    // Whatever was kept is complete and can be written again.
    for (int i = 0; i < pages.Count(); ++i)
        if (pages.Pages(i).Picture.isNull())
            std::abort();
    if (pages.Count() > 0)
        (void)pages.SaveToBytes();
    return 0;
}
