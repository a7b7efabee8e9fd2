#pragma once

// Sub-reports: a sub-report object placed in a band shows another template
// page of the report inside that band. The page's data lists are first
// recorded (record mode: what the page would print and every step of its
// datasets go to its play list), then played into the band's area from the
// object's position down, moving to the next column or output page when the
// room ends. The sub-reports of one band run side by side and share their
// column and page changes.

namespace vx {

// The most sub-reports shown inside one another (each level plays inside the
// band of the one above it).
inline constexpr int kMaxSubReportDepth = 32;

class PageRun;
class TvxBand;

// Records the pages of the band's sub-report objects (from SubReportStart
// on) and places each at its object.
void PrepareSubReports(TvxBand& band);
// Plays the recorded pages into the band's area, over as many columns and
// output pages as they need; the page cursor ends below the lowest one. On a
// page that is itself shown by a sub-report, a lack of room leaves the band
// waiting (the enclosing playback resumes it).
void RunSubReports(TvxBand& band);
// Plays a recorded page from where it stopped; true when it stopped again for
// lack of room and must be resumed.
bool PlayRecords(PageRun& page);

} // namespace vx
