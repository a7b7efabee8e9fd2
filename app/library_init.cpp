#include "app/library_init.h"

#include "addins/register_addins.h"
#include "app/preparation_window.h"
#include "engine/engine_hooks.h"
#include "platform/message_box.h"
#include "platform/process_state.h"
#include "preview/find_form.h"
#include "preview/pdf_export.h"
#include "preview/preview.h"
#include "preview/print_pages.h"
#include "preview/progress_form.h"
#include "report/library_state.h"
#include "report/printer_settings.h"

namespace vx {

void initLibrary() {
    // 1. The printer settings with the installed printers.
    if (!HasPrinterSettings())
        PrinterSettings();

    // 2. The preview's registered window class and its list of open windows,
    //    OpenPreview on the report, the print and find modules and the PDF
    //    export filter, as an initialiser: resetLibraryState() installs them
    //    again, and a second call of initLibrary adds nothing.
    libraryState().addInitialiser(QStringLiteral("preview"), [] {
        initPreviewModule();
        installFindInReport();
        initPrintModule();
        RegisterPdfExportFilter();
    });

    // 3. The band-name and special-value tables are constant data; name
    //    resolution for expressions registered itself with the engine's
    //    counters.

    // 4. The report engine with its progress window.
    libraryState().addInitialiser(QStringLiteral("engine"), [] {
        InstallEngine();
        installPreparationWindow();
    });

    // 5. Add-in object classes.
    RegisterAddIns();
}

void shutdownLibrary() {
    FreeOpenPreviews();
    FreeProgressForm();
    ReplacePrinterSettings(nullptr);
}

} // namespace vx
