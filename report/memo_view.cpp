#include "report/memo_view.h"

#include "platform/fonts.h"
#include "report/library_state.h"
#include "report/report_hooks.h"
#include "report/stream_helpers.h"
#include "report/value_expansion.h"

#include <algorithm>

namespace vx {

int32_t& MeasuredTextHeight = modelState().MeasuredTextHeight;
int32_t& MeasuredBandHeight = modelState().MeasuredBandHeight;

FontSpec MemoFont::toFontSpec(int pixelsPerInch) const {
    FontSpec spec;
    spec.face = Name;
    spec.height = fontHeightForPoints(std::clamp(Size, kMinFontPoints, kMaxFontPoints),
                                      std::clamp(pixelsPerInch, 1, 10000));
    spec.weight = (Style & fsBold) ? 700 : 400;
    spec.italic = Style & fsItalic;
    spec.underline = Style & fsUnderline;
    return spec;
}

TvxCustomMemoView::TvxCustomMemoView(TvxReport* report) : TvxView(report) {}

TvxMemoView::TvxMemoView(TvxReport* report) : TvxCustomMemoView(report) {
    ObjectType = otMemo;
    AssignDefaultName();
}

TvxMemoView::~TvxMemoView() = default;

int TvxMemoView::VertAlign() const {
    const uint32_t v = Alignment & 24u;
    if (v == 0)
        return 0;
    return v == 8u ? 1 : 2;
}

void TvxMemoView::SetVertAlign(int a) {
    Alignment &= ~24u;
    if (a == 1)
        Alignment |= 8u;
    else if (a == 2)
        Alignment |= 16u;
}

void TvxMemoView::Assign(const TvxView& source) {
    TvxView::Assign(source);
    if (const auto* memo = dynamic_cast<const TvxMemoView*>(&source)) {
        Font = memo->Font;
        Alignment = memo->Alignment;
        HighlightStyle = memo->HighlightStyle;
        HighlightFontColor = memo->HighlightFontColor;
        HighlightFillColor = memo->HighlightFillColor;
        HighlightCondition = memo->HighlightCondition;
        HighlightOn = memo->HighlightOn;
    }
}

void TvxMemoView::LoadFromStream(ByteReader& in) {
    TvxView::LoadFromStream(in);
    Font.Name = ReadStringAsList(in);
    Font.Size = in.i32();
    Font.Style = in.u16();
    Font.FontColor = Color(uint32_t(in.i32()));
    Alignment = uint32_t(in.i32());
    HighlightStyle = in.u16();
    HighlightFontColor = Color(uint32_t(in.i32()));
    HighlightFillColor = Color(uint32_t(in.i32()));
    HighlightOn = ReadBool16(in);
    HighlightCondition = ReadStringAsList(in);
    if (FileVersion == 21)
        Flags |= mfWordWrap; // such templates always wrapped their text
}

void TvxMemoView::SaveToStream(ByteWriter& out) const {
    TvxView::SaveToStream(out);
    WriteStringAsList(out, Font.Name);
    out.i32(Font.Size);
    out.u16(Font.Style);
    out.i32(int32_t(Font.FontColor.value()));
    out.i32(int32_t(Alignment));
    out.u16(HighlightStyle);
    out.i32(int32_t(HighlightFontColor.value()));
    out.i32(int32_t(HighlightFillColor.value()));
    WriteBool16(out, HighlightOn);
    WriteStringAsList(out, HighlightCondition);
}

void TvxMemoView::LoadFromField(const QVariant& value) {
    // Blob fields hold the text's bytes in the Windows code page; the text
    // becomes lines as a string list takes a text (CR LF, CR or LF).
    if (value.isNull()) {
        ExpandedLines.clear();
        return;
    }
    ExpandedLines =
        TextToLines(value.typeId() == QMetaType::QByteArray ? fromCodePage(value.toByteArray())
                                                            : value.toString());
}

void TvxMemoView::AddMenuItems(std::vector<MenuItem>& menu) {
    auto isText = [](const TvxView& v) { return dynamic_cast<const TvxMemoView*>(&v) != nullptr; };
    menu.push_back({QStringLiteral("Formatta variabile..."), false, [this, isText] {
                        const auto& edit = reportHooks().EditFormat;
                        int32_t code = FormatCode;
                        QString text = FormatText;
                        if (!edit || !edit(code, text))
                            return;
                        for (TvxView* v : SelectedObjects(*this, isText)) {
                            v->FormatCode = code;
                            v->FormatText = text;
                        }
                    }});
    menu.push_back({QStringLiteral("-"), false, {}});
    menu.push_back(FlagMenuItem(*this, QStringLiteral("Adattato"), mfStretched, isText));
    menu.push_back(FlagMenuItem(*this, QStringLiteral("A capo"), mfWordWrap, isText));
    menu.push_back(FlagMenuItem(*this, QStringLiteral("Largezza automatica"), mfAutoWidth, isText));
}

void TvxMemoView::ExpandText() {
    ExpandedLines.clear();
    ExpandedLines.reserve(Lines.size());
    if (!PrintMode) {
        ExpandedLines = Lines;
        return;
    }
    const ExpressionValue value = [this](const QString& e) {
        return ExpandValue(e, FormatCode, FormatText);
    };
    for (const QString& line : Lines)
        ExpandedLines.append(ExpandLine(line, value));
}

} // namespace vx
