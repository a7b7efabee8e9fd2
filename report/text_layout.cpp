#include "report/text_layout.h"

#include "platform/coord.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vx {

int32_t saturate32(int64_t value) {
    return int32_t(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                       std::numeric_limits<int32_t>::max()));
}

QString ExpandLine(const QString& source, const ExpressionValue& value) {
    QString line = source;
    qsizetype i = 0; // positions from 0
    while (true) {
        const qsizetype last = line.size() - 1;
        if (i < last) {
            // The next "[", or the last character when there is none.
            const qsizetype open = line.indexOf(QLatin1Char('['), i);
            i = open < 0 ? last : std::min(open, last);
        }
        // Scan from i: the first "[" at depth 0 opens the expression, the
        // character that brings the depth back to 0 closes it; an unclosed
        // expression ends at the line's last character.
        qsizetype j = std::max(last, i);
        int depth = 0;
        for (qsizetype p = i; p <= last; ++p) {
            if (line[p] == QLatin1Char('[')) {
                if (depth == 0)
                    i = p;
                ++depth;
            } else if (line[p] == QLatin1Char(']') && --depth == 0) {
                j = p;
                break;
            }
        }
        if (i >= j)
            return line;
        const QString text = value(line.mid(i + 1, j - i - 1));
        line.replace(i, j - i + 1, text);
        i += text.size();
    }
}

