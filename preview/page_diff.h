#pragma once

// Pixel comparison of two rendered pages, for `vxtool diff`: how many
// pixels differ, and a picture of the differences (the first page faded,
// the differing pixels red over it).

#include <QImage>

namespace vx::preview {

struct PageDifference {
    qint64 pixels = 0; // differing pixels, over the larger of both sizes
    QImage picture;    // the first page faded with the differing pixels red
};

// A pixel differs when one of its colour channels differs by more than
// `tolerance` (0..255), or when it lies on one page only (pages of
// different sizes).
PageDifference comparePages(const QImage& a, const QImage& b, int tolerance);

} // namespace vx::preview
