#include "engine/dataset_binding.h"

#include "platform/errors.h"
#include "report/band_view.h"
#include "report/data_refs.h"
#include "report/library_state.h"
#include "report/page.h"
#include "report/pages.h"
#include "report/report.h"
#include "report/view.h"

#include <memory>

namespace vx {

namespace {

constexpr int kBandObjectType = 2;

int bandTypeOf(const TvxView* view) {
    if (!view || view->ObjectType != kBandObjectType)
        return -1;
    if (auto* band = dynamic_cast<const TvxBandView*>(view))
        return band->BandType();
    return int(view->FrameLines);
}

} // namespace

bool IsDataBandType(int bandType) {
    return bandType == 5 || bandType == 8 || bandType == 11 || bandType == 19;
}

void BindDataSetToBand(TvxReport& report, const QString& bandObjectName, TvxDataset* dataset) {
    CurrentReport = &report;
    TvxView* view = FindObject(&report, bandObjectName, nullptr);
    if (!view)
        throw VxError(QStringLiteral("Non è stata trovata la banda: ") + bandObjectName);
    if (!IsDataBandType(bandTypeOf(view)))
        throw VxError(QStringLiteral(
            "Non si può collegare un vxDataset ad un oggetto che non sia una banda."));
    const int index = report.DataSets.IndexOf(view->FormatText);
    // The band's previous dataset leaves the list (destroyed when the list
    // owned it); binding the dataset the band already has keeps it.
    if (index >= 0 && report.DataSets.At(index).DataSet != dataset)
        report.DataSets.Delete(index);
    if (!dataset)
        return;
    report.DataSets.Add(dataset->name(), dataset);
    view->FormatText = dataset->name();
}

TvxDataset* AttachDataset(int bandType, const QString& name) {
    Component* found = nullptr;
    if (CurrentReport && CurrentReport->owner())
        found = CurrentReport->owner()->findComponent(name);
    TvxDataset* dataset = nullptr;
    if (found) {
        dataset = dynamic_cast<TvxDataset*>(found);
        if (!dataset)
            throw VxError(QString::fromUtf8(kInvalidCastMessage));
    } else if (CurrentReport) {
        dataset = CurrentReport->DataSets.Find(name);
    }
    if (!dataset) {
        if (!name.isEmpty())
            SetPreparationError(QStringLiteral("Non è stato trovato il vxDataset: ") + name);
        return nullptr;
    }
    auto* db = dynamic_cast<TvxDBDataSet*>(dataset);
    if (db && CurrentReport)
        db->DisableControlsOption = CurrentReport->DisableDataSetControls;
    dataset->StartUse();
    if (db && !db->DataSetError.isEmpty()) {
        CurrentView = nullptr;
        SetPreparationError(db->DataSetError);
        return nullptr;
    }
    NotifyDataSetWork(bandType, dataset, dwOpen);
    return dataset;
}

void CheckDataSetStillOpen(TvxDataset* dataset) {
    auto* db = dynamic_cast<TvxDBDataSet*>(dataset);
    if (!db || !db->InUse)
        return;
    db->GetDataSet();
    if (db->DataSetError.isEmpty())
        return;
    CurrentView = nullptr;
    SetPreparationError(db->DataSetError);
}

void NotifyDataSetWork(int bandType, TvxDataset* dataset, TvxDataSetOperation operation) {
    TvxReport* report = CurrentReport;
    if (!report || !dataset || !report->Pages || !report->OnDataSetWork ||
        !IsDataBandType(bandType))
        return;
    const TvxView* match = nullptr;
    for (int p = 0; p < report->Pages->Count() && !match; ++p) {
        const TvxPage& page = report->Pages->Pages(p);
        for (int i = 0; i < page.Count() && !match; ++i) {
            const TvxView* view = page.Object(i);
            if (bandTypeOf(view) == bandType && view->FormatText == dataset->name())
                match = view;
        }
    }
    if (!match)
        return;
    DataSet* ds = nullptr;
    if (auto* db = dynamic_cast<TvxDBDataSet*>(dataset))
        ds = db->GetDataSet();
    int32_t recordCount = dataset->RangeEndCount;
    report->OnDataSetWork(match->Name, ds, recordCount, operation);
    dataset->RangeEndCount = recordCount;
}

} // namespace vx
