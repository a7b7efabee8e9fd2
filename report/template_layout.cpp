#include "report/template_layout.h"

#include "report/view.h"

#include <array>
#include <vector>

namespace vx {

namespace {

using F = StreamField;

constexpr std::array kPage{
    FieldLayout{"PaperSize", F::I32},
    FieldLayout{"PaperWidth", F::I32},
    FieldLayout{"PaperHeight", F::I32},
    FieldLayout{"MarginLeft", F::I32},
    FieldLayout{"MarginTop", F::I32},
    FieldLayout{"MarginRight", F::I32},
    FieldLayout{"MarginBottom", F::I32},
    FieldLayout{"Orientation", F::U8},
    FieldLayout{"PageHeaderOnFirst", F::Bool16},
    FieldLayout{"PageFooterOnLast", F::Bool16},
    FieldLayout{"CopyCrossHeader", F::Bool16},
    FieldLayout{"PrintOnPreviousPage", F::Bool16},
    FieldLayout{"UseMargins", F::Bool16},
    FieldLayout{"ColumnCount", F::I32},
    FieldLayout{"ColumnGap", F::I32},
    FieldLayout{"ZoomX", F::I32},
    FieldLayout{"ZoomY", F::I32},
};

constexpr std::array kValue{
    FieldLayout{"Kind", F::U8},           FieldLayout{"SpecialCode", F::I32},
    FieldLayout{"DataSetName", F::Short}, FieldLayout{"FieldName", F::Short},
    FieldLayout{"Name", F::Short},
};

constexpr std::array kCommon{
    FieldLayout{"Left", F::I32},       FieldLayout{"Top", F::I32},
    FieldLayout{"Width", F::I32},      FieldLayout{"Height", F::I32},
    FieldLayout{"Flags", F::U16},      FieldLayout{"FrameLines", F::U16},
    FieldLayout{"FrameWidth", F::I32}, FieldLayout{"FrameColor", F::I32},
    FieldLayout{"FrameStyle", F::U16}, FieldLayout{"FillColor", F::I32},
    FieldLayout{"FormatCode", F::I32}, FieldLayout{"FormatText", F::Text},
    FieldLayout{"Lines", F::Lines},    FieldLayout{"Visible", F::U8},
    FieldLayout{"Name", F::Short},
};

constexpr std::array kMemo{
    FieldLayout{"FontName", F::Text},          FieldLayout{"FontSize", F::I32},
    FieldLayout{"FontStyle", F::U16},          FieldLayout{"FontColor", F::I32},
    FieldLayout{"Alignment", F::I32},          FieldLayout{"HighlightStyle", F::U16},
    FieldLayout{"HighlightFontColor", F::I32}, FieldLayout{"HighlightFillColor", F::I32},
    FieldLayout{"HighlightOn", F::Bool16},     FieldLayout{"HighlightCondition", F::Text},
};

constexpr std::array kFrameSides{
    FieldLayout{"RightKind", F::U8},  FieldLayout{"RightWidth", F::U8},
    FieldLayout{"LeftKind", F::U8},   FieldLayout{"LeftWidth", F::U8},
    FieldLayout{"BottomKind", F::U8}, FieldLayout{"BottomWidth", F::U8},
    FieldLayout{"TopKind", F::U8},    FieldLayout{"TopWidth", F::U8},
};

constexpr std::array kPicture{FieldLayout{"Picture", F::Blob}};
constexpr std::array kSubReport{FieldLayout{"SubPage", F::I32}};

constexpr std::array kBarcode{
    FieldLayout{"BarChecksum", F::U8},      FieldLayout{"BarShowText", F::U8},
    FieldLayout{"BarShowCheckText", F::U8}, FieldLayout{"Reserved", F::U8},
    FieldLayout{"BarType", F::U8},          FieldLayout{"BarModul", F::I32},
    FieldLayout{"BarRatio", F::F64},        FieldLayout{"Reserved1", F::I32},
    FieldLayout{"Reserved2", F::I32},
};

constexpr std::array kGraph{
    FieldLayout{"XTitle", F::Short},         FieldLayout{"YTitle", F::Short},
    FieldLayout{"FieldTitleExpr", F::Short}, FieldLayout{"GraphTitle", F::Short},
    FieldLayout{"ShowLegend", F::U8},        FieldLayout{"ShowGraphTitle", F::U8},
    FieldLayout{"ShowXTitle", F::U8},        FieldLayout{"ShowYTitle", F::U8},
    FieldLayout{"GraphType", F::U8},         FieldLayout{"YFormat", F::Short},
};

constexpr std::array kShape{FieldLayout{"ShapeType", F::U8}, FieldLayout{"Transparent", F::U8}};
constexpr std::array kRich{FieldLayout{"RichText", F::Blob}};
constexpr std::array kOle{FieldLayout{"Container", F::Ole}};

// The common part followed by the class's own parts.
template <typename... Parts> std::vector<FieldLayout> join(const Parts&... parts) {
    std::vector<FieldLayout> all(kCommon.begin(), kCommon.end());
    (all.insert(all.end(), parts.begin(), parts.end()), ...);
    return all;
}

struct ClassLayout {
    uint8_t objectType;
    const char* className; // add-ins only
    std::vector<FieldLayout> fields;
};

const std::vector<ClassLayout>& classLayouts() {
    static const std::vector<ClassLayout> layouts{
        {otMemo, "", join(kMemo)},
        {otPicture, "", join(kPicture)},
        {otBand, "", join()},
        {otSubReport, "", join(kSubReport)},
        {otAddIn, "TvxCodeBarreView", join(kBarcode)},
        {otAddIn, "TvxGraphView", join(kGraph)},
        {otAddIn, "TvxShapeView", join(kShape)},
        {otAddIn, "TvxFramedMemoView", join(kMemo, kFrameSides)},
        {otAddIn, "TvxRichView", join(kRich)},
        {otAddIn, "TvxOLEView", join(kOle)},
    };
    return layouts;
}

} // namespace

RecordLayout pageLayout() {
    return kPage;
}

RecordLayout valueLayout() {
    return kValue;
}

RecordLayout objectLayout(uint8_t objectType, const QString& className) {
    for (const ClassLayout& c : classLayouts())
        if (c.objectType == objectType &&
            (objectType != otAddIn || className == QLatin1String(c.className)))
            return c.fields;
    return {};
}

} // namespace vx
