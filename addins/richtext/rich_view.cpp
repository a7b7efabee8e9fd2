#include "addins/richtext/rich_view.h"

#include "addins/button_bitmap.h"
#include "addins/richtext/rich_expansion.h"
#include "platform/codepage.h"
#include "platform/errors.h"
#include "report/addin_registry.h"
#include "report/engine_counters.h"
#include "report/library_state.h"
#include "report/report.h"
#include "report/report_hooks.h"
#include "report/template_messages.h"
#include "report/value_expansion.h"

#include <algorithm>
#include <limits>

namespace vx {

namespace {

QString tooManyExpansionsMessage() {
    return QStringLiteral("Testo formattato: troppe espressioni che ne contengono altre.");
}

bool bandFitsContent(const TvxBand* band) {
    const auto& fits = reportHooks().BandFitToContent;
    return band && fits && fits(*band);
}

} // namespace

TvxRichView::TvxRichView(TvxReport* report) : TvxCustomMemoView(report) {
    ObjectType = otAddIn;
    AssignDefaultName();
}

TvxRichView::~TvxRichView() = default;

void TvxRichView::Assign(const TvxView& source) {
    TvxView::Assign(source);
    if (const auto* rich = dynamic_cast<const TvxRichView*>(&source))
        RichText = rich->RichText;
}

void TvxRichView::LoadFromStream(ByteReader& in) {
    TvxView::LoadFromStream(in);
    const uint8_t hasText = in.u8();
    const int32_t end = in.i32();
    checkStream(in);
    // The end is the absolute position after the text, at or after here.
    if (hasText > 1 || end < 0 || size_t(end) < in.pos() || size_t(end) > in.size())
        throw VxError(streamReadErrorMessage());
    RichText.clear();
    if (hasText == 1) {
        const QString error = RichText.load(in.bytes(size_t(end) - in.pos()));
        if (!error.isEmpty())
            throw VxError(error);
    }
    in.seek(size_t(end));
}

void TvxRichView::SaveToStream(ByteWriter& out) const {
    TvxView::SaveToStream(out);
    const bool hasText = !RichText.isEmpty();
    out.u8(hasText ? 1 : 0);
    const qsizetype at = out.size();
    out.i32(0); // the end position, filled in below
    if (hasText)
        out.bytes(RichText.bytes());
    out.patchU32(at, uint32_t(out.size()));
}

void TvxRichView::LoadFromField(const QVariant& value) {
    rich::StoredText text;
    if (!value.isNull()) {
        const QByteArray bytes = value.typeId() == QMetaType::QByteArray
                                     ? value.toByteArray()
                                     : toCp1252(value.toString());
        const QString error = text.load(bytes);
        if (!error.isEmpty())
            SetPreparationError(error);
    }
    fieldText_ = std::move(text);
}

void TvxRichView::AddMenuItems(std::vector<MenuItem>& menu) {
    TvxCustomMemoView::AddMenuItems(menu);
    menu.push_back({QStringLiteral("Non calcola espressioni"), NoExpressions(),
                    [this] { Flags ^= rfNoExpressions; }});
}

int32_t TvxRichView::GetLineHeight() const {
    if (LineCount <= 0 || LineHeights.empty())
        return 2;
    const int32_t count = std::min<int32_t>(LineCount, int32_t(LineHeights.size()));
    if (LinesDone > 0)
        return LineHeights[size_t(std::min(LinesDone, count) - 1)];
    const int64_t room = int64_t(SplitRoom) - FrameWidth;
    int32_t added = 0;
    int64_t sum = 0;
    while (added < count && sum < room)
        sum += LineHeights[size_t(added++)];
    return added < 2 ? LineHeights[0] : LineHeights[size_t(added - 2)];
}

void TvxRichView::ExpandText() {
    WorkRich = fieldText_ ? fieldText_->document() : RichText.document();
    const auto& expand = reportHooks().ExpandValue;
    if (!PrintMode || NoExpressions() || !expand)
        return;
    const bool complete = ExpandRichExpressions(
        WorkRich, [&](const QString& e) { return expand(e, FormatCode, FormatText); });
    if (!complete)
        SetPreparationError(tooManyExpansionsMessage());
}

int32_t TvxRichView::LayoutWidth() const {
    const int32_t c = (FrameWidth + 1) / 2;
    return std::max<int32_t>(1, int32_t(std::clamp<int64_t>(int64_t(Width) - 2 * c - 2, 1,
                                                            std::numeric_limits<int32_t>::max())));
}

void TvxRichView::MeasureLines() {
    workLayout_ = rich::layoutDocument(WorkRich, LayoutWidth());
    LineHeights.clear();
    LineHeights.reserve(workLayout_.lines.size());
    int64_t total = 0;
    for (const rich::Line& line : workLayout_.lines) {
        const int32_t h = std::clamp<int32_t>(line.measuredHeight, 0, 0xFFFF);
        LineHeights.push_back(uint16_t(h));
        total += h;
    }
    LineCount = int32_t(LineHeights.size());
    const int32_t t = int32_t(std::min<int64_t>(total, std::numeric_limits<int32_t>::max()));
    if (DrawMode == dmMeasure && (Stretched() || t >= Height - FrameWidth))
        ContentHeight = t;
    Measured = 1;
    LinesDone = 0;
}

QRect TvxRichView::textRect() const {
    // The rich-edit rendering rectangle: one pixel inside on every side.
    return rectFromEdges(DrawRect.Left + 1, DrawRect.Top + 1, DrawRect.Right - 1,
                         DrawRect.Bottom - 1);
}

void TvxRichView::drawDesigning(Canvas& c) {
    SetCanvas(&c);
    ComputeDrawRect();
    const BrushSpec brush{BrushStyle::Solid, FillColor == kNoColor ? kWhite : FillColor, 0};
    c.fillRect(rectFromEdges(Left, Top, Left + Width + 1, Top + Height), brush);
    const rich::Layout layout = rich::layoutDocument(RichText.document(), LayoutWidth());
    rich::drawLines(c, layout, 0, textRect());
    DrawFrameLines();
    if (Visible == 0)
        DrawInvisibleCross();
}

void TvxRichView::expandRecord() {
    ExpandedLines = Lines;
    fieldText_.reset();
    FillFromField(Report, Lines, this);
    ExpandText();
    Expanded = 1;
}

void TvxRichView::finishRecord() {
    Expanded = 0;
    Measured = 0;
    fieldText_.reset();
}

bool TvxRichView::renderWhole(Canvas& c) {
    if (FillColor != kNoColor)
        c.fillRect(rectFromEdges(Left, Top, Left + Width + 1, Top + Height),
                   BrushSpec{BrushStyle::Solid, FillColor, 0});
    // The text is drawn with a transparent background, so without a fill
    // colour it lies on whatever the page shows there.
    NextChar = rich::drawLines(c, workLayout_, 0, textRect());
    return true;
}

bool TvxRichView::renderLines(Canvas& c) {
    const int32_t e = 2 * ((FrameWidth + 1) / 2);
    int32_t s = 0;
    do {
        const int32_t h = LineHeights[size_t(LinesDone)];
        const int32_t top = DrawRect.Top + s;
        if (FillColor != kNoColor)
            c.fillRect(rectFromEdges(DrawRect.Left, top, DrawRect.Right + 2, top + h + 2),
                       BrushSpec{BrushStyle::Solid, FillColor, 0});
        const QRect strip =
            rectFromEdges(DrawRect.Left + 1, top + 1, DrawRect.Right + 1, top + h + 1);
        const rich::Line& line = workLayout_.lines[size_t(LinesDone)];
        rich::drawLine(c, workLayout_, line, strip.left(), strip.top(), strip);
        NextChar = line.endChar;
        ++LinesDone;
        s += h;
    } while (LinesDone < LineCount &&
             int64_t(DrawRect.Bottom) >=
                 int64_t(LineHeights[size_t(LinesDone)]) + s + DrawRect.Top);
    if (DrawMode != dmDraw)
        Height = s + e;
    ContentHeight -= s;
    return LinesDone >= LineCount;
}

void TvxRichView::Draw(Canvas& c) {
    if (PrintMode && Visible == 0)
        return;
    if (!PrintMode) {
        drawDesigning(c);
        return;
    }
    if (SilentPass && DrawMode != dmMeasure) {
        finishRecord(); // nothing is drawn in a pass that only counts pages
        return;
    }
    SetCanvas(&c);
    const int32_t half = (FrameWidth + 1) / 2;
    DrawRect = {Left + half, Top + half, Left + Width - half, Top + Height + half};
    // A record is expanded once, by the draw that comes first (measuring,
    // or drawing in one go), and again only after it was printed whole.
    if (!Expanded)
        expandRecord();
    if ((DrawMode == dmMeasure || DrawMode == dmDrawMeasured) && WorkRich.isEmpty()) {
        if (DrawMode == dmDrawMeasured) {
            ComputeDrawRect();
            FillBackground();
            DrawFrameLines();
        }
        if (DrawMode == dmDrawMeasured || SilentPass)
            finishRecord();
        return;
    }
    if (!Measured)
        MeasureLines();
    if (DrawMode == dmMeasure && Stretched())
        Height = ContentHeight;
    bool printed = false;
    if (DrawMode != dmMeasure) {
        if (LinesDone == 0)
            NextChar = 0;
        const bool lineByLine = Stretched() && (!ParentBand || bandFitsContent(ParentBand));
        if (!lineByLine)
            printed = renderWhole(c);
        else
            printed = LinesDone >= LineCount || renderLines(c);
        DrawFrameLines();
    }
    if ((DrawMode != dmMeasure && printed) || (DrawMode == dmMeasure && SilentPass))
        finishRecord();
}

void RegisterRichTextAddIn() {
    RegisterAddInObject(
        QStringLiteral("TvxRichView"),
        [](TvxReport* report) { return std::make_unique<TvxRichView>(report); },
        ButtonBitmap(AddInButton::RichText), QStringLiteral("Inserisci oggetto RichText"));
}

} // namespace vx
