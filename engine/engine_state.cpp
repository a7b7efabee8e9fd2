#include "engine/engine_state.h"

#include "engine/page_run.h"

namespace vx {

PreparationState& preparationState() {
    return libraryState().part<PreparationState>();
}

PageRun* runOf(const TvxPage* page) {
    PreparationState& s = preparationState();
    if (!page)
        return nullptr;
    if (s.LastRun && s.LastRun->Template == page)
        return s.LastRun;
    for (const auto& run : s.Runs)
        if (run->Template == page)
            return s.LastRun = run.get();
    return nullptr;
}

void resetPreparationState() {
    preparationState().reset();
}

} // namespace vx
