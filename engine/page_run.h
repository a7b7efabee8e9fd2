#pragma once

// The run-time state of one template page while a report is prepared: its
// bands (one chain per band type), the page cursor and columns, the play
// list of a page recorded for a sub-report, and the counters the special
// values read. The engine keeps one PageRun per template page from the
// start of a pass to its end; the template page itself is not changed
// (except for the objects' run-time geometry, restored by DonePage).

#include "engine/band.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace vx {

class TvxPage;
class TvxReport;
class TvxMemoView;

inline constexpr int kBandTypes = 22;

// One entry of a recorded page (sub-reports): print the band, or step its
// dataset. A list with groups records the step to the next record apart
// from its totals, so that the footers of a group that ends print before
// the new record counts, as they do on a page of its own.
enum : uint8_t {
    pkPrint = 0,      // print the band
    pkFirst = 1,      // its dataset to the first record, totals started
    pkNext = 2,       // to the next record, counted
    pkStep = 3,       // to the next record only (a list with groups)
    pkRegroup = 4,    // a group of level Level changed: its totals restart
    pkTally = 5,      // the record counted (totals too when Level is 1)
    pkGroupCount = 6, // a group header counts one more group (its LINE#)
    pkGroupReset = 7, // an inner group header's count restarts
};
struct PlayEntry {
    TvxBand* Band = nullptr;
    uint8_t Kind = pkPrint;
    uint8_t Level = 0;
};

class PageRun {
public:
    PageRun(TvxReport* report, TvxPage* page, int index);
    ~PageRun();
    PageRun(const PageRun&) = delete;
    PageRun& operator=(const PageRun&) = delete;

    // The first band of each type (every type has one, with or without
    // objects).
    TvxBand* Band(int bandType) const { return Bands[size_t(bandType)].get(); }

    // Page edges in pixels of the output page.
    int32_t TopEdge() const;
    int32_t LeftEdge() const;
    int32_t RightEdge() const;
    // Less the page footer band's height when that band has objects.
    int32_t BottomEdge() const;

    // A text object that stands for "an object of this band type" while
    // names are resolved outside any object (dataset filters, group
    // conditions): plain field names then find the dataset of the data band
    // that serves that band type.
    TvxView* Context(int bandType);

    TvxReport* Report;
    TvxPage* Template;
    int Index; // position of the template page, from 0

    std::array<std::unique_ptr<TvxBand>, kBandTypes> Bands;
    bool IsSubReportPage = false;
    bool Initialised = false;
    bool DesignKept = false; // the objects' design geometry was taken
    int32_t CursorY = 0;
    int32_t BottomLimit = 0;
    int32_t ColumnIndex = 0;
    int32_t ColumnTopY = 0;
    int32_t ColumnX = 0;
    int32_t ColumnCount = 1; // the page's ColumnCount, 1 when it is 0
    int32_t ColumnWidth = 0;
    int32_t ColumnGap = 0;
    std::vector<PlayEntry> PlayList;
    bool RecordMode = false;
    int32_t PlayPos = 0;
    TvxBand* WaitingBand = nullptr;
    // Shown by a sub-report object whose band has not finished yet: the
    // page cannot be shown by another one meanwhile.
    bool ShownNow = false;
    int32_t CrossColumnNo = 1;
    int32_t LineCounter = 1;
    // CursorY right after a page or column was opened (its header bands
    // printed); a band that does not fit there fits nowhere.
    int32_t FreshTop = INT32_MIN;

private:
    std::array<std::unique_ptr<TvxMemoView>, kBandTypes> contexts_;
    // The parent of the stand-ins: a band that never prints, so that an error
    // met while one is current names no object.
    std::unique_ptr<TvxBand> standInParent_;
};

} // namespace vx
