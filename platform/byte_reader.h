#pragma once

// A bounded little-endian byte cursor with sticky failure: every read checks
// the bytes left; after one failed read every further read fails and returns
// zero, so a parser checks ok() once after a group of reads.

#include <QByteArray>

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>

namespace vx {

class ByteReader {
public:
    ByteReader() = default;
    ByteReader(const char* data, size_t size) : data_(data), size_(size) {}
    explicit ByteReader(const QByteArray& bytes)
        : data_(bytes.constData()), size_(size_t(bytes.size())) {}
    // The reader borrows the bytes: a temporary would be gone before the
    // first read.
    explicit ByteReader(QByteArray&&) = delete;

    bool ok() const { return ok_; }
    void fail() { ok_ = false; }
    size_t pos() const { return pos_; }
    size_t size() const { return size_; }
    size_t remaining() const { return ok_ ? size_ - pos_ : 0; }
    bool atEnd() const { return pos_ >= size_; }
    const char* data() const { return data_; }
    const char* current() const { return data_ + pos_; }

    bool seek(size_t pos) {
        if (!ok_ || pos > size_)
            return fail(), false;
        pos_ = pos;
        return true;
    }
    bool skip(size_t n) {
        if (!ok_ || n > size_ - pos_)
            return fail(), false;
        pos_ += n;
        return true;
    }

    uint8_t u8() { return readLE<uint8_t>(); }
    int8_t i8() { return readLE<int8_t>(); }
    uint16_t u16() { return readLE<uint16_t>(); }
    int16_t i16() { return readLE<int16_t>(); }
    uint32_t u32() { return readLE<uint32_t>(); }
    int32_t i32() { return readLE<int32_t>(); }
    uint64_t u64() { return readLE<uint64_t>(); }
    int64_t i64() { return readLE<int64_t>(); }
    double f64() { return std::bit_cast<double>(u64()); }
    float f32() { return std::bit_cast<float>(u32()); }

    // n raw bytes; an empty array (and failure) when fewer are left.
    QByteArray bytes(size_t n) {
        if (!ok_ || n > size_ - pos_)
            return fail(), QByteArray();
        QByteArray out(data_ + pos_, qsizetype(n));
        pos_ += n;
        return out;
    }
    // A view of n bytes without copying; nullptr (and failure) when short.
    const char* view(size_t n) {
        if (!ok_ || n > size_ - pos_)
            return fail(), nullptr;
        const char* p = data_ + pos_;
        pos_ += n;
        return p;
    }

    // A sub-reader over the next n bytes; this reader moves past them.
    ByteReader sub(size_t n) {
        const char* p = view(n);
        return p ? ByteReader(p, n) : failed();
    }

private:
    static ByteReader failed() {
        ByteReader r;
        r.ok_ = false;
        return r;
    }
    template <typename T> T readLE() {
        if (!ok_ || sizeof(T) > size_ - pos_)
            return fail(), T(0);
        using U = std::make_unsigned_t<T>;
        U v = 0;
        for (size_t i = 0; i < sizeof(T); ++i)
            v |= U(U(uint8_t(data_[pos_ + i])) << (8 * i));
        pos_ += sizeof(T);
        return T(v);
    }

    const char* data_ = nullptr;
    size_t size_ = 0;
    size_t pos_ = 0;
    bool ok_ = true;
};

// Checked arithmetic on sizes read from files.
inline std::optional<size_t> checkedAdd(size_t a, size_t b) {
    if (a > std::numeric_limits<size_t>::max() - b)
        return std::nullopt;
    return a + b;
}
inline std::optional<size_t> checkedMul(size_t a, size_t b) {
    if (a != 0 && b > std::numeric_limits<size_t>::max() / a)
        return std::nullopt;
    return a * b;
}

} // namespace vx
