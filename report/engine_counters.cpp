#include "report/engine_counters.h"
#include "report/value_expansion.h"

namespace vx {

EngineState& engineState() {
    return libraryState().part<EngineState>();
}

EngineHooks& engineHooks() {
    return engineState().Hooks;
}

double& PrintDate = engineState().PrintDate;
double& PrintTime = engineState().PrintTime;
int32_t& TotalPages = engineState().TotalPages;
int32_t& OutputPageIndex = engineState().OutputPageIndex;
TvxReport*& PreparingReport = engineState().PreparingReport;
std::vector<int32_t>& CollateOrder = engineState().CollateOrder;
Variant& CurrentValue = engineState().CurrentValue;
Field*& CurrentField = engineState().CurrentField;
TvxBand*& AggregateBand = engineState().AggregateBand;
int32_t& SplitRoom = engineState().SplitRoom;

namespace {
// Module initialisation, here because every program that prepares reports
// links these counters: new reports answer names through the report
// resolver and text objects expand through ExpandValue.
const bool resolutionInstalled =
    (libraryState().addInitialiser(QStringLiteral("name resolution"), InstallNameResolution), true);
} // namespace

void resetEngineCounters() {
    EngineState& state = engineState();
    EngineHooks hooks = std::move(state.Hooks);
    state = EngineState();
    state.Hooks = std::move(hooks);
}

} // namespace vx
