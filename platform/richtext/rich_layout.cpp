#include "platform/richtext/rich_layout.h"

#include "platform/fonts.h"

#include <algorithm>

namespace vx::rich {

namespace {

// Letters repeat ("aa", "bb") past z; beyond this many repeats, and for
// roman numerals past 3999, numbers are written in digits.
constexpr int kMaxLetterRepeats = 4;
constexpr int kMaxRoman = 3999;

QString romanNumber(int v) {
    static const std::pair<int, const char*> kParts[] = {
        {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
        {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
    QString out;
    for (const auto& [value, text] : kParts)
        for (; v >= value; v -= value)
            out += QLatin1String(text);
    return out;
}

QString numberText(Numbering style, int v) {
    switch (style) {
    case Numbering::LowerLetter:
    case Numbering::UpperLetter:
        if (v >= 1 && (v - 1) / 26 < kMaxLetterRepeats) {
            const QChar base =
                style == Numbering::LowerLetter ? QLatin1Char('a') : QLatin1Char('A');
            return QString((v - 1) / 26 + 1, QChar(base.unicode() + (v - 1) % 26));
        }
        break;
    case Numbering::LowerRoman:
    case Numbering::UpperRoman:
        if (v >= 1 && v <= kMaxRoman)
            return style == Numbering::LowerRoman ? romanNumber(v) : romanNumber(v).toUpper();
        break;
    default:
        break;
    }
    return QString::number(v);
}

bool isNumbered(Numbering n) {
    return n >= Numbering::Decimal && n <= Numbering::UpperRoman;
}

struct FontInfo {
    FontSpec spec;
    TextMetrics metrics;
};

// What one paragraph needs while it is broken into lines.
struct ParagraphInput {
    int32_t start = 0; // first character
    int32_t end = 0;   // its end (the mark's position, or the text's end)
    bool hasMark = false;
    int markFormat = 0;
    const ParaFormat* format = nullptr;
    QString label;
    int labelFormat = 0;
};

class Layouter {
public:
    Layouter(const Document& doc, int32_t width) : doc_(doc) {
        layout_.width = std::max(width, 1);
        layout_.documentLength = doc.length();
    }

    Layout run() {
        measureCharacters();
        int32_t start = 0;
        int counter = 0;
        Numbering previous = Numbering::None;
        for (int p = 0; p < doc_.paragraphCount(); ++p) {
            ParagraphInput in;
            in.start = std::min(start, doc_.length());
            const qsizetype mark = doc_.text.indexOf(kParagraphEnd, start);
            in.hasMark = mark >= 0 && p + 1 < doc_.paragraphCount();
            in.end = std::max(in.start, in.hasMark ? int32_t(mark) : doc_.length());
            in.markFormat = in.hasMark ? charFormat_[size_t(in.end)] : formatIndex(doc_.endFormat);
            in.format = &doc_.paras[size_t(p)];
            const Numbering n = in.format->numbering;
            counter = isNumbered(n) && n == previous ? counter + 1 : in.format->numberStart;
            previous = n;
            makeLabel(in, counter);
            paragraph(in);
            start = in.end + 1;
        }
        return std::move(layout_);
    }

private:
    int formatIndex(const CharFormat& f) {
        for (size_t i = 0; i < layout_.formats.size(); ++i)
            if (layout_.formats[i] == f)
                return int(i);
        layout_.formats.push_back(f);
        FontInfo info;
        info.spec = f.toFontSpec();
        info.metrics = fontTextMetrics(info.spec);
        fonts_.push_back(info);
        return int(layout_.formats.size() - 1);
    }

    // Format and advance of every character, measured a paragraph piece of
    // a run at a time so that rounding does not carry across paragraphs.
    void measureCharacters() {
        formatIndex(doc_.endFormat); // index 0: also what no run covers
        charFormat_.assign(size_t(doc_.length()), 0);
        advance_.assign(size_t(doc_.length()), 0);
        int32_t pos = 0;
        for (const Run& run : doc_.runs) {
            const int f = formatIndex(run.format);
            const int32_t end = std::min(pos + run.length, doc_.length());
            while (pos < end) {
                qsizetype cut = doc_.text.indexOf(kParagraphEnd, pos);
                cut = cut < 0 || cut >= end ? end : cut + 1;
                const std::vector<int> adv =
                    fontCharAdvances(fonts_[size_t(f)].spec, doc_.text.mid(pos, cut - pos));
                for (qsizetype i = 0; i < cut - pos; ++i) {
                    charFormat_[size_t(pos + i)] = f;
                    advance_[size_t(pos + i)] = i < qsizetype(adv.size()) ? adv[size_t(i)] : 0;
                }
                pos = int32_t(cut);
            }
        }
    }

    void makeLabel(ParagraphInput& in, int counter) {
        const ParaFormat& pf = *in.format;
        if (pf.numbering == Numbering::None)
            return;
        CharFormat f =
            in.start < in.end ? doc_.formatAt(in.start) : layout_.formats[size_t(in.markFormat)];
        if (pf.numbering == Numbering::Bullet) {
            in.label = QString(QChar(0x2022));
        } else if (pf.numbering == Numbering::Literal) {
            in.label = pf.numberBefore;
        } else {
            in.label = pf.numberBefore + numberText(pf.numbering, counter) + pf.numberAfter;
            if (!pf.numberFace.isEmpty())
                f.face = pf.numberFace;
        }
        in.labelFormat = formatIndex(f);
    }

    int32_t tabStop(const ParaFormat& pf, int32_t x) const {
        for (int32_t twips : pf.tabs) {
            const int32_t px = twipsToPixels(twips);
            if (px > x)
                return px;
        }
        const int32_t step = twipsToPixels(kDefaultTabTwips);
        return (x / step + 1) * step;
    }

    void paragraph(const ParagraphInput& in) {
        const ParaFormat& pf = *in.format;
        const int32_t left = twipsToPixels(pf.leftIndent);
        const int32_t first = twipsToPixels(pf.leftIndent + pf.firstIndent);
        const int32_t right = std::max(layout_.width - twipsToPixels(pf.rightIndent), left + 1);
        int32_t labelWidth = 0;
        if (!in.label.isEmpty())
            labelWidth = fontTextWidth(fonts_[size_t(in.labelFormat)].spec, in.label);
        int32_t textStart = first;
        if (labelWidth > 0) {
            const int32_t gap =
                fontTextWidth(fonts_[size_t(in.labelFormat)].spec, QStringLiteral(" "));
            textStart = first + labelWidth + gap <= left ? left : first + labelWidth + gap;
        }
        int32_t i = in.start;
        bool firstLine = true;
        while (true) {
            const int32_t lineLeft = firstLine ? textStart : left;
            bool forced = false;
            const int32_t j = breakLine(pf, i, in.end, lineLeft, right, forced);
            const bool lastLine = j >= in.end && !forced;
            LineSpec spec{i, j, lineLeft, right, firstLine, lastLine, forced};
            if (firstLine && labelWidth > 0)
                spec.labelX = first;
            addLine(in, spec);
            if (lastLine)
                break;
            i = j;
            firstLine = false;
        }
    }

    // Finds where the line starting at `i` ends; `forced` tells a '\v' ended it.
    int32_t breakLine(const ParaFormat& pf, int32_t i, int32_t end, int32_t lineLeft, int32_t right,
                      bool& forced) const {
        int32_t x = lineLeft;
        int32_t j = i;
        int32_t lastBreak = -1;
        const QString& t = doc_.text;
        while (j < end) {
            const QChar c = t[j];
            if (c == kLineBreak) {
                forced = true;
                return j + 1;
            }
            const int32_t adv = c == QLatin1Char('\t') ? tabStop(pf, x) - x : advance_[size_t(j)];
            if (c != QLatin1Char(' ') && x + adv > right && j > i) {
                if (lastBreak > i)
                    j = lastBreak;
                break;
            }
            x += adv;
            ++j;
            if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('-'))
                lastBreak = j;
        }
        while (j < end && t[j] == QLatin1Char(' '))
            ++j; // blanks at a break hang past the right edge
        return j;
    }

    struct LineSpec {
        int32_t from = 0, to = 0, left = 0, right = 0;
        bool first = false, last = false, forced = false;
        int32_t labelX = -1;
    };

    void addLine(const ParagraphInput& in, const LineSpec& s) {
        const ParaFormat& pf = *in.format;
        Line line;
        line.firstChar = s.from;
        line.endChar = s.last && in.hasMark ? in.end + 1 : s.to;
        // The content without the trailing blanks and the forced break.
        int32_t contentEnd = s.to;
        while (contentEnd > s.from && (doc_.text[contentEnd - 1] == QLatin1Char(' ') ||
                                       doc_.text[contentEnd - 1] == kLineBreak))
            --contentEnd;
        // Positions of the characters at their natural advances.
        std::vector<int32_t> xs(size_t(s.to - s.from) + 1);
        int32_t x = s.left;
        for (int32_t k = s.from; k < s.to; ++k) {
            xs[size_t(k - s.from)] = x;
            const QChar c = doc_.text[k];
            x += c == QLatin1Char('\t') ? tabStop(pf, x) - x
                                        : (c == kLineBreak ? 0 : advance_[size_t(k)]);
        }
        xs.back() = x;
        const int32_t contentRight = xs[size_t(contentEnd - s.from)];
        int32_t offset = 0;
        if (pf.align == Align::Right)
            offset = s.right - contentRight;
        else if (pf.align == Align::Center)
            offset = (s.right - contentRight) / 2;
        std::vector<int32_t> extra = justification(pf, s, contentEnd, contentRight);
        fragments(line, s, contentEnd, xs, offset, extra);
        if (s.labelX >= 0)
            line.fragments.insert(line.fragments.begin(), labelFragment(in, s.labelX + offset));
        metrics(line, in, s);
        line.top = layout_.height;
        layout_.height += line.height;
        layout_.lines.push_back(std::move(line));
    }

    // Extra pixels on each blank of a justified line (empty otherwise).
    std::vector<int32_t> justification(const ParaFormat& pf, const LineSpec& s, int32_t contentEnd,
                                       int32_t contentRight) const {
        std::vector<int32_t> extra;
        if (pf.align != Align::Justify || s.last || s.forced)
            return extra;
        int blanks = 0;
        for (int32_t k = s.from; k < contentEnd; ++k)
            blanks += doc_.text[k] == QLatin1Char(' ');
        const int32_t room = s.right - contentRight;
        if (blanks == 0 || room <= 0)
            return extra;
        extra.assign(size_t(s.to - s.from), 0);
        int n = 0;
        for (int32_t k = s.from; k < contentEnd; ++k)
            if (doc_.text[k] == QLatin1Char(' '))
                extra[size_t(k - s.from)] = room / blanks + (n++ < room % blanks ? 1 : 0);
        return extra;
    }

    void fragments(Line& line, const LineSpec& s, int32_t contentEnd,
                   const std::vector<int32_t>& xs, int32_t offset,
                   const std::vector<int32_t>& extra) const {
        int32_t shift = offset; // grows with the justification's extra space
        Fragment* open = nullptr;
        for (int32_t k = s.from; k < contentEnd; ++k) {
            const QChar c = doc_.text[k];
            const size_t at = size_t(k - s.from);
            const int32_t more = extra.empty() ? 0 : extra[at];
            if (c == QLatin1Char('\t') || c == kLineBreak || c.unicode() < 0x20) {
                open = nullptr; // a gap, not text
                shift += more;
                continue;
            }
            const int f = charFormat_[size_t(k)];
            if (!open || open->format != f) {
                line.fragments.push_back(Fragment{xs[at] + shift, QString(), {}, 0, f});
                open = &line.fragments.back();
            }
            const int32_t adv = xs[at + 1] - xs[at] + more;
            open->text.append(c);
            open->advances.push_back(adv);
            open->width += adv;
            shift += more;
        }
    }

    Fragment labelFragment(const ParagraphInput& in, int32_t x) const {
        Fragment f;
        f.x = x;
        f.text = in.label;
        f.format = in.labelFormat;
        f.advances = fontCharAdvances(fonts_[size_t(in.labelFormat)].spec, in.label);
        for (int a : f.advances)
            f.width += a;
        return f;
    }

    void metrics(Line& line, const ParagraphInput& in, const LineSpec& s) const {
        int32_t ascent = 0, descent = 0, measured = 0;
        auto take = [&](int f) {
            const TextMetrics& m = fonts_[size_t(f)].metrics;
            ascent = std::max(ascent, m.ascent);
            descent = std::max(descent, m.descent);
            measured = std::max(measured, m.height + m.internalLeading);
        };
        for (int32_t k = s.from; k < s.to; ++k)
            take(charFormat_[size_t(k)]);
        if (s.from == s.to) // an empty line has the height of the font at its place
            take(in.markFormat);
        if (s.labelX >= 0)
            take(in.labelFormat);
        const int32_t before = s.first ? twipsToPixels(in.format->spaceBefore) : 0;
        const int32_t after = s.last ? twipsToPixels(in.format->spaceAfter) : 0;
        line.baseline = before + ascent;
        line.height = before + ascent + descent + after;
        line.measuredHeight = before + measured + after;
    }

    const Document& doc_;
    Layout layout_;
    std::vector<FontInfo> fonts_; // parallel to layout_.formats
    std::vector<int> charFormat_;
    std::vector<int> advance_;
};

} // namespace

Layout layoutDocument(const Document& document, int32_t width) {
    return Layouter(document, width).run();
}

int lineAt(const Layout& layout, int32_t pos) {
    const auto it = std::upper_bound(layout.lines.begin(), layout.lines.end(), pos,
                                     [](int32_t p, const Line& line) { return p < line.endChar; });
    if (it == layout.lines.end())
        return int(layout.lines.size()) - 1;
    return int(it - layout.lines.begin());
}

void drawLine(Canvas& canvas, const Layout& layout, const Line& line, int32_t x, int32_t y,
              const QRect& clip) {
    canvas.setBackgroundMode(BackgroundMode::Transparent);
    canvas.setTextAlign(TextAlign::Left | TextAlign::Baseline);
    for (const Fragment& f : line.fragments) {
        const CharFormat& format = layout.formats[size_t(f.format)];
        canvas.setFont(format.toFontSpec());
        canvas.setTextColor(format.color);
        const QRect box = rectFromEdges(x + f.x, y, x + f.x + f.width, y + line.height);
        const uint32_t options = clip.contains(box) ? 0 : TextOutOption::Clipped;
        canvas.textOut(x + f.x, y + line.baseline, f.text, options, clip, f.advances);
    }
}

int32_t drawLines(Canvas& canvas, const Layout& layout, int32_t fromChar, const QRect& rect) {
    if (fromChar >= layout.documentLength && layout.documentLength > 0)
        return layout.documentLength;
    int32_t y = rect.top();
    const int32_t bottom = rect.top() + rect.height();
    for (size_t i = size_t(lineAt(layout, fromChar)); i < layout.lines.size(); ++i) {
        const Line& line = layout.lines[i];
        if (y + line.height > bottom)
            return line.firstChar;
        drawLine(canvas, layout, line, rect.left(), y, rect);
        y += line.height;
    }
    return layout.documentLength;
}

} // namespace vx::rich
