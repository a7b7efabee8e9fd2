#pragma once

// TvxPage: one template page with its paper, margins, options and the
// report objects placed on it (owned, in drawing and stream order).

#include "report/page_metrics.h"
#include "report/stream_helpers.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace vx {

class TvxReport;
class TvxView;

struct PageMargins {
    int32_t Left = 38; // pixels of 1/96 inch
    int32_t Top = 38;
    int32_t Right = 38;
    int32_t Bottom = 57;
    bool operator==(const PageMargins&) const = default;
};

class TvxPage {
public:
    // Asks the printer settings for the paper (ChangePaper), then sets the
    // defaults.
    TvxPage(int32_t paperSize, int32_t paperWidth, int32_t paperHeight, uint8_t orientation);
    ~TvxPage();
    TvxPage(const TvxPage&) = delete;
    TvxPage& operator=(const TvxPage&) = delete;

    // Selects the paper in the printer settings (retrying once as a custom
    // paper, code 256), fills PageMetrics and takes back the paper the
    // printer settings report.
    void ChangePaper(int32_t paperSize, int32_t paperWidth, int32_t paperHeight,
                     uint8_t orientation);

    // Deletes the objects from the last to the first.
    void Clear();
    // Frees the object at `index` and removes it; errors are ignored.
    void Delete(int index);
    // Appends an object (takes ownership); returns it.
    TvxView* Add(std::unique_ptr<TvxView> view);
    // Removes the object from the list without freeing it.
    std::unique_ptr<TvxView> Take(int index);
    int IndexOf(const TvxView* view) const;
    int Count() const { return int(Objects.size()); }
    TvxView* Object(int index) const { return Objects.at(size_t(index)).get(); }

    // The page record (after its tag byte).
    void LoadFromStream(ByteReader& stream);
    void SaveToStream(ByteWriter& stream) const;

    // Persistent fields in stream order.
    int32_t PaperSize = 9;
    int32_t PaperWidth = 0;  // tenths of a millimetre
    int32_t PaperHeight = 0; // tenths of a millimetre
    PageMargins Margins;
    uint8_t Orientation = 0; // 0 portrait, 1 landscape
    bool PageHeaderOnFirst = true;
    bool PageFooterOnLast = true;
    bool CopyCrossHeader = false;
    bool PrintOnPreviousPage = false;
    bool UseMargins = true;
    int32_t ColumnCount = 0;
    int32_t ColumnGap = 0;
    int32_t ZoomX = 100; // percent
    int32_t ZoomY = 100;

    std::vector<std::unique_ptr<TvxView>> Objects;
    PageMetrics pageMetrics;
    int32_t ColumnWidth = 0;     // computed by the engine
    TvxReport* Report = nullptr; // set by TvxPages; not owned
};

} // namespace vx
