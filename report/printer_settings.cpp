#include "report/printer_settings.h"

#include "platform/errors.h"
#include "platform/message_box.h"
#include "platform/process_state.h"
#include "report/page.h"
#include "report/pages.h"
#include "report/report.h"

#include <QCoreApplication>

#include <cmath>

namespace vx {

namespace {

// "\275" in the names is the one-half sign (character 189).
const QString kHalf = QString(QChar(0x00BD));

std::array<TPaperInfo, kPaperTableSize> buildPaperTable() {
    const auto n = [](const char* utf8) { return QString::fromUtf8(utf8); };
    return {{
        {1, n("Lettera, 8 1/2 x 11\""), 2159, 2794},
        {2, n("Lettera piccola, 8 1/2 x 11\""), 2159, 2794},
        {3, n("Compresso, 11 x 17\""), 2794, 4318},
        {4, n("Libro mastro, 17 x 11\""), 4318, 2794},
        {5, n("Legale, 8 1/2 x 14\""), 2159, 3556},
        {6, n("Dichiarazione, 5 1/2 x 8 1/2\""), 1397, 2159},
        {7, n("Esecutivo, 7 1/4 x 10 1/2\""), 1842, 2667},
        {8, n("A3 297 x 420 mm"), 2970, 4200},
        {9, n("A4 210 x 297 mm"), 2100, 2970},
        {10, n("A4 foglio piccolo, 210 x 297 mm"), 2100, 2970},
        {11, n("A5 148 x 210 mm"), 1480, 2100},
        {12, n("B4 250 x 354 mm"), 2500, 3540},
        {13, n("B5 182 x 257 mm"), 1820, 2570},
        {14, n("Foglio, 8 1/2 x 13\""), 2159, 3302},
        {15, n("Foglio quarto, 215 x 275 mm"), 2150, 2750},
        {16, n("Foglio 10 x 14\""), 2540, 3556},
        {17, n("Foglio 11 x 17\""), 2794, 4318},
        {18, n("Note, 8 1/2 x 11\""), 2159, 2794},
        {19, n("9 Busta, 3 7/8 x 8 7/8\""), 984, 2254},
        {20, n("#10 Busta, 4 1/8  x 9 1/2\""), 1048, 2413},
        {21, n("#11 Busta, 4 1/2 x 10 3/8\""), 1143, 2635},
        {22, n("#12 Busta, 4 3/4 x 11\""), 1207, 2794},
        {23, n("#14 Busta, 5 x 11 1/2\""), 1270, 2921},
        {24, n("C Foglio, 17 x 22\""), 4318, 5588},
        {25, n("D Foglio, 22 x 34\""), 5588, 8636},
        {26, n("E Foglio, 34 x 44\""), 8636, 11176},
        {27, n("DL Busta, 110 x 220 mm"), 1100, 2200},
        {28, n("C5 Busta, 162 x 229 mm"), 1620, 2290},
        {29, n("C3 Busta,  324 x 458 mm"), 3240, 4580},
        {30, n("C4 Busta,  229 x 324 mm"), 2290, 3240},
        {31, n("C6 Busta,  114 x 162 mm"), 1140, 1620},
        {32, n("C65 Busta, 114 x 229 mm"), 1140, 2290},
        {33, n("B4 Busta,  250 x 353 mm"), 2500, 3530},
        {34, n("B5 Busta,  176 x 250 mm"), 1760, 2500},
        {35, n("B6 Busta,  176 x 125 mm"), 1760, 1250},
        {36, n("Busta italiana, 110 x 230 mm"), 1100, 2300},
        {37, n("Busta re, 3 7/8 x 7 1/2\""), 984, 1905},
        {38, n("6 3/4 Busta, 3 5/8 x 6 1/2\""), 920, 1651},
        {39, n("Standard Fanfold americano, 14 7/8 x 11\""), 3778, 2794},
        {40, n("Standard Fanfold tedesco, 8 1/2 x 12\""), 2159, 3048},
        {41, n("Legale Fanfold tedesco, 8 1/2 x 13\""), 2159, 3302},
        {42, n("B4 (ISO) 250 x 353 mm"), 2500, 3530},
        {43, n("Cartolina giapponese 100 x 148 mm"), 1000, 1480},
        {44, n("Foglio 9 x 11\""), 2286, 2794},
        {45, n("Foglio 10 x 11\""), 2540, 2794},
        {46, n("Foglio 15 x 11\""), 3810, 2794},
        {47, n("Busta Invito 220 x 220 mm"), 2200, 2200},
        {48, n("Lettera Extra 9 ") + kHalf + n(" x 12\""), 2355, 3048},
        {49, n("Legale Extra 9 ") + kHalf + n(" x 15\""), 2355, 3810},
        {50, n("Compresso Extra 11.69 x 18\""), 2969, 4572},
        {51, n("A4 Extra 9.27 x 12.69\""), 2354, 3223},
        {52, n("Lettera Trasversale 8 ") + kHalf + n(" x 11\""), 2101, 2794},
        {53, n("A4 Transversale 210 x 297 mm"), 2100, 2970},
        {54, n("Lettera Extra Trasversale 9") + kHalf + n(" x 12\""), 2355, 3048},
        {55, n("SuperASuperAA4 227 x 356 mm"), 2270, 3560},
        {56, n("SuperBSuperBA3 305 x 487 mm"), 3050, 4870},
        {57, n("Lettera Plus 8.5 x 12.69\""), 2159, 3223},
        {58, n("A4 Plus 210 x 330 mm"), 2100, 3300},
        {59, n("A5 Trasversale 148 x 210 mm"), 1480, 2100},
        {60, n("B5 (JIS) Trasversale 182 x 257 mm"), 1820, 2570},
        {61, n("A3 Extra 322 x 445 mm"), 3220, 4450},
        {62, n("A5 Extra 174 x 235 mm"), 1740, 2350},
        {63, n("B5 (ISO) Extra 201 x 276 mm"), 2010, 2760},
        {64, n("A2 420 x 594 mm"), 4200, 5940},
        {65, n("A3 Trasversale 297 x 420 mm"), 2970, 4200},
        {66, n("A3 Extra Trasversale 322 x 445 mm"), 3220, 4450},
        {256, n("Personalizzato"), 0, 0},
    }};
}

// Real to integer: nearest, halves to even.
int32_t roundEven(double v) {
    return int32_t(std::nearbyint(v));
}

// The printer settings' part of the library state: the process-wide
// object. The system's printers are Qt objects that must be freed while the
// application object still exists (its print support and platform plugin go
// with it): whenever settings are stored while there is an application
// object, a clean-up routine of that application frees them. Whatever is
// still held when the process exits after the application object is gone is
// left to the operating system (the library state is never destroyed).
struct SettingsStorage : LibraryStatePart {
    std::unique_ptr<TPrinterSettings> settings;
    bool cleanupQueued = false;
    // No settings until the next use; a clean-up routine already queued
    // with the application stays queued.
    void reset() override { settings.reset(); }
};

SettingsStorage& settingsStorage() {
    return libraryState().part<SettingsStorage>();
}

void freeSettingsWithApplication() {
    SettingsStorage& storage = settingsStorage();
    storage.cleanupQueued = false;
    storage.settings.reset();
}

// Queues the clean-up with the current application object (once per
// application object: the routine clears the mark when it runs).
void queueCleanup() {
    SettingsStorage& storage = settingsStorage();
    if (storage.cleanupQueued || !QCoreApplication::instance())
        return;
    qAddPostRoutine(freeSettingsWithApplication);
    storage.cleanupQueued = true;
}

const QString kInvalidPrinter = QStringLiteral("La stampante selezionata non è valida");

} // namespace

const std::array<TPaperInfo, kPaperTableSize>& PaperTable() {
    static const std::array<TPaperInfo, kPaperTableSize> table = buildPaperTable();
    return table;
}

TPrinterSettings::TPrinterSettings(std::unique_ptr<PrinterDevice> device)
    : device_(std::move(device)) {
    // Until LoadPrinterList runs, the pseudo printer is the only entry.
    Printers << PseudoPrinterName();
    PseudoPrinterIndex = 0;
    PrinterIndex = 0;
}

TPrinterSettings::~TPrinterSettings() = default;

void TPrinterSettings::LoadPrinterList(std::unique_ptr<PrinterDevice> device) {
    if (device)
        device_ = std::move(device);
    Printers.clear();
    PrinterIndex = 0;
    if (device_) {
        try {
            const QStringList names = device_->printerNames();
            if (!names.isEmpty()) {
                Printers = names;
                const int current = device_->currentPrinterIndex();
                if (current >= 0 && current < names.size()) {
                    // The current printer keeps its device mode: the paper
                    // and orientation last applied to it stay, so that the
                    // fields read back match what SamePaper compares with.
                    PrinterIndex = current;
                    ReadDeviceSettings();
                } else {
                    // No current (default) printer: the printers are listed
                    // and the pseudo printer is selected.
                    PrinterIndex = int32_t(names.size());
                }
            }
        } catch (const std::exception&) {
            // A printer that fails while its settings are read leaves only
            // the pseudo printer, without a message.
            Printers.clear();
            PrinterIndex = 0;
        }
    }
    Printers << PseudoPrinterName();
    PseudoPrinterIndex = int32_t(Printers.size() - 1);
}

void TPrinterSettings::SelectPrinter(int index) {
    if (index < 0 || index >= Printers.size())
        throw VxError(kInvalidPrinter);
    PrinterIndex = index;
    if (index == PseudoPrinterIndex) {
        ApplyPaper();
        return;
    }
    if (!device_ || device_->printerNames().isEmpty())
        return;
    device_->selectPrinter(index);
    ReadDeviceSettings();
}

void TPrinterSettings::ReadDeviceSettings() {
    if (!device_)
        return;
    DeviceName = device_->deviceName();
    DriverName = device_->driverName().left(63);
    PortName = device_->portName();
    const DeviceMode mode = device_->deviceMode();
    const DeviceCaps caps = device_->caps();
    DpiX = caps.dpiX;
    DpiY = caps.dpiY;
    if (DeviceModeHas(mode, DeviceModeField::PaperSize))
        PaperSize = mode.paperSize;
    int x = 0;
    int y = 0;
    if (DpiX > 0 && DpiY > 0 && device_->physicalPageSize(x, y)) {
        PaperWidth = roundEven(double(x) / DpiX * 254.0);
        PaperHeight = roundEven(double(y) / DpiY * 254.0);
    } else {
        PaperWidth = 0;
        PaperHeight = 0;
    }
    PaperCodes.fill(0);
    PaperNames.clear();
    const std::vector<DevicePaper> papers = device_->papers();
    // Room for 256 codes; a printer offering more lists the first 256.
    const size_t count = std::min(papers.size(), size_t(kMaxPaperCodes));
    for (size_t i = 0; i < count; ++i) {
        PaperCodes[i] = papers[i].code;
        PaperNames << papers[i].name.left(64);
    }
    PaperCount = int32_t(count);
}

void TPrinterSettings::ApplyPaper() {
    if (IsPseudoPrinter() || !device_)
        ApplyPaperToTable();
    else
        ApplyPaperToDevice();
}

void TPrinterSettings::ApplyPaperToTable() {
    const auto& table = PaperTable();
    PaperNames.clear();
    PaperNames.reserve(kPaperTableSize);
    PaperCodes.fill(0);
    for (int i = 0; i < kPaperTableSize; ++i) {
        PaperNames << table[size_t(i)].Name;
        PaperCodes[size_t(i)] = uint16_t(table[size_t(i)].Code);
        if (PaperSize != kCustomPaper && table[size_t(i)].Code == PaperSize) {
            PaperWidth = table[size_t(i)].Width;
            PaperHeight = table[size_t(i)].Height;
            if (Orientation == 1)
                std::swap(PaperWidth, PaperHeight);
        }
    }
    PaperCount = kPaperTableSize;
}

void TPrinterSettings::ApplyPaperToDevice() {
    DeviceMode mode = device_->deviceMode();
    if (PaperSize == kCustomPaper) {
        DeviceModeMark(mode, DeviceModeField::PaperLength);
        mode.paperLength = PaperHeight;
        DeviceModeMark(mode, DeviceModeField::PaperWidth);
        mode.paperWidth = PaperWidth;
    }
    if (DeviceModeHas(mode, DeviceModeField::PaperSize)) {
        DeviceModeMark(mode, DeviceModeField::PaperSize);
        mode.paperSize = PaperSize;
    }
    if (DeviceModeHas(mode, DeviceModeField::Orientation)) {
        DeviceModeMark(mode, DeviceModeField::Orientation);
        mode.orientation = Orientation != 0 ? 2 : 1;
    }
    device_->setDeviceMode(mode);
    // The fields show what the driver accepted.
    ReadDeviceSettings();
}

bool TPrinterSettings::SamePaper(int code, int width, int height, int orientation) const {
    if (code != PaperSize || orientation != Orientation)
        return false;
    return code != kCustomPaper || (width == PaperWidth && height == PaperHeight);
}

void TPrinterSettings::SetPaper(int code, int width, int height, int orientation) {
    if (SamePaper(code, width, height, orientation))
        return;
    PaperSize = code;
    PaperWidth = width;
    PaperHeight = height;
    Orientation = uint8_t(orientation);
    ApplyPaper();
}

void TPrinterSettings::GetPageMetrics(PageMetrics& m) {
    if (IsPseudoPrinter() || !device_) {
        // Integer division truncates; the printable area is the paper less
        // 18 screen pixels on every side. Printer fields stay as they were.
        m.ScreenWidth = int32_t(int64_t(PaperWidth) * 96 / 254);
        m.ScreenHeight = int32_t(int64_t(PaperHeight) * 96 / 254);
        m.ScreenOffsetX = 18;
        m.ScreenOffsetY = 18;
        m.ScreenPrintWidth = m.ScreenWidth - 36;
        m.ScreenPrintHeight = m.ScreenHeight - 36;
        return;
    }
    const DeviceCaps caps = device_->caps();
    // A device that reports no resolution cannot be measured.
    if (caps.dpiX <= 0 || caps.dpiY <= 0)
        throw VxError(kInvalidPrinter);
    const double kx = 96.0 / caps.dpiX;
    const double ky = 96.0 / caps.dpiY;
    m.PhysWidth = caps.physicalWidth;
    m.PhysHeight = caps.physicalHeight;
    m.PhysOffsetX = caps.physicalOffsetX;
    m.PhysOffsetY = caps.physicalOffsetY;
    m.PhysPrintWidth = caps.pageWidth;
    m.PhysPrintHeight = caps.pageHeight;
    m.ScreenWidth = roundEven(m.PhysWidth * kx);
    m.ScreenHeight = roundEven(m.PhysHeight * ky);
    m.ScreenOffsetX = roundEven(m.PhysOffsetX * kx);
    m.ScreenOffsetY = roundEven(m.PhysOffsetY * ky);
    m.ScreenPrintWidth = roundEven(m.PhysPrintWidth * kx);
    m.ScreenPrintHeight = roundEven(m.PhysPrintHeight * ky);
}

int TPrinterSettings::PaperIndex(int code) const {
    for (int i = 0; i < PaperCount && i < kMaxPaperCodes; ++i)
        if (PaperCodes[size_t(i)] == code)
            return i;
    return PaperCount - 1;
}

void TPrinterSettings::ChangeReportPaper(TvxReport* report) {
    if (!report || !report->Pages)
        return;
    TvxPages& pages = *report->Pages;
    for (int i = 0; i < pages.Count(); ++i) {
        TvxPage& page = pages[i];
        page.ChangePaper(page.PaperSize, page.PaperWidth, page.PaperHeight, page.Orientation);
    }
}

bool TPrinterSettings::SwitchPrinter(TvxReport* report, int oldIndex, int newIndex) {
    try {
        SelectPrinter(newIndex);
        PaperSize = -1;
        ChangeReportPaper(report);
        return true;
    } catch (const std::exception&) {
        showMessage(QStringLiteral("Errore"), kInvalidPrinter, MessageIcon::Error);
    }
    // Back to the previous printer; a failure there leaves the pseudo
    // printer rather than a half-selected device.
    try {
        SelectPrinter(oldIndex);
    } catch (const std::exception&) {
        PrinterIndex = PseudoPrinterIndex;
        ApplyPaper();
    }
    PaperSize = -1;
    try {
        ChangeReportPaper(report);
    } catch (const std::exception&) {
    }
    return false;
}

void TPrinterSettings::SelectStoredPrinter(TvxReport* report, const QString& name) {
    if (!report || report->PrintToCurrentPrinter)
        return;
    for (int i = 0; i < Printers.size(); ++i) {
        if (Printers[i].compare(name, Qt::CaseInsensitive) != 0)
            continue;
        // A printer that cannot be selected now does not make the file
        // unreadable: the previous selection stays.
        const int previous = PrinterIndex;
        try {
            SelectPrinter(i);
        } catch (const std::exception&) {
            try {
                SelectPrinter(previous);
            } catch (const std::exception&) {
                PrinterIndex = PseudoPrinterIndex;
                ApplyPaper();
            }
        }
        return;
    }
}

TPrinterSettings& PrinterSettings() {
    SettingsStorage& storage = settingsStorage();
    if (!storage.settings) {
        storage.settings = std::make_unique<TPrinterSettings>(createSystemPrinterDevice());
        queueCleanup();
        storage.settings->LoadPrinterList();
    }
    return *storage.settings;
}

std::unique_ptr<TPrinterSettings>
ReplacePrinterSettings(std::unique_ptr<TPrinterSettings> settings) {
    SettingsStorage& storage = settingsStorage();
    std::unique_ptr<TPrinterSettings> previous = std::move(storage.settings);
    storage.settings = std::move(settings);
    if (storage.settings)
        queueCleanup();
    return previous;
}

bool HasPrinterSettings() {
    return settingsStorage().settings != nullptr;
}

} // namespace vx
