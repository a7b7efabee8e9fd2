#include "report/subreport_view.h"

#include "platform/fonts.h"
#include "report/library_state.h"
#include "report/text_layout.h"

namespace vx {

TvxSubReportView::TvxSubReportView(TvxReport* report) : TvxView(report) {
    ObjectType = otSubReport;
    AssignDefaultName();
}

void TvxSubReportView::Assign(const TvxView& source) {
    TvxView::Assign(source);
    if (const auto* sub = dynamic_cast<const TvxSubReportView*>(&source))
        SubPage = sub->SubPage;
}

void TvxSubReportView::LoadFromStream(ByteReader& in) {
    TvxView::LoadFromStream(in);
    SubPage = in.i32();
}

void TvxSubReportView::SaveToStream(ByteWriter& out) const {
    TvxView::SaveToStream(out);
    out.i32(SubPage);
}

void TvxSubReportView::Draw(Canvas& c) {
    SetCanvas(&c);
    FrameWidth = 1;
    ComputeDrawRect();
    const int64_t L = Left, T = Top;
    c.setPen(PenSpec{PenStyle::Solid, 1, kBlack});
    c.setBrush(BrushSpec{BrushStyle::Solid, kWhite, 0});
    c.rectangle(rectFromEdges(Left, Top, saturate32(L + Width + 1), saturate32(T + Height + 1)));
    c.setBrush(BrushSpec{BrushStyle::Null, kWhite, 0});
    FontSpec font; // Arial 8 points, black
    font.height = fontHeightForPoints(8);
    c.setFont(font);
    c.setTextColor(kBlack);
    c.setBackgroundMode(BackgroundMode::Transparent);
    c.setTextAlign(TextAlign::Left | TextAlign::Top);
    c.textOut(saturate32(L + 2), saturate32(T + 2),
              QStringLiteral("SottoReport in pagina ") + QString::number(int64_t(SubPage) + 1),
              TextOutOption::Clipped, DrawRect.toQRect());
}

} // namespace vx
