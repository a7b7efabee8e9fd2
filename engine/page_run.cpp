#include "engine/page_run.h"

#include "engine/engine_state.h"
#include "engine/geometry.h"
#include "report/memo_view.h"
#include "report/page.h"
#include "report/view.h"

#include <algorithm>

namespace vx {

PageRun::PageRun(TvxReport* report, TvxPage* page, int index)
    : Report(report), Template(page), Index(index) {}

PageRun::~PageRun() {
    // The chains go first: freeing a band ends the use of its dataset, which
    // may still need the report's pages.
    for (auto& band : Bands)
        band.reset();
}

int32_t PageRun::TopEdge() const {
    const TvxPage& p = *Template;
    if (!p.UseMargins)
        return 0;
    return clampCoord(p.Margins.Top != 0 ? p.Margins.Top : p.pageMetrics.ScreenOffsetY,
                      kMaxCoordinate);
}

int32_t PageRun::LeftEdge() const {
    const TvxPage& p = *Template;
    if (!p.UseMargins)
        return 0;
    return clampCoord(p.Margins.Left != 0 ? p.Margins.Left : p.pageMetrics.ScreenOffsetX,
                      kMaxCoordinate);
}

int32_t PageRun::RightEdge() const {
    const TvxPage& p = *Template;
    const PageMetrics& m = p.pageMetrics;
    if (!p.UseMargins)
        return clampCoord(m.ScreenWidth, kMaxCoordinate);
    return clampCoord(p.Margins.Right != 0 ? int64_t(m.ScreenWidth) - p.Margins.Right
                                           : int64_t(m.ScreenOffsetX) + m.ScreenPrintWidth,
                      kMaxCoordinate);
}

int32_t PageRun::BottomEdge() const {
    const TvxPage& p = *Template;
    const PageMetrics& m = p.pageMetrics;
    int64_t edge = m.ScreenHeight;
    if (p.UseMargins)
        edge = p.Margins.Bottom != 0 ? int64_t(m.ScreenHeight) - p.Margins.Bottom
                                     : int64_t(m.ScreenOffsetY) + m.ScreenPrintHeight;
    const TvxBand* footer = Band(btPageFooter);
    if (footer && footer->HasObjects())
        edge -= footer->Height;
    return clampCoord(edge, kMaxCoordinate);
}

TvxView* PageRun::Context(int bandType) {
    auto& context = contexts_[size_t(std::clamp(bandType, 0, kBandTypes - 1))];
    if (!context) {
        if (!standInParent_)
            standInParent_ = std::make_unique<TvxBand>(this, btNone);
        context = std::make_unique<TvxMemoView>(nullptr);
        context->ParentBandType = uint8_t(bandType);
        context->ParentBand = standInParent_.get();
    }
    return context.get();
}

} // namespace vx
