#include "platform/emf/dib.h"

#include "platform/byte_reader.h"

#include <QImageReader>

#include <algorithm>
#include <array>

namespace vx::emf {

namespace {

constexpr uint32_t BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_JPEG = 4, BI_PNG = 5,
                   BI_ALPHABITFIELDS = 6;

Checked<DibInfo> badHeader(const QString& what) {
    return Checked<DibInfo>::damaged(what);
}

Checked<QImage> badPixels(const QString& what) {
    return Checked<QImage>::damaged(what);
}

// One colour channel from a bit-field mask, scaled to 0..255.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;
    explicit Channel(uint32_t m = 0) : mask(m) {
        if (!m)
            return;
        while (!((m >> shift) & 1))
            ++shift;
        max = m >> shift;
    }
    int value(uint32_t pixel) const {
        if (!mask)
            return 0;
        const uint32_t v = (pixel & mask) >> shift;
        return max == 255 ? int(v) : int((uint64_t(v) * 255 + max / 2) / max);
    }
};

using Palette = std::array<QRgb, 256>;

Palette readPalette(const DibInfo& d, const char* info, uint32_t usage) {
    Palette pal;
    pal.fill(qRgb(0, 0, 0));
    const uint32_t n = std::min<uint32_t>(d.colorsUsed, 256);
    // DIB_PAL_COLORS tables hold 16-bit indices; colorsUsed was counted with
    // the larger RGBQUAD entries, so reading 2-byte entries stays inside.
    const uint32_t entrySize = usage == 1 ? 2 : d.colorEntrySize;
    for (uint32_t i = 0; i < n; ++i) {
        const uint8_t* p =
            reinterpret_cast<const uint8_t*>(info + d.colorTableOffset + i * entrySize);
        if (usage == 1) {
            // Palette indices into a palette the metafile did not carry:
            // drawn as grey levels.
            const int g = (p[0] | (p[1] << 8)) & 0xFF;
            pal[i] = qRgb(g, g, g);
        } else {
            pal[i] = qRgb(p[2], p[1], p[0]);
        }
    }
    if (d.bitCount == 1 && n == 0) {
        pal[0] = qRgb(0, 0, 0);
        pal[1] = qRgb(255, 255, 255);
    }
    return pal;
}

uint32_t pixelAt(const uint8_t* row, int x, int bits) {
    switch (bits) {
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
        return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF;
    case 8:
        return row[x];
    case 16:
        return uint32_t(row[2 * x] | (row[2 * x + 1] << 8));
    case 24:
        return uint32_t(row[3 * x] | (row[3 * x + 1] << 8) | (row[3 * x + 2] << 16));
    default:
        return uint32_t(row[4 * x]) | (uint32_t(row[4 * x + 1]) << 8) |
               (uint32_t(row[4 * x + 2]) << 16) | (uint32_t(row[4 * x + 3]) << 24);
    }
}

// Decodes RLE8/RLE4 into one palette index per pixel (bottom-up rows as
// stored). Every step checks the input left and the output position; the
// loop ends because each step consumes input.
std::optional<std::vector<uint8_t>> decodeRle(const DibInfo& d, const uint8_t* in, size_t size) {
    const int w = d.width, h = d.height;
    std::vector<uint8_t> out(size_t(w) * size_t(h), 0);
    const bool four = d.compression == BI_RLE4;
    int x = 0, y = 0;
    size_t i = 0;
    // x and y stop at the bitmap's edge: runs and deltas past it draw
    // nothing, and a long stream of them cannot overflow the counters.
    auto put = [&](uint8_t v) {
        if (x < w && y < h)
            out[size_t(y) * size_t(w) + size_t(x)] = v;
        x = std::min(x + 1, w);
    };
    while (i + 1 < size) {
        const uint8_t n = in[i], c = in[i + 1];
        i += 2;
        if (n > 0) {
            for (int k = 0; k < n && x < w; ++k)
                put(four ? ((k & 1) ? (c & 0xF) : (c >> 4)) : c);
            continue;
        }
        if (c == 0) { // end of line
            x = 0;
            ++y;
        } else if (c == 1) { // end of bitmap
            return out;
        } else if (c == 2) { // delta
            if (i + 1 >= size)
                return std::nullopt;
            x = std::min(x + in[i], w);
            y += in[i + 1];
            i += 2;
        } else { // absolute run of c pixels, padded to 16 bits
            const size_t bytes = four ? (size_t(c) + 1) / 2 : c;
            if (bytes > size - i)
                return std::nullopt;
            for (int k = 0; k < c; ++k)
                put(four ? ((k & 1) ? (in[i + k / 2] & 0xF) : (in[i + k / 2] >> 4)) : in[i + k]);
            i += (bytes + 1) & ~size_t(1);
        }
        if (y >= h)
            return out;
    }
    return out;
}

} // namespace

