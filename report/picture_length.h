#pragma once

// Where a picture stored in a template ends: the bitmap, metafile or icon at
// the start of a record's picture bytes, checked against its own header.
// The bytes after it, up to the record's end offset, are not part of it.

#include <QByteArray>

#include <cstdint>

namespace vx {

// The length of the picture of that kind (1 bitmap, 2 metafile, 3 icon) at
// the start of `bytes`, or -1 when the bytes do not hold a whole, readable
// picture of that kind.
qsizetype storedPictureLength(uint8_t kind, const QByteArray& bytes);

} // namespace vx
