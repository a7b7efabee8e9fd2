#pragma once

// What the report targets set up once and put back after every input: no
// printers (the pseudo printer answers every paper request, so no input asks
// the print system for its printer list, which costs more than reading most
// inputs), the system's number and date settings read once instead of after
// every reset, and boxes recorded instead of shown, forgotten after each
// input.

#include "addins/barcode/codebarre_view.h"
#include "addins/ole/ole_view.h"
#include "addins/richtext/rich_view.h"
#include "platform/locale_settings.h"
#include "platform/message_box.h"
#include "platform/process_state.h"
#include "report/printer_settings.h"

#include <memory>

namespace vx::fuzz {

inline MessageBoxInterceptor& boxes() {
    static MessageBoxInterceptor interceptor;
    return interceptor;
}

// Installs the pseudo printer and the system's settings now and after every
// reset of the library state, and starts recording boxes.
inline void setUpReportTarget() {
    libraryState().addInitialiser(QStringLiteral("fuzz: printers and settings"), [] {
        static const LocaleSettings system = LocaleSettings::fromSystem();
        setLocaleSettings(system);
        ReplacePrinterSettings(std::make_unique<TPrinterSettings>(nullptr));
    });
    boxes();
}

// The add-in classes whose records templates carry (read, drawn and
// prepared by the report targets).
inline void registerAddIns() {
    RegisterOleAddIn();
    RegisterBarcodeAddIn();
    RegisterRichTextAddIn();
}

// The library state back to its start-up value for the next input.
inline void endInput() {
    boxes().clear();
    resetLibraryState();
}

} // namespace vx::fuzz
