#pragma once

// Builds Windows metafile (WMF) bytes record by record for tests: the
// optional placeable header, the metafile header, records of 16-bit words.

#include "platform/byte_writer.h"
#include "tests/support/record_words.h"

#include <QByteArray>

#include <initializer_list>

namespace vx::test {

class WmfTestBuilder {
public:
    // A placeable header with this bounding box and units per inch.
    WmfTestBuilder& placeable(int16_t left, int16_t top, int16_t right, int16_t bottom,
                              uint16_t inch) {
        placeable_ = true;
        box_[0] = left, box_[1] = top, box_[2] = right, box_[3] = bottom;
        inch_ = inch;
        return *this;
    }
    WmfTestBuilder& objects(uint16_t n) {
        objects_ = n;
        return *this;
    }
    // A record of 16-bit parameters, in the order they are stored.
    WmfTestBuilder& rec(uint16_t function, std::initializer_list<int> words) {
        return raw(function, packWords<uint16_t>(words));
    }
    // A record with prepared parameter bytes (padded to whole words).
    WmfTestBuilder& raw(uint16_t function, QByteArray params) {
        if (params.size() % 2)
            params.append('\0');
        ByteWriter w(&body_);
        w.u32(uint32_t(3 + params.size() / 2));
        w.u16(function);
        w.bytes(params);
        return *this;
    }
    // Bytes as they are (damaged envelopes).
    WmfTestBuilder& bytes(const QByteArray& b) {
        body_.append(b);
        return *this;
    }
    WmfTestBuilder& eof() { return rec(0, {}); }

    QByteArray build() const {
        QByteArray out;
        ByteWriter w(&out);
        if (placeable_) {
            w.u32(0x9AC6CDD7);
            w.u16(0);
            for (int16_t v : box_)
                w.i16(v);
            w.u16(inch_);
            w.u32(0);
            w.u16(0); // checksum
        }
        w.u16(1); // in memory
        w.u16(9); // header words
        w.u16(0x0300);
        const uint32_t words = uint32_t(9 + body_.size() / 2);
        w.u32(words);
        w.u16(objects_);
        w.u32(0); // largest record
        w.u16(0);
        w.bytes(body_);
        return out;
    }

private:
    bool placeable_ = false;
    int16_t box_[4] = {0, 0, 0, 0};
    uint16_t inch_ = 1440;
    uint16_t objects_ = 8;
    QByteArray body_;
};

} // namespace vx::test
