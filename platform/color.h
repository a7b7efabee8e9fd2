#pragma once

// A colour as the platform stores it in files and metafiles: a 32-bit value
// with red in the lowest byte, green in the second, blue in the third. Report
// objects use the value 0x1FFFFFFF for "no colour"; every other value with a
// non-zero top byte is kept as read, so that saving writes back what was loaded.

#include <cstdint>

namespace vx {

class Color {
public:
    constexpr Color() = default;
    constexpr explicit Color(uint32_t value) : value_(value) {}

    // The stored 32-bit value (COLORREF layout).
    constexpr uint32_t value() const { return value_; }
    constexpr int red() const { return int(value_ & 0xFF); }
    constexpr int green() const { return int((value_ >> 8) & 0xFF); }
    constexpr int blue() const { return int((value_ >> 16) & 0xFF); }
    // The colour with the top byte cleared, as EMF records carry it.
    constexpr Color rgbOnly() const { return Color(value_ & 0xFFFFFF); }

    constexpr bool operator==(const Color&) const = default;

private:
    uint32_t value_ = 0;
};

// Components beyond 0..255 keep their low byte.
inline constexpr Color rgb(int r, int g, int b) {
    return Color(uint32_t(r & 0xFF) | (uint32_t(g & 0xFF) << 8) | (uint32_t(b & 0xFF) << 16));
}

inline constexpr Color kNoColor{0x1FFFFFFF}; // "no colour" of report objects
inline constexpr Color kBlack = rgb(0, 0, 0);
inline constexpr Color kWhite = rgb(255, 255, 255);

} // namespace vx
