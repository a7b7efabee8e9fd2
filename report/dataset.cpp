#include "report/dataset.h"

#include "expr/evaluator.h"
#include "expr/variant.h"
#include "platform/database.h"
#include "platform/errors.h"
#include "report/library_state.h"
#include "report/report.h"

#include <atomic>

namespace vx {

namespace {

// Names of datasets created without owner: "N" and a number no other
// instance of this process had.
QString nextOwnerlessName() {
    static std::atomic<quint64> counter{0};
    return QStringLiteral("N") + QString::number(++counter);
}

bool defaultFilter(const QString& expression) {
    const Variant v = EvaluateExpression(expression);
    // A record passes unless its value is 0 or false; null and text that is
    // not a number are not 0.
    if (v.isNull())
        return true;
    if (v.isEmpty())
        return false;
    if (v.isBool())
        return v.toBool();
    return !CompareVariants(ExprOp::Equal, v, Variant(0));
}

// The datasets' part of the library state: how a filter expression is
// evaluated (tests install their own).
struct DataSetFilterState : DefaultResetPart<DataSetFilterState> {
    FilterEvaluator evaluator = defaultFilter;
};

} // namespace

FilterEvaluator& filterEvaluator() {
    return libraryState().part<DataSetFilterState>().evaluator;
}

void SetFilterEvaluator(FilterEvaluator evaluator) {
    filterEvaluator() = evaluator ? std::move(evaluator) : FilterEvaluator(defaultFilter);
}

const FilterEvaluator& GetFilterEvaluator() {
    return filterEvaluator();
}

// ---------------------------------------------------------------- TvxDataset

TvxDataset::TvxDataset(Component* owner) : Component(owner) {
    if (!owner)
        setName(nextOwnerlessName());
}

TvxDataset::~TvxDataset() {
    const std::vector<TvxDataSetList*> lists = lists_;
    for (TvxDataSetList* list : lists)
        list->Forget(this);
}

void TvxDataset::First() {
    RecordNo = 0;
    if (OnFirst)
        OnFirst(this);
}

void TvxDataset::Next() {
    ++RecordNo;
    if (OnNext)
        OnNext(this);
}

void TvxDataset::Prior() {
    --RecordNo;
    if (OnPrior)
        OnPrior(this);
}

bool TvxDataset::Eof() {
    bool eof = RangeEnd == reCount && RecordNo >= RangeEndCount;
    if (OnCheckEOF)
        OnCheckEOF(this, eof);
    return eof;
}

// ---------------------------------------------------------------- TvxDBDataSet

TvxDBDataSet::TvxDBDataSet(Component* owner) : TvxDataset(owner) {}

TvxDBDataSet::~TvxDBDataSet() {
    unbind();
}

void TvxDBDataSet::unbind() {
    if (dataSet_ && listenerId_)
        dataSet_->removeListener(listenerId_);
    dataSet_ = nullptr;
    listenerId_ = 0;
}

void TvxDBDataSet::SetDataSet(DataSet* dataSet) {
    if (dataSet == dataSet_)
        return;
    unbind();
    dataSet_ = dataSet;
    if (dataSet_)
        listenerId_ = dataSet_->addListener([this](DataSet*, DataSetEvent event) {
            // Free notification: forget a database dataset that goes away.
            if (event == DataSetEvent::Destroyed) {
                dataSet_ = nullptr;
                listenerId_ = 0;
            }
        });
}

QString TvxDBDataSet::DataSetPath() const {
    if (!dataSet_ || !dataSet_->owner())
        return QString();
    return dataSet_->owner()->name() + QLatin1Char('.') + dataSet_->name();
}

DataSet* TvxDBDataSet::GetDataSet() {
    if (!dataSet_) {
        DataSetError = QStringLiteral("Dataset non assegnato: ") + name();
        return nullptr;
    }
    if (dataSet_->active()) {
        DataSetError.clear();
        return dataSet_;
    }
    if (InUse)
        DataSetError = QStringLiteral("Dataset chiuso: ") + dataSet_->name();
    return dataSet_;
}

void TvxDBDataSet::StartUse() {
    if (DataSet* ds = GetDataSet()) {
        WasActive = ds->active();
        if (!ds->active()) {
            try {
                ds->open();
                // A successful open makes an error left from an earlier run
                // (say, "Dataset chiuso") stale: without clearing it the
                // dataset could never be used again.
                DataSetError.clear();
            } catch (const VxError& e) {
                DataSetError = QStringLiteral("Non è stato possibile aprire il Dataset: ") +
                               ds->name() + QStringLiteral("\r\n") + e.message();
            } catch (const std::exception& e) {
                DataSetError = QStringLiteral("Non è stato possibile aprire il Dataset: ") +
                               ds->name() + QStringLiteral("\r\n") + QString::fromUtf8(e.what());
            }
        }
        if (DataSetError.isEmpty()) {
            StartRecNo = ds->recNo();
            ControlsWereDisabled = ds->controlsDisabled();
            if (DisableControlsOption && !ControlsWereDisabled)
                ds->disableControls();
            SkipFiltered(SkipDirection::Forward);
        }
    }
    EndMarked = false;
    InUse = true;
}

void TvxDBDataSet::EndUse() {
    InUse = false;
    DataSet* ds = GetDataSet();
    if (!ds)
        return;
    if (DisableControlsOption && !ControlsWereDisabled)
        ds->enableControls();
    if (WasActive)
        ds->setRecNo(StartRecNo); // the host's cursor is put back
    else
        ds->close();
}

void TvxDBDataSet::First() {
    if (DataSet* ds = dataSet_) {
        if (RangeBegin == rbFirst) {
            ds->first();
        } else {
            if (ds->eof())
                ds->refresh();
            ds->setRecNo(StartRecNo);
        }
    }
    SkipFiltered(SkipDirection::Forward);
    EndMarked = false;
    TvxDataset::First();
}

void TvxDBDataSet::Next() {
    EndMarked = false;
    if (RangeEnd == reCurrent && dataSet_ && dataSet_->recNo() == StartRecNo)
        EndMarked = true;
    if (dataSet_)
        dataSet_->next();
    SkipFiltered(SkipDirection::Forward);
    TvxDataset::Next();
}

void TvxDBDataSet::Prior() {
    EndMarked = false;
    if (RangeEnd == reCurrent && dataSet_ && dataSet_->recNo() == StartRecNo)
        EndMarked = true;
    // A database cursor that ran off the end still stands on the last row:
    // that row is the record before the end (a footer printed after the last
    // record must show it, not the one before it). The filter then steps
    // back from there to the last record that passes.
    if (dataSet_ && !dataSet_->eof())
        dataSet_->prior();
    SkipFiltered(SkipDirection::Backward);
    TvxDataset::Prior();
}

bool TvxDBDataSet::Eof() {
    const bool base = TvxDataset::Eof();
    return base || (dataSet_ && dataSet_->eof()) || EndMarked;
}

void TvxDBDataSet::SkipFiltered(SkipDirection direction) {
    if (!Filtered || !dataSet_)
        return;
    DataSet* ds = dataSet_;
    const FilterEvaluator passes = GetFilterEvaluator();
    try {
        if (direction == SkipDirection::Forward) {
            while (!ds->eof() && !passes(Filter))
                ds->next();
        } else {
            while (!ds->bof() && !passes(Filter))
                ds->prior();
        }
    } catch (...) {
        throw VxError(QStringLiteral("Errore nell'espressione del filtro della banda."));
    }
}

// ---------------------------------------------------------------- helpers

bool IsLastRecord(TvxDataset* dataset) {
    if (!dataset)
        return false;
    if (dataset->RangeEnd == reCount)
        return int64_t(dataset->RecordNo) >= int64_t(dataset->RangeEndCount) - 1;
    if (auto* db = dynamic_cast<TvxDBDataSet*>(dataset)) {
        DataSet* ds = db->dataSetRef();
        return ds && int64_t(dataset->RecordNo) >= int64_t(ds->recordCount()) - 1;
    }
    return false;
}

} // namespace vx
