#pragma once

// Report datasets: the uniform cursor a data band walks.
//
//   TvxDataset      base class; with no events a plain counter over a range.
//   TvxUserDataset  rows produced by the host through OnFirst/OnNext/OnPrior
//                   and OnCheckEOF.
//   TvxDBDataSet    wraps a database DataSet (platform/database.h), with a
//                   record filter and ranges that can start and end at the
//                   host's current record; StartUse/EndUse put the host's
//                   cursor back.
//
// Master/detail: the detail band's TvxDBDataSet wraps an SqlDataSet whose
// query takes named parameters from fields of the master's database dataset
// (SqlDataSet::setMasterParam, platform/database.h). Each time the master
// moves, the detail query runs again for the master's current record, so the
// detail band walks only that record's rows; no filter scans the whole table:
//     orders.setSql("SELECT * FROM ordini WHERE cliente_id = :id ORDER BY num");
//     orders.setMasterParam("id", &customersTable, "id");
//     vxOrders.SetDataSet(&orders);   // detail data band's dataset
//
// A dataset created without owner names itself "N" followed by a number unique
// to the instance. A dataset being destroyed takes itself off every report's
// DataSets list that holds it, whichever report is current.

#include "platform/component.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace vx {

class DataSet;
class TvxDataSetList;
class TvxReport;

enum TRangeBegin : uint8_t { rbFirst = 0, rbCurrent = 1 };
enum TRangeEnd : uint8_t { reLast = 0, reCurrent = 1, reCount = 2 };

// The operation argument of TvxReport::OnDataSetWork.
enum TvxDataSetOperation : uint8_t {
    dwOpen = 0,
    dwClose = 1,
    dwFirst = 2,
    dwNext = 3,
    dwPrior = 4
};

// TvxReport::OnDataSetWork: (BandName, DataSet, var RecordCount, Operation).
using TDataSetWorkEvent = std::function<void(const QString& bandName, DataSet* dataSet,
                                             int32_t& recordCount, TvxDataSetOperation op)>;

class TvxDataset : public Component {
public:
    using TNotifyEvent = std::function<void(TvxDataset* sender)>;
    using TCheckEOFEvent = std::function<void(TvxDataset* sender, bool& eof)>;

    explicit TvxDataset(Component* owner = nullptr);
    ~TvxDataset() override;
    QString className() const override { return QStringLiteral("TvxDataset"); }
    TvxDataset(const TvxDataset&) = delete;
    TvxDataset& operator=(const TvxDataset&) = delete;

    // Persistent (template dataset record).
    TRangeBegin RangeBegin = rbFirst;
    TRangeEnd RangeEnd = reLast;
    int32_t RangeEndCount = 0;
    int32_t Tag = 0;

    // Events, raised after the base step.
    TNotifyEvent OnFirst;
    TNotifyEvent OnNext;
    TNotifyEvent OnPrior;
    TCheckEOFEvent OnCheckEOF;

    // Logical record number in the range: 0 after First, +1 per Next, -1 per Prior.
    int32_t RecordNo = 0;

    virtual void StartUse() {}
    virtual void EndUse() {}
    virtual void First();
    virtual void Prior();
    virtual void Next();
    virtual bool Eof();

    // Name and owner (the component's).
    QString Name() const { return name(); }
    void SetName(const QString& n) { setName(n); }
    Component* Owner() const { return owner(); }

private:
    friend class TvxDataSetList;
    std::vector<TvxDataSetList*> lists_; // the lists holding this dataset
};

class TvxUserDataset : public TvxDataset {
public:
    explicit TvxUserDataset(Component* owner = nullptr) : TvxDataset(owner) {}
    QString className() const override { return QStringLiteral("TvxUserDataset"); }
};

class TvxDBDataSet : public TvxDataset {
public:
    enum class SkipDirection { Forward, Backward };

    explicit TvxDBDataSet(Component* owner = nullptr);
    ~TvxDBDataSet() override;
    QString className() const override { return QStringLiteral("TvxDBDataSet"); }

    // The DataSet property's reader: it records problems in DataSetError
    // ("Dataset non assegnato: ", "Dataset chiuso: ").
    DataSet* GetDataSet();
    // The wrapped dataset without side effects (nullptr when none).
    DataSet* dataSetRef() const { return dataSet_; }
    // Binds the database dataset (not owned). It is unbound automatically
    // when that dataset is destroyed.
    void SetDataSet(DataSet* dataSet);

    // The template's data source path: the owner's name, ".", the database
    // dataset's name; empty when there is no dataset or it has no owner.
    QString DataSetPath() const;

    QString Filter;
    bool Filtered = false;
    bool EndMarked = false;
    bool DisableControlsOption = true;
    bool InUse = false;
    bool WasActive = false;
    bool ControlsWereDisabled = false;
    QString DataSetError;
    int32_t StartRecNo = 0;

    void StartUse() override;
    void EndUse() override;
    void First() override;
    void Prior() override;
    void Next() override;
    bool Eof() override;
    virtual void SkipFiltered(SkipDirection direction);

private:
    void unbind();
    DataSet* dataSet_ = nullptr;
    int listenerId_ = 0;
};

// True when the current record is the last of the range: with reCount when
// RecordNo >= RangeEndCount - 1; for a database dataset when RecordNo >=
// RecordCount - 1; otherwise false.
bool IsLastRecord(TvxDataset* dataset);

// How a filter expression is evaluated: returns true when the record passes
// (a value other than 0/false); throws on an evaluation error. The default
// uses the expression evaluator; tests and hosts may replace it.
using FilterEvaluator = std::function<bool(const QString& expression)>;
void SetFilterEvaluator(FilterEvaluator evaluator);
const FilterEvaluator& GetFilterEvaluator();
// The installed evaluator, the default at start (tests replace it with
// ScopedOverride).
FilterEvaluator& filterEvaluator();

} // namespace vx
