// The common part of every object record in template streams.
#include "report/library_state.h"
#include "report/view.h"

namespace vx {

namespace {

// round(value * 1123 / 1088) with halves to even: templates before version
// 24 were laid out on a grid 1088/1123 the size of today's.
int32_t scaleOldBound(int32_t value) {
    const int64_t num = int64_t(value) * 1123;
    const int64_t den = 1088;
    int64_t q = num / den;
    int64_t r = num % den;
    if (r < 0) { // floor division
        r += den;
        --q;
    }
    if (2 * r > den || (2 * r == den && (q & 1)))
        ++q;
    if (q > INT32_MAX)
        return INT32_MAX;
    if (q < INT32_MIN)
        return INT32_MIN;
    return int32_t(q);
}

} // namespace

void TvxView::LoadFromStream(ByteReader& in) {
    Left = in.i32();
    Top = in.i32();
    Width = in.i32();
    Height = in.i32();
    Flags = in.u16();
    FrameLines = in.u16();
    FrameWidth = in.i32();
    FrameColor = Color(uint32_t(in.i32()));
    FrameStyle = in.u16();
    FillColor = Color(uint32_t(in.i32()));
    FormatCode = in.i32();
    FormatText = ReadStringAsList(in);
    Lines = ReadStringList(in);
    if (FileVersion >= 23) {
        Visible = in.u8();
        const QString name = ReadShortString(in);
        if (in.ok())
            Name = name;
    }
    if (FileVersion < 24) {
        Left = scaleOldBound(Left);
        Top = scaleOldBound(Top);
        Width = scaleOldBound(Width);
        Height = scaleOldBound(Height);
    }
}

void TvxView::SaveToStream(ByteWriter& out) const {
    out.i32(Left);
    out.i32(Top);
    out.i32(Width);
    out.i32(Height);
    out.u16(Flags);
    out.u16(FrameLines);
    out.i32(FrameWidth);
    out.i32(int32_t(FrameColor.value()));
    out.u16(FrameStyle);
    out.i32(int32_t(FillColor.value()));
    out.i32(FormatCode);
    WriteStringAsList(out, FormatText);
    WriteStringList(out, Lines);
    out.u8(Visible);
    WriteShortString(out, Name);
}

} // namespace vx
