#include "report/text_layout.h"

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
        while (i < last && line[i] != QLatin1Char('['))
            ++i;
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

// Widths of pieces of one line, summed from the piece's first character in
// order and rounded halves up, exactly as the canvas measures a text.
class PieceWidth {
public:
    explicit PieceWidth(std::span<const double> advances) : advances_(advances) {}
    // Width of the characters from `start` to `end` (both included); calls
    // come with `end` growing by one, so the sum is carried along.
    int operator()(qsizetype start, qsizetype end) {
        if (start != start_ || end < end_) {
            start_ = start;
            end_ = start - 1;
            sum_ = 0;
        }
        while (end_ < end)
            sum_ += advance(++end_);
        return int(std::floor(sum_ + 0.5));
    }

private:
    double advance(qsizetype i) const {
        return size_t(i) < advances_.size() ? advances_[size_t(i)] : 0.0;
    }
    std::span<const double> advances_;
    qsizetype start_ = -1;
    qsizetype end_ = -1;
    double sum_ = 0;
};

bool isBreakCharacter(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char(',') || c == QLatin1Char('-') ||
           c == QLatin1Char('.');
}

} // namespace

QStringList WrapLine(const QString& t, int w, std::span<const double> advances) {
    PieceWidth width(advances);
    if (t.size() < 2 || width(0, t.size() - 1) <= w)
        return {t};
    QStringList out;
    qsizetype start = 0, brk = 0;
    for (qsizetype p = 0; p < t.size(); ++p) {
        if (width(start, p) >= w) {
            if (brk == start)
                brk = p; // no break inside the piece: cut the word here
            out.append(t.mid(start, brk - start + 1));
            start = brk + 1;
            brk = start;
            if (start > p)
                continue; // the cut word's last character went with its piece
        }
        if (isBreakCharacter(t[p]))
            brk = p;
    }
    if (start < t.size())
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

std::vector<PlacedWord> JustifyLine(const QString& line, int32_t start, int direction, int room,
                                    const std::function<int(const QString&)>& width) {
    QString trimmed = line;
    while (trimmed.endsWith(QLatin1Char(' ')))
        trimmed.chop(1);
    const qsizetype blanks = trimmed.count(QLatin1Char(' '));
    double gap = 0;
    if (blanks > 0)
        gap = (double(blanks) * width(QStringLiteral(" ")) + (double(room) - width(trimmed))) /
              double(blanks);
    std::vector<PlacedWord> words;
    words.reserve(size_t(blanks) + 1);
    double pos = start;
    for (const QString& word : trimmed.split(QLatin1Char(' '))) {
        const int w = word.isEmpty() ? 0 : width(word);
        if (!word.isEmpty())
            words.push_back({word, saturate32(int64_t(std::nearbyint(
                                       std::clamp(pos, -2147483648.0, 2147483647.0))))});
        pos += direction * (w + gap);
    }
    return words;
}

} // namespace vx