std::optional<size_t> dibStride(int32_t width, uint16_t bitCount) {
    if (width <= 0)
        return std::nullopt;
    const auto bits = checkedMul(size_t(width), bitCount);
    if (!bits)
        return std::nullopt;
    return ((*bits + 31) / 32) * 4;
}

Checked<DibInfo> readDibInfo(const char* info, size_t infoSize) {
    ByteReader r(info, infoSize);
    DibInfo d;
    d.headerSize = r.u32();
    if (!r.ok() || d.headerSize > infoSize || (d.headerSize != 12 && d.headerSize < 40)) {
        return badHeader(QStringLiteral("intestazione della bitmap non valida."));
    }
    if (d.headerSize == 12) {
        d.width = r.u16();
        d.height = r.u16();
        r.u16();
        d.bitCount = r.u16();
        d.colorEntrySize = 3;
    } else {
        d.width = r.i32();
        const int32_t height = r.i32();
        r.u16(); // planes
        d.bitCount = r.u16();
        d.compression = r.u32();
        d.sizeImage = r.u32();
        r.u32();
        r.u32();
        d.colorsUsed = r.u32();
        r.u32();
        if (height == std::numeric_limits<int32_t>::min()) {
            return badHeader(QStringLiteral("altezza della bitmap non valida."));
        }
        d.topDown = height < 0;
        d.height = height < 0 ? -height : height;
        if (d.headerSize >= 52) {
            d.masks[0] = r.u32();
            d.masks[1] = r.u32();
            d.masks[2] = r.u32();
            if (d.headerSize >= 56)
                d.masks[3] = r.u32();
        }
    }
    if (!r.ok()) {
        return badHeader(QStringLiteral("intestazione della bitmap troncata."));
    }
    d.colorTableOffset = d.headerSize;
    if (d.headerSize == 40 &&
        (d.compression == BI_BITFIELDS || d.compression == BI_ALPHABITFIELDS)) {
        const int n = d.compression == BI_ALPHABITFIELDS ? 4 : 3;
        if (infoSize < 40 + size_t(n) * 4) {
            return badHeader(QStringLiteral("maschere dei colori della bitmap mancanti."));
        }
        for (int i = 0; i < n; ++i)
            d.masks[i] = r.u32();
        d.colorTableOffset += uint32_t(n) * 4;
    }
    const bool embedded = d.compression == BI_JPEG || d.compression == BI_PNG;
    if (d.width <= 0 || d.height <= 0 || d.width > kMaxDibSide || d.height > kMaxDibSide ||
        int64_t(d.width) * d.height > kMaxDibPixels) {
        return badHeader(QStringLiteral("dimensioni della bitmap non valide (%1 x %2).")
                             .arg(d.width)
                             .arg(d.height));
    }
    const uint16_t bc = d.bitCount;
    if (!embedded && bc != 1 && bc != 4 && bc != 8 && bc != 16 && bc != 24 && bc != 32) {
        return badHeader(QStringLiteral("profondità di colore non gestita (%1 bit).").arg(bc));
    }
    if (d.compression > BI_ALPHABITFIELDS || (d.compression == BI_RLE8 && bc != 8) ||
        (d.compression == BI_RLE4 && bc != 4)) {
        return badHeader(
            QStringLiteral("compressione della bitmap non gestita (%1).").arg(d.compression));
    }
    if (!embedded && bc <= 8) {
        const uint32_t full = 1u << bc;
        uint32_t n = d.colorsUsed ? std::min(d.colorsUsed, full) : full;
        // Some writers store a shorter table than they declare: use what fits.
        const size_t fits = (infoSize - d.colorTableOffset) / d.colorEntrySize;
        d.colorsUsed = uint32_t(std::min<size_t>(n, fits));
    } else {
        d.colorsUsed = 0;
    }
    if ((d.compression == BI_BITFIELDS || d.compression == BI_ALPHABITFIELDS) && bc != 16 &&
        bc != 32) {
        return badHeader(QStringLiteral("maschere dei colori con %1 bit per pixel.").arg(bc));
    }
    return d;
}

