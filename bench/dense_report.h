#pragma once

// The benchmarks' text-dense report: 1000 A4 pages of 50 lines of three
// clipped text cells with rules and shaded bands (about 34 KB of records a
// page, about 39 MB as a prepared-report file). Loading, painting, search
// and PDF export are all measured on these same pages.

#include <memory>

namespace vx {

class Canvas;
class TvxEMFPages;

namespace bench {

inline constexpr int kDensePages = 1000;

// Draws page `page` (from 1) of the report.
void drawDensePage(Canvas& c, int page);

// A report of `count` such pages.
std::unique_ptr<TvxEMFPages> makeDenseReport(int count = kDensePages);

// The 1000-page report, made once for the whole benchmark run.
TvxEMFPages& denseReport();

} // namespace bench
} // namespace vx
