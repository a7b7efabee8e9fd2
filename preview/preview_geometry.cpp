#include "preview/preview_geometry.h"

#include "platform/coord.h"

#include <algorithm>
#include <cmath>

namespace vx::preview {

int roundEven(double value) {
    return toCoord(value, CoordRounding::HalfEven, int32_t(kCoordinateLimit));
}

namespace {

int64_t clampCoordinate(int64_t v) {
    return std::clamp(v, -kCoordinateLimit, kCoordinateLimit);
}

bool rowEndsAfter(int index, TPreviewZoomMode mode) {
    return mode != zmTwoPages || (index % 2) == 1;
}

} // namespace

PageScale pageScale(const PageExtent& page, double zoom) {
    PageScale s;
    s.w = double(page.paperWidth) * 794.0 / 2100.0 * zoom / 100.0;
    s.h = double(page.paperHeight) * 794.0 / 2100.0 * zoom / 100.0;
    // A damaged page without a picture size still gets a finite scale.
    s.sx = s.w / double(std::max(page.pictureWidth, 1));
    s.sy = s.h / double(std::max(page.pictureHeight, 1));
    return s;
}

LargestPage largestPage(const std::vector<PageExtent>& pages) {
    LargestPage largest;
    for (const PageExtent& p : pages) {
        largest.widest = std::max(largest.widest, roundEven(double(p.paperWidth) * 794.0 / 2100.0));
        largest.tallest =
            std::max(largest.tallest, roundEven(double(p.paperHeight) * 794.0 / 2100.0));
    }
    return largest;
}

int pageLeft(int index, double w, const ViewState& view) {
    const double W = view.panelWidth;
    if (roundEven(w - W) > 0)
        return kMargin; // wider than the panel: not centred
    if (view.mode == zmTwoPages) {
        const double half = (W / 2 - w - 2) / 2;
        return (index % 2) == 0 ? roundEven(half) : roundEven(half + W / 2);
    }
    return roundEven((W - (w + kCentring) - 2) / 2) + kMargin;
}

ScrollRange horizontalRange(const ViewState& view) {
    const int64_t d =
        int64_t(roundEven(double(view.widestPage) * view.zoom / 100.0)) - view.panelWidth;
    if (d < 1)
        return {0, false};
    return {int(clampCoordinate(d + kCentring)), true};
}

namespace {

ScrollRange verticalFromTotal(int64_t total, int panelHeight) {
    const int64_t v = total - panelHeight;
    if (v < 1)
        return {0, false};
    return {int(clampCoordinate(v)), true};
}

} // namespace

PaintPass layoutPaint(const std::vector<PageExtent>& pages, const ViewState& view,
                      const EdgeRect& clip, bool dryRun) {
    PaintPass pass;
    int64_t y = kMargin - int64_t(view.vpos); // top of the current row
    int64_t total = kMargin;
    int64_t rowHeight = 0;
    for (int i = 0; i < int(pages.size()); ++i) {
        const PageScale s = pageScale(pages[size_t(i)], view.zoom);
        if (!dryRun) {
            if (y <= kMargin) {
                pass.topPage = i + 1;
                // Kept for every page at or above the margin, not only for
                // pages inside the clip: after a strip repaint the fraction
                // must still describe the page at the top.
                pass.hasFraction = true;
                pass.pageFraction = s.h > 0 ? double(kMargin - y) / s.h : 0.0;
            }
            const int yi = int(clampCoordinate(y));
            if (clip.Bottom >= y && clip.Top <= roundEven(s.h + double(y) + 1)) {
                const int x = pageLeft(i, s.w, view) - view.hpos;
                PagePlacement p;
                p.index = i;
                p.frame = {x, yi, roundEven(s.w + x + 1), roundEven(s.h + double(yi) + 1)};
                p.picture = {p.frame.Left, p.frame.Top, p.frame.Right - 1, p.frame.Bottom - 1};
                p.sx = s.sx;
                p.sy = s.sy;
                pass.pages.push_back(p);
            }
        }
        rowHeight = std::max<int64_t>(rowHeight, roundEven(s.h));
        if (rowEndsAfter(i, view.mode)) {
            y = clampCoordinate(y + rowHeight + kRowGap);
            total = clampCoordinate(total + rowHeight + kRowGap);
            rowHeight = 0;
        }
    }
    // The last row of two-page mode holds one page when the count is odd;
    // it counts towards the scroll range like every other row.
    if (rowHeight > 0)
        total = clampCoordinate(total + rowHeight + kRowGap);
    if (!dryRun && view.mode == zmTwoPages && pass.topPage > 1 && pass.topPage % 2 == 0)
        pass.topPage -= 1; // the row's left page is the current page
    pass.vertical = verticalFromTotal(total, view.panelHeight);
    pass.horizontal = horizontalRange(view);
    return pass;
}

ScrollRange verticalRange(const std::vector<PageExtent>& pages, const ViewState& view) {
    return layoutPaint(pages, view, EdgeRect{}, true).vertical;
}

int rowsAbove(const std::vector<PageExtent>& pages, const ViewState& view, int page) {
    int64_t y = 0;
    int64_t rowHeight = 0;
    const int last = std::min<int>(page - 1, int(pages.size()));
    for (int i = 0; i < last; ++i) {
        rowHeight =
            std::max<int64_t>(rowHeight, roundEven(pageScale(pages[size_t(i)], view.zoom).h));
        if (rowEndsAfter(i, view.mode)) {
            y = clampCoordinate(y + rowHeight + kRowGap);
            rowHeight = 0;
        }
    }
    return int(y);
}

Point pageOrigin(const std::vector<PageExtent>& pages, const ViewState& view, int index) {
    if (index < 0 || index >= int(pages.size()))
        return {};
    const PageScale s = pageScale(pages[size_t(index)], view.zoom);
    return {pageLeft(index, s.w, view) - view.hpos,
            int(clampCoordinate(int64_t(kMargin) - view.vpos + rowsAbove(pages, view, index + 1)))};
}

int horizontalPositionAfterZoom(int horizontalMaximum) {
    return horizontalMaximum > kCentreScrollLimit ? 0 : horizontalMaximum / 2;
}

double zoomForMode(TPreviewZoomMode mode, double currentZoom, int panelWidth, int panelHeight,
                   const LargestPage& largest) {
    const double wp = double(panelWidth) - kCentring;
    const double hp = double(panelHeight) - kCentring;
    double zoom = currentZoom;
    switch (mode) {
    case zmPercent:
        return currentZoom;
    case zmPageWidth:
        zoom = wp / largest.widest * 100.0;
        break;
    case zmOnePage:
    case zmTwoPages: {
        double d = mode == zmOnePage ? wp / largest.widest : wp / (2.0 * largest.widest);
        if (hp < largest.tallest * d)
            d = d * hp / (largest.tallest * d);
        zoom = d * 100.0;
        break;
    }
    }
    if (!std::isfinite(zoom))
        return currentZoom;
    // A panel narrower than the margins would give a zoom of 0 or less.
    return std::clamp(zoom, kMinZoom, kMaxZoom);
}

QStringList zoomListEntries() {
    return {QStringLiteral("200%"), QStringLiteral("150%"), QStringLiteral("100%"),
            QStringLiteral("75%"),  QStringLiteral("50%"),  QStringLiteral("25%"),
            kZoomPageWidth,         kZoomOnePage,           kZoomTwoPages};
}

ZoomRequest parseZoomText(const QString& text, QChar decimalSeparator) {
    ZoomRequest r;
    if (text == kZoomPageWidth || text == kZoomOnePage || text == kZoomTwoPages) {
        r.kind = ZoomRequest::Kind::Mode;
        r.mode = text == kZoomPageWidth ? zmPageWidth
                 : text == kZoomOnePage ? zmOnePage
                                        : zmTwoPages;
        return r;
    }
    QString t = text;
    const qsizetype percent = t.indexOf(QLatin1Char('%'));
    if (percent >= 0 && percent == t.size() - 1)
        t.chop(1);
    const qsizetype sep = t.indexOf(decimalSeparator);
    if (sep >= 0)
        t[sep] = QLatin1Char('.');
    bool ok = false;
    const double value = t.toDouble(&ok);
    // A pasted negative number or an absurd size is refused like a bad text.
    if (!ok || !std::isfinite(value) || value < kMinZoom || value > kMaxZoom)
        return r;
    r.kind = ZoomRequest::Kind::Percent;
    r.zoom = value;
    return r;
}

QString formatZoomText(double zoom, QChar decimalSeparator) {
    const double whole = std::trunc(zoom);
    const double shown = whole + std::nearbyint((zoom - whole) * 10.0) / 10.0;
    QString s = QString::number(shown, 'g', 15);
    s.replace(QLatin1Char('.'), decimalSeparator);
    return s + QLatin1Char('%');
}

bool zoomBoxAccepts(QChar c, QChar decimalSeparator) {
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('%') ||
           c == QLatin1Char('\b') || c == decimalSeparator;
}

QString pageBoxText(int currentPage, int pageCount) {
    return QStringLiteral("Pagina %1/%2").arg(currentPage).arg(pageCount) +
           QString(10, QLatin1Char(' '));
}

} // namespace vx::preview