Checked<QImage> decodeDib(const char* info, size_t infoSize, const char* bits, size_t bitsSize,
                          uint32_t usage, bool premultipliedAlpha) {
    const Checked<DibInfo> di = readDibInfo(info, infoSize);
    if (!di)
        return badPixels(di.damage());
    const DibInfo& d = *di;
    if (d.compression == BI_JPEG || d.compression == BI_PNG) {
        QImage img = QImage::fromData(reinterpret_cast<const uchar*>(bits),
                                      int(std::min<size_t>(bitsSize, INT_MAX)));
        if (img.isNull())
            return badPixels(QStringLiteral("immagine incorporata non leggibile."));
        return img;
    }
    const bool alpha =
        d.masks[3] != 0 && (d.compression == BI_BITFIELDS || d.compression == BI_ALPHABITFIELDS);
    const bool premul = premultipliedAlpha && d.compression == BI_RGB && d.bitCount == 32;
    QImage img(d.width, d.height,
               premul ? QImage::Format_ARGB32_Premultiplied
                      : (alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32));
    if (img.isNull())
        return badPixels(QStringLiteral("memoria insufficiente per la bitmap."));
    img.fill(qRgb(255, 255, 255));
    const Palette pal = readPalette(d, info, usage);
    const auto* in = reinterpret_cast<const uint8_t*>(bits);

    if (d.compression == BI_RLE8 || d.compression == BI_RLE4) {
        const std::optional<std::vector<uint8_t>> idx = decodeRle(d, in, bitsSize);
        if (!idx)
            return badPixels(QStringLiteral("dati compressi della bitmap danneggiati."));
        for (int y = 0; y < d.height; ++y) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(d.height - 1 - y));
            const uint8_t* src = idx->data() + size_t(y) * size_t(d.width);
            for (int x = 0; x < d.width; ++x)
                line[x] = pal[src[x]];
        }
        return img;
    }

    const size_t stride = *dibStride(d.width, d.bitCount);
    const size_t rows = std::min<size_t>(size_t(d.height), bitsSize / stride);
    if (rows == 0)
        return badPixels(QStringLiteral("i pixel della bitmap mancano."));
    uint32_t masks[4] = {d.masks[0], d.masks[1], d.masks[2], d.masks[3]};
    if (d.compression == BI_RGB) {
        if (d.bitCount == 16) {
            masks[0] = 0x7C00;
            masks[1] = 0x03E0;
            masks[2] = 0x001F;
        } else {
            masks[0] = 0xFF0000;
            masks[1] = 0x00FF00;
            masks[2] = 0x0000FF;
        }
        masks[3] = 0;
    }
    const Channel cr(masks[0]), cg(masks[1]), cb(masks[2]), ca(masks[3]);
    for (size_t row = 0; row < rows; ++row) {
        const uint8_t* src = in + row * stride;
        const int y = d.topDown ? int(row) : d.height - 1 - int(row);
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        if (d.bitCount <= 8) {
            for (int x = 0; x < d.width; ++x)
                line[x] = pal[pixelAt(src, x, d.bitCount)];
        } else if (premultipliedAlpha && d.compression == BI_RGB && d.bitCount == 32) {
            for (int x = 0; x < d.width; ++x)
                line[x] = qRgba(src[4 * x + 2], src[4 * x + 1], src[4 * x], src[4 * x + 3]);
        } else if (d.compression == BI_RGB && d.bitCount >= 24) {
            const int step = d.bitCount / 8;
            for (int x = 0; x < d.width; ++x)
                line[x] = qRgb(src[step * x + 2], src[step * x + 1], src[step * x]);
        } else {
            for (int x = 0; x < d.width; ++x) {
                const uint32_t p = pixelAt(src, x, d.bitCount);
                line[x] = alpha ? qRgba(cr.value(p), cg.value(p), cb.value(p), ca.value(p))
                                : qRgb(cr.value(p), cg.value(p), cb.value(p));
            }
        }
    }
    return img;
}

} // namespace vx::emf
