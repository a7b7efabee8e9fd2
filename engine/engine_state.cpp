#include "engine/engine_state.h"

#include "engine/page_run.h"

namespace vx {

EngineState& engineState() {
    static EngineState state;
    return state;
}

PageRun* runOf(const TvxPage* page) {
    EngineState& s = engineState();
    if (!page)
        return nullptr;
    if (s.LastRun && s.LastRun->Template == page)
        return s.LastRun;
    for (const auto& run : s.Runs)
        if (run->Template == page)
            return s.LastRun = run.get();
    return nullptr;
}

void resetEngineState() {
    EngineState& s = engineState();
    s.Runs.clear();
    s = EngineState();
}

} // namespace vx
