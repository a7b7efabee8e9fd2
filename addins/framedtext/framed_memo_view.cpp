#include "addins/framedtext/framed_memo_view.h"

#include "addins/button_bitmap.h"
#include "addins/edge_math.h"
#include "report/addin_registry.h"
#include "report/library_state.h"

#include <algorithm>
#include <limits>

namespace vx {

int TvxFrameSide::width() const {
    return std::clamp<int>(LineWidth, 1, 3);
}

TvxFramedMemoView::TvxFramedMemoView(TvxReport* report) : TvxMemoView(report) {
    ObjectType = otAddIn;
    AssignDefaultName(); // the text object's constructor named it as a text
}

void TvxFramedMemoView::ComputeDrawRect() {
    FrameWidth = 1;
    for (const TvxFrameSide& s : Sides)
        FrameWidth = std::max(FrameWidth, s.thickness());
    TvxMemoView::ComputeDrawRect();
}

void TvxFramedMemoView::FillBackground() {
    if (SilentPass || !canvas || (PrintMode && FillColor == kNoColor))
        return;
    Canvas& c = *canvas;
    const int64_t L = Left, T = Top, W = Width, H = Height;
    const Color fill = FillColor == kNoColor ? kWhite : FillColor;
    const BrushSpec brush{BrushStyle::Solid, fill, 0};
    if (!PrintMode) {
        c.setPen(PenSpec{PenStyle::Solid, FrameWidth, kWhite});
        c.setBrush(brush);
        c.rectangle(rectFromEdges(Left, Top, clamp32(L + W + 1), clamp32(T + H + 1)));
    }
    // A double line has the background reach under its outer stroke.
    auto out = [this](int side) {
        return int64_t(Sides[size_t(side)].kind()) * Sides[size_t(side)].width();
    };
    c.fillRect(rectFromEdges(clamp32(L - out(fsLeft)), clamp32(T - out(fsTop)),
                             clamp32(L + W + out(fsRight)), clamp32(T + H + out(fsBottom))),
               brush);
}

void TvxFramedMemoView::band(bool vertical, int64_t centre, int strokes, int64_t from, int64_t to) {
    Canvas& c = *canvas;
    const int64_t first = centre - strokes / 2;
    for (int i = 0; i < strokes; ++i) {
        const int32_t at = clamp32(first + i);
        if (vertical) {
            c.moveTo(at, clamp32(from));
            c.lineTo(at, clamp32(to));
        } else {
            c.moveTo(clamp32(from), at);
            c.lineTo(clamp32(to), at);
        }
    }
}

void TvxFramedMemoView::drawSide(int side) {
    const int64_t L = Left, T = Top, W = Width, H = Height;
    const TvxFrameSide& s = Sides[size_t(side)];
    const int w = s.width();
    auto h = [this](int i) { return int64_t(Sides[size_t(i)].half()); };
    auto wd = [this](int i) { return int64_t(Sides[size_t(i)].width()); };
    // The spans of the outer and inner strokes along a side, between the
    // neighbouring sides.
    const int64_t vOuterFrom = T - h(fsTop), vOuterTo = T + H + h(fsBottom);
    const int64_t vInnerFrom = T + h(fsTop) - wd(fsTop) + 1;
    const int64_t vInnerTo = T + H + wd(fsBottom) - h(fsBottom) - 1;
    const int64_t hOuterFrom = L - h(fsLeft), hOuterTo = L + W + h(fsRight);
    const int64_t hInnerFrom = L + h(fsLeft) - wd(fsLeft) + 1;
    const int64_t hInnerTo = L + W + wd(fsRight) - h(fsRight) - 1;
    const bool single = s.kind() == 0;
    switch (side) {
    case fsRight:
        if (single) {
            band(true, L + W, w, vOuterFrom, vOuterTo + 1);
        } else {
            band(true, L + W - w, w, vInnerFrom, vInnerTo);
            band(true, L + W + w, w, vOuterFrom, vOuterTo);
        }
        break;
    case fsLeft:
        if (single) {
            band(true, L, w, vOuterFrom, vOuterTo);
        } else {
            band(true, L - w, w, vOuterFrom, vOuterTo);
            band(true, L + w, w, vInnerFrom, vInnerTo);
        }
        break;
    case fsBottom:
        if (single) {
            band(false, T + H, w, hOuterFrom, hOuterTo);
        } else {
            band(false, T + H - w, w, hInnerFrom, hInnerTo);
            band(false, T + H + w, w, hOuterFrom, hOuterTo);
        }
        break;
    case fsTop:
        if (single) {
            band(false, T, w, hOuterFrom, hOuterTo);
        } else {
            band(false, T - w, w, hOuterFrom, hOuterTo);
            band(false, T + w, w, hInnerFrom, hInnerTo);
        }
        break;
    default:
        break;
    }
}

void TvxFramedMemoView::DrawFrameLines() {
    if (SilentPass || !canvas || (PrintMode && (FrameLines & frAll) == 0))
        return;
    if ((FrameLines & frAll) == 0) { // designing: the corner marks
        TvxView::DrawFrameLines();
        return;
    }
    Canvas& c = *canvas;
    c.setPen(PenSpec{PenStyle::Solid, Sides[fsRight].width(), FrameColor});
    c.setBrush(BrushSpec{BrushStyle::Null, kWhite, 0});
    const bool plain = std::all_of(Sides.begin(), Sides.end(), [this](const TvxFrameSide& s) {
        return s.kind() == 0 && s.width() == Sides[fsRight].width();
    });
    if ((FrameLines & frAll) == frAll && plain) {
        const int64_t L = Left, T = Top;
        c.rectangle(rectFromEdges(Left, Top, clamp32(L + Width + 1), clamp32(T + Height + 1)));
        return;
    }
    c.setPen(PenSpec{PenStyle::Solid, 1, FrameColor});
    static constexpr struct {
        int side;
        uint16_t bit;
    } kOrder[] = {{fsRight, frRight}, {fsLeft, frLeft}, {fsBottom, frBottom}, {fsTop, frTop}};
    for (const auto& o : kOrder)
        if (FrameLines & o.bit)
            drawSide(o.side);
}

void TvxFramedMemoView::Assign(const TvxView& source) {
    TvxMemoView::Assign(source);
    if (const auto* s = dynamic_cast<const TvxFramedMemoView*>(&source))
        Sides = s->Sides;
}

void TvxFramedMemoView::LoadFromStream(ByteReader& in) {
    TvxMemoView::LoadFromStream(in);
    for (TvxFrameSide& s : Sides) {
        s.LineKind = in.u8();
        s.LineWidth = in.u8();
    }
}

void TvxFramedMemoView::SaveToStream(ByteWriter& out) const {
    TvxMemoView::SaveToStream(out);
    for (const TvxFrameSide& s : Sides) {
        out.u8(s.LineKind);
        out.u8(s.LineWidth);
    }
}

QStringList TFramedMemoForm::SideLabels() {
    return {QStringLiteral("Destro"), QStringLiteral("Sinistro"), QStringLiteral("Inferiore"),
            QStringLiteral("Superiore")};
}

int TFramedMemoForm::ComboIndex(const TvxFrameSide& side) {
    return side.kind() * 3 + side.width() - 1;
}

TvxFrameSide TFramedMemoForm::SideOfComboIndex(int index) {
    const int i = std::clamp(index, 0, 5);
    return TvxFrameSide{uint8_t(i / 3), uint8_t(i % 3 + 1)};
}

void TFramedMemoForm::Open(const TvxFramedMemoView& view) {
    for (size_t i = 0; i < SideIndex.size(); ++i)
        SideIndex[i] = ComboIndex(view.Sides[i]);
    Memo = view.Lines;
}

void TFramedMemoForm::Confirm(TvxFramedMemoView& view) const {
    for (size_t i = 0; i < SideIndex.size(); ++i)
        view.Sides[i] = SideOfComboIndex(SideIndex[i]);
    view.Lines = Memo;
}

void RegisterFramedMemoAddIn() {
    RegisterAddInObject(
        TvxFramedMemoView::StaticClassName(),
        [](TvxReport* report) { return std::make_unique<TvxFramedMemoView>(report); },
        ButtonBitmap(AddInButton::FramedMemo), QStringLiteral("Inserisci rettangolo bordato"),
        QStringLiteral("TFramedMemoForm"));
}

} // namespace vx
