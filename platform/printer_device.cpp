#include "platform/printer_device.h"

#include "platform/errors.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>

#include <cmath>
#include <optional>

namespace vx {

namespace {

QString unusable(const QString& name) {
    return QStringLiteral("La stampante \"%1\" non è disponibile").arg(name);
}

std::optional<QPageSize> pageSizeOf(const DeviceMode& mode) {
    return pageSizeOfPaper(mode.paperSize, mode.paperWidth, mode.paperLength);
}

// Printers of the system through Qt's printing support (CUPS on Linux).
class SystemPrinterDevice : public PrinterDevice {
public:
    QStringList printerNames() override { return QPrinterInfo::availablePrinterNames(); }

    int currentPrinterIndex() override {
        const QStringList names = printerNames();
        if (!current_.isEmpty())
            return int(names.indexOf(current_));
        return int(names.indexOf(QPrinterInfo::defaultPrinterName()));
    }

    void selectPrinter(int index) override {
        const QStringList names = printerNames();
        if (index < 0 || index >= names.size())
            throw VxError(QStringLiteral("La stampante selezionata non è valida"));
        const QPrinterInfo info = QPrinterInfo::printerInfo(names[index]);
        if (info.isNull())
            throw VxError(unusable(names[index]));
        current_ = names[index];
        info_ = info;
        // The driver's defaults: its default paper, portrait.
        DeviceMode mode;
        mode.fields = DeviceModeField::Orientation | DeviceModeField::PaperSize;
        mode.orientation = 1;
        const QPageSize def = info.defaultPageSize();
        mode.paperSize = def.isValid() && def.windowsId() > 0 ? def.windowsId() : 9;
        if (def.isValid() && def.windowsId() <= 0) {
            mode.paperSize = kCustomPaper;
            const QSizeF mm = def.size(QPageSize::Millimeter);
            mode.paperWidth = int(std::nearbyint(mm.width() * 10));
            mode.paperLength = int(std::nearbyint(mm.height() * 10));
        }
        mode_ = mode;
        printer_.reset();
    }

    QString deviceName() override { return ensureCurrent().printerName(); }
    QString driverName() override {
        const QString model = ensureCurrent().makeAndModel();
        return (model.isEmpty() ? QStringLiteral("CUPS") : model).left(63);
    }
    QString portName() override { return ensureCurrent().location(); }

    DeviceMode deviceMode() override {
        ensureCurrent();
        return mode_;
    }

    void setDeviceMode(const DeviceMode& mode) override {
        ensureCurrent();
        // Like a driver, take what can be honoured: an unknown paper code
        // keeps the previous paper.
        DeviceMode accepted = mode;
        if (!pageSizeOf(accepted)) {
            accepted.paperSize = mode_.paperSize;
            accepted.paperWidth = mode_.paperWidth;
            accepted.paperLength = mode_.paperLength;
        }
        mode_ = accepted;
        printer_.reset();
    }

    DeviceCaps caps() override {
        QPrinter& printer = configured();
        DeviceCaps c;
        c.dpiX = printer.logicalDpiX();
        c.dpiY = printer.logicalDpiY();
        const QPageLayout layout = printer.pageLayout();
        const QRect full = layout.fullRectPixels(printer.resolution());
        const QRect paint = layout.paintRectPixels(printer.resolution());
        c.physicalWidth = full.width();
        c.physicalHeight = full.height();
        c.physicalOffsetX = paint.left();
        c.physicalOffsetY = paint.top();
        c.pageWidth = paint.width();
        c.pageHeight = paint.height();
        return c;
    }

    bool physicalPageSize(int& width, int& height) override {
        const DeviceCaps c = caps();
        if (c.physicalWidth <= 0 || c.physicalHeight <= 0)
            return false;
        width = c.physicalWidth;
        height = c.physicalHeight;
        return true;
    }

    std::vector<DevicePaper> papers() override {
        std::vector<DevicePaper> result;
        for (const QPageSize& size : ensureCurrent().supportedPageSizes()) {
            const int code = size.windowsId();
            // Sizes without a Windows paper code are offered as custom paper.
            if (code <= 0 || code > 0xFFFF)
                continue;
            bool seen = false;
            for (const DevicePaper& p : result)
                seen = seen || p.code == code;
            if (!seen)
                result.push_back(DevicePaper{uint16_t(code), size.name()});
        }
        return result;
    }

    void configurePrinter(QPrinter& printer) override {
        const QPrinterInfo& info = ensureCurrent();
        printer.setPrinterName(info.printerName());
        printer.setFullPage(false);
        if (const auto size = pageSizeOf(mode_))
            printer.setPageSize(*size);
        printer.setPageOrientation(mode_.orientation == 2 ? QPageLayout::Landscape
                                                          : QPageLayout::Portrait);
        // Margins at the printer's own minimum (its unprintable area).
        const QPageLayout layout = printer.pageLayout();
        printer.setPageMargins(layout.minimumMargins(), layout.units());
    }

private:
    const QPrinterInfo& ensureCurrent() {
        if (current_.isEmpty()) {
            const int index = currentPrinterIndex();
            if (index < 0)
                throw VxError(QStringLiteral("La stampante selezionata non è valida"));
            selectPrinter(index);
        }
        return info_;
    }

    QPrinter& configured() {
        ensureCurrent();
        if (!printer_) {
            printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
            configurePrinter(*printer_);
            if (!printer_->isValid())
                throw VxError(unusable(current_));
        }
        return *printer_;
    }

    QString current_;
    QPrinterInfo info_;
    DeviceMode mode_;
    std::unique_ptr<QPrinter> printer_; // measured with the current mode
};

} // namespace

std::optional<QPageSize> pageSizeOfPaper(int code, int width, int length) {
    if (code == kCustomPaper) {
        if (width <= 0 || length <= 0)
            return std::nullopt;
        return QPageSize(QSizeF(width / 10.0, length / 10.0), QPageSize::Millimeter, QString(),
                         QPageSize::ExactMatch);
    }
    const QPageSize::PageSizeId id = QPageSize::id(code);
    if (id == QPageSize::Custom)
        return std::nullopt;
    return QPageSize(id);
}

std::unique_ptr<PrinterDevice> createSystemPrinterDevice() {
    return std::make_unique<SystemPrinterDevice>();
}

} // namespace vx
