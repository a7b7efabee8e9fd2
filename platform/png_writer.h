#pragma once

// PNG encoding tuned for rendered pages: rows unfiltered, deflated at zlib's
// fastest level. A page of text and rules is mostly long runs of one colour,
// which deflate finds by itself; the adaptive row filters a general writer
// tries on every row cost more time than they save bytes on such images
// (on a dense invoice page the file is even smaller than with them). A
// large image is deflated in two halves at once.

#include <QByteArray>
#include <QImage>

namespace vx {

// `image` as a complete PNG file: 8-bit RGB when the image is opaque, RGBA
// (not premultiplied) when it has an alpha channel, with its resolution
// (dots per metre) when it has one. Returns an empty array when the image
// is null or zlib fails.
QByteArray encodePng(const QImage& image);

} // namespace vx
