#include "engine/band.h"

#include "engine/dataset_binding.h"
#include "engine/master_detail.h"
#include "report/band_view.h"
#include "report/memo_view.h"

namespace vx {

TvxBand::TvxBand(PageRun* page, int bandType) : Page(page), BandType(bandType) {}

TvxBand::~TvxBand() {
    // A long chain is freed iteratively, not by nested destructors.
    std::unique_ptr<TvxBand> next = std::move(NextBand);
    while (next)
        next = std::move(next->NextBand);
    if (DataSet) {
        TvxDataset* dataset = DataSet;
        DataSet = nullptr;
        try {
            ReleaseMasterKey(*this);
            dataset->EndUse();
            NotifyDataSetWork(BandType, dataset, dwClose);
        } catch (...) {
            // Ending the use of a dataset that went away is not an error of
            // the preparation, and a destructor must not throw.
        }
    }
}

void TvxBand::TakeView(TvxBandView* view, bool subReportPage) {
    View = view;
    Top = view->Top;
    Height = view->Height;
    if (BandType == btGroupHeader)
        GroupCondition = view->FormatText;
    FitToContent = view->FitToContent();
    NewPageAfter = view->NewPageAfter() && !subReportPage;
    PrintWhenDetailEmpty = view->PrintWhenDetailEmpty();
    SplitAllowed = view->SplitAllowed() && !subReportPage;
    FillList = view->FillList();
}

bool TvxBand::FooterLike() const {
    return BandType == btPageFooter || BandType == btOverlay || BandType == btNone;
}

bool TvxBand::IsDataBand() const {
    return BandType == btMasterData || BandType == btDetailData || BandType == btSubDetailData;
}

bool IsTextObject(const TvxView* view) {
    return dynamic_cast<const TvxCustomMemoView*>(view) != nullptr;
}

} // namespace vx
