#pragma once

// A prepared page drawn as the preview window draws it at a zoom, into an
// image: the page's picture rectangle at that zoom, white, with the picture
// played record by record (fonts at the zoomed size, text spaced to its
// recorded width), or as SVG. Used by `vxtool render`, `vxtool diff` and
// the benchmarks.

#include "preview/page_playback.h"

#include <QImage>

namespace vx {

struct PreparedPageInfo;

namespace preview {

// The playback request DrawPage builds for page `pageIndex` played into
// `dest` at `zoom` (another device than the panel: nothing is culled).
PlaybackRequest pageRequest(const PreparedPageInfo& page, int pageIndex, double zoom,
                            const EdgeRect& dest);

// The picture rectangle of the page at `zoom`, with its top-left corner at 0.
EdgeRect pagePictureRect(const PreparedPageInfo& page, double zoom);

// Largest image rendered (pixels); a larger page at that zoom is refused.
inline constexpr int64_t kMaxRenderPixels = 200LL * 1000 * 1000;

// The page rendered at `zoom` percent. Throws VxError when the image would
// exceed kMaxRenderPixels.
QImage renderPage(const PreparedPageInfo& page, int pageIndex, double zoom);

// The same drawing as an SVG document (Qt SVG), `zoom` percent giving its
// size in pixels of 1/96 inch.
QByteArray renderPageSvg(const PreparedPageInfo& page, int pageIndex, double zoom);

} // namespace preview
} // namespace vx
