#pragma once

// Page building: a template page's run-time bands are made from its band
// objects (InitPage), printed in their fixed order onto output pages
// (BuildPage), and freed again with the objects put back where they were
// designed (DonePage).

#include <cstdint>

namespace vx {

class Canvas;
class PageRun;
class TvxBand;
class TvxPage;
class TvxView;

void InitPage(PageRun& page);
void DonePage(PageRun& page);
void BuildPage(PageRun& page);

// Prints a band (nothing for none); in record mode appends it to the play
// list instead. Passes PrintBand's result on.
bool EmitBand(PageRun& page, TvxBand* band);

// Finishes the output page (column footer, page footer) and begins a new one
// with its header bands.
void StartNewPage(PageRun& page);
// Draws the page footer on the open output pages from OutputPageIndex on,
// closing them when `close`.
void FinishPages(PageRun& page, bool close);
// Adds an output page for the template page; its canvas becomes the drawing
// canvas.
void AddOutputPage(PageRun& page);
// Closes the open output pages from OutputPageIndex on and moves the index
// past them.
void CloseOpenPages();
// Makes the output page at `index` the drawing canvas, when it is open.
void DrawOnOutputPage(int index);

// The canvas of the output page being drawn.
Canvas& PageCanvas();

// Marks the page opened (or a column begun): what prints next starts at the
// top of the free space.
void MarkFresh(PageRun& page);

// While a band's dataset steps, plain field names (in a dataset filter) are
// those of the band's own data level on the band's own page: the current
// object is a stand-in of that band type, the current page the band's, and
// the previous ones come back afterwards.
class DataSetContext {
public:
    explicit DataSetContext(TvxBand& band);
    ~DataSetContext();
    DataSetContext(const DataSetContext&) = delete;
    DataSetContext& operator=(const DataSetContext&) = delete;

private:
    TvxView* saved_;
    TvxPage* savedPage_;
};

// A data band's dataset to its first record (its table narrowed to the
// master's key first, when it is a detail keyed to its master) and to the
// next record, each step notified to the host.
void FirstRecord(TvxBand& band);
void NextRecord(TvxBand& band);

// The data loop of one level (data_loop.cpp).
void RunLevel(PageRun& page, int level);
// Prints empty copies of the band (FillMode) down to the page bottom, less
// the footers still to come.
void FillRemainingSpace(PageRun& page, TvxBand& band);
// The data levels of a page from level 1, with a pending list of their own.
void RunDataLevels(PageRun& page);

// Lets the application process its pending events (at most every few
// milliseconds, so that the cost per record stays small).
void ProcessPendingEvents();

} // namespace vx
