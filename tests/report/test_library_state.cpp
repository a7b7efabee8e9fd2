// The report library's process-wide values: resetLibraryState() puts every
// one back to its start-up value, including the hooks that module
// initialisation installs.

#include "report/data_refs.h"
#include "report/dataset.h"
#include "report/emf_pages.h"
#include "report/engine_counters.h"
#include "report/library_state.h"
#include "report/picture_view.h"
#include "report/report.h"
#include "report/report_hooks.h"

#include <gtest/gtest.h>

namespace vx::test {
namespace {

TEST(ReportLibraryState, ResetPutsEveryValueBackAndInstallsTheModuleHooksAgain) {
    TvxReport report;
    struct Value {
        const char* name;
        std::function<void()> change;
        std::function<bool()> atStart;
    };
    const std::vector<Value> values = {
        {"CurrentReport", [&] { CurrentReport = &report; }, [] { return !CurrentReport; }},
        {"ErrorText", [] { ErrorRaised = true, ErrorText = "x"; },
         [] { return !ErrorRaised && ErrorText.isEmpty(); }},
        {"FileVersion", [] { FileVersion = 21; }, [] { return FileVersion == 27; }},
        {"PrintMode", [] { PrintMode = SilentPass = true; },
         [] { return !PrintMode && !SilentPass; }},
        {"engine counters",
         [] {
             TotalPages = 3, CollateOrder = {1, 0};
         },
         [] { return TotalPages == 0 && CollateOrder.empty(); }},
        {"engine hooks", [] { engineHooks().BandLineNo = [](const TvxBand*) { return 1; }; },
         [] { return !engineHooks().BandLineNo; }},
        {"report hooks", [] { reportHooks().Prepare = [](TvxReport&) { return true; }; },
         [] { return !reportHooks().Prepare; }},
        {"page lookup", [] { pageDataSetLookup() = [](TvxPage*, int) { return nullptr; }; },
         [] { return !pageDataSetLookup(); }},
        {"printer access", [] { preparedPrinterAccess().SelectedPrinterName = [] { return "P"; }; },
         [] { return !preparedPrinterAccess().SelectedPrinterName; }},
        // The default evaluator is back, not an empty one.
        {"filter", [] { filterEvaluator() = [](const QString&) { return false; }; },
         [] { return filterEvaluator() && filterEvaluator()(QStringLiteral("1")); }},
    };
    for (const Value& v : values)
        v.change();
    resetLibraryState();
    for (const Value& v : values)
        EXPECT_TRUE(v.atStart()) << v.name;
    // Installed by module initialisation, so part of the start-up value.
    EXPECT_TRUE(reportHooks().InstallResolver);
    EXPECT_TRUE(reportHooks().ExpandValue);
}

} // namespace
} // namespace vx::test
