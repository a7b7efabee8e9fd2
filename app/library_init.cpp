#include "app/library_init.h"

#include "addins/barcode/codebarre_view.h"
#include "addins/ole/ole_view.h"
#include "addins/richtext/rich_view.h"
#include "app/preparation_window.h"
#include "engine/engine_hooks.h"
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

    // 4. Registries: name resolution for expressions, the report engine with
    //    its progress window.
    InstallNameResolution();
    InstallEngine();
    installPreparationWindow();

    // 5. Add-in object classes.
    RegisterAddIns();
}

void RegisterAddIns() {
    RegisterOleAddIn();
    RegisterBarcodeAddIn();
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
