#include "report/template_layout.h"

#include "report/view.h"

#include <iterator>
#include <vector>

namespace vx {

namespace {

using F = StreamField;

constexpr FieldLayout kPage[] = {
    {"PaperSize", F::I32},
    {"PaperWidth", F::I32},
    {"PaperHeight", F::I32},
    {"MarginLeft", F::I32},
    {"MarginTop", F::I32},
    {"MarginRight", F::I32},
    {"MarginBottom", F::I32},
    {"Orientation", F::U8},
    {"PageHeaderOnFirst", F::Bool16},
    {"PageFooterOnLast", F::Bool16},
    {"CopyCrossHeader", F::Bool16},
    {"PrintOnPreviousPage", F::Bool16},
    {"UseMargins", F::Bool16},
    {"ColumnCount", F::I32},
    {"ColumnGap", F::I32},
    {"ZoomX", F::I32},
    {"ZoomY", F::I32},
};

constexpr FieldLayout kValue[] = {
    {"Kind", F::U8},         {"SpecialCode", F::I32}, {"DataSetName", F::Short},
    {"FieldName", F::Short}, {"Name", F::Short},
};

constexpr FieldLayout kCommon[] = {
    {"Left", F::I32},       {"Top", F::I32},        {"Width", F::I32},      {"Height", F::I32},
    {"Flags", F::U16},      {"FrameLines", F::U16}, {"FrameWidth", F::I32}, {"FrameColor", F::I32},
    {"FrameStyle", F::U16}, {"FillColor", F::I32},  {"FormatCode", F::I32}, {"FormatText", F::Text},
    {"Lines", F::Lines},    {"Visible", F::U8},     {"Name", F::Short},
};

constexpr FieldLayout kMemo[] = {
    {"FontName", F::Text},           {"FontSize", F::I32},           {"FontStyle", F::U16},
    {"FontColor", F::I32},           {"Alignment", F::I32},          {"HighlightStyle", F::U16},
    {"HighlightFontColor", F::I32},  {"HighlightFillColor", F::I32}, {"HighlightOn", F::Bool16},
    {"HighlightCondition", F::Text},
};

constexpr FieldLayout kFrameSides[] = {
    {"RightKind", F::U8},  {"RightWidth", F::U8},  {"LeftKind", F::U8}, {"LeftWidth", F::U8},
    {"BottomKind", F::U8}, {"BottomWidth", F::U8}, {"TopKind", F::U8},  {"TopWidth", F::U8},
};

constexpr FieldLayout kPicture[] = {{"Picture", F::Blob}};
constexpr FieldLayout kSubReport[] = {{"SubPage", F::I32}};

constexpr FieldLayout kBarcode[] = {
    {"BarChecksum", F::U8}, {"BarShowText", F::U8}, {"BarShowCheckText", F::U8},
    {"Reserved", F::U8},    {"BarType", F::U8},     {"BarModul", F::I32},
    {"BarRatio", F::F64},   {"Reserved1", F::I32},  {"Reserved2", F::I32},
};

constexpr FieldLayout kGraph[] = {
    {"XTitle", F::Short},     {"YTitle", F::Short},  {"FieldTitleExpr", F::Short},
    {"GraphTitle", F::Short}, {"ShowLegend", F::U8}, {"ShowGraphTitle", F::U8},
    {"ShowXTitle", F::U8},    {"ShowYTitle", F::U8}, {"GraphType", F::U8},
    {"YFormat", F::Short},
};

constexpr FieldLayout kShape[] = {{"ShapeType", F::U8}, {"Transparent", F::U8}};
constexpr FieldLayout kRich[] = {{"RichText", F::Blob}};
constexpr FieldLayout kOle[] = {{"Container", F::Ole}};

// The common part followed by the class's own parts.
template <typename... Parts> std::vector<FieldLayout> join(const Parts&... parts) {
    std::vector<FieldLayout> all(std::begin(kCommon), std::end(kCommon));
    (all.insert(all.end(), std::begin(parts), std::end(parts)), ...);
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
