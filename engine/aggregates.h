#pragma once

// The aggregate functions SUM, AVG, MIN, MAX and COUNT of text objects.
// An aggregate is not computed when its text is expanded: every call of
// SUM, AVG, MIN or MAX has an accumulator of its own on a data band, keyed by
// the function, its argument text, the object and (for plain aggregates) the
// group level of the object's band. The accumulators register while the page
// builder pre-evaluates the page's text objects (AggregateBand set), are
// reset and fed record by record by the data loop, and are read whenever the
// object prints.

#include <QString>
#include <QStringList>

#include <cstdint>

namespace vx {

class PageRun;
class TvxBand;
class Variant;

// The resolver's call (upper-case name, raw argument texts, out value).
void AnswerAggregate(const QString& upperName, const QStringList& args, Variant& value);

// Resets the accumulators of `band` whose level is at most `level`, sets
// AggCount to 0 and counts the reset. Nothing during a silent pass.
void ResetAggregates(TvxBand& band, int level);
// Adds the current record of the band's dataset to its accumulators. Nothing
// during a silent pass or at the end of the dataset. Evaluation errors
// propagate.
void AccumulateAggregates(TvxBand& band);
// Starting a list: every accumulator of the band starts afresh, then takes
// the first record.
void StartAggregates(TvxBand& band);

// The data band whose records the aggregates of a band type count: the
// master data band for the summary, page footer, master data and footer,
// column footer and group footer; the detail or sub-detail data band for
// their data and footer bands; the cross data band for the cross data and
// footer bands; none for the others.
TvxBand* AggregatingBand(PageRun& page, int bandType);

// The starting value of an accumulator: 0 for SUM and AVG, 1e200 for MIN,
// -1e200 for every other name.
Variant AggregateInitialValue(const QString& name);

} // namespace vx
