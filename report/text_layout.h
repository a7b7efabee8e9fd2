#pragma once

// The layout rules of the text objects as plain functions: expanding the
// bracketed expressions of a line, wrapping a line into pieces, the position
// of a line by its alignment, the spreading of a justified line and the
// vertical alignment shift. The text objects (and the classes derived from
// them) draw with these; tests call them directly.
//
// Positions and sizes are pixels of 1/96 inch. They come from stored
// templates, so the sums are taken in 64 bits and limited to the 32-bit range.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace vx {

// Horizontal alignment codes (bits 0-1 of a text object's Alignment).
enum : int { haLeft = 0, haRight = 1, haCenter = 2, haJustify = 3 };
// Vertical alignment codes as the accessors give them.
enum : int { vaTop = 0, vaCenter = 1, vaBottom = 2 };

// A 64-bit value limited to the 32-bit range.
int32_t saturate32(int64_t value);

// The text of one bracketed expression (given without its brackets).
using ExpressionValue = std::function<QString(const QString& expression)>;

// Replaces every bracketed expression of the line by its value. Brackets
// nest ("[a[b]c]" is one expression, "a[b]c"); an unclosed "[" takes the
// rest of the line except its last character as the expression; a "[" that
// is the line's last character is kept; inserted text is not searched again.
QString ExpandLine(const QString& line, const ExpressionValue& value);

// A text as a string list takes it: lines end at CR LF, CR or LF, and a
// final line break adds no empty line.
QStringList TextToLines(const QString& text);

// Cuts every line at each CR LF pair, so that no line holds the pair.
QStringList SplitLineBreaks(const QStringList& lines);

// Wraps one line into pieces for a width of `width` pixels. `advances`
// holds the unrounded advance of every character; a piece's width is the
// sum of its characters' advances rounded as the canvas rounds text widths,
// so the decisions match the widths drawn. A piece ends after the last
// blank, ",", "-" or "." that fits (the break character stays with it); a
// word wider than the line is cut where the width is reached and continues
// on the next pieces, so no text is lost. A line of fewer than two
// characters or no wider than `width` stays whole.
QStringList WrapLine(const QString& text, int width, std::span<const double> advances);

// Height of `lines` laid-out lines of step `step` with `gap` above and below
// (lines x step + 2 x gap).
int32_t TextExtent(qsizetype lines, int step, int32_t gap);

// Start x of a horizontal line of `textWidth` pixels in an object at `left`
// of `width` pixels: left, right or centre (a justified line that is not
// spread starts like a left-aligned one). The centre offset truncates.
int32_t HorizontalLineX(int align, int32_t left, int32_t width, int32_t gapX, int textWidth);

// Baseline y of a turned line (it reads upwards from there) in an object at
// `top` of `height` pixels.
int32_t TurnedLineY(int align, int32_t top, int32_t height, int32_t gapY, int textWidth);

// How far a centred or bottom-aligned text of `textHeight` pixels moves in a
// box of `extent` pixels (the centre offset truncates toward zero).
int32_t VerticalShift(int vertAlign, int32_t extent, int32_t textHeight);

// Whether a justified line is spread: it has a blank that is not its first
// character.
bool IsSpreadable(const QString& line);

struct PlacedWord {
    QString text;
    int32_t pos = 0; // rounded position along the line
};

// A word of a spread line given by its place in the line.
struct PlacedSpan {
    qsizetype start = 0;  // first character in the line
    qsizetype length = 0; // characters
    int32_t pos = 0;      // rounded position along the line
};

// Spreads a justified line: the line without trailing blanks is split at
// single blanks into words (an empty word between two blanks takes no room);
// with n blanks and W the width of the trimmed line each gap is
// (n x blank width + room - W) / n as a double. Words are placed from
// `start` (direction +1: rightwards, -1: upwards), each at its rounded
// position, the position moving by the word's width plus one gap. A line
// whose only blanks are trailing gets no gaps.
std::vector<PlacedWord> JustifyLine(const QString& line, int32_t start, int direction, int room,
                                    const std::function<int(const QString&)>& width);

// The same spreading measured with the unrounded advance of every character
// of the line (as Canvas::designAdvances gives them): a piece's width is the
// sum of its advances in order, rounded halves up, which is the width the
// canvas gives for the piece, so the positions are JustifyLine's. The line
// is measured once and no word is copied.
std::vector<PlacedSpan> JustifySpans(const QString& line, int32_t start, int direction, int room,
                                     std::span<const double> advances);

} // namespace vx
