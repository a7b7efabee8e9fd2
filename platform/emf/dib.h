#pragma once

// Decoding of device-independent bitmaps (DIBs) as metafile records carry
// them: BITMAPCOREHEADER, BITMAPINFOHEADER, V4 and V5 headers; 1, 4, 8, 16,
// 24 and 32 bits per pixel, bit fields, RLE4/RLE8, bottom-up and top-down;
// embedded JPEG/PNG. The header and colour table are read from `info`, the
// pixels from `bits`; every size is checked before any allocation.

#include "platform/emf/emf_reader.h"

#include <QImage>
#include <QString>

#include <cstdint>
#include <optional>

namespace vx::emf {

// Largest bitmap decoded: 64 megapixels (a 256 MB ARGB image) is far above an
// A3 page at 600 dpi (about 70 million pixels would be 300 dpi A1); anything
// bigger in a page picture is damage, not content.
inline constexpr int64_t kMaxDibPixels = 64ll * 1024 * 1024;
// Widest or tallest bitmap side accepted.
inline constexpr int32_t kMaxDibSide = 1 << 16;

struct DibInfo {
    uint32_t headerSize = 0;
    int32_t width = 0;
    int32_t height = 0; // positive; topDown tells the row order
    bool topDown = false;
    uint16_t bitCount = 0;
    uint32_t compression = 0;         // BI_RGB 0, RLE8 1, RLE4 2, BITFIELDS 3, JPEG 4, PNG 5
    uint32_t colorsUsed = 0;          // entries of the colour table read
    uint32_t masks[4] = {0, 0, 0, 0}; // red, green, blue, alpha bit fields
    uint32_t sizeImage = 0;
    uint32_t colorTableOffset = 0; // from the start of info
    uint32_t colorEntrySize = 4;   // 3 with BITMAPCOREHEADER
};

// Reads and validates the header (not the pixels).
Checked<DibInfo> readDibInfo(const char* info, size_t infoSize);

// Bytes of one uncompressed row (rows are padded to 32 bits).
std::optional<size_t> dibStride(int32_t width, uint16_t bitCount);

// Decodes a DIB to an image (Format_RGB32, or ARGB32 when the bitmap has an
// alpha mask). `usage` 1 (DIB_PAL_COLORS) takes the colour table as palette
// indices, drawn as grey levels. `premultipliedAlpha` reads the fourth byte
// of 32-bit pixels as premultiplied alpha (AlphaBlend sources).
Checked<QImage> decodeDib(const char* info, size_t infoSize, const char* bits, size_t bitsSize,
                          uint32_t usage = 0, bool premultipliedAlpha = false);

} // namespace vx::emf
