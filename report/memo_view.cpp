#include "report/memo_view.h"

#include "report/stream_helpers.h"
#include "report/value_expansion.h"

#include "expr/evaluator.h"
#include "platform/platform_state.h"
#include "report/library_state.h"
#include "report/report.h"
#include "report/report_hooks.h"

#include <cmath>

namespace vx {

int32_t& MeasuredTextHeight = modelState().MeasuredTextHeight;
int32_t& MeasuredBandHeight = modelState().MeasuredBandHeight;

namespace {

int mulDiv(int a, int b, int c) { // rounds halves away from zero
    if (c == 0)
        return -1;
    const int64_t p = int64_t(a) * b;
    const int64_t q = (p >= 0 ? p + c / 2 : p - c / 2) / c;
    return int(q);
}
} // namespace

FontSpec MemoFont::toFontSpec(int pixelsPerInch) const {
    FontSpec spec;
    spec.face = Name;
    spec.height = -mulDiv(Size, pixelsPerInch, 72);
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
    Font.FontColor = Color(in.i32());
    Alignment = uint32_t(in.i32());
    HighlightStyle = in.u16();
    HighlightFontColor = Color(in.i32());
    HighlightFillColor = Color(in.i32());
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
    out.i32(int32_t(Font.FontColor));
    out.i32(int32_t(Alignment));
    out.u16(HighlightStyle);
    out.i32(int32_t(HighlightFontColor));
    out.i32(int32_t(HighlightFillColor));
    WriteBool16(out, HighlightOn);
    WriteStringAsList(out, HighlightCondition);
}

void TvxMemoView::LoadFromField(const QVariant& value) {
    // Blob fields hold the text's bytes in the Windows code page.
    const QString text = value.typeId() == QMetaType::QByteArray ? fromCodePage(value.toByteArray())
                                                                 : value.toString();
    ExpandedLines = value.isNull() ? QStringList() : text.split(QStringLiteral("\r\n"));
}

void TvxMemoView::AddMenuItems(std::vector<MenuItem>& menu) {
    auto toggle = [this](uint16_t bit) { return [this, bit] { Flags ^= bit; }; };
    menu.push_back({QStringLiteral("Formatta variabile..."), false, {}});
    menu.push_back({QStringLiteral("-"), false, {}});
    menu.push_back({QStringLiteral("Adattato"), Stretched(), toggle(mfStretched)});
    menu.push_back({QStringLiteral("A capo"), WordWrap(), toggle(mfWordWrap)});
    menu.push_back({QStringLiteral("Largezza automatica"), AutoWidth(), toggle(mfAutoWidth)});
}

namespace {

// Expands the bracketed expressions of one line (positions from 0 here).
// Brackets nest; an unclosed "[" takes the rest of the line but its last
// character; inserted text is not searched again.
QString expandLine(QString line, const std::function<QString(const QString&)>& value) {
    qsizetype i = 0;
    while (true) {
        const qsizetype last = line.size() - 1;
        while (i < last && line[i] != QLatin1Char('['))
            ++i;
        qsizetype j = std::max(last, i);
        int depth = 0;
        for (qsizetype p = i; p <= last; ++p) {
            if (line[p] == QLatin1Char('[')) {
                if (depth == 0)
                    i = p;
                ++depth;
            } else if (line[p] == QLatin1Char(']')) {
                --depth;
                if (depth == 0) {
                    j = p;
                    break;
                }
            }
        }
        if (i >= j)
            return line;
        const QString text = value(line.mid(i + 1, j - i - 1));
        line.replace(i, j - i + 1, text);
        i += text.size();
    }
}

} // namespace

void TvxMemoView::ExpandText() {
    ExpandedLines.clear();
    const auto& expand = reportHooks().ExpandValue;
    for (const QString& line : Lines) {
        if (!PrintMode || !expand) {
            ExpandedLines.append(line);
            continue;
        }
        ExpandedLines.append(
            expandLine(line, [&](const QString& e) { return expand(e, FormatCode, FormatText); }));
    }
}

QStringList WrapLine(const QString& t, int w, const std::function<int(const QString&)>& measure) {
    if (t.size() < 2 || measure(t) <= w)
        return {t};
    QStringList out;
    qsizetype start = 0, brk = 0; // positions from 0
    for (qsizetype p = 0; p < t.size(); ++p) {
        if (measure(t.mid(start, p - start + 1)) >= w) {
            if (brk == start)
                brk = p;
            out.append(t.mid(start, brk - start + 1));
            if (p == brk)
                return out; // no break inside the piece: the rest is dropped
            start = brk + 1;
            brk = start;
        }
        const QChar c = t[p];
        if (c == QLatin1Char(' ') || c == QLatin1Char(',') || c == QLatin1Char('-') ||
            c == QLatin1Char('.'))
            brk = p;
    }
    if (start < t.size())
        out.append(t.mid(start));
    return out;
}

namespace {

struct PreparedFont {
    FontSpec spec;
    int step = 0; // line step: 2 - font height
};

PreparedFont prepareFont(Canvas& c, const TvxMemoView& view) {
    PreparedFont f;
    c.setBrush(BrushSpec{BrushStyle::Null, kWhite, 0});
    f.spec = view.Font.toFontSpec();
    const TvxReport* report = view.Report;
    const int screen = screenPixelsPerInch(); // taken at program start
    if (report && report->Scaled && report->PixelsPerInch != screen)
        f.spec.height = int(std::nearbyint(double(f.spec.height) * report->PixelsPerInch / screen));
    if (view.Turned()) {
        f.spec.escapement = 900;
        f.spec.orientation = 900;
    }
    c.setFont(f.spec);
    c.setTextColor(view.Font.FontColor);
    c.setBackgroundMode(BackgroundMode::Transparent);
    c.setTextAlign(TextAlign::Left | TextAlign::Top);
    f.step = 2 - f.spec.height;
    return f;
}

} // namespace

// Layout of the expanded lines for draw modes 0 and 1.
static void layoutText(TvxMemoView& v, Canvas& c, const PreparedFont& f) {
    if (v.HasLineBreaks) {
        QStringList split;
        for (const QString& line : v.ExpandedLines)
            split.append(line.split(QStringLiteral("\r\n")));
        v.ExpandedLines = split;
    }
    if (v.AutoWidth() && PrintMode) {
        int widest = 0;
        for (const QString& line : v.ExpandedLines)
            widest = std::max(widest, c.textWidth(line));
        v.Width = 2 * v.GapX + widest;
        v.ComputeDrawRect();
    }
    const bool turned = v.Turned();
    const int w = turned ? v.Height - 2 * v.GapY : v.Width - 2 * v.GapX;
    auto measure = [&c](const QString& s) { return c.textWidth(s); };
    QStringList laid;
    for (const QString& line : v.ExpandedLines)
        laid.append(v.WordWrap() ? WrapLine(line, w, measure) : QStringList{line});
    v.ExpandedLines = laid;
    const int32_t extent = int32_t(laid.size()) * f.step;
    const bool fit = v.ParentBand && reportHooks().BandFitToContent &&
                     reportHooks().BandFitToContent(*v.ParentBand);
    if (!turned) {
        MeasuredTextHeight = extent + 2 * v.GapY;
        if (PrintMode && v.Stretched() && fit)
            v.Height = MeasuredTextHeight;
        v.LineHeight = f.step;
    } else {
        MeasuredTextHeight = extent + 2 * v.GapX;
        if (PrintMode && v.Stretched())
            v.Width = MeasuredTextHeight;
    }
}

static void drawLines(TvxMemoView& v, Canvas& c, const PreparedFont& f) {
    const EdgeRect clip{v.DrawRect.Left + 1, v.DrawRect.Top, v.DrawRect.Right - 2,
                        v.DrawRect.Bottom - 1};
    const QRect clipRect = clip.toQRect();
    const int32_t savedLeft = v.Left, savedTop = v.Top;
    const uint32_t savedAlignment = v.Alignment;
    const bool turned = v.Turned();
    const int vert = v.VertAlign();
    if (vert != 0) {
        const int32_t extent = turned ? v.Width : v.Height;
        int32_t& pos = turned ? v.Left : v.Top;
        pos =
            vert == 1 ? pos + (extent - MeasuredTextHeight) / 2 : pos + extent - MeasuredTextHeight;
        v.Alignment &= ~24u;
    }
    const int horz = v.HorzAlign();
    auto inside = [&](const QRect& r) { return clipRect.contains(r); };
    if (!turned) {
        int32_t y = v.Top + v.GapY;
        for (int i = v.LinesDone; i < v.ExpandedLines.size(); ++i) {
            if (y + f.step > clip.Bottom) {
                v.LinesDone = i;
                break;
            }
            const QString& line = v.ExpandedLines[i];
            const int tw = c.textWidth(line);
            const qsizetype firstBlank = line.indexOf(QLatin1Char(' '));
            if (horz == 3 && firstBlank > 0) {
                QString trimmed = line;
                while (trimmed.endsWith(QLatin1Char(' ')))
                    trimmed.chop(1);
                const QStringList words = trimmed.split(QLatin1Char(' '));
                const int n = int(trimmed.count(QLatin1Char(' ')));
                const int W = c.textWidth(trimmed);
                const double gap = n > 0 ? (double(n) * c.textWidth(QStringLiteral(" ")) +
                                            (clip.Right - clip.Left - v.GapX - 1 - W)) /
                                               n
                                         : 0.0;
                double x = v.Left + v.GapX;
                for (const QString& word : words) {
                    c.textOut(int(std::nearbyint(x)), y, word, TextOutOption::Clipped, clipRect);
                    x += c.textWidth(word) + gap;
                }
            } else {
                int32_t x = v.Left + v.GapX;
                if (horz == 1)
                    x = v.Left + v.Width - v.GapX - tw - 1;
                else if (horz == 2)
                    x = v.Left + v.GapX + (v.Width - 2 * v.GapX - tw) / 2;
                const QRect box = rectFromEdges(x, y, x + tw, y + f.step);
                if (!v.WordWrap() && inside(box))
                    c.textOut(x, y, line);
                else
                    c.textOut(x, y, line, TextOutOption::Clipped, clipRect);
            }
            y += f.step;
        }
    } else {
        int32_t x = v.Left + v.GapX;
        for (const QString& line : v.ExpandedLines) {
            const int tw = c.textWidth(line);
            int32_t y = v.Top + v.Height - v.GapY;
            if (horz == 1)
                y = v.Top + v.GapY + tw;
            else if (horz == 2)
                y = v.Top + v.Height - v.GapY - (v.Height - 2 * v.GapY - tw) / 2 - 1;
            const QRect box = rectFromEdges(x, y - tw, x + f.step, y);
            if (!v.WordWrap() && inside(box))
                c.textOut(x, y, line);
            else
                c.textOut(x, y, line, TextOutOption::Clipped, clipRect);
            x += f.step;
        }
    }
    v.Left = savedLeft;
    v.Top = savedTop;
    v.Alignment = savedAlignment;
}

void TvxMemoView::Draw(Canvas& c) {
    MeasuredTextHeight = 0;
    if (PrintMode && Visible == 0)
        return;
    SetCanvas(&c);
    const uint16_t savedFlags = Flags;
    if (!(DrawMode == dmContinue && PrintMode))
        LinesDone = 0;
    if (DrawMode == dmDraw || DrawMode == dmMeasure)
        HighlightWasOn = HighlightOn ? 1 : 0;
    if (!PrintMode) {
        ExpandText();
    } else if (DrawMode == dmDraw || DrawMode == dmMeasure) {
        // A text that is one variable bound to a memo or blob field takes the
        // field's text; everything else is expanded as usual.
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
    const MemoFont keptFont = Font;
    const Color keptFill = FillColor;
    if (PrintMode && DrawMode != dmMeasure && HighlightOn) {
        bool on = false;
        try {
            const Variant value = EvaluateExpression(HighlightCondition);
            on = ApplyOperator(ExprOp::Equal, value, Variant(1)).toInt64() == 1;
        } catch (const std::exception&) {
            SetPreparationError(
                QStringLiteral("Espressione per il calcolo dell'evidenziatura errata"));
        }
        if (on) {
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
        const PreparedFont f = prepareFont(c, *this);
        if (DrawMode == dmDraw || DrawMode == dmMeasure)
            layoutText(*this, c, f);
        if (DrawMode != dmMeasure) {
            FillBackground();
            DrawFrameLines();
            if (!SilentPass) {
                prepareFont(c, *this);
                drawLines(*this, c, f);
            }
        }
    } else if (DrawMode != dmMeasure) {
        FillBackground();
        DrawFrameLines();
    }
    if (PrintMode && DrawMode == dmMeasure && Stretched())
        MeasuredBandHeight = std::max(MeasuredBandHeight, Top + MeasuredTextHeight + 2);

    if (PrintMode && DrawMode != dmMeasure) {
        if (highlighted) {
            Font = keptFont;
            FillColor = keptFill;
        }
        HighlightOn = HighlightWasOn != 0;
    }
    Flags = savedFlags;
    if (!PrintMode && Visible == 0)
        DrawInvisibleCross();
}

} // namespace vx
