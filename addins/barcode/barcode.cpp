#include "addins/barcode/barcode.h"

#include "platform/errors.h"

#include <cstdlib>

namespace vx {

void TBarcode::SetModul(int modul) {
    if (modul >= kMinModul && modul <= kMaxModul)
        modul_ = modul;
}

BarcodeEncoding TBarcode::encode() {
    Widths = ComputeElementWidths(Typ, modul_, Ratio);
    BarcodeOptions o;
    o.Typ = Typ;
    o.Checksum = Checksum;
    o.ShowCheckSumText = ShowCheckSumText;
    o.CheckSumMethod = CheckSumMethod;
    o.ClassName = ClassName();
    BarcodeEncoding e = MakeElements(Text, o);
    CodeText = e.CodeText;
    Elements = e.Elements;
    return e;
}

int TBarcode::Width() {
    const BarcodeEncoding e = encode();
    return ElementsWidth(e.Elements, Widths, ClassName());
}

void TBarcode::DrawBarcode(Canvas& canvas) {
    CodeText = Text;
    const BarcodeEncoding e = encode();
    PaintElements(canvas, e.Elements, Widths, ElementPaint{Left, Top, Height, Color, ColorBar},
                  ClassName());
}

namespace {

// x * num / den rounded to the nearest integer, halves to even.
int64_t scaleRound(int64_t x, int64_t num, int64_t den) {
    const int64_t p = x * num;
    int64_t q = p / den;
    int64_t r = p % den;
    if (r < 0) {
        r += den;
        --q;
    }
    if (2 * r > den || (2 * r == den && (q & 1)))
        ++q;
    return q;
}

// Draws the cells of one element kind in grid units; the rectangle's right
// and bottom edges are one beyond the fill, as a rectangle without pen
// leaves its last column and row.
void fillCell(Canvas& canvas, int64_t l, int64_t t, int64_t r, int64_t b) {
    if (r > l && b > t)
        canvas.rectangle(rectFromEdges(int(l), int(t), int(r + 1), int(b + 1)));
}

// Restores the pen, brush and world transform of a canvas on exit.
class CanvasStateGuard {
public:
    explicit CanvasStateGuard(Canvas& c)
        : c_(c), pen_(c.pen()), brush_(c.brush()), world_(c.worldTransform()) {}
    ~CanvasStateGuard() {
        c_.setWorldTransform(world_);
        c_.setPen(pen_);
        c_.setBrush(brush_);
    }
    CanvasStateGuard(const CanvasStateGuard&) = delete;
    CanvasStateGuard& operator=(const CanvasStateGuard&) = delete;
    const QTransform& world() const { return world_; }

private:
    Canvas& c_;
    PenSpec pen_;
    BrushSpec brush_;
    QTransform world_;
};

} // namespace

void PaintElements(Canvas& canvas, const std::string& elements, const ElementWidths& widths,
                   const ElementPaint& paint, const QString& className) {
    const int total = ElementsWidth(elements, widths, className);
    if (paint.height + 1 <= 0 || total <= 0)
        return;
    const int dpiX = canvas.dpiX() > 0 ? canvas.dpiX() : 96;
    const int dpiY = canvas.dpiY() > 0 ? canvas.dpiY() : 96;
    auto gx = [&](int64_t x) { return scaleRound(x, kBarGridDpi, dpiX); };
    auto gy = [&](int64_t y) { return scaleRound(y, kBarGridDpi, dpiY); };

    CanvasStateGuard guard(canvas);
    canvas.setWorldTransform(
        QTransform::fromScale(double(dpiX) / kBarGridDpi, double(dpiY) / kBarGridDpi) *
        guard.world());
    canvas.setPen(PenSpec{PenStyle::Null, 0, paint.bar});

    const int64_t top = paint.top;
    const int64_t bottom = top + paint.height + 1;
    const int64_t shortTop = bottom - (int64_t(paint.height) * 2 / 5 + 1);
    // The spaces: one cell under the whole symbol.
    canvas.setBrush(BrushSpec{BrushStyle::Solid, paint.space, 0});
    fillCell(canvas, gx(paint.left), gy(top), gx(int64_t(paint.left) + total), gy(bottom));

    canvas.setBrush(BrushSpec{BrushStyle::Solid, paint.bar, 0});
    int64_t x = paint.left;
    for (char c : elements) {
        const bool tall = c >= '5' && c <= '8';
        const bool isShort = c >= 'A' && c <= 'D';
        const int w = widths[size_t(tall ? c - '5' : isShort ? c - 'A' : c - '0')];
        if (tall || isShort)
            fillCell(canvas, gx(x), gy(tall ? top : shortTop), gx(x + w), gy(bottom));
        x += w;
    }
}

} // namespace vx
