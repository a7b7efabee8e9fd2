// libFuzzer entry: reads a report template from the input bytes and prepares
// it over the demo database registered as the data module "Dati" (the
// tables the bundled samples use, so that the samples in the seed corpus
// prepare real pages). Boxes are recorded instead of shown;
// a preparation error is an expected outcome, and so are the library's own
// exceptions; a crash, a sanitizer report or a hang is a finding. The run is
// stopped after a few thousand records or pages, as a host would, so that a
// template asking for billions of records does not count as a hang.
#include "app/demo_samples.h"
#include "engine/engine_hooks.h"
#include "engine/engine_state.h"
#include "engine/page_run.h"
#include "engine/preparation.h"
#include "fuzz/fuzz_setup.h"
#include "platform/database.h"
#include "platform/errors.h"
#include "report/engine_counters.h"
#include "report/library_state.h"
#include "report/report.h"
#include "report/value_expansion.h"

#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

constexpr int kMaxSteps = 5000; // records stepped or pages begun per input

std::unique_ptr<vx::DatabaseModule>& module() {
    static std::unique_ptr<vx::DatabaseModule> m;
    return m;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    vx::fuzz::setUpReportTarget();
    static QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("dati.sqlite"));
    vx::writeDemoDatabase(file);
    module() = vx::registerDatabaseModule(file);
    vx::InstallNameResolution();
    vx::InstallEngine();
    vx::fuzz::registerAddIns();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vx::TvxReport report;
    report.ShowProgress = false;
    int steps = 0;
    report.OnProgress = [&](int) {
        if (++steps > kMaxSteps)
            report.Terminated = true;
    };
    report.OnDataSetWork = [&](const QString&, vx::DataSet*, int32_t&, vx::TvxDataSetOperation) {
        if (++steps > kMaxSteps)
            report.Terminated = true;
    };
    try {
        report.LoadFromBytes(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
        report.TwoPass = false; // one pass is enough to reach every path
        vx::Prepare(report);
    } catch (const vx::VxError&) {
    } catch (const vx::VxAbort&) {
    }
    vx::resetPreparationState();
    vx::resetEngineCounters();
    vx::fuzz::endInput();
    return 0;
}
