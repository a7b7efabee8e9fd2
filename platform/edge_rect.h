#pragma once

// A rectangle by its edges as GDI takes them: the left and top edges are
// inside, the right and bottom edges are exclusive (the first pixel column
// and row outside). Positions are logical or panel pixels, as the user says.

#include <QRect>

#include <cstdint>

namespace vx {

struct EdgeRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;

    int64_t width() const { return int64_t(Right) - Left; }
    int64_t height() const { return int64_t(Bottom) - Top; }
    // The same pixels as a QRect (whose right() is the last pixel inside).
    QRect toQRect() const { return QRect(QPoint(Left, Top), QPoint(Right - 1, Bottom - 1)); }
    static EdgeRect fromQRect(const QRect& r) {
        return EdgeRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    }
    bool operator==(const EdgeRect&) const = default;
};

} // namespace vx
