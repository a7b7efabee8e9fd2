#include "app/library_init.h"

#include "addins/barcode/codebarre_view.h"
#include "addins/chart/graph_view.h"
#include "addins/framedtext/framed_memo_view.h"
#include "addins/ole/ole_view.h"
#include "addins/richtext/rich_view.h"
#include "addins/shape/shape_view.h"
#include "platform/message_box.h"
#include "preview/find_form.h"
#include "preview/pdf_export.h"
#include "preview/preview.h"
#include "preview/print_pages.h"
#include "preview/progress_form.h"
#include "report/library_state.h"
#include "report/printer_settings.h"
#include "report/value_expansion.h"

namespace vx {

void initLibrary() {
    static bool done = false;
    if (done)
        return;
    done = true;

    // 1. The printer settings with the installed printers.
    if (!HasPrinterSettings())
        PrinterSettings();

    // 2. The preview's registered window class and its list of open windows,
    //    and OpenPreview on the report.
    initPreviewModule();
    installFindInReport();
    initPrintModule();
    RegisterPdfExportFilter();

    // 3. The band-name and special-value tables are constant data; the
    //    library state starts from its start-up values.
    resetLibraryState();

    // 4. Registries: name resolution for expressions; add-in object classes
    //    and the engine's hooks join here as those layers provide them.
    InstallNameResolution();

    // 5. Add-in object classes.
    RegisterAddIns();
}

void RegisterAddIns() {
    RegisterFramedMemoAddIn();
    RegisterOleAddIn();
    RegisterGraphAddIn();
    RegisterBarcodeAddIn();
    RegisterShapeAddIn();
    RegisterRichTextAddIn();
}

} // namespace vx

namespace vx {

void shutdownLibrary() {
    FreeOpenPreviews();
    FreeProgressForm();
    ReplacePrinterSettings(nullptr);
}

} // namespace vx
