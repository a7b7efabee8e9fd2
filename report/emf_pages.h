#pragma once

// TvxEMFPages: the prepared pages of a report, each a recorded enhanced
// metafile with the paper it is meant for, and their stream format (".vxp").
//
// Stream layout (little-endian):
//   printer      string list, one line: the selected printer's name
//   page count   int32
//   per page:    next offset int32 (absolute position of the byte after the
//                picture), paper code uint16, paper width int32, paper height
//                int32 (tenths of a millimetre), orientation uint8, margins
//                uint8, then the EMF bytes (their length is in the EMF header).
// Page metrics are not stored: loading asks the printer settings for them.

#include "platform/emf/emf_reader.h"
#include "platform/process_state.h"
#include "report/page_metrics.h"

#include <QByteArray>
#include <QIODevice>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace vx {

class TvxReport;
class TvxPage;
class Canvas;
namespace emf {
class RecordingCanvas;
}

// The canvas the engine draws the current output page on (the open page's
// PictureCanvas); nullptr when no page is open.
extern Canvas*& OutputCanvas;

// The paper and zoom of the template page a prepared page is made from.
struct PreparedPageSetup {
    int32_t PaperSize = 9;
    int32_t PaperWidth = 0;  // tenths of a millimetre
    int32_t PaperHeight = 0; // tenths of a millimetre
    uint8_t Orientation = 0; // 0 portrait, 1 landscape
    bool UseMargins = true;
    int32_t ZoomX = 100; // percent
    int32_t ZoomY = 100;
    ::vx::PageMetrics PageMetrics;
};

// One prepared page.
struct PreparedPageInfo {
    uint16_t PaperSize = 9;  // paper code; 256 custom
    int32_t PaperWidth = 0;  // tenths of a millimetre
    int32_t PaperHeight = 0; // tenths of a millimetre
    uint8_t Orientation = 0; // 0 portrait, 1 landscape
    uint8_t UseMargins = 0;  // 1 when the template page used its margins
    ::vx::PageMetrics PageMetrics;
    // The recorded page; null while PictureCanvas is open.
    emf::EmfPicture Picture;
    // The picture's size in pixels of 1/96 inch (its frame).
    QSize PictureSize;
    // The canvas drawing into Picture while the page is being built.
    std::unique_ptr<emf::RecordingCanvas> PictureCanvas;

    PreparedPageInfo();
    ~PreparedPageInfo();
    PreparedPageInfo(PreparedPageInfo&&) noexcept;
    PreparedPageInfo& operator=(PreparedPageInfo&&) noexcept;
};

// Where the stream's pages get their metrics and printer (the process-wide
// printer settings by default; tests install their own).
struct PreparedPrinterAccess : DefaultResetPart<PreparedPrinterAccess> {
    // Name of the selected printer, written into the stream.
    std::function<QString()> SelectedPrinterName;
    // SelectStoredPrinter(report, name).
    std::function<void(TvxReport* report, const QString& name)> SelectStoredPrinter;
    // SetPaper(code, width, height, orientation) then GetPageMetrics.
    std::function<PageMetrics(int32_t code, int32_t width, int32_t height, uint8_t orientation)>
        PageMetricsFor;
};
// The installed access; empty members fall back to the printer settings.
PreparedPrinterAccess& preparedPrinterAccess();

class TvxEMFPages {
public:
    explicit TvxEMFPages(TvxReport* report = nullptr);
    ~TvxEMFPages();
    TvxEMFPages(const TvxEMFPages&) = delete;
    TvxEMFPages& operator=(const TvxEMFPages&) = delete;

    TvxReport* Report() const { return report_; }

    int Count() const { return int(pages_.size()); }
    // The record at a position from 0 (std::out_of_range outside).
    PreparedPageInfo& Pages(int index) { return *pages_.at(size_t(index)); }
    const PreparedPageInfo& Pages(int index) const { return *pages_.at(size_t(index)); }
    PreparedPageInfo& operator[](int index) { return Pages(index); }
    const PreparedPageInfo& operator[](int index) const { return Pages(index); }

    // Frees every page and empties the list.
    void Clear();
    // Appends a page made from the template page (paper scaled by its zoom)
    // and opens its canvas, which also becomes OutputCanvas.
    PreparedPageInfo& Add(const TvxPage& page);
    PreparedPageInfo& Add(const PreparedPageSetup& setup);
    // Appends a complete page (paper fields and picture given).
    PreparedPageInfo& AddPicture(const PreparedPageInfo& paper, const emf::EmfPicture& picture);
    // Closes the page's canvas: the recorded metafile becomes its Picture.
    void ClosePage(int index);
    // Closes every open canvas.
    void CloseAll();
    // Frees the page at `index` and removes it.
    void Delete(int index);

    // Writes every page (open canvases are closed first). Throws VxError
    // when the device does not take the bytes.
    void SaveToStream(QIODevice& stream);
    // Replaces the pages with the stream's. On damage a VxError is raised
    // whose message names `sourceName` (a file name; a generic text when
    // empty); the complete pages read before the damage stay in the list.
    void LoadFromStream(QIODevice& stream, const QString& sourceName = QString());

    // Copies through memory (the non-modal preview's private copy).
    QByteArray SaveToBytes();
    void LoadFromBytes(const QByteArray& bytes);

private:
    TvxReport* report_ = nullptr;
    std::vector<std::unique_ptr<PreparedPageInfo>> pages_;
};

// The reading error of a prepared-report stream: names the file and the page
// (from 1) where the damage was met.
QString preparedReadError(const QString& sourceName, int pageNumber);

// Bodies of TvxReport::SavePreparedFile / LoadPreparedFile on a page list:
// saving writes a temporary file beside the target and renames it over the
// target (a failed save leaves the previous file as it was); loading raises
// the reading error naming the file and keeps the complete pages before the
// damage.
void SavePreparedPages(TvxEMFPages& pages, const QString& fileName);
void LoadPreparedPages(TvxEMFPages& pages, const QString& fileName);

} // namespace vx
