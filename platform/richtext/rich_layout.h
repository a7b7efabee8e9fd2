#pragma once

// Layout of a rich-text document into lines of a given width, and drawing of
// laid-out lines through the canvas as text records with their fonts.
//
// Each paragraph is broken into lines after blanks, tabs and hyphens (a
// word wider than the line is broken between characters; nothing is ever
// dropped), '\v' forces a break. A line's natural height is its largest
// ascent plus its largest descent, with the paragraph's space before on its
// first line and space after on its last; its measured height is, as the
// rich-text object measures it, the largest font height plus internal
// leading of its characters, with the same spacing. Alignment, indents,
// tab stops (default every half inch), justification (extra space on the
// blanks of every line but a paragraph's last) and bullet or number labels
// are applied. Measurements are those of the 96-dpi reference device.

#include "platform/canvas.h"
#include "platform/richtext/rich_document.h"

#include <QRect>
#include <QString>

#include <vector>

namespace vx::rich {

struct Fragment {
    int32_t x = 0; // from the layout's left edge
    QString text;
    std::vector<int> advances; // one per UTF-16 unit
    int32_t width = 0;
    int format = 0; // index into Layout::formats
};

struct Line {
    int32_t firstChar = 0; // document position of the line's first character
    int32_t endChar = 0;   // position after it (the paragraph mark included)
    int32_t top = 0;       // from the layout's top, lines at their natural height
    int32_t height = 0;    // natural height
    int32_t baseline = 0;  // from the line's top
    int32_t measuredHeight = 0;
    std::vector<Fragment> fragments;
};

struct Layout {
    int32_t width = 0;
    int32_t documentLength = 0;
    int32_t height = 0; // sum of the natural heights
    std::vector<CharFormat> formats;
    std::vector<Line> lines; // at least one
};

// Default tab stops lie every 720 twips (half an inch, 48 pixels).
inline constexpr int32_t kDefaultTabTwips = 720;

Layout layoutDocument(const Document& document, int32_t width);

// Draws one line with its top-left corner at (x, y); fragments reaching out
// of `clip` are drawn clipped to it.
void drawLine(Canvas& canvas, const Layout& layout, const Line& line, int32_t x, int32_t y,
              const QRect& clip);

// Index of the line holding document position `pos` (the last line for a
// position at or past the end).
int lineAt(const Layout& layout, int32_t pos);

// Draws the lines from the one holding `fromChar` into `rect`, one below the
// other at their natural heights, while a whole line fits; returns the
// position where the first line not drawn starts, or the document length
// when all were drawn. Nothing is drawn when the first line does not fit.
int32_t drawLines(Canvas& canvas, const Layout& layout, int32_t fromChar, const QRect& rect);

} // namespace vx::rich
