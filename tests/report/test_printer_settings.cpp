#include "report/printer_settings.h"

#include "platform/errors.h"
#include "platform/message_box.h"
#include "platform/painter_canvas.h"
#include "report/page.h"
#include "report/report.h"

#include "tests/support/cups_queue.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPrinter>
#include <gtest/gtest.h>

namespace vx {
namespace {

// A printer system in memory: printers with a resolution, papers and a
// 1/4-inch unprintable margin; a printer named "rotta" fails when selected
// or read; the paper code `refused` (and custom paper when `refuseCustom`)
// is refused by the driver with an error.
class FakeDevice : public PrinterDevice {
public:
    QStringList names{QStringLiteral("Ufficio"), QStringLiteral("Magazzino"),
                      QStringLiteral("rotta")};
    int current = 0;
    int dpi = 600;
    DeviceMode mode{DeviceModeField::Orientation | DeviceModeField::PaperSize, 1, 9, 0, 0};
    int selects = 0;
    int refused = -1;
    bool refuseCustom = false;

    QStringList printerNames() override { return names; }
    int currentPrinterIndex() override { return current; }
    void selectPrinter(int index) override {
        if (names.value(index) == QStringLiteral("rotta"))
            throw VxError(QStringLiteral("guasta"));
        current = index;
        mode = DeviceMode{DeviceModeField::Orientation | DeviceModeField::PaperSize, 1, 9, 0, 0};
        ++selects;
    }
    QString deviceName() override {
        usable();
        return names.value(current);
    }
    QString driverName() override { return QStringLiteral("driver-fittizio"); }
    QString portName() override { return QStringLiteral("LPT1:"); }
    DeviceMode deviceMode() override {
        usable();
        return mode;
    }
    void setDeviceMode(const DeviceMode& m) override {
        if (m.paperSize == refused || (refuseCustom && m.paperSize == 256))
            throw VxError(QStringLiteral("carta rifiutata"));
        mode = m;
    }
    void usable() const {
        if (names.value(current) == QStringLiteral("rotta"))
            throw VxError(QStringLiteral("guasta"));
    }
    QSize paperPixels() const {
        // A4 and letter only; custom sizes as given.
        QSizeF mm(210, 297);
        if (mode.paperSize == 1)
            mm = QSizeF(215.9, 279.4);
        else if (mode.paperSize == 256)
            mm = QSizeF(mode.paperWidth / 10.0, mode.paperLength / 10.0);
        QSize px(int(mm.width() / 25.4 * dpi + 0.5), int(mm.height() / 25.4 * dpi + 0.5));
        return mode.orientation == 2 ? px.transposed() : px;
    }
    DeviceCaps caps() override {
        const QSize px = paperPixels();
        const int margin = dpi / 4;
        return DeviceCaps{dpi,
                          dpi,
                          px.width(),
                          px.height(),
                          margin,
                          margin,
                          px.width() - 2 * margin,
                          px.height() - 2 * margin};
    }
    bool physicalPageSize(int& w, int& h) override {
        const QSize px = paperPixels();
        w = px.width();
        h = px.height();
        return true;
    }
    std::vector<DevicePaper> papers() override {
        return {{1, QStringLiteral("Letter")},
                {9, QStringLiteral("A4")},
                {256, QStringLiteral("Custom")}};
    }
    void configurePrinter(QPrinter&) override {}
};

TEST(PaperTable, RowsAsGiven) {
    const auto& t = PaperTable();
    ASSERT_EQ(t.size(), 67u);
    struct Row {
        int index, code, width, height;
        const char* name;
    } rows[] = {
        {0, 1, 2159, 2794, "Lettera, 8 1/2 x 11\""},
        {8, 9, 2100, 2970, "A4 210 x 297 mm"},
        {19, 20, 1048, 2413, "#10 Busta, 4 1/8  x 9 1/2\""},
        {28, 29, 3240, 4580, "C3 Busta,  324 x 458 mm"},
        {34, 35, 1760, 1250, "B6 Busta,  176 x 125 mm"},
        {48, 49, 2355, 3810, "Legale Extra 9 \xC2\xBD x 15\""},
        {53, 54, 2355, 3048, "Lettera Extra Trasversale 9\xC2\xBD x 12\""},
        {52, 53, 2100, 2970, "A4 Transversale 210 x 297 mm"},
        {65, 66, 3220, 4450, "A3 Extra Trasversale 322 x 445 mm"},
        {66, 256, 0, 0, "Personalizzato"},
    };
    for (const Row& r : rows) {
        const TPaperInfo& p = t[size_t(r.index)];
        EXPECT_EQ(p.Code, r.code) << r.index;
        EXPECT_EQ(p.Width, r.width) << r.index;
        EXPECT_EQ(p.Height, r.height) << r.index;
        EXPECT_EQ(p.Name, QString::fromUtf8(r.name)) << r.index;
    }
    for (int i = 0; i < 66; ++i)
        EXPECT_EQ(t[size_t(i)].Code, i + 1);
}

TEST(PrinterSettings, PseudoPrinterA4Metrics) {
    TPrinterSettings s;
    s.LoadPrinterList();
    ASSERT_EQ(s.Printers, QStringList{QStringLiteral("Stampante predefinita")});
    EXPECT_TRUE(s.IsPseudoPrinter());
    s.SetPaper(9, 0, 0, 0);
    EXPECT_EQ(s.PaperWidth, 2100);
    EXPECT_EQ(s.PaperHeight, 2970);
    EXPECT_EQ(s.PaperCount, 67);
    EXPECT_EQ(s.PaperNames.size(), 67);
    PageMetrics m;
    m.PhysWidth = 123; // printer fields stay as they were
    s.GetPageMetrics(m);
    EXPECT_EQ(m.ScreenWidth, 793);
    EXPECT_EQ(m.ScreenHeight, 1122);
    EXPECT_EQ(m.ScreenPrintWidth, 757);
    EXPECT_EQ(m.ScreenPrintHeight, 1086);
    EXPECT_EQ(m.ScreenOffsetX, 18);
    EXPECT_EQ(m.ScreenOffsetY, 18);
    EXPECT_EQ(m.PhysWidth, 123);
    s.SetPaper(9, 0, 0, 1);
    EXPECT_EQ(s.PaperWidth, 2970);
    EXPECT_EQ(s.PaperHeight, 2100);
}

TEST(PrinterSettings, SetPaperReapplyRules) {
    TPrinterSettings s;
    s.SetPaper(9, 0, 0, 0);
    // Same code and orientation: nothing happens, whatever the dimensions.
    s.SetPaper(9, 1234, 5678, 0);
    EXPECT_EQ(s.PaperWidth, 2100);
    EXPECT_TRUE(s.SamePaper(9, 1, 2, 0));
    EXPECT_FALSE(s.SamePaper(9, 2100, 2970, 1));
    // Custom paper: applies when the dimensions differ and keeps them.
    s.SetPaper(256, 1000, 1500, 0);
    EXPECT_EQ(s.PaperSize, 256);
    EXPECT_EQ(s.PaperWidth, 1000);
    EXPECT_EQ(s.PaperHeight, 1500);
    EXPECT_TRUE(s.SamePaper(256, 1000, 1500, 0));
    EXPECT_FALSE(s.SamePaper(256, 1000, 1501, 0));
    s.SetPaper(256, 1200, 1500, 1); // custom sizes are not exchanged
    EXPECT_EQ(s.PaperWidth, 1200);
    PageMetrics m;
    s.GetPageMetrics(m);
    EXPECT_EQ(m.ScreenWidth, 1200 * 96 / 254);
    // PaperSize -1 forces the next SetPaper even for the same code.
    s.SetPaper(9, 0, 0, 0);
    s.PaperWidth = 1;
    s.PaperSize = -1;
    s.SetPaper(9, 0, 0, 0);
    EXPECT_EQ(s.PaperWidth, 2100);
}

TEST(PrinterSettings, PaperIndexFallsBackToLastPosition) {
    TPrinterSettings s;
    s.SetPaper(9, 0, 0, 0);
    EXPECT_EQ(s.PaperIndex(9), 8);
    EXPECT_EQ(s.PaperIndex(256), 66);
    EXPECT_EQ(s.PaperIndex(70), 66);
    EXPECT_EQ(s.PaperIndex(0), 66);
}

TEST(PrinterSettings, RealPrinterFromDevice) {
    auto fake = std::make_unique<FakeDevice>();
    FakeDevice* dev = fake.get();
    TPrinterSettings s;
    s.LoadPrinterList(std::move(fake));
    ASSERT_EQ(s.Printers.size(), 4);
    EXPECT_EQ(s.Printers.last(), QStringLiteral("Stampante predefinita"));
    EXPECT_EQ(s.PseudoPrinterIndex, 3);
    EXPECT_EQ(s.PrinterIndex, 0);
    EXPECT_EQ(s.DeviceName, QStringLiteral("Ufficio"));
    EXPECT_EQ(s.DpiX, 600);
    EXPECT_EQ(s.PaperSize, 9);
    EXPECT_EQ(s.PaperWidth, 2100); // 4961 px / 600 * 254 = 2100.05
    EXPECT_EQ(s.PaperHeight, 2970);
    EXPECT_EQ(s.PaperCount, 3);
    EXPECT_EQ(s.PaperIndex(1), 0);
    EXPECT_EQ(s.PaperIndex(5), 2);

    s.PaperSize = -1;
    s.SetPaper(9, 0, 0, 1);
    EXPECT_EQ(dev->mode.orientation, 2);
    EXPECT_EQ(s.PaperWidth, 2970);
    PageMetrics m;
    s.GetPageMetrics(m);
    EXPECT_EQ(m.PhysWidth, 7016);
    EXPECT_EQ(m.PhysOffsetX, 150);
    EXPECT_EQ(m.ScreenOffsetX, 24);
    EXPECT_EQ(m.ScreenWidth, 1123); // 7016 * 96 / 600 = 1122.56
    EXPECT_EQ(m.PhysPrintWidth, 7016 - 300);
    EXPECT_EQ(m.ScreenPrintWidth, 1075); // 6716 * 0.16 = 1074.56

    s.SetPaper(256, 1000, 2000, 0);
    EXPECT_EQ(dev->mode.paperWidth, 1000);
    EXPECT_EQ(dev->mode.paperLength, 2000);
    EXPECT_TRUE(dev->mode.fields & DeviceModeField::PaperWidth);
    EXPECT_EQ(s.PaperWidth, 1000);
}

// Printing re-reads the printer list at the start of every job: the
// current printer keeps the paper and orientation last applied, so the
// fields still describe what the device will print on.
TEST(PrinterSettings, ReloadingThePrinterListKeepsTheDeviceMode) {
    auto fake = std::make_unique<FakeDevice>();
    FakeDevice* dev = fake.get();
    TPrinterSettings s;
    s.LoadPrinterList(std::move(fake));
    s.SetPaper(9, 0, 0, 1);
    ASSERT_EQ(dev->mode.orientation, 2);
    s.LoadPrinterList();
    EXPECT_EQ(dev->mode.orientation, 2);
    EXPECT_EQ(s.PaperWidth, 2970);
    EXPECT_EQ(s.PaperHeight, 2100);
    EXPECT_TRUE(s.SamePaper(9, 0, 0, 1));
    EXPECT_EQ(s.PrinterIndex, 0);
}

// A template page asks for its paper; a paper the printer refuses is asked
// for once more as a custom size with the same dimensions; an error on that
// retry reaches the caller.
TEST(PrinterSettings, PageRetriesARefusedPaperAsCustomSize) {
    auto fake = std::make_unique<FakeDevice>();
    FakeDevice* dev = fake.get();
    dev->refused = 13;
    auto saved = ReplacePrinterSettings(std::make_unique<TPrinterSettings>());
    PrinterSettings().LoadPrinterList(std::move(fake));

    TvxPage page(9, 0, 0, 0);
    EXPECT_EQ(page.PaperSize, 9);
    EXPECT_EQ(page.PaperWidth, 2100);
    page.ChangePaper(13, 1820, 2570, 0);
    EXPECT_EQ(page.PaperSize, 256);
    EXPECT_EQ(page.PaperWidth, 1820);
    EXPECT_EQ(page.PaperHeight, 2570);
    EXPECT_EQ(page.Orientation, 0);
    EXPECT_EQ(dev->mode.paperSize, 256);
    EXPECT_EQ(dev->mode.paperWidth, 1820);
    // 182 mm at 600 dpi = 4299 px, less two 150 px margins, at 96 dpi.
    EXPECT_EQ(page.pageMetrics.PhysWidth, 4299);
    EXPECT_EQ(page.pageMetrics.ScreenPrintWidth, 640);

    dev->refuseCustom = true;
    EXPECT_THROW(page.ChangePaper(13, 1000, 1000, 0), VxError);
    ReplacePrinterSettings(std::move(saved));
}

// Without printers a custom size (the paper of a zoomed page) keeps its
// dimensions, also in landscape; a table code takes the table's.
TEST(PrinterSettings, PseudoPrinterPagePaper) {
    auto saved = ReplacePrinterSettings(std::make_unique<TPrinterSettings>());
    struct Row {
        int code, width, height, orientation;
        int wantCode, wantWidth, wantHeight, screenWidth, screenHeight;
    } rows[] = {
        {256, 1050, 2970, 0, 256, 1050, 2970, 396, 1122},
        {256, 1050, 2970, 1, 256, 1050, 2970, 396, 1122},
        {11, 1, 2, 1, 11, 2100, 1480, 793, 559},
        {9, 0, 0, 0, 9, 2100, 2970, 793, 1122},
    };
    TvxPage page(9, 0, 0, 0);
    for (const Row& r : rows) {
        page.ChangePaper(r.code, r.width, r.height, uint8_t(r.orientation));
        EXPECT_EQ(page.PaperSize, r.wantCode) << r.code;
        EXPECT_EQ(page.PaperWidth, r.wantWidth) << r.code;
        EXPECT_EQ(page.PaperHeight, r.wantHeight) << r.code;
        EXPECT_EQ(page.pageMetrics.ScreenWidth, r.screenWidth) << r.code;
        EXPECT_EQ(page.pageMetrics.ScreenHeight, r.screenHeight) << r.code;
        EXPECT_EQ(page.pageMetrics.ScreenOffsetX, 18);
    }
    ReplacePrinterSettings(std::move(saved));
}

TEST(PrinterSettings, NoCurrentPrinterSelectsThePseudoPrinter) {
    auto fake = std::make_unique<FakeDevice>();
    fake->current = -1;
    TPrinterSettings s;
    s.LoadPrinterList(std::move(fake));
    EXPECT_EQ(s.Printers.size(), 4);
    EXPECT_TRUE(s.IsPseudoPrinter());
}

TEST(PrinterSettings, FailingPrinterLeavesOnlyThePseudoPrinter) {
    auto fake = std::make_unique<FakeDevice>();
    fake->current = 2; // "rotta"
    TPrinterSettings s;
    s.LoadPrinterList(std::move(fake));
    EXPECT_EQ(s.Printers, QStringList{QStringLiteral("Stampante predefinita")});
    EXPECT_EQ(s.PrinterIndex, 0);
    EXPECT_TRUE(s.IsPseudoPrinter());
}

TEST(PrinterSettings, SwitchPrinterReportsAFailingPrinter) {
    auto saved = ReplacePrinterSettings(std::make_unique<TPrinterSettings>());
    TPrinterSettings& s = PrinterSettings();
    s.LoadPrinterList(std::make_unique<FakeDevice>());
    TvxReport report;
    MessageBoxInterceptor boxes;

    EXPECT_TRUE(s.SwitchPrinter(&report, 0, 3));
    EXPECT_TRUE(s.IsPseudoPrinter());
    EXPECT_EQ(report.Pages->Pages(0).pageMetrics.ScreenWidth, 793);
    EXPECT_TRUE(boxes.messages().empty());

    EXPECT_FALSE(s.SwitchPrinter(&report, 3, 2));
    ASSERT_EQ(boxes.messages().size(), 1u);
    EXPECT_EQ(boxes.messages()[0].caption, QStringLiteral("Errore"));
    EXPECT_EQ(boxes.messages()[0].text, QStringLiteral("La stampante selezionata non è valida"));
    EXPECT_EQ(s.PrinterIndex, 3);

    EXPECT_TRUE(s.SwitchPrinter(&report, 3, 1));
    EXPECT_EQ(s.DeviceName, QStringLiteral("Magazzino"));
    // The page took the device's metrics (1/4 inch unprintable margin).
    EXPECT_EQ(report.Pages->Pages(0).pageMetrics.ScreenOffsetX, 24);
    ReplacePrinterSettings(std::move(saved));
}

TEST(PrinterSettings, SelectStoredPrinterOnlyWhenReportAllowsIt) {
    auto saved = ReplacePrinterSettings(std::make_unique<TPrinterSettings>());
    TPrinterSettings& s = PrinterSettings();
    auto fake = std::make_unique<FakeDevice>();
    fake->current = -1;
    s.LoadPrinterList(std::move(fake));
    TvxReport report;
    report.PrintToCurrentPrinter = true;
    s.SelectStoredPrinter(&report, QStringLiteral("ufficio"));
    EXPECT_TRUE(s.IsPseudoPrinter());
    report.PrintToCurrentPrinter = false;
    s.SelectStoredPrinter(&report, QStringLiteral("sconosciuta"));
    EXPECT_TRUE(s.IsPseudoPrinter());
    s.SelectStoredPrinter(&report, QStringLiteral("MAGAZZINO"));
    EXPECT_EQ(s.PrinterIndex, 1);
    // A stored printer that fails to open keeps the previous selection.
    s.SelectStoredPrinter(&report, QStringLiteral("rotta"));
    EXPECT_EQ(s.PrinterIndex, 1);
    ReplacePrinterSettings(std::move(saved));
}

// Tests reach no printer but the run's own queue: outside a run of
// scripts/services/with_services.sh none at all, never the system's.
TEST(PrinterSettings, TestsSeeOnlyTheRunsPrinter) {
    TPrinterSettings s;
    s.LoadPrinterList(createSystemPrinterDevice());
    const QString listed = s.Printers.mid(0, s.PseudoPrinterIndex).join(QLatin1Char(','));
    EXPECT_EQ(listed.toStdString(), qEnvironmentVariable("VX_CUPS_PRINTER").toStdString());
}

// The run's private CUPS printer: the settings read it through Qt, and a
// page printed to it arrives as a PDF once its job has ended.
TEST(PrinterSettings, RealCupsPrinter) {
    QString whyNot;
    const auto queue = test::CupsQueue::fromEnvironment(whyNot);
    if (!queue)
        GTEST_SKIP() << whyNot.toStdString();
    TPrinterSettings s;
    s.LoadPrinterList(createSystemPrinterDevice());
    const int index = int(s.Printers.indexOf(queue->printer));
    ASSERT_GE(index, 0) << "printer " << queue->printer.toStdString() << " not listed";
    ASSERT_LT(index, s.PseudoPrinterIndex);
    s.SelectPrinter(index);
    EXPECT_FALSE(s.IsPseudoPrinter());
    EXPECT_GT(s.DpiX, 0);
    EXPECT_GT(s.PaperCount, 0);
    s.PaperSize = -1;
    s.SetPaper(9, 0, 0, 0);
    EXPECT_EQ(s.PaperSize, 9);
    EXPECT_NEAR(s.PaperWidth, 2100, 2);
    EXPECT_NEAR(s.PaperHeight, 2970, 2);
    PageMetrics m;
    s.GetPageMetrics(m);
    EXPECT_NEAR(m.ScreenWidth, 794, 1);
    EXPECT_NEAR(m.ScreenHeight, 1123, 1);
    EXPECT_GE(m.PhysOffsetX, 0);
    EXPECT_LE(m.PhysPrintWidth, m.PhysWidth);
    s.SetPaper(9, 0, 0, 1);
    EXPECT_NEAR(s.PaperWidth, 2970, 2);
    s.GetPageMetrics(m);
    EXPECT_GT(m.ScreenWidth, m.ScreenHeight);
    // A print job re-reads the list: the printer stays in landscape.
    s.LoadPrinterList();
    EXPECT_EQ(s.PrinterIndex, index);
    EXPECT_NEAR(s.PaperWidth, 2970, 2);
    EXPECT_TRUE(s.SamePaper(9, 0, 0, 1));

    const QString title = QStringLiteral("vxtest-%1").arg(QCoreApplication::applicationPid());
    {
        QPrinter printer(QPrinter::HighResolution);
        s.Device()->configurePrinter(printer);
        printer.setDocName(title);
        QPainter painter;
        ASSERT_TRUE(painter.begin(&printer));
        PainterCanvas canvas(painter, QTransform::fromScale(printer.resolution() / 96.0,
                                                            printer.resolution() / 96.0));
        canvas.textOut(40, 40, QStringLiteral("Prova di stampa"));
        canvas.rectangle(rectFromEdges(20, 20, 300, 100));
        painter.end();
    }
    const std::vector<test::CupsJob> jobs = queue->waitForJobs(title, 1);
    ASSERT_EQ(jobs.size(), 1u) << queue->describeJobs();
    EXPECT_EQ(jobs[0].state, QStringLiteral("completed"));
    const std::vector<QImage> pages = test::pdfPageImages(queue->pdfOf(jobs[0]), 24);
    ASSERT_EQ(pages.size(), 1u);
    int dark = 0; // the rectangle's frame and the text
    for (int y = 0; y < pages[0].height(); ++y)
        for (int x = 0; x < pages[0].width(); ++x)
            dark += qGray(pages[0].pixel(x, y)) < 160;
    EXPECT_GT(dark, 20);
}

} // namespace
} // namespace vx
