#pragma once

// The engine's own process-wide state: one preparation runs at a time, and
// its page runs, continuation state and pass flags live here. The values the
// name resolver reads (page index, total pages, date, collated order) are in
// report/engine_counters.h; the current report, page, band and object in
// report/library_state.h.

#include "platform/process_state.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <unordered_set>
#include <vector>

namespace vx {

class PageRun;
class TvxPage;
class TvxView;

// Output pages of one template page in one pass.
struct PageOutput {
    int32_t First = 0; // index of its first output page
    int32_t Count = 0;
};

struct PreparationState : DefaultResetPart<PreparationState> {
    // Template pages of the pass, in order (empty between preparations).
    std::vector<std::unique_ptr<PageRun>> Runs;
    std::vector<PageOutput> Outputs;
    PageRun* LastRun = nullptr; // the run runOf found last

    // Continuation between template pages.
    bool ContinuePrevious = false;
    bool FooterDone = false;
    int32_t LastCursorY = 0;
    int32_t LastBottomLimit = 0;

    int CurrentLevel = 0;        // data level being run, 1 to 3
    int32_t CrossIndex = 0;      // cross-table column being printed, from 1
    bool CrossRowActive = false; // a row of cross-table cells is being printed
    int SubReportDepth = 0;      // sub-reports being played inside one another

    // Text objects whose aggregates total every cross-table column.
    std::unordered_set<const TvxView*> CrossTotal;

    // Passes.
    bool FinalPass = true;           // false only in the first of two passes
    bool FirstPassCancelled = false; // the first pass ended terminated
    bool TwoPassRun = false;         // the preparation runs in two passes
    bool Preparing = false;          // an outer Prepare is running
    bool WindowShown = false;        // the progress window is up
    QString StageText;               // "Esecuzione 1° passo:" or "Pagina in costruzione:"
};

PreparationState& preparationState();

// The run of a template page in the pass under way, or nullptr.
PageRun* runOf(const TvxPage* page);

// Back to the start-up values (tests; every preparation starts here).
void resetPreparationState();

} // namespace vx
