#include "addins/shape/shape_view.h"

#include "addins/button_bitmap.h"
#include "addins/edge_math.h"
#include "report/addin_registry.h"
#include "report/library_state.h"

#include <algorithm>
#include <limits>

namespace vx {

TvxShapeView::TvxShapeView(TvxReport* report) : TvxView(report) {
    ObjectType = otAddIn;
    Flags = 1;
    FillColor = kWhite;
    AssignDefaultName();
}

void TvxShapeView::FillBackground() {
    if (SilentPass || !canvas || (PrintMode && Transparent == 1))
        return;
    // Always white: the fill colour belongs to the shape itself.
    canvas->setPen(PenSpec{PenStyle::Solid, 1, kWhite});
    canvas->setBrush(BrushSpec{BrushStyle::Solid, kWhite, 0});
    const int64_t L = Left, T = Top;
    canvas->rectangle(rectFromEdges(Left, Top, clamp32(L + Width + 1), clamp32(T + Height + 1)));
}

void TvxShapeView::drawShape(Canvas& c) const {
    const int64_t L = Left, T = Top, W = Width, H = Height;
    const QRect bounds = rectFromEdges(Left, Top, clamp32(L + W), clamp32(T + H));
    switch (ShapeType) {
    case stEllipse:
        c.ellipse(bounds);
        break;
    case stRectangle:
        c.rectangle(bounds);
        break;
    case stRoundRect: {
        const int corner = int(std::min(W, H) / 4);
        c.roundRect(bounds, corner, corner);
        break;
    }
    case stDiagonal1:
        c.moveTo(Left, Top);
        c.lineTo(clamp32(L + W), clamp32(T + H));
        break;
    case stDiagonal2:
        c.moveTo(Left, clamp32(T + H));
        c.lineTo(clamp32(L + W), Top);
        break;
    default: // other values draw no shape
        break;
    }
}

void TvxShapeView::Draw(Canvas& c) {
    if (SilentPass || (PrintMode && Visible == 0))
        return;
    SetCanvas(&c);
    ComputeDrawRect();
    FillBackground();
    DrawFrameLines();
    // A wide pen is centred on the outline; the ink stays within the
    // object's frame rectangle, so that a thick outline (a frame width of
    // 255 read from a template) does not paint over its neighbours.
    c.setPen(PenSpec{PenStyle::Solid, std::max(FrameWidth, 0), FrameColor});
    c.setBrush(FillColor == kNoColor ? BrushSpec{BrushStyle::Null, kWhite, 0}
                                     : BrushSpec{BrushStyle::Solid, FillColor, 0});
    const int64_t L = Left, T = Top;
    const int level = c.saveState();
    c.intersectClipRect(rectFromEdges(Left, Top, clamp32(L + Width + 1), clamp32(T + Height + 1)));
    drawShape(c);
    c.restoreState(level);
    if (!PrintMode && Visible == 0)
        DrawInvisibleCross();
}

void TvxShapeView::Assign(const TvxView& source) {
    TvxView::Assign(source);
    if (const auto* s = dynamic_cast<const TvxShapeView*>(&source)) {
        ShapeType = s->ShapeType;
        Transparent = s->Transparent;
    }
}

void TvxShapeView::LoadFromStream(ByteReader& in) {
    TvxView::LoadFromStream(in);
    ShapeType = in.u8();
    Transparent = in.u8();
}

void TvxShapeView::SaveToStream(ByteWriter& out) const {
    TvxView::SaveToStream(out);
    out.u8(ShapeType);
    out.u8(Transparent);
}

QStringList TVxShapeEditor::ShapeItems() {
    return {QStringLiteral("Ellisse"), QStringLiteral("Rettangolo"),
            QStringLiteral("Rettangolo arrotondato"), QStringLiteral("Linea del primo tipo"),
            QStringLiteral("Linea del secondo tipo")};
}

void TVxShapeEditor::Open(const TvxShapeView& view) {
    ItemIndex = view.ShapeType;
    TransparentBox = view.Transparent != 0;
}

void TVxShapeEditor::Confirm(TvxShapeView& view) const {
    view.ShapeType = uint8_t(ItemIndex);
    view.Transparent = TransparentBox ? 1 : 0;
}

void RegisterShapeAddIn() {
    RegisterAddInObject(
        TvxShapeView::StaticClassName(),
        [](TvxReport* report) { return std::make_unique<TvxShapeView>(report); },
        ButtonBitmap(AddInButton::Shape), QStringLiteral("Inserisci forma geometrica"),
        QStringLiteral("TVxShapeEditor"));
}

} // namespace vx
