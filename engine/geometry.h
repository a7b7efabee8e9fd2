#pragma once

// Positions and sizes the engine computes with come from stored templates
// and printer metrics. They are kept within a range no page reaches, so that
// the sums the engine forms (cursor plus band height plus footer) stay far
// inside 32 bits.

#include "platform/coord.h"

#include <cstdint>

namespace vx {

// About 270 metres at 96 pixels per inch; clampCoord(v, kMaxCoordinate)
// limits a value to it.
inline constexpr int32_t kMaxCoordinate = 1 << 20;

} // namespace vx
