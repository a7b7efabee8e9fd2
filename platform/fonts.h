#pragma once

// Fonts and text measurement. Windows face names are mapped to installed,
// metric-compatible faces through one substitution table; measurements are
// those GDI reports for the face on the 96-dpi reference device (cell
// height, ascent and descent from the face's Windows metrics, average width
// from its xAvgCharWidth), taken from unhinted design advances so that they
// do not depend on the output device.

#include "platform/canvas.h"

#include <QFont>
#include <QRawFont>
#include <QRectF>
#include <QString>

#include <span>
#include <utility>
#include <vector>

namespace vx {

// The installed face that stands for a Windows face name ("Arial" ->
// "Liberation Sans"); a name not in the table is returned unchanged.
QString substituteFace(const QString& windowsFace);
// The table itself, Windows name -> installed face.
const std::vector<std::pair<QString, QString>>& faceSubstitutions();

// GDI's height for a point size on a device of `dpi` pixels per inch:
// -MulDiv(points, dpi, 72) (8 pt at 96 dpi -> -11).
int fontHeightForPoints(int points, int dpi = 96);

// Measurements on the reference device (logical pixels of 1/96 inch).
TextMetrics fontTextMetrics(const FontSpec& font);
// Width of the text: the rounded sum of its design advances (so equal to
// the sum of charAdvances).
int fontTextWidth(const FontSpec& font, const QString& text);
// Unrounded advance of every UTF-16 unit in pixels; fontTextWidth is their
// sum, taken in order and rounded halves up.
std::vector<double> fontDesignAdvances(const FontSpec& font, const QString& text);
// Integer advance of every UTF-16 unit (0 for the low half of a surrogate
// pair); rounded cumulatively so that the advances add up to the width.
std::vector<int> fontCharAdvances(const FontSpec& font, const QString& text);
// The same advances written into `out` (one per UTF-16 unit, at most
// out.size() of them); returns their sum, the text's width.
int fontCharAdvances(const FontSpec& font, const QString& text, std::span<int> out);

// The em size (pixel size) of the font on the reference device: -height for
// a negative height, the cell height scaled by the face's units per em over
// its Windows ascent + descent for a positive one; 0 gives the default 12pt.
double fontEmPixels(const FontSpec& font);

// A QFont for the spec at `scale` device pixels per logical pixel (1 on the
// reference device): substituted face, pixel size, weight, italic, underline,
// strike-out, stretch for a width; hinting off and design metrics on.
// Escapement is not applied (the canvas rotates the painter instead).
QFont qfontFor(const FontSpec& font, double scale = 1.0);

// The horizontal stretch (percent) qfontFor applies for a given width; 100
// when the font has the face's own width.
int fontStretch(const FontSpec& font);

// The face at the font's em size on the reference device (unhinted), for
// drawing glyphs at given positions; cached per FontSpec.
QRawFont fontRawFont(const FontSpec& font);

// The ink box of a glyph of fontRawFont(font), relative to its origin on
// the baseline (y down); empty for a blank glyph. Cached per FontSpec.
QRectF fontGlyphInk(const FontSpec& font, quint32 glyph);

} // namespace vx
