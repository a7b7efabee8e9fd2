#pragma once

#include <cstdint>

namespace vx {

// The physical page, its unprintable offsets and its printable area, each in
// printer pixels (Phys*) and in screen pixels of 1/96 inch (Screen*).
// Filled by the printer settings; kept by template pages and prepared pages.
struct PageMetrics {
    int32_t PhysWidth = 0;
    int32_t PhysHeight = 0;
    int32_t ScreenWidth = 0;
    int32_t ScreenHeight = 0;
    int32_t PhysOffsetX = 0;
    int32_t PhysOffsetY = 0;
    int32_t ScreenOffsetX = 0;
    int32_t ScreenOffsetY = 0;
    int32_t PhysPrintWidth = 0;
    int32_t PhysPrintHeight = 0;
    int32_t ScreenPrintWidth = 0;
    int32_t ScreenPrintHeight = 0;
    bool operator==(const PageMetrics&) const = default;
};

} // namespace vx
