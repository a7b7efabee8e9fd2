#pragma once

// Memory for large page images. A rendered page is several megabytes that
// are all written at once (filled white, then drawn); taken in 4 KiB pages
// the kernel stops the program at the first touch of each of them (about a
// thousand times for an A4 page at 96 dpi, a large part of rendering one
// page in a short-lived process). Asked for in huge pages where the system
// offers them, the same memory arrives in a few steps.

#include <QImage>

namespace vx {

// A width x height image of `format`, its contents undefined. Large images
// live in memory advised for huge pages; small ones, or where that memory
// cannot be had, are ordinary QImages. Null when the image is too large
// for QImage.
QImage newPageImage(int width, int height, QImage::Format format);

} // namespace vx
