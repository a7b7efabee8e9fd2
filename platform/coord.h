#pragma once

// Integer coordinates from stored and computed values. Logical and device
// coordinates are kept within +-2^29: QRect's edge arithmetic (x + width - 1)
// and the sums the drawing code forms must not overflow, and no page comes
// near. Positions computed in doubles (arcs, transforms, scaled text) can be
// anything, NaN and infinities included; they pass through toCoord(), which
// limits them before rounding, since converting a double outside the int
// range is undefined.

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QRectF>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace vx {

inline constexpr int32_t kCoordLimit = 1 << 29;

// `v` limited to +-limit.
inline int32_t clampCoord(int64_t v, int32_t limit = kCoordLimit) {
    return int32_t(std::clamp<int64_t>(v, -int64_t(limit), int64_t(limit)));
}

enum class CoordRounding {
    HalfAwayFromZero, // as qRound and QPointF::toPoint
    HalfUp,           // floor(v + 0.5), as GDI rounds scaled metrics
    HalfEven,         // the default floating-point rounding
    Down,             // floor
    Up,               // ceil
};

// `v` rounded as asked and limited to +-limit; NaN gives 0.
inline int toCoord(double v, CoordRounding how = CoordRounding::HalfAwayFromZero,
                   int32_t limit = kCoordLimit) {
    if (std::isnan(v))
        return 0;
    v = std::clamp(v, -double(limit), double(limit));
    switch (how) {
    case CoordRounding::HalfAwayFromZero:
        return qRound(v);
    case CoordRounding::HalfUp:
        return int(std::floor(v + 0.5));
    case CoordRounding::HalfEven:
        return int(std::nearbyint(v));
    case CoordRounding::Down:
        return int(std::floor(v));
    case CoordRounding::Up:
        return int(std::ceil(v));
    }
    return 0;
}

// QPointF::toPoint with the limits of toCoord().
inline QPoint toCoordPoint(const QPointF& p) {
    return QPoint(toCoord(p.x()), toCoord(p.y()));
}

// QRectF::toRect with the limits of toCoord(): the corner rounded, the size
// rounded so that neither edge moves more than three quarters of a pixel.
inline QRect toCoordRect(const QRectF& r) {
    const int x = toCoord(r.x()), y = toCoord(r.y());
    return QRect(x, y, toCoord(r.width() + (r.x() - x) / 2), toCoord(r.height() + (r.y() - y) / 2));
}

// The smallest whole-pixel rectangle covering `r` (QRectF::toAlignedRect),
// with its edges limited.
inline QRect toCoordAlignedRect(const QRectF& r) {
    return QRect(
        QPoint(toCoord(r.left(), CoordRounding::Down), toCoord(r.top(), CoordRounding::Down)),
        QPoint(toCoord(r.right(), CoordRounding::Up) - 1,
               toCoord(r.bottom(), CoordRounding::Up) - 1));
}

} // namespace vx
