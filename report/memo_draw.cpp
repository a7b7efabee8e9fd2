// Drawing of the plain text object: expansion, highlight, layout (wrapping,
// automatic width, stretching) and the drawing of the lines in the four
// draw modes the engine uses.

#include "report/memo_view.h"

#include "platform/platform_state.h"

#include "expr/evaluator.h"
#include "platform/coord.h"
#include "platform/errors.h"
#include "report/library_state.h"
#include "report/report.h"
#include "report/report_hooks.h"
#include "report/value_expansion.h"

#include <algorithm>
#include <cmath>

namespace vx {

namespace {

// Pixel heights a prepared font may reach (10000 points at 96 dpi); the
// scaling for a report of another resolution stays within them.
constexpr int kMaxFontPixels = 13334;

bool bandFitsToContent(const TvxBand* band) {
    const auto& fit = reportHooks().BandFitToContent;
    return band && fit && fit(*band);
}

// The clip rectangle of the text: the drawing rectangle less one pixel on
// the left, two on the right and one at the bottom.
EdgeRect textClip(const EdgeRect& r) {
    return {saturate32(int64_t(r.Left) + 1), r.Top, saturate32(int64_t(r.Right) - 2),
            saturate32(int64_t(r.Bottom) - 1)};
}

bool inside(const EdgeRect& clip, int64_t left, int64_t top, int64_t right, int64_t bottom) {
    return left >= clip.Left && top >= clip.Top && right <= clip.Right && bottom <= clip.Bottom;
}

} // namespace

int TvxMemoView::PrepareFont(Canvas& c) const {
    c.setBrush(BrushSpec{BrushStyle::Null, kWhite, 0});
    FontSpec spec = Font.toFontSpec();
    const TvxReport* report = Report;
    const int screen = screenPixelsPerInch(); // taken at program start
    if (report && report->Scaled && report->PixelsPerInch > 0 && report->PixelsPerInch != screen) {
        // Rounded to the nearest, halves to even.
        const double scaled = std::nearbyint(double(spec.height) * report->PixelsPerInch / screen);
        spec.height = int(std::clamp(scaled, double(-kMaxFontPixels), -1.0));
    }
    if (Turned()) {
        spec.escapement = 900;
        spec.orientation = 900;
    }
    c.setFont(spec);
    c.setTextColor(Font.FontColor);
    c.setBackgroundMode(BackgroundMode::Transparent);
    c.setTextAlign(TextAlign::Left | TextAlign::Top);
    return 2 - spec.height;
}

void TvxMemoView::LayoutText(Canvas& c, int step) {
    if (HasLineBreaks)
        ExpandedLines = SplitLineBreaks(ExpandedLines);
    if (AutoWidth() && PrintMode) {
        int widest = 0;
        for (const QString& line : ExpandedLines)
            widest = std::max(widest, c.textWidth(line));
        Width = saturate32(2 * int64_t(GapX) + widest);
        ComputeDrawRect();
    }
    const bool turned = Turned();
    const int64_t room =
        turned ? int64_t(Height) - 2 * int64_t(GapY) : int64_t(Width) - 2 * int64_t(GapX);
    const int w = saturate32(room);
    if (WordWrap()) {
        QStringList laid;
        laid.reserve(ExpandedLines.size());
        for (const QString& line : ExpandedLines) {
            if (line.size() < 2)
                laid.append(line);
            else
                laid.append(WrapLine(line, w, c.designAdvances(line)));
        }
        ExpandedLines = std::move(laid);
    }
    if (!turned) {
        MeasuredTextHeight = TextExtent(ExpandedLines.size(), step, GapY);
        if (PrintMode && Stretched() && bandFitsToContent(ParentBand))
            Height = MeasuredTextHeight;
        LineHeight = step;
    } else {
        MeasuredTextHeight = TextExtent(ExpandedLines.size(), step, GapX);
        if (PrintMode && Stretched())
            Width = MeasuredTextHeight;
    }
}

// The text height vertical alignment uses. Modes 0 and 1 lay the text out
// and measured it; modes 2 and 3 draw what mode 1 laid out, whose height is
// the number of its lines times the step plus the gaps (a split text counts
// the lines still to print, and never moves up out of its part).
int32_t TvxMemoView::TextHeightToAlign(int step) const {
    if (!PrintMode || DrawMode == dmDraw || DrawMode == dmMeasure)
        return MeasuredTextHeight;
    const bool turned = Turned();
    qsizetype lines = ExpandedLines.size();
    if (DrawMode == dmContinue && !turned)
        lines -= std::clamp<qsizetype>(LinesDone, 0, lines);
    return TextExtent(lines, step, turned ? GapX : GapY);
}

namespace {

void drawLine(Canvas& c, int32_t x, int32_t y, const QString& text, const EdgeRect& clip,
              bool unclipped) {
    if (unclipped)
        c.textOut(x, y, text);
    else
        c.textOut(x, y, text, TextOutOption::Clipped, clip.toQRect());
}

// Buffers reused from word to word while a text object draws its
// justified lines: a canvas that keeps a word or its advances gets its own
// copy when a buffer changes.
struct WordBuffers {
    QString text;
    std::vector<int> advances;
};

// Draws the words of a justified line, each clipped, at (pos, across) or
// (across, pos) for a turned line. The line is measured once: the words'
// widths and their characters' advances come from its unrounded advances
// (each word's rounded cumulatively from its first character, as the
// canvas rounds a text's own), so no word is measured again.
void drawSpreadLine(Canvas& c, const QString& line, int32_t start, int direction, int room,
                    int32_t across, const EdgeRect& clip, WordBuffers& word) {
    const std::vector<double> advances = c.designAdvances(line);
    for (const PlacedSpan& span : JustifySpans(line, start, direction, room, advances)) {
        word.text.resize(span.length);
        std::copy_n(line.constData() + span.start, span.length, word.text.data());
        word.advances.resize(size_t(span.length));
        double position = 0;
        int placed = 0;
        for (qsizetype i = 0; i < span.length; ++i) {
            const size_t at = size_t(span.start + i);
            position += at < advances.size() ? advances[at] : 0.0;
            const int end = toCoord(position, CoordRounding::HalfUp);
            word.advances[size_t(i)] = end - placed;
            placed = end;
        }
        const QRect clipRect = clip.toQRect();
        if (direction > 0)
            c.textOut(span.pos, across, word.text, TextOutOption::Clipped, clipRect, word.advances);
        else
            c.textOut(across, span.pos, word.text, TextOutOption::Clipped, clipRect, word.advances);
    }
}

} // namespace

void TvxMemoView::DrawHorizontalLines(Canvas& c, int step, const EdgeRect& clip) {
    const int horz = HorzAlign();
    const int room = saturate32(int64_t(clip.Right) - clip.Left - GapX - 1);
    WordBuffers word;
    int64_t y = int64_t(Top) + GapY;
    for (qsizetype i = std::max(0, LinesDone); i < ExpandedLines.size(); ++i) {
        if (y + step > clip.Bottom) {
            LinesDone = int32_t(i); // the rest belongs to the continuation
            return;
        }
        const QString& line = ExpandedLines[i];
        const int32_t top = saturate32(y);
        if (horz == haJustify && IsSpreadable(line)) {
            drawSpreadLine(c, line, saturate32(int64_t(Left) + GapX), 1, room, top, clip, word);
        } else if (!line.isEmpty()) {
            const int tw = c.textWidth(line);
            const int32_t x = HorizontalLineX(horz, Left, Width, GapX, tw);
            drawLine(c, x, top, line, clip,
                     !WordWrap() && inside(clip, x, y, int64_t(x) + tw, y + step));
        }
        y += step;
    }
}

void TvxMemoView::DrawTurnedLines(Canvas& c, int step, const EdgeRect& clip) {
    const int horz = HorzAlign();
    const int room = saturate32(int64_t(clip.Bottom) - clip.Top - GapY - 1);
    const int32_t bottom = saturate32(int64_t(Top) + Height - GapY);
    WordBuffers word;
    int64_t x = int64_t(Left) + GapX;
    for (const QString& line : ExpandedLines) {
        // Lines right of the clip rectangle would be clipped away whole.
        if (x >= clip.Right)
            return;
        const int32_t left = saturate32(x);
        if (horz == haJustify && IsSpreadable(line)) {
            drawSpreadLine(c, line, bottom, -1, room, left, clip, word);
        } else if (!line.isEmpty()) {
            const int tw = c.textWidth(line);
            const int32_t y = TurnedLineY(horz, Top, Height, GapY, tw);
            drawLine(c, left, y, line, clip,
                     !WordWrap() && inside(clip, x, int64_t(y) - tw, x + step, y));
        }
        x += step;
    }
}

void TvxMemoView::DrawText(Canvas& c, int step) {
    const EdgeRect clip = textClip(DrawRect);
    const int32_t savedLeft = Left, savedTop = Top;
    const uint32_t savedAlignment = Alignment;
    const bool turned = Turned();
    const int vert = VertAlign();
    if (vert != vaTop) {
        const int32_t textHeight = TextHeightToAlign(step);
        int32_t shift = VerticalShift(vert, turned ? Width : Height, textHeight);
        if (PrintMode && DrawMode == dmContinue)
            shift = std::max(shift, 0);
        int32_t& pos = turned ? Left : Top;
        pos = saturate32(int64_t(pos) + shift);
        Alignment &= ~24u; // hidden while drawing
    }
    if (turned)
        DrawTurnedLines(c, step, clip);
    else
        DrawHorizontalLines(c, step, clip);
    Left = savedLeft;
    Top = savedTop;
    Alignment = savedAlignment;
}

void TvxMemoView::DrawEmptyCell() {
    const auto& calcHeight = reportHooks().BandCalcHeight;
    const auto& bandHeight = reportHooks().BandHeight;
    const bool grows = Lines.isEmpty() && Stretched() && Height == DesignHeight &&
                       bandFitsToContent(ParentBand) && calcHeight && bandHeight;
    const int32_t band = grows ? bandHeight(*ParentBand) : 0;
    if (!grows || band <= 0) {
        FillBackground();
        DrawFrameLines();
        return;
    }
    // The cell takes the band's growth: its height scaled by the band's
    // measured over its design height, rounded halves to even.
    const int32_t kept = Height;
    const double scaled = std::nearbyint(double(calcHeight(*ParentBand)) / band * Height);
    Height = saturate32(int64_t(std::clamp(scaled, -2147483648.0, 2147483647.0)));
    FillBackground();
    DrawFrameLines();
    Height = kept;
}

// Evaluates the highlight condition; true when it equals the integer 1.
// A failing condition records its error and gives no highlight.
bool TvxMemoView::ApplyHighlight() {
    try {
        const Variant value = EvaluateExpression(HighlightCondition);
        return CompareVariants(ExprOp::Equal, value, Variant(1));
    } catch (const std::exception&) {
        SetPreparationError(QStringLiteral("Espressione per il calcolo dell'evidenziatura errata"));
        return false;
    }
}

void TvxMemoView::Draw(Canvas& c) {
    MeasuredTextHeight = 0;
    if (PrintMode && Visible == 0)
        return;
    SetCanvas(&c);
    const uint16_t savedFlags = Flags;
    const bool measuring = PrintMode && DrawMode == dmMeasure;
    const bool laysOut = !PrintMode || DrawMode == dmDraw || DrawMode == dmMeasure;
    if (!(PrintMode && DrawMode == dmContinue))
        LinesDone = 0;
    if (DrawMode == dmDraw || DrawMode == dmMeasure)
        HighlightWasOn = HighlightOn ? 1 : 0;

    if (!PrintMode) {
        ExpandText(); // copies the raw lines
    } else if (laysOut) {
        // A text that is one variable bound to a memo or blob field takes
        // the field's text; everything else is expanded as usual.
        if (Report && Report->HasBlobValues) {
            ExpandedLines = Lines;
            FillFromField(Report, Lines, this);
            if (ExpandedLines.isEmpty() || ExpandedLines.first() == Lines.value(0))
                ExpandText();
        } else {
            ExpandText();
        }
    }

    bool highlighted = false;
    const uint16_t keptStyle = Font.Style;
    const Color keptFontColor = Font.FontColor;
    const Color keptFill = FillColor;
    if (PrintMode && !measuring && HighlightOn) {
        if (ApplyHighlight()) {
            Font.Style = HighlightStyle;
            Font.FontColor = HighlightFontColor;
            FillColor = HighlightFillColor;
            highlighted = true;
        } else {
            HighlightOn = false;
        }
    }

    ComputeDrawRect();
    if (!ExpandedLines.isEmpty()) {
        const int step = PrepareFont(c);
        if (laysOut)
            LayoutText(c, step);
        if (!measuring) {
            FillBackground();
            DrawFrameLines();
            if (!SilentPass) {
                PrepareFont(c);
                DrawText(c, step);
            }
        }
    } else if (!measuring) {
        DrawEmptyCell();
    }
    if (measuring && Stretched())
        MeasuredBandHeight =
            std::max(MeasuredBandHeight, saturate32(int64_t(Top) + MeasuredTextHeight + 2));

    if (PrintMode && !measuring) {
        if (highlighted) {
            Font.Style = keptStyle;
            Font.FontColor = keptFontColor;
            FillColor = keptFill;
        }
        HighlightOn = HighlightWasOn != 0;
    }
    Flags = savedFlags;
    if (!PrintMode && Visible == 0)
        DrawInvisibleCross();
}

} // namespace vx
