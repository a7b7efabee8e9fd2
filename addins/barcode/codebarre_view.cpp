#include "addins/barcode/codebarre_view.h"

#include "expr/evaluator.h"
#include "report/addin_registry.h"
#include "report/library_state.h"

#include <cmath>

namespace vx {

namespace {

// The code of a numeric symbology must read as a number; a text of digits
// alone is one even when it is too long for a floating-point value.
bool readsAsNumber(const QString& text) {
    double ignored = 0;
    if (TryStrToFloat(text, &ignored))
        return true;
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    for (QChar c : t)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

// Arial 8 points, regular, black.
FontSpec stripFont() {
    FontSpec f;
    f.face = QStringLiteral("Arial");
    f.height = -11;
    return f;
}

} // namespace

TvxCodeBarreView::TvxCodeBarreView(TvxReport* report) : TvxView(report) {
    ObjectType = otAddIn;
    Lines = QStringList{QStringLiteral("0")};
    FormatText = QStringLiteral("00000000000");
    AssignDefaultName();
}

void TvxCodeBarreView::ComputeDrawRect() {
    TvxView::ComputeDrawRect();
    if (canvas) {
        canvas->setFont(stripFont());
        canvas->setTextColor(kBlack);
        TextHeight = BarShowText ? canvas->textMetrics().height : 0;
    }
    BarRect = DrawRect;
    DrawRect.Right = DrawRect.Left + BarWidth;
    Width = DrawRect.Right - Left;
    BarRect.Bottom = DrawRect.Bottom - TextHeight - FrameWidth;
    Reserved1 = 0;
    Reserved2 = 0;
    DrawRect.Top = DrawRect.Bottom - TextHeight;
}

void TvxCodeBarreView::Assign(const TvxView& source) {
    TvxView::Assign(source);
    const auto* s = dynamic_cast<const TvxCodeBarreView*>(&source);
    if (!s)
        return;
    BarChecksum = s->BarChecksum;
    BarShowText = s->BarShowText;
    BarShowCheckText = s->BarShowCheckText;
    Reserved = s->Reserved;
    BarType = s->BarType;
    BarModul = s->BarModul;
    BarRatio = s->BarRatio;
    Reserved1 = s->Reserved1;
    Reserved2 = s->Reserved2;
}

void TvxCodeBarreView::LoadFromStream(ByteReader& in) {
    TvxView::LoadFromStream(in);
    BarChecksum = in.u8();
    BarShowText = in.u8();
    BarShowCheckText = in.u8();
    Reserved = in.u8();
    BarType = in.u8();
    BarModul = in.i32();
    BarRatio = in.f64();
    Reserved1 = in.i32();
    Reserved2 = in.i32();
}

void TvxCodeBarreView::SaveToStream(ByteWriter& out) const {
    TvxView::SaveToStream(out);
    out.u8(BarChecksum);
    out.u8(BarShowText);
    out.u8(BarShowCheckText);
    out.u8(Reserved);
    out.u8(BarType);
    out.i32(BarModul);
    out.f64(BarRatio);
    out.i32(Reserved1);
    out.i32(Reserved2);
}

QString TvxCodeBarreView::codeToEncode() const {
    if (!PrintMode)
        return QStringLiteral("00000000");
    QString code = EvaluateExpression(Lines.value(0)).toString();
    if (barcodeTypeNumeric(BarType) && !readsAsNumber(code))
        return QStringLiteral("0");
    return code;
}

void TvxCodeBarreView::clearTextStrip() {
    const int32_t top = Top, height = Height, width = Width;
    Top = DrawRect.Top;
    Height = DrawRect.Bottom - DrawRect.Top - 1;
    Width = width - 1;
    FillBackground();
    Top = top;
    Height = height;
    Width = width;
}

void TvxCodeBarreView::drawCodeText(Canvas& c, const QString& text) {
    c.setFont(stripFont());
    c.setTextColor(kBlack);
    c.setBackgroundMode(BackgroundMode::Transparent);
    c.setTextAlign(TextAlign::Left | TextAlign::Top);
    if (!PrintMode) {
        c.textOut(DrawRect.Left + 1, DrawRect.Top, text, TextOutOption::Clipped,
                  DrawRect.toQRect());
        return;
    }
    // The characters spread over the width of the bars, each written alone.
    const std::vector<int> advances = c.charAdvances(text);
    int64_t whole = 0;
    for (int a : advances)
        whole += a;
    const qsizetype n = text.size();
    const double spacing = n < 2 ? 0.0 : double(BarWidth - whole - 1) / double(n - 1);
    int64_t before = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const double x = double(before) + double(i) * spacing + DrawRect.Left;
        c.textOut(int(std::nearbyint(x)) + 1, DrawRect.Top, text.mid(i, 1), 0, QRect(),
                  {advances[size_t(i)]});
        before += advances[size_t(i)];
    }
}

void TvxCodeBarreView::Draw(Canvas& c) {
    if (PrintMode && Visible == 0)
        return;
    SetCanvas(&c);
    const QString code = codeToEncode();
    FrameWidth = 1;
    ComputeDrawRect();
    FillBackground();

    TBarcode bc;
    bc.Top = BarRect.Top;
    bc.Left = BarRect.Left;
    bc.Height = BarRect.Bottom - BarRect.Top;
    bc.Ratio = BarRatio;
    bc.SetModul(BarModul);
    bc.Checksum = BarChecksum != 0;
    bc.ShowCheckSumText = BarShowCheckText != 0;
    bc.ShowText = bcoNone;
    bc.Typ = BarType;
    bc.Text = code;
    bc.DrawBarcode(c);
    BarWidth = ElementsWidth(bc.Elements, bc.Widths, TBarcode::ClassName());
    ComputeDrawRect();

    clearTextStrip();
    if (BarShowText)
        drawCodeText(c, PrintMode ? bc.CodeText : Lines.value(0));
    if (!PrintMode && Visible == 0)
        DrawInvisibleCross();
}

void RegisterBarcodeAddIn() {
    RegisterAddInObject(
        TvxCodeBarreView::StaticClassName(),
        [](TvxReport* report) { return std::make_unique<TvxCodeBarreView>(report); }, QImage(),
        QStringLiteral("Inserisci codice a barre"), QStringLiteral("TCodeBarreForm"));
}

} // namespace vx
