#pragma once

// Builds enhanced-metafile bytes record by record for tests (hand-made
// pictures for each record family, and damaged ones).

#include "platform/byte_writer.h"
#include "platform/emf/emf_constants.h"
#include "tests/support/record_words.h"

#include <QByteArray>
#include <QSize>
#include <QString>

#include <initializer_list>

namespace vx::test {

class EmfTestBuilder {
public:
    // Reference device: 96 dpi, A4-ish (794 x 1123 px, 210 x 297 mm).
    int devicePxX = 794, devicePxY = 1123, deviceMmX = 210, deviceMmY = 297;
    int frameRight = 21000, frameBottom = 29700; // 0.01 mm
    int handles = 8;
    bool withEof = true;

    // Appends a record: type, then the payload words (each 32 bits).
    EmfTestBuilder& rec(uint32_t type, std::initializer_list<int64_t> words) {
        return raw(type, packWords<uint32_t>(words));
    }
    // Appends a record with a prepared payload (padded to 4 bytes).
    EmfTestBuilder& raw(uint32_t type, QByteArray payload) {
        while (payload.size() % 4)
            payload.append('\0');
        ByteWriter w(&body_);
        w.u32(type);
        w.u32(uint32_t(payload.size() + 8));
        w.bytes(payload);
        ++count_;
        return *this;
    }
    // Appends bytes as they are (damaged envelopes).
    EmfTestBuilder& bytes(const QByteArray& b) {
        body_.append(b);
        return *this;
    }

    QByteArray build() const {
        QByteArray out;
        ByteWriter w(&out);
        const QString desc = QStringLiteral("test\0pic\0\0");
        w.u32(emf::EMR_HEADER);
        const uint32_t headerSize = 108 + uint32_t(desc.size()) * 2;
        w.u32(headerSize);
        for (int v : {0, 0, devicePxX - 1, devicePxY - 1}) // bounds
            w.i32(v);
        for (int v : {0, 0, frameRight, frameBottom}) // frame
            w.i32(v);
        w.u32(emf::kEmfSignature);
        w.u32(0x10000);
        const qsizetype eofSize = withEof ? 20 : 0;
        w.u32(uint32_t(headerSize + body_.size() + eofSize));
        w.u32(uint32_t(count_ + (withEof ? 2 : 1)));
        w.u16(uint16_t(handles));
        w.u16(0);
        w.u32(uint32_t(desc.size()));
        w.u32(108);
        w.u32(0);
        w.i32(devicePxX);
        w.i32(devicePxY);
        w.i32(deviceMmX);
        w.i32(deviceMmY);
        w.u32(0);
        w.u32(0);
        w.u32(0);
        w.i32(deviceMmX * 1000);
        w.i32(deviceMmY * 1000);
        for (QChar c : desc)
            w.u16(c.unicode());
        out.append(body_);
        if (withEof) {
            w.u32(emf::EMR_EOF);
            w.u32(20);
            w.u32(0);
            w.u32(16);
            w.u32(20);
        }
        return out;
    }

private:
    QByteArray body_;
    int count_ = 0;
};

// Payload of an EXTTEXTOUTW record: bounds, reference point, options,
// rectangle, the string and its advances (omitted when `dx` is empty).
inline QByteArray extTextOutW(const QString& text, QPoint ref, std::vector<int> dx = {},
                              uint32_t options = 0, QRect rect = QRect(0, 0, 0, 0)) {
    QByteArray p;
    ByteWriter w(&p);
    for (int v : {ref.x(), ref.y(), ref.x() + 100, ref.y() + 20}) // bounds
        w.i32(v);
    w.u32(1);    // GM_COMPATIBLE
    w.f32(1.0f); // scales
    w.f32(1.0f);
    w.i32(ref.x());
    w.i32(ref.y());
    w.u32(uint32_t(text.size()));
    const uint32_t offString = 76;
    w.u32(offString);
    w.u32(options);
    w.i32(rect.left());
    w.i32(rect.top());
    w.i32(rect.left() + rect.width());
    w.i32(rect.top() + rect.height());
    const uint32_t stringBytes = uint32_t((text.size() * 2 + 3) / 4 * 4);
    w.u32(dx.empty() ? 0 : offString + stringBytes);
    for (QChar c : text)
        w.u16(c.unicode());
    while ((p.size() + 8) % 4)
        w.u8(0);
    for (int d : dx)
        w.i32(d);
    return p;
}

// Payload of EXTCREATEFONTINDIRECTW.
inline QByteArray createFont(uint32_t handle, const QString& face, int height, int weight = 400,
                             int escapement = 0) {
    QByteArray p;
    ByteWriter w(&p);
    w.u32(handle);
    w.i32(height);
    w.i32(0);
    w.i32(escapement);
    w.i32(escapement);
    w.i32(weight);
    for (int i = 0; i < 8; ++i)
        w.u8(i == 3 ? 1 : 0);
    for (int i = 0; i < 32; ++i)
        w.u16(i < face.size() ? face[i].unicode() : 0);
    return p;
}

// A BITMAPINFOHEADER (+ optional colour table) and pixel rows for a DIB.
inline QByteArray dibHeader(int width, int height, int bits, uint32_t compression = 0,
                            uint32_t colors = 0) {
    QByteArray p;
    ByteWriter w(&p);
    w.u32(40);
    w.i32(width);
    w.i32(height);
    w.u16(1);
    w.u16(uint16_t(bits));
    w.u32(compression);
    w.u32(0);
    w.i32(3780);
    w.i32(3780);
    w.u32(colors);
    w.u32(0);
    return p;
}

// Payload of a STRETCHDIBITS record that draws the whole of a `source`-sized
// DIB (its header with any colour table, then its bits) at (0, 0) in `dest`
// pixels, with SRCCOPY.
inline QByteArray stretchDibits(const QByteArray& header, const QByteArray& bits, QSize source,
                                QSize dest) {
    constexpr int kFixedSize = 8 + 72; // type, size and the fixed fields
    QByteArray p;
    ByteWriter w(&p);
    for (int v : {0, 0, dest.width() - 1, dest.height() - 1, 0, 0, 0, 0, source.width(),
                  source.height()}) // bounds, dest x y, source x y cx cy
        w.i32(v);
    for (int v : {kFixedSize, int(header.size()), kFixedSize + int(header.size()), int(bits.size()),
                  0}) // DIB, usage
        w.u32(uint32_t(v));
    w.u32(0x00CC0020u); // SRCCOPY
    w.i32(dest.width());
    w.i32(dest.height());
    return p + header + bits;
}

} // namespace vx::test
