#pragma once

// Appends little-endian values to a growing byte array.

#include <QByteArray>

#include <bit>
#include <cstdint>
#include <cstring>

namespace vx {

class ByteWriter {
public:
    ByteWriter() = default;
    explicit ByteWriter(QByteArray* target) : out_(target) {}
    ByteWriter(const ByteWriter&) = delete;
    ByteWriter& operator=(const ByteWriter&) = delete;

    QByteArray& buffer() { return *out_; }
    qsizetype size() const { return out_->size(); }

    void u8(uint8_t v) { out_->append(char(v)); }
    void i8(int8_t v) { u8(uint8_t(v)); }
    void u16(uint16_t v) { writeLE(v); }
    void i16(int16_t v) { writeLE(uint16_t(v)); }
    void u32(uint32_t v) { writeLE(v); }
    void i32(int32_t v) { writeLE(uint32_t(v)); }
    void u64(uint64_t v) { writeLE(v); }
    void i64(int64_t v) { writeLE(uint64_t(v)); }
    void f64(double d) { u64(std::bit_cast<uint64_t>(d)); }
    void f32(float f) { u32(std::bit_cast<uint32_t>(f)); }
    void bytes(const QByteArray& b) { out_->append(b); }
    void bytes(const char* p, qsizetype n) { out_->append(p, n); }
    void zeros(qsizetype n) { out_->append(n, '\0'); }

    // Appends `n` bytes left for the caller to fill and returns them; valid
    // until the next write. One call for a whole record costs less than one
    // append per field.
    char* grow(qsizetype n) {
        const qsizetype at = out_->size();
        out_->resize(at + n);
        return out_->data() + at;
    }

    // Overwrites a 32-bit value at an earlier position (sizes, offsets).
    void patchU32(qsizetype at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            (*out_)[at + i] = char((v >> (8 * i)) & 0xFF);
    }

private:
    template <typename T> void writeLE(T v) {
        char* b = grow(qsizetype(sizeof(T)));
        for (size_t i = 0; i < sizeof(T); ++i)
            b[i] = char((v >> (8 * i)) & 0xFF);
    }

    QByteArray own_;
    QByteArray* out_ = &own_;
};

} // namespace vx
