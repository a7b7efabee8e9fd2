#pragma once

// Page geometry of the preview window, as plain functions that need no
// window: the shown size of a page at a zoom, where each page stands in the
// paint panel (one below the other, or two side by side), the scroll ranges,
// the zoom of each zoom mode and the zoom box texts.
//
// Every conversion of a real to an integer rounds to the nearest integer
// with ties to even, unless a function says otherwise.

#include "platform/canvas.h"
#include "platform/edge_rect.h"

#include <QChar>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

namespace vx {

// Tenths of a millimetre to screen pixels at 100 %: an A4 page (2100 wide)
// is 794 pixels wide.
inline constexpr double PageUnitToPixel = 794.0 / 2100.0;

namespace preview {

inline constexpr int kMargin = 10;            // top and left margin, pixels
inline constexpr int kRowGap = 12;            // gap between rows of pages
inline constexpr int kCentring = 20;          // window-centring allowance
inline constexpr int kShadow = 3;             // page shadow offset
inline constexpr Color kPanelColor{0xC0C0C0}; // silver
// The horizontal bar is centred after a zoom change only when its range is
// this small; a wider range goes back to 0.
inline constexpr int kCentreScrollLimit = 70;
// Zooms outside this range are refused (typed) or clamped (computed for a
// zoom mode): beyond them page sizes and scroll ranges would leave the
// 32-bit range with reports of many pages.
inline constexpr double kMinZoom = 0.1;
inline constexpr double kMaxZoom = 3200.0;
// Coordinates are kept within this bound before they become ints.
inline constexpr int64_t kCoordinateLimit = 1'000'000'000;

// Round half to even, clamped to +-kCoordinateLimit (NaN gives 0).
int roundEven(double value);

} // namespace preview

enum TPreviewZoomMode : uint8_t { zmPercent = 0, zmPageWidth = 1, zmOnePage = 2, zmTwoPages = 3 };

namespace preview {

// What the layout needs of a prepared page.
struct PageExtent {
    int32_t paperWidth = 0;  // tenths of a millimetre
    int32_t paperHeight = 0; // tenths of a millimetre
    int pictureWidth = 0;    // picture units (the metafile's width)
    int pictureHeight = 0;
};

// Shown size (pixels, reals) and picture-to-panel scales of a page at a zoom.
struct PageScale {
    double w = 0;
    double h = 0;
    double sx = 0;
    double sy = 0;
};
PageScale pageScale(const PageExtent& page, double zoom);

// Largest round(PaperWidth x 794/2100) and round(PaperHeight x 794/2100)
// over the pages (at least 1 each, so that zoom modes never divide by 0).
struct LargestPage {
    int widest = 1;
    int tallest = 1;
};
LargestPage largestPage(const std::vector<PageExtent>& pages);

// The view the layout is computed for.
struct ViewState {
    double zoom = 100.0;
    TPreviewZoomMode mode = zmPercent;
    int panelWidth = 0;  // W, client width of the paint panel
    int panelHeight = 0; // H
    int vpos = 0;        // V, vertical scroll position
    int hpos = 0;        // P, horizontal scroll position
    int widestPage = 1;  // at 100 %
};

// A page that meets the repainted area: its frame (white, black border) and
// the rectangle its picture is played into (the frame less its right and
// bottom border lines).
struct PagePlacement {
    int index = 0;
    EdgeRect frame;
    EdgeRect picture;
    double sx = 0;
    double sy = 0;
};

struct ScrollRange {
    int maximum = 0;
    bool enabled = false;
    bool operator==(const ScrollRange&) const = default;
};

// The result of one pass of the panel's paint.
struct PaintPass {
    std::vector<PagePlacement> pages; // pages meeting the clip, in order
    int topPage = 1;                  // page (from 1) at the top of the panel
    bool hasFraction = false;         // a page stands at or above the top margin
    double pageFraction = 0;          // how far it is scrolled above the margin / its height
    ScrollRange vertical;
    ScrollRange horizontal;
};

// The paint of the panel over `clip` (panel pixels). A dry run computes only
// the scroll ranges (no pages, top page or fraction).
PaintPass layoutPaint(const std::vector<PageExtent>& pages, const ViewState& view,
                      const EdgeRect& clip, bool dryRun);

// The scroll ranges alone (what a dry run sets).
ScrollRange verticalRange(const std::vector<PageExtent>& pages, const ViewState& view);
ScrollRange horizontalRange(const ViewState& view);

// Left edge of page `index` before the horizontal scroll is subtracted.
int pageLeft(int index, double shownWidth, const ViewState& view);

// Sum of (row height + gap) over the rows that end before page `page` (from 1).
int rowsAbove(const std::vector<PageExtent>& pages, const ViewState& view, int page);

// Top-left corner of page `index` (from 0) in panel coordinates.
struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};
Point pageOrigin(const std::vector<PageExtent>& pages, const ViewState& view, int index);

// The horizontal position after a zoom change: 0 when the range exceeds 70,
// else its middle.
int horizontalPositionAfterZoom(int horizontalMaximum);

// The zoom of a zoom mode for a panel of width x height; zmPercent keeps
// `currentZoom`. The result is kept within kMinZoom..kMaxZoom.
double zoomForMode(TPreviewZoomMode mode, double currentZoom, int panelWidth, int panelHeight,
                   const LargestPage& largest);

// Zoom box list entries, in order.
QStringList zoomListEntries();
inline const QString kZoomPageWidth = QStringLiteral("Larghezza");
inline const QString kZoomOnePage = QStringLiteral("Una pagina");
inline const QString kZoomTwoPages = QStringLiteral("Due pagine");

// What a zoom box text asks for.
struct ZoomRequest {
    enum class Kind { Mode, Percent, Invalid };
    Kind kind = Kind::Invalid;
    TPreviewZoomMode mode = zmPercent; // Kind::Mode
    double zoom = 0;                   // Kind::Percent
};
// "Larghezza" / "Una pagina" / "Due pagine" give their mode; otherwise a
// trailing "%" (when it is the first one) is dropped, the first decimal
// separator becomes "." and the text must be a number above 0 and at most
// kMaxZoom.
ZoomRequest parseZoomText(const QString& text, QChar decimalSeparator);

// The zoom box text of a zoom: Int(zoom) + round(Frac(zoom) x 10) / 10 in the
// shortest form with the locale's decimal separator, then "%".
QString formatZoomText(double zoom, QChar decimalSeparator);

// Whether a typed character may enter the zoom box (digits, "%", backspace,
// the decimal separator).
bool zoomBoxAccepts(QChar c, QChar decimalSeparator);

// "Pagina " + current + "/" + count + ten blanks.
QString pageBoxText(int currentPage, int pageCount);

} // namespace preview
} // namespace vx
