// libFuzzer entry for the drawing of report objects: the input is read as a
// report template, and every object of every page is drawn onto a page
// metafile while designing and while preparing (text objects in every draw
// mode, as the engine drives them). Boxes are recorded instead of shown; the
// library's own exceptions are expected, anything else is a finding.
#include "fuzz/fuzz_exit.h"
#include "fuzz/fuzz_setup.h"
#include "platform/emf/recording_canvas.h"
#include "platform/errors.h"
#include "platform/fonts.h"
#include "report/library_state.h"
#include "report/memo_view.h"
#include "report/page.h"
#include "report/pages.h"
#include "report/report.h"
#include "report/value_expansion.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>

namespace {

void drawAll(vx::TvxReport& report, vx::Canvas& canvas) {
    for (int p = 0; p < report.Pages->Count(); ++p) {
        for (const auto& object : report.Pages->Pages(p).Objects) {
            auto* memo = dynamic_cast<vx::TvxCustomMemoView*>(object.get());
            for (uint8_t mode : {vx::dmMeasure, vx::dmDrawMeasured, vx::dmContinue, vx::dmDraw}) {
                if (memo)
                    memo->DrawMode = mode;
                try {
                    object->Draw(canvas);
                } catch (const vx::VxError&) {
                }
                if (!memo || !vx::PrintMode)
                    break;
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    vx::fuzz::endWithoutStaticDestructors([] { vx::fontTextWidth(vx::FontSpec{}, "x"); });
    vx::fuzz::setUpReportTarget();
    vx::InstallNameResolution(); // text objects evaluate through the report
    vx::fuzz::registerAddIns();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vx::TvxReport report;
    try {
        report.LoadFromBytes(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    } catch (const vx::VxError&) {
        vx::fuzz::endInput();
        return 0;
    } catch (const vx::VxAbort&) {
        vx::fuzz::endInput();
        return 0;
    }
    for (bool printing : {false, true}) {
        vx::PrintMode = printing;
        vx::emf::RecordingCanvas canvas(QSize(800, 1200));
        drawAll(report, canvas);
        canvas.finish();
    }
    vx::fuzz::endInput();
    return 0;
}
