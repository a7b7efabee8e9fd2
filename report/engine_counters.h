#pragma once

// State the engine keeps while it prepares a report and the name resolver
// reads: the print date and time, the page counters, the report being
// prepared and its collated page order, the current value and field of the
// expansion of text objects, and the run-time counters of bands and pages
// the special values show. The engine sets the plain values directly and
// installs the hooks for what lives in its own objects.

#include "expr/variant.h"

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

extern double PrintDate;        // date alone, taken when the preparation starts
extern double PrintTime;        // time of day alone
extern int32_t TotalPages;      // known in the second pass of a two-pass run; 0 otherwise
extern int32_t OutputPageIndex; // output page being built, from 0
extern TvxReport* PreparingReport;
extern std::vector<int32_t> CollateOrder; // output page indexes in collated order
extern Variant CurrentValue;              // value last computed for a text object; null at start
extern Field* CurrentField;               // field the last plain-name lookup found, or none
// The data band accumulating the aggregates of the object being pre-evaluated
// (set only during the page builder's pre-evaluation); ExpandValue formats
// nothing while it is set.
extern TvxBand* AggregateBand;
// While a band is split across pages: the room (pixels) below the top of the
// band's last object down to the page limit; rich text reads it to find how
// many of its lines fit.
extern int32_t SplitRoom;

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

EngineHooks& engineHooks();

// Back to the start-up values (tests; the engine at the start of a preparation
// sets what it needs). Hooks are kept.
void resetEngineCounters();

} // namespace vx
