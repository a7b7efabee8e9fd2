// libFuzzer entry: reads a report template stream from the input bytes.
// Boxes are recorded instead of shown; the library's own exceptions (a
// damaged header) are expected, anything else is a finding.
#include "fuzz/fuzz_setup.h"
#include "platform/errors.h"
#include "report/library_state.h"
#include "report/report.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    vx::fuzz::setUpReportTarget();
    vx::fuzz::registerAddIns();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vx::TvxReport report;
    try {
        report.LoadFromBytes(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
        report.SaveToBytes();
    } catch (const vx::VxError&) {
    } catch (const vx::VxAbort&) {
    }
    vx::fuzz::endInput();
    return 0;
}
