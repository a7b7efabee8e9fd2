#pragma once

// Access to the installed printers, behind an interface so that the printer
// settings need no print-system headers and tests can substitute a fake.
// The real implementation (createSystemPrinterDevice) works over Qt's
// printing support (CUPS on Linux).
//
// The device keeps a current printer and, for it, a device mode: the paper
// code (the platform's paper codes, 256 = custom size), custom paper size and
// orientation with a mask of the fields the driver honours.

#include <QPageSize>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QPrinter;

namespace vx {

// The paper code of a custom paper size (width and height given).
inline constexpr int kCustomPaper = 256;

// Field bits of a device mode.
namespace DeviceModeField {
inline constexpr uint32_t Orientation = 1; // DM_ORIENTATION
inline constexpr uint32_t PaperSize = 2;   // DM_PAPERSIZE
inline constexpr uint32_t PaperLength = 4; // DM_PAPERLENGTH
inline constexpr uint32_t PaperWidth = 8;  // DM_PAPERWIDTH
} // namespace DeviceModeField

struct DeviceMode {
    uint32_t fields = 0;
    int orientation = 1; // 1 portrait, 2 landscape
    int paperSize = 9;   // paper code; 256 custom
    int paperLength = 0; // tenths of a millimetre (custom paper)
    int paperWidth = 0;  // tenths of a millimetre (custom paper)
    bool operator==(const DeviceMode&) const = default;
};

// Device measurements of the current printer with its current device mode,
// in device pixels.
struct DeviceCaps {
    int dpiX = 0; // LOGPIXELSX
    int dpiY = 0; // LOGPIXELSY
    int physicalWidth = 0;
    int physicalHeight = 0;
    int physicalOffsetX = 0;
    int physicalOffsetY = 0;
    int pageWidth = 0; // printable area
    int pageHeight = 0;
    bool operator==(const DeviceCaps&) const = default;
};

struct DevicePaper {
    uint16_t code = 0;
    QString name;
};

class PrinterDevice {
public:
    virtual ~PrinterDevice() = default;

    // Installed printers in the platform's order, and the index of the
    // current one (-1 when there is none). Re-reads the system's list.
    virtual QStringList printerNames() = 0;
    virtual int currentPrinterIndex() = 0;
    // Makes entry `index` current with its driver's default settings.
    // Throws VxError when the printer cannot be used.
    virtual void selectPrinter(int index) = 0;

    // The current printer; these throw VxError when it cannot be used.
    virtual QString deviceName() = 0;
    virtual QString driverName() = 0; // the driver's file name (at most 63 characters)
    virtual QString portName() = 0;
    virtual DeviceMode deviceMode() = 0;
    virtual void setDeviceMode(const DeviceMode& mode) = 0;
    virtual DeviceCaps caps() = 0;
    // The physical page size in device pixels, or false when the printer
    // cannot tell it.
    virtual bool physicalPageSize(int& width, int& height) = 0;
    // The papers the printer offers (code and name), in the printer's order.
    virtual std::vector<DevicePaper> papers() = 0;

    // Sets up a QPrinter for a job on the current printer with the current
    // device mode (printer name, page size, orientation, full resolution).
    virtual void configurePrinter(QPrinter& printer) = 0;
};

// The page size of a paper code through Qt's Windows ids, or for code 256
// the custom size (tenths of a millimetre); nothing for a code Qt does not
// know or an empty custom size.
std::optional<QPageSize> pageSizeOfPaper(int code, int width, int length);

// The system's printers through Qt (CUPS).
std::unique_ptr<PrinterDevice> createSystemPrinterDevice();

} // namespace vx
