#pragma once

// State the engine keeps while it prepares a report and the name resolver
// reads: the print date and time, the page counters, the report being
// prepared and its collated page order, the current value and field of the
// expansion of text objects, and the run-time counters of bands and pages
// the special values show. The engine sets the plain values directly and
// installs the hooks for what lives in its own objects.

#include "expr/variant.h"
#include "platform/process_state.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

namespace vx {

class TvxReport;
class TvxPage;
class TvxBand;
class Field;

// What the engine provides about its run-time objects.
struct EngineHooks {
    std::function<int32_t(const TvxBand*)> BandLineNo;        // "LINE#"
    std::function<int32_t(const TvxBand*)> BandLineThrough;   // "LINETHROUGH#"
    std::function<int32_t(const TvxPage*)> PageCrossColumnNo; // "COLUMN#"
    std::function<int32_t(const TvxPage*)> PageLineCounter;   // "CURRENT#"
    // The aggregates SUM, AVG, MIN, MAX, COUNT: upper-case name, raw argument
    // texts (never null; empty for COUNT()), out value. Without the hook an
    // aggregate reports a preparation error and yields nothing.
    std::function<void(const QString& upperName, const QStringList& args, Variant& value)>
        Aggregate;
};

// The engine's part of the library state. The engine installs its hooks at
// module initialisation (libraryState().addInitialiser); what it keeps
// beyond what the resolver reads may go here or into a part of its own.
struct EngineState : DefaultResetPart<EngineState> {
    double PrintDate = 0;        // date alone, taken when the preparation starts
    double PrintTime = 0;        // time of day alone
    int32_t TotalPages = 0;      // known in the second pass of a two-pass run; 0 otherwise
    int32_t OutputPageIndex = 0; // output page being built, from 0
    TvxReport* PreparingReport = nullptr;
    std::vector<int32_t> CollateOrder;      // output page indexes in collated order
    Variant CurrentValue = Variant::null(); // value last computed for a text object
    Field* CurrentField = nullptr;          // field the last plain-name lookup found, or none
    // The data band accumulating the aggregates of the object being
    // pre-evaluated (set only during the page builder's pre-evaluation);
    // ExpandValue formats nothing while it is set.
    TvxBand* AggregateBand = nullptr;
    // While a band is split across pages: the room (pixels) below the top of
    // the band's last object down to the page limit; rich text reads it to
    // find how many of its lines fit.
    int32_t SplitRoom = 0;
    EngineHooks Hooks;
};

EngineState& engineState();
EngineHooks& engineHooks();

// The model's names for the engine's values, bound to engineState() (not
// for use while static objects are being initialised).
extern double& PrintDate;
extern double& PrintTime;
extern int32_t& TotalPages;
extern int32_t& OutputPageIndex;
extern TvxReport*& PreparingReport;
extern std::vector<int32_t>& CollateOrder;
extern Variant& CurrentValue;
extern Field*& CurrentField;
extern TvxBand*& AggregateBand;
extern int32_t& SplitRoom;

// The counters back to their start-up values (the engine at the start of a
// preparation sets what it needs); the hooks are kept.
void resetEngineCounters();

} // namespace vx
