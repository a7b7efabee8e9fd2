#include "report/page.h"

#include "platform/errors.h"
#include "report/library_state.h"
#include "report/printer_settings.h"
#include "report/view.h"

#include <exception>

namespace vx {

TvxPage::TvxPage(int32_t paperSize, int32_t paperWidth, int32_t paperHeight, uint8_t orientation) {
    ChangePaper(paperSize, paperWidth, paperHeight, orientation);
    // The remaining defaults are the member initialisers.
}

TvxPage::~TvxPage() {
    Clear();
}

void TvxPage::ChangePaper(int32_t paperSize, int32_t paperWidth, int32_t paperHeight,
                          uint8_t orientation) {
    TPrinterSettings& settings = PrinterSettings();
    try {
        settings.SetPaper(paperSize, paperWidth, paperHeight, orientation);
        settings.GetPageMetrics(pageMetrics);
    } catch (const std::exception&) {
        // A paper the printer refuses is tried once more as a custom size.
        settings.SetPaper(kCustomPaper, paperWidth, paperHeight, orientation);
        settings.GetPageMetrics(pageMetrics);
    }
    PaperSize = settings.PaperSize;
    PaperWidth = settings.PaperWidth;
    PaperHeight = settings.PaperHeight;
    Orientation = settings.Orientation;
}

void TvxPage::Clear() {
    while (!Objects.empty())
        Delete(int(Objects.size()) - 1);
}

void TvxPage::Delete(int index) {
    if (index < 0 || index >= int(Objects.size()))
        return;
    try {
        std::unique_ptr<TvxView> view = std::move(Objects[size_t(index)]);
        Objects.erase(Objects.begin() + index);
        view.reset();
    } catch (...) {
        // Errors while freeing one object are ignored.
    }
}

TvxView* TvxPage::Add(std::unique_ptr<TvxView> view) {
    Objects.push_back(std::move(view));
    return Objects.back().get();
}

std::unique_ptr<TvxView> TvxPage::Take(int index) {
    if (index < 0 || index >= int(Objects.size()))
        return nullptr;
    std::unique_ptr<TvxView> view = std::move(Objects[size_t(index)]);
    Objects.erase(Objects.begin() + index);
    return view;
}

int TvxPage::IndexOf(const TvxView* view) const {
    for (size_t i = 0; i < Objects.size(); ++i)
        if (Objects[i].get() == view)
            return int(i);
    return -1;
}

void TvxPage::LoadFromStream(ByteReader& in) {
    const int32_t paperSize = in.i32();
    const int32_t paperWidth = in.i32();
    const int32_t paperHeight = in.i32();
    Margins.Left = in.i32();
    Margins.Top = in.i32();
    Margins.Right = in.i32();
    Margins.Bottom = in.i32();
    const uint8_t orientation = in.u8();
    PageHeaderOnFirst = ReadBool16(in);
    PageFooterOnLast = ReadBool16(in);
    CopyCrossHeader = ReadBool16(in);
    PrintOnPreviousPage = ReadBool16(in);
    UseMargins = ReadBool16(in);
    ColumnCount = in.i32();
    ColumnGap = in.i32();
    if (FileVersion >= 25) {
        ZoomX = in.i32();
        ZoomY = in.i32();
    } else {
        ZoomX = 100;
        ZoomY = 100;
    }
    if (!in.ok())
        return; // the caller reports the damaged stream
    ChangePaper(paperSize, paperWidth, paperHeight, orientation);
}

void TvxPage::SaveToStream(ByteWriter& out) const {
    out.i32(PaperSize);
    out.i32(PaperWidth);
    out.i32(PaperHeight);
    out.i32(Margins.Left);
    out.i32(Margins.Top);
    out.i32(Margins.Right);
    out.i32(Margins.Bottom);
    out.u8(Orientation);
    WriteBool16(out, PageHeaderOnFirst);
    WriteBool16(out, PageFooterOnLast);
    WriteBool16(out, CopyCrossHeader);
    WriteBool16(out, PrintOnPreviousPage);
    WriteBool16(out, UseMargins);
    out.i32(ColumnCount);
    out.i32(ColumnGap);
    out.i32(ZoomX);
    out.i32(ZoomY);
}

} // namespace vx
