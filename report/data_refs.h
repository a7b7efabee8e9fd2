#pragma once

// Finding forms, datasets and fields from the names report texts use, and
// binding the report's variables to dataset fields at the start of a
// preparation.
//
// Accepted dataset-field names:
//   dataset.field            dataset among the components of the report's owner
//   dataset."field name"     the same, field name in double quotes
//   module.dataset.field     dataset on a form or data module (field may be quoted)
//   module.dataset           dataset only
//   field / "field name"     (FindFieldForName) a field of the dataset of the
//                            data band that serves the current object

#include <QString>

#include <functional>

namespace vx {

class Component;
class DataSet;
class Field;
class TvxDataset;
class TvxPage;
class TvxReport;

// Removes one double quote at each end when the text begins and ends with
// one (a text that is a single double quote becomes empty).
void StripQuotes(QString& text);

// "Form.Component": forms first, then data modules, names without regard to
// case; the first module whose name matches is asked for the component.
// A path without "." finds nothing.
Component* FindComponentByPath(const QString& path);

// The database dataset of that name ("Module.Dataset" or a component of the
// current report's owner). Records the preparation error
// "Non è stato trovato il vxDataset: NAME" when there is none; a component
// of that name that is not a dataset throws VxError(kInvalidCastMessage).
DataSet* FindDataSet(const QString& name);
extern const char* const kInvalidCastMessage;

// Field is set to none first; dataSet is in and out (see the forms above).
void FindDataSetField(const QString& name, DataSet*& dataSet, Field*& field);
void FindFieldForName(const QString& name, DataSet*& dataSet, Field*& field);

// Fields named as module.dataset.field are kept once found (a preparation
// reads the same names for every record); this forgets them. The engine
// calls it when a preparation starts and ends; the cache also empties itself
// when a dataset it holds is destroyed.
void ClearFieldNameCache();

// Binds every variable of kind 1 to its dataset and field (see values.h),
// and sets the report's HasBlobValues. Records a preparation error and stops
// at the first dataset or field that cannot be found; a closed dataset is
// skipped. Does nothing while a preparation error is pending.
void BindValues(TvxReport* report);

// The report dataset bound to the data band of that type (5, 8, 11, 19) on
// the page being prepared. The engine may install its own (the datasets its
// run-time bands took into use); without one, or after installing an empty
// one, TemplatePageDataSet answers.
using PageDataSetLookup = std::function<TvxDataset*(TvxPage* page, int bandType)>;
void SetPageDataSetLookup(PageDataSetLookup lookup);
// The installed lookup (tests replace it with ScopedOverride).
PageDataSetLookup& pageDataSetLookup();

// The dataset named by the first band object of that band type on the page:
// a report dataset among the components of the report's owner, else the
// entry of that name in the report's DataSets; nullptr when the page has no
// such band or the name finds nothing.
TvxDataset* TemplatePageDataSet(TvxPage* page, int bandType);

// The data band type that serves an object of the given parent band type:
// 7..9 detail (8), 10..12 sub-detail (11), 18..20 cross (19), 13 and 21 none
// (-1), every other the master data band (5).
int DataBandForParent(int parentBandType);

} // namespace vx
