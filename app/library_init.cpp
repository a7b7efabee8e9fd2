#include "app/library_init.h"

#include "platform/message_box.h"
#include "preview/preview.h"
#include "report/library_state.h"
#include "report/printer_settings.h"

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

    // 3. The band-name and special-value tables are constant data; the
    //    library state starts from its start-up values.
    resetLibraryState();

    // 4. Registries: add-in object classes and the engine's hooks join here
    //    as those layers provide their initialisation.
}

} // namespace vx

namespace vx {

void shutdownLibrary() {
    FreeOpenPreviews();
    ReplacePrinterSettings(nullptr);
}

} // namespace vx
