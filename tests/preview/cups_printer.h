#pragma once

// The run's private CUPS queue as the printer settings' printer for the
// scope of a test; the previous settings come back afterwards.

#include "platform/printer_device.h"
#include "report/printer_settings.h"
#include "tests/support/cups_queue.h"

#include <memory>

namespace vx::test {

class CupsPrinterSelected {
public:
    explicit CupsPrinterSelected(const CupsQueue& queue)
        : previous_(ReplacePrinterSettings(
              std::make_unique<TPrinterSettings>(createSystemPrinterDevice()))) {
        TPrinterSettings& settings = PrinterSettings();
        settings.LoadPrinterList();
        const int index = int(settings.Printers.indexOf(queue.printer));
        selected = index >= 0;
        if (selected)
            settings.SelectPrinter(index);
    }
    ~CupsPrinterSelected() { ReplacePrinterSettings(std::move(previous_)); }
    CupsPrinterSelected(const CupsPrinterSelected&) = delete;
    CupsPrinterSelected& operator=(const CupsPrinterSelected&) = delete;

    bool selected = false; // the queue was listed and is now current

private:
    std::unique_ptr<TPrinterSettings> previous_;
};

} // namespace vx::test