QStringList TextToLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype p = 0; p < n; ++p) {
        const QChar c = text[p];
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        lines.append(text.mid(start, p - start));
        if (c == QLatin1Char('\r') && p + 1 < n && text[p + 1] == QLatin1Char('\n'))
            ++p;
        start = p + 1;
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

QStringList SplitLineBreaks(const QStringList& lines) {
    QStringList out;
    out.reserve(lines.size());
    for (const QString& line : lines) {
        if (line.contains(QLatin1String("\r\n")))
            out.append(line.split(QLatin1String("\r\n")));
        else
            out.append(line);
    }
    return out;
}

namespace {

bool isBreakCharacter(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char(',') || c == QLatin1Char('-') ||
           c == QLatin1Char('.');
}

} // namespace

// A piece's width is the sum of its advances taken in order from its first
// character and rounded halves up, floor(sum + 0.5); it reaches `w` exactly
// when sum + 0.5 >= w. The sum of the current piece is carried from one
// character to the next and taken again from the piece's start after a cut.
QStringList WrapLine(const QString& t, int w, std::span<const double> advances) {
    const qsizetype n = t.size();
    if (n < 2)
        return {t};
    auto advance = [&](qsizetype i) {
        return size_t(i) < advances.size() ? advances[size_t(i)] : 0.0;
    };
    QStringList out;
    qsizetype start = 0, brk = 0;
    double sum = 0; // width of start..p, unrounded
    for (qsizetype p = 0; p < n; ++p) {
        sum += advance(p);
        if (sum + 0.5 >= w) {
            if (start == 0) {
                // The first cut: the line stays whole when all of it is no
                // wider than w (the sum from 0 carried on to the end).
                double total = sum;
                for (qsizetype i = p + 1; i < n; ++i)
                    total += advance(i);
                if (std::floor(total + 0.5) <= w)
                    return {t};
            }
            if (brk == start)
                brk = p; // no break inside the piece: cut the word here
            out.append(t.mid(start, brk - start + 1));
            start = brk + 1;
            brk = start;
            sum = 0;
            for (qsizetype i = start; i <= p; ++i)
                sum += advance(i);
            if (start > p)
                continue; // the cut word's last character went with its piece
        }
        if (isBreakCharacter(t[p]))
            brk = p;
    }
    if (start < n)
        out.append(t.mid(start));
    return out;
}

int32_t TextExtent(qsizetype lines, int step, int32_t gap) {
    // At most 2^31 lines of at most 2^31 pixels: the product fits 64 bits.
    return saturate32(int64_t(lines) * step + 2 * int64_t(gap));
}

int32_t HorizontalLineX(int align, int32_t left, int32_t width, int32_t gapX, int textWidth) {
    switch (align) {
    case haRight:
        return saturate32(int64_t(left) + width - gapX - textWidth - 1);
    case haCenter:
        return saturate32(int64_t(left) + gapX +
                          (int64_t(width) - 2 * int64_t(gapX) - textWidth) / 2);
    default:
        return saturate32(int64_t(left) + gapX);
    }
}

int32_t TurnedLineY(int align, int32_t top, int32_t height, int32_t gapY, int textWidth) {
    const int64_t bottom = int64_t(top) + height - gapY;
    switch (align) {
    case haRight:
        return saturate32(int64_t(top) + gapY + textWidth);
    case haCenter:
        return saturate32(bottom - (int64_t(height) - 2 * int64_t(gapY) - textWidth) / 2 - 1);
    default:
        return saturate32(bottom);
    }
}

int32_t VerticalShift(int vertAlign, int32_t extent, int32_t textHeight) {
    const int64_t free = int64_t(extent) - textHeight;
    if (vertAlign == vaCenter)
        return saturate32(free / 2);
    if (vertAlign == vaBottom)
        return saturate32(free);
    return 0;
}

bool IsSpreadable(const QString& line) {
    return line.indexOf(QLatin1Char(' ')) > 0;
}

namespace {

// The spreading of a justified line. blankWidth() is the width of one
// blank; width(from, count) that of `count` characters from `from`.
template <typename Blank, typename Width>
std::vector<PlacedSpan> spreadLine(const QString& line, int32_t start, int direction, int room,
                                   Blank&& blankWidth, Width&& width) {
    qsizetype end = line.size();
    while (end > 0 && line[end - 1] == QLatin1Char(' '))
        --end;
    qsizetype blanks = 0;
    for (qsizetype i = 0; i < end; ++i)
        blanks += line[i] == QLatin1Char(' ') ? 1 : 0;
    double gap = 0;
    if (blanks > 0)
        gap = (double(blanks) * blankWidth() + (double(room) - width(0, end))) / double(blanks);
    std::vector<PlacedSpan> words;
    words.reserve(size_t(blanks) + 1);
    double pos = start;
    qsizetype from = 0;
    while (from <= end) {
        qsizetype to = from;
        while (to < end && line[to] != QLatin1Char(' '))
            ++to;
        const qsizetype length = to - from;
        const int w = length == 0 ? 0 : width(from, length);
        if (length > 0)
            words.push_back({from, length, toCoord(pos, CoordRounding::HalfEven)});
        pos += direction * (w + gap);
        from = to + 1;
    }
    return words;
}

} // namespace

std::vector<PlacedWord> JustifyLine(const QString& line, int32_t start, int direction, int room,
                                    const std::function<int(const QString&)>& width) {
    const std::vector<PlacedSpan> spans = spreadLine(
        line, start, direction, room, [&] { return width(QStringLiteral(" ")); },
        [&](qsizetype from, qsizetype count) { return width(line.mid(from, count)); });
    std::vector<PlacedWord> words;
    words.reserve(spans.size());
    for (const PlacedSpan& span : spans)
        words.push_back({line.mid(span.start, span.length), span.pos});
    return words;
}

std::vector<PlacedSpan> JustifySpans(const QString& line, int32_t start, int direction, int room,
                                     std::span<const double> advances) {
    auto advance = [&](qsizetype i) {
        return size_t(i) < advances.size() ? advances[size_t(i)] : 0.0;
    };
    // Only called when the line has a blank.
    auto blank = [&] {
        return toCoord(advance(line.indexOf(QLatin1Char(' '))), CoordRounding::HalfUp);
    };
    return spreadLine(line, start, direction, room, blank, [&](qsizetype from, qsizetype count) {
        double sum = 0;
        for (qsizetype i = from; i < from + count; ++i)
            sum += advance(i);
        return toCoord(sum, CoordRounding::HalfUp);
    });
}

} // namespace vx
