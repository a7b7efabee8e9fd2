#pragma once

// Positions and sizes the engine computes with come from stored templates
// and printer metrics. They are kept within a range no page reaches, so that
// the sums the engine forms (cursor plus band height plus footer) stay far
// inside 32 bits.

#include <algorithm>
#include <cstdint>

namespace vx {

// About 270 metres at 96 pixels per inch.
inline constexpr int32_t kMaxCoordinate = 1 << 20;

inline int32_t clampCoord(int64_t v) {
    return int32_t(std::clamp<int64_t>(v, -kMaxCoordinate, kMaxCoordinate));
}

} // namespace vx
