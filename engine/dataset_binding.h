#pragma once

// The engine's side of report datasets: binding a dataset to a band object
// by name, taking a band's dataset into use when a page is initialised, and
// telling the host about every dataset step through OnDataSetWork.

#include "report/dataset.h"

#include <QString>

namespace vx {

class TvxReport;

// Data band types: their band objects name a report dataset in FormatText.
bool IsDataBandType(int bandType);

// Makes `report` current and binds `dataset` to the data band object named
// `bandObjectName` (any case): the DataSets entry the band named before is
// taken off the list (a dataset without owner is destroyed, unless it is
// `dataset` itself), `dataset` is listed under its Name, and the band's
// FormatText becomes that name. A dataset without owner passed here belongs
// to the report from then on (the caller releases its unique_ptr).
// Throws VxError "Non è stata trovata la banda: NAME" when no object has that
// name and "Non si può collegare un vxDataset ad un oggetto che non sia una
// banda." when the object is not a data band.
void BindDataSetToBand(TvxReport& report, const QString& bandObjectName, TvxDataset* dataset);

// Finds the report dataset named `name` for a band of type `bandType` (on the
// owner of CurrentReport first, then in its DataSets), copies the report's
// DisableDataSetControls into a database dataset, takes it into use and
// notifies dwOpen. Returns the dataset the band is to use, or nullptr: an
// empty name binds nothing silently; a name that finds nothing, or a database
// dataset that fails to start, records the preparation error (with
// CurrentView cleared). A component of that name that is not a report
// dataset throws VxError (invalid type). Filter errors while the dataset is
// taken into use propagate to the caller.
TvxDataset* AttachDataset(int bandType, const QString& name);

// A database dataset in use whose database dataset was closed or went away
// while the report ran: records "Dataset chiuso: NAME" or "Dataset non
// assegnato: NAME" as the preparation error, instead of letting the band end
// its list early as if the data had ended.
void CheckDataSetStillOpen(TvxDataset* dataset);

// Raises CurrentReport's OnDataSetWork for the first band object of data
// band type `bandType` whose FormatText is exactly the dataset's Name; the
// handler's RecordCount becomes the dataset's RangeEndCount.
void NotifyDataSetWork(int bandType, TvxDataset* dataset, TvxDataSetOperation operation);

} // namespace vx
