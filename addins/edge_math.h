#pragma once

// Edges of the add-in objects are computed in 64 bits (position plus size
// of a damaged object may overflow) and stored back limited to 32 bits.

#include <algorithm>
#include <cstdint>
#include <limits>

namespace vx {

inline int32_t clamp32(int64_t v) {
    return int32_t(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min() + 1,
                                       std::numeric_limits<int32_t>::max()));
}

} // namespace vx
