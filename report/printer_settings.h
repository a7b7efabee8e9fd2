#pragma once

// The printer settings: the list of installed printers plus the pseudo
// printer "Stampante predefinita" (always last, needs no device), the paper
// last asked for, the papers the selected printer offers, and the page
// metrics that page layout, prepared pages and printing work with.
//
// Units: paper sizes in tenths of a millimetre, screen pixels at 96 per inch,
// printer pixels of the selected printer.

#include "platform/printer_device.h"
#include "report/page_metrics.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <memory>

namespace vx {

class TvxReport;

// One row of the built-in paper table.
struct TPaperInfo {
    int32_t Code;
    QString Name;
    int32_t Width;  // tenths of a millimetre
    int32_t Height; // tenths of a millimetre
};

inline constexpr int kPaperTableSize = 67;
// kCustomPaper (256): platform/printer_device.h.
inline constexpr int kMaxPaperCodes = 256;

// The built-in paper table (67 rows, custom size 256 last).
const std::array<TPaperInfo, kPaperTableSize>& PaperTable();

class TPrinterSettings {
public:
    static QString PseudoPrinterName() { return QStringLiteral("Stampante predefinita"); }

    // `device` is the printer system the settings work through; nullptr
    // means no printers (only the pseudo printer). The printer list is
    // loaded by LoadPrinterList, not by the constructor.
    explicit TPrinterSettings(std::unique_ptr<PrinterDevice> device = nullptr);
    ~TPrinterSettings();
    TPrinterSettings(const TPrinterSettings&) = delete;
    TPrinterSettings& operator=(const TPrinterSettings&) = delete;

    // Reads the installed printers and the settings of the platform's
    // current one, whose device mode (paper, orientation) is kept; with a new
    // device (not nullptr) the settings work through it from now on.
    void LoadPrinterList(std::unique_ptr<PrinterDevice> device = nullptr);
    void SelectPrinter(int index);
    void SetPaper(int code, int width, int height, int orientation);
    bool SamePaper(int code, int width, int height, int orientation) const;
    void GetPageMetrics(PageMetrics& m);
    int PaperIndex(int code) const;
    // Both take the report the settings are switched for (its template pages
    // choose their paper again; its PrintToCurrentPrinter decides whether a
    // stored printer name is used).
    bool SwitchPrinter(TvxReport* report, int oldIndex, int newIndex);
    void SelectStoredPrinter(TvxReport* report, const QString& name);

    void ReadDeviceSettings();
    void ApplyPaper();

    bool IsPseudoPrinter() const { return PrinterIndex == PseudoPrinterIndex; }
    // The name of the selected printer (what prepared files record).
    QString SelectedPrinterName() const { return Printers.value(PrinterIndex); }
    // The printer system (nullptr when there is none).
    PrinterDevice* Device() const { return device_.get(); }

    QString DeviceName;
    QString DriverName;
    QString PortName;
    QStringList PaperNames;
    QStringList Printers;
    int32_t PrinterIndex = 0;
    int32_t PseudoPrinterIndex = 0;
    uint8_t Orientation = 0; // 0 portrait, 1 landscape
    int32_t PaperSize = -1;  // -1: none, forces the next SetPaper
    int32_t PaperWidth = 0;
    int32_t PaperHeight = 0;
    int32_t DpiX = 0;
    int32_t DpiY = 0;
    std::array<uint16_t, kMaxPaperCodes> PaperCodes{};
    int32_t PaperCount = 0;

private:
    bool DeviceModeHas(const DeviceMode& mode, uint32_t bits) const {
        return (mode.fields & bits) == bits;
    }
    static void DeviceModeMark(DeviceMode& mode, uint32_t bits) { mode.fields |= bits; }
    void ApplyPaperToTable();
    void ApplyPaperToDevice();
    void ChangeReportPaper(TvxReport* report);

    std::unique_ptr<PrinterDevice> device_;
};

// The process-wide printer settings (created by the library's module
// initialisation, or on first use with the system's printers). The object
// held when the application object is destroyed is freed with it (the
// system's printers cannot outlive it); one still held at process exit
// without an application object is not destroyed.
TPrinterSettings& PrinterSettings();
// Replaces the process-wide object (tests, hosts); returns the previous one,
// which the caller then owns. nullptr makes the next PrinterSettings()
// create a fresh one.
std::unique_ptr<TPrinterSettings>
ReplacePrinterSettings(std::unique_ptr<TPrinterSettings> settings);
bool HasPrinterSettings();

} // namespace vx
