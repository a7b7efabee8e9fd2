#include "platform/png_writer.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <system_error>
#include <thread>
#include <vector>

namespace vx {

namespace {

constexpr char kSignature[] = "\x89PNG\r\n\x1a\n";
constexpr uint8_t kColourRgb = 2;
constexpr uint8_t kColourRgba = 6;
constexpr uint8_t kFilterNone = 0;
// zlib's largest output chunk appended at a time while deflating.
constexpr size_t kDeflateChunk = 256 * 1024;

void appendBigEndian32(QByteArray& out, uint32_t v) {
    const char bytes[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    out.append(bytes, 4);
}

// A chunk: length, type, data, CRC of type and data.
void appendChunk(QByteArray& out, const char (&type)[5], const QByteArray& data) {
    appendBigEndian32(out, uint32_t(data.size()));
    const qsizetype start = out.size();
    out.append(type, 4);
    out.append(data);
    const auto* crcStart = reinterpret_cast<const Bytef*>(out.constData() + start);
    appendBigEndian32(out, uint32_t(crc32(0, crcStart, uInt(data.size() + 4))));
}

QByteArray headerChunk(const QImage& image, bool alpha) {
    QByteArray ihdr;
    appendBigEndian32(ihdr, uint32_t(image.width()));
    appendBigEndian32(ihdr, uint32_t(image.height()));
    const char rest[5] = {8, char(alpha ? kColourRgba : kColourRgb), 0, 0, 0};
    ihdr.append(rest, 5);
    return ihdr;
}

// pHYs: pixels per metre in x and y, unit metre.
QByteArray resolutionChunk(const QImage& image) {
    QByteArray phys;
    appendBigEndian32(phys, uint32_t(image.dotsPerMeterX()));
    appendBigEndian32(phys, uint32_t(image.dotsPerMeterY()));
    phys.append(char(1));
    return phys;
}

// One row as PNG bytes: the filter type, then R G B [A] per pixel.
void packRow(const QRgb* pixels, int width, bool alpha, uint8_t* row) {
    *row++ = kFilterNone;
    for (int x = 0; x < width; ++x) {
        const QRgb c = pixels[x];
        *row++ = uint8_t(qRed(c));
        *row++ = uint8_t(qGreen(c));
        *row++ = uint8_t(qBlue(c));
        if (alpha)
            *row++ = uint8_t(qAlpha(c));
    }
}

// Feeds `size` bytes to the stream, growing `out` as deflate fills it.
// With Z_SYNC_FLUSH until everything is written out on a byte boundary,
// with Z_FINISH until the stream's end is written.
bool deflateInto(z_stream& zs, QByteArray& out, const uint8_t* data, size_t size, int flush) {
    zs.next_in = const_cast<Bytef*>(data);
    zs.avail_in = uInt(size);
    for (;;) {
        if (zs.avail_out == 0) {
            const qsizetype used = out.size();
            out.resize(used + qsizetype(kDeflateChunk));
            zs.next_out = reinterpret_cast<Bytef*>(out.data() + used);
            zs.avail_out = uInt(kDeflateChunk);
        }
        const int rc = deflate(&zs, flush);
        if (rc == Z_STREAM_END)
            return true;
        // Z_BUF_ERROR only means "no room left": the next turn makes room.
        if (rc != Z_OK && !(rc == Z_BUF_ERROR && zs.avail_out == 0))
            return false;
        if (zs.avail_in == 0 && (flush == Z_NO_FLUSH || (flush == Z_SYNC_FLUSH && zs.avail_out)))
            return true;
    }
}

// The rows [firstRow, endRow) deflated as a raw stream of their own. A part
// after the first starts from the 32 KiB of image data before it as its
// dictionary, so splitting costs almost no compression; all parts but the
// last end on a byte boundary, so that they can be joined.
struct Part {
    int firstRow = 0;
    int endRow = 0;
    bool last = false;
    QByteArray out;
    uLong adler = 1; // Adler-32 of the part's bytes, for the whole's checksum
    size_t length = 0;
    bool ok = false;
};

constexpr size_t kWindow = 32768;

void setDictionary(const QImage& image, bool alpha, z_stream& zs, int firstRow, size_t rowBytes) {
    const int rows = int(std::min<size_t>(size_t(firstRow), (kWindow + rowBytes - 1) / rowBytes));
    std::vector<uint8_t> before(size_t(rows) * rowBytes);
    for (int i = 0; i < rows; ++i)
        packRow(reinterpret_cast<const QRgb*>(image.constScanLine(firstRow - rows + i)),
                image.width(), alpha, before.data() + size_t(i) * rowBytes);
    const size_t take = std::min(kWindow, before.size());
    deflateSetDictionary(&zs, before.data() + before.size() - take, uInt(take));
}

void deflatePart(const QImage& image, bool alpha, Part& part) {
    z_stream zs{};
    if (deflateInit2(&zs, Z_BEST_SPEED, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return;
    const size_t rowBytes = 1 + size_t(image.width()) * (alpha ? 4 : 3);
    if (part.firstRow > 0)
        setDictionary(image, alpha, zs, part.firstRow, rowBytes);
    std::vector<uint8_t> row(rowBytes);
    bool ok = true;
    for (int y = part.firstRow; ok && y < part.endRow; ++y) {
        packRow(reinterpret_cast<const QRgb*>(image.constScanLine(y)), image.width(), alpha,
                row.data());
        part.adler = adler32(part.adler, row.data(), uInt(rowBytes));
        ok = deflateInto(zs, part.out, row.data(), rowBytes, Z_NO_FLUSH);
    }
    ok = ok && deflateInto(zs, part.out, nullptr, 0, part.last ? Z_FINISH : Z_SYNC_FLUSH);
    part.out.resize(qsizetype(zs.total_out));
    part.length = size_t(part.endRow - part.firstRow) * rowBytes;
    part.ok = ok;
    deflateEnd(&zs);
}

// Below this many bytes of image data one stream is as quick.
constexpr qsizetype kMinBytesToSplit = 1 << 20;

// The image data as one zlib stream: a header, the parts' deflate data in
// order, the Adler-32 of all rows. A large image is deflated as two parts,
// the second on another thread where the machine has a second core; the
// bytes written are the same either way.
bool deflateRows(const QImage& image, bool alpha, QByteArray& data) {
    const int height = image.height();
    const int parts = image.sizeInBytes() >= kMinBytesToSplit && height > 1 ? 2 : 1;
    std::vector<Part> part(static_cast<size_t>(parts));
    for (int i = 0; i < parts; ++i) {
        part[size_t(i)].firstRow = int(int64_t(height) * i / parts);
        part[size_t(i)].endRow = int(int64_t(height) * (i + 1) / parts);
        part[size_t(i)].last = i == parts - 1;
    }
    std::thread second;
    if (parts == 2 && std::thread::hardware_concurrency() > 1) {
        try {
            second = std::thread([&] {
                try {
                    deflatePart(image, alpha, part[1]);
                } catch (...) { // out of memory: the part stays not ok
                }
            });
        } catch (const std::system_error&) { // no thread: both parts here
        }
    }
    deflatePart(image, alpha, part[0]);
    if (second.joinable())
        second.join();
    else if (parts == 2)
        deflatePart(image, alpha, part[1]);

    // CMF 0x78 (deflate, 32 KiB window), FLG 0x01 (fastest level, check bits).
    data.append("\x78\x01", 2);
    uLong adler = 1;
    for (const Part& p : part) {
        if (!p.ok)
            return false;
        data.append(p.out);
        adler = adler32_combine(adler, p.adler, z_off_t(p.length));
    }
    appendBigEndian32(data, uint32_t(adler));
    return true;
}

} // namespace

QByteArray encodePng(const QImage& image) {
    if (image.isNull())
        return {};
    const bool alpha = image.hasAlphaChannel();
    const QImage pixels =
        image.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    QByteArray data;
    if (!deflateRows(pixels, alpha, data))
        return {};
    QByteArray png(kSignature, sizeof kSignature - 1);
    png.reserve(data.size() + 128);
    appendChunk(png, "IHDR", headerChunk(pixels, alpha));
    if (pixels.dotsPerMeterX() > 0 && pixels.dotsPerMeterY() > 0)
        appendChunk(png, "pHYs", resolutionChunk(pixels));
    appendChunk(png, "IDAT", data);
    appendChunk(png, "IEND", {});
    return png;
}

} // namespace vx
