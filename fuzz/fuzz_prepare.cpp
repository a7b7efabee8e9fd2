// libFuzzer entry: reads a report template from the input bytes and prepares
// it over a small SQLite database registered as the data module "Dati"
// (tables movimenti, clienti, ordini). Boxes are recorded instead of shown;
// a preparation error is an expected outcome, and so are the library's own
// exceptions; a crash, a sanitizer report or a hang is a finding. The run is
// stopped after a few thousand records or pages, as a host would, so that a
// template asking for billions of records does not count as a hang.
#include "engine/engine_hooks.h"
#include "engine/engine_state.h"
#include "engine/page_run.h"
#include "engine/preparation.h"
#include "platform/database.h"
#include "platform/errors.h"
#include "platform/message_box.h"
#include "report/engine_counters.h"
#include "report/library_state.h"
#include "report/printer_settings.h"
#include "report/report.h"
#include "report/value_expansion.h"

#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

constexpr int kMaxSteps = 5000; // records stepped or pages begun per input

void makeDatabase(const QString& file) {
    auto db = vx::Database::open(file, vx::Database::OpenMode::CreateIfMissing);
    db->exec(QStringLiteral("CREATE TABLE movimenti (id INTEGER PRIMARY KEY, descrizione "
                            "VARCHAR(40), categoria VARCHAR(20), quantita INTEGER, importo "
                            "REAL, data DATE)"));
    db->exec(QStringLiteral("CREATE TABLE clienti (id INTEGER, nome VARCHAR(20))"));
    db->exec(QStringLiteral("CREATE TABLE ordini (num INTEGER, cliente INTEGER, note MEMO)"));
    for (int i = 1; i <= 5; ++i) {
        db->exec(QStringLiteral("INSERT INTO movimenti VALUES (%1, 'Movimento %1', 'Casa', %1, "
                                "%1.25, '2024-01-0%1')")
                     .arg(i));
        db->exec(QStringLiteral("INSERT INTO clienti VALUES (%1, 'Cliente %1')").arg(i));
        db->exec(QStringLiteral("INSERT INTO ordini VALUES (%1, %2, 'riga\r\naltra')")
                     .arg(i * 10)
                     .arg(i % 3));
    }
}

std::unique_ptr<vx::DatabaseModule>& module() {
    static std::unique_ptr<vx::DatabaseModule> m;
    return m;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    vx::ReplacePrinterSettings(std::make_unique<vx::TPrinterSettings>(nullptr));
    static vx::MessageBoxInterceptor boxes;
    static QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("dati.sqlite"));
    makeDatabase(file);
    module() = vx::registerDatabaseModule(file);
    vx::InstallNameResolution();
    vx::InstallEngine();
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
    vx::resetLibraryState();
    return 0;
}
