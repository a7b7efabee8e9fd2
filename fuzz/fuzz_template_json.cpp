// libFuzzer entry: reads the JSON form of a report template from the input
// bytes. A form that is accepted gives a template stream, which is loaded
// and saved again and transcribed back to JSON, as vxtool's import and
// export do. Boxes are recorded instead of shown; the library's own
// exceptions (a malformed form, a field out of range) are expected,
// anything else is a finding.
#include "fuzz/fuzz_setup.h"
#include "platform/errors.h"
#include "report/library_state.h"
#include "report/report.h"
#include "report/template_json.h"

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
    try {
        const QByteArray stream =
            vx::templateFromJson(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
        vx::templateToJson(stream);
        vx::TvxReport report;
        report.LoadFromBytes(stream);
        report.SaveToBytes();
    } catch (const vx::VxError&) {
    } catch (const vx::VxAbort&) {
    }
    vx::fuzz::endInput();
    return 0;
}
