#include "report/engine_counters.h"
#include "report/value_expansion.h"

namespace vx {

double PrintDate = 0;
double PrintTime = 0;
int32_t TotalPages = 0;
int32_t OutputPageIndex = 0;
TvxReport* PreparingReport = nullptr;
std::vector<int32_t> CollateOrder;
Variant CurrentValue = Variant::null();
Field* CurrentField = nullptr;
TvxBand* AggregateBand = nullptr;
int32_t SplitRoom = 0;

EngineHooks& engineHooks() {
    static EngineHooks hooks;
    return hooks;
}

namespace {
// Module initialisation, here because every program that prepares reports
// links these counters: new reports answer names through the report
// resolver and text objects expand through ExpandValue.
const bool resolutionInstalled = (InstallNameResolution(), true);
} // namespace

void resetEngineCounters() {
    PrintDate = 0;
    PrintTime = 0;
    TotalPages = 0;
    OutputPageIndex = 0;
    PreparingReport = nullptr;
    CollateOrder.clear();
    CurrentValue = Variant::null();
    CurrentField = nullptr;
    AggregateBand = nullptr;
    SplitRoom = 0;
}

} // namespace vx
