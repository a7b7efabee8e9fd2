// Print runs against a recording target: page and copy order, one job per
// run of equal paper, progress, titles, destination rectangles, cancel.

#include "platform/errors.h"
#include "platform/message_box.h"
#include "platform/printer_device.h"
#include "preview/print_dialog.h"
#include "preview/print_pages.h"
#include "preview/progress_form.h"
#include "report/printer_settings.h"
#include "tests/preview/preview_fixtures.h"

#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

#include <gtest/gtest.h>

namespace vx {
namespace {

// A printer with A4/letter/custom paper at 600 dpi and a quarter-inch
// unprintable border.
class FakePrinter : public PrinterDevice {
public:
    DeviceMode mode{DeviceModeField::Orientation | DeviceModeField::PaperSize, 1, 9, 0, 0};
    QStringList printerNames() override { return {QStringLiteral("Ufficio")}; }
    int currentPrinterIndex() override { return 0; }
    void selectPrinter(int) override {}
    QString deviceName() override { return QStringLiteral("Ufficio"); }
    QString driverName() override { return QStringLiteral("finto"); }
    QString portName() override { return QStringLiteral("LPT1:"); }
    DeviceMode deviceMode() override { return mode; }
    void setDeviceMode(const DeviceMode& m) override { mode = m; }
    QSize paperPixels() const {
        QSizeF mm(210, 297);
        if (mode.paperSize == 256)
            mm = QSizeF(mode.paperWidth / 10.0, mode.paperLength / 10.0);
        QSize px(int(mm.width() / 25.4 * 600 + 0.5), int(mm.height() / 25.4 * 600 + 0.5));
        return mode.orientation == 2 ? px.transposed() : px;
    }
    DeviceCaps caps() override {
        const QSize px = paperPixels();
        return DeviceCaps{600, 600, px.width(),       px.height(),
                          150, 150, px.width() - 300, px.height() - 300};
    }
    bool physicalPageSize(int& w, int& h) override {
        w = paperPixels().width();
        h = paperPixels().height();
        return true;
    }
    std::vector<DevicePaper> papers() override {
        return {{9, QStringLiteral("A4")}, {256, QStringLiteral("Custom")}};
    }
    void configurePrinter(QPrinter&) override {}
};

// Records what a print run asks of the printer.
class Recorder : public PrintTarget {
public:
    std::vector<QString> events;
    std::vector<int> pages;
    std::vector<QString> titles;
    std::vector<EdgeRect> rects;
    std::function<void(int pageIndex)> onPage;

    void beginJob(const QString& title) override {
        titles.push_back(title);
        const TPrinterSettings& s = PrinterSettings();
        events.push_back(QStringLiteral("job %1/%2").arg(s.PaperSize).arg(s.Orientation));
    }
    void newSheet() override { events.push_back(QStringLiteral("sheet")); }
    void drawPage(const PreparedPageInfo&, int k, const EdgeRect& dest) override {
        events.push_back(QStringLiteral("p%1").arg(k + 1));
        pages.push_back(k + 1);
        rects.push_back(dest);
        if (onPage)
            onPage(k);
    }
    void endJob() override { events.push_back(QStringLiteral("end")); }
    void abortJob() override { events.push_back(QStringLiteral("abort")); }
};

class PrintPagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = ReplacePrinterSettings(
            std::make_unique<TPrinterSettings>(std::make_unique<FakePrinter>()));
        PrinterSettings().LoadPrinterList();
    }
    void TearDown() override { ReplacePrinterSettings(std::move(previous_)); }
    // Print jobs made from now on leave the pages they printed in `out`.
    static void collectPrintedPages(std::vector<int>& out) {
        struct Keep : Recorder {
            std::vector<int>* out = nullptr;
            ~Keep() override { *out = pages; }
        };
        printTargetFactory() = [&out](const PrinterProperties&) {
            auto k = std::make_unique<Keep>();
            k->out = &out;
            return k;
        };
    }
    static QString joined(const std::vector<QString>& v) {
        return QStringList(v.begin(), v.end()).join(QLatin1Char(' '));
    }

    std::unique_ptr<TPrinterSettings> previous_;
    // Whatever a test installs is undone when it ends.
    const ScopedOverride<PrintTargetFactory> factory_{printTargetFactory(), printTargetFactory()};
    const ScopedOverride<PrintDialogRunner> runner_{printDialogRunner(), printDialogRunner()};
};

TEST(PrintOrder, RangesCopiesAndCollation) {
    struct Case {
        int first, last, copies;
        bool collate;
        int count;
        std::vector<int> expected; // from 0
    } cases[] = {
        {2, 3, 2, true, 5, {1, 2, 1, 2}},
        {2, 3, 2, false, 5, {1, 1, 2, 2}},
        {1, 3, 2, true, 3, {0, 1, 2, 0, 1, 2}},
        {1, 3, 2, false, 3, {0, 0, 1, 1, 2, 2}},
        {4, 99, 1, false, 5, {3, 4}}, // last cut to the page count
        {4, 3, 1, false, 5, {}},      // first after last
        {1, 5, 0, true, 5, {}},       // no copies
        {6, 9, 1, true, 5, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(printOrder(c.first, c.last, c.copies, c.collate, c.count), c.expected)
            << c.first << "-" << c.last << " x" << c.copies << " collate " << c.collate;
}

TEST(PrintJobTitle, WithAndWithoutTitle) {
    EXPECT_EQ(printJobTitle(QStringLiteral("Fatture")), QStringLiteral("Corvina: Fatture"));
    EXPECT_EQ(printJobTitle(QString()), QStringLiteral("Corvina: Nessun nome"));
}

TEST(PrintDestination, MarginsCoverTheSheetOtherwiseThePrintableArea) {
    PageMetrics m;
    m.PhysWidth = 4960;
    m.PhysHeight = 7016;
    m.PhysOffsetX = 150;
    m.PhysOffsetY = 120;
    m.PhysPrintWidth = 4660;
    m.PhysPrintHeight = 6776;
    const EdgeRect withMargins = printDestination(m, true);
    EXPECT_EQ(withMargins.Left, -150);
    EXPECT_EQ(withMargins.Top, -120);
    EXPECT_EQ(withMargins.Right, 4810);
    EXPECT_EQ(withMargins.Bottom, 6896);
    const EdgeRect fitted = printDestination(m, false);
    EXPECT_EQ(fitted.Left, 0);
    EXPECT_EQ(fitted.Top, 0);
    EXPECT_EQ(fitted.Right, 4660);
    EXPECT_EQ(fitted.Bottom, 6776);
}

TEST_F(PrintPagesTest, CollatedCopiesWithProgressPageNumbersThenPercentages) {
    auto report = test::a4Report(5);
    report->Title = QStringLiteral("Fatture");
    std::vector<int> progress;
    report->OnProgress = [&](int n) { progress.push_back(n); };
    int after = 0;
    report->OnAfterPrint = [&] { ++after; };
    Recorder rec;
    EXPECT_TRUE(RunPrintJob(*report, rec, 2, 3, 2, true));
    EXPECT_EQ(rec.pages, (std::vector<int>{2, 3, 2, 3}));
    EXPECT_EQ(progress, (std::vector<int>{2, 25, 3, 50, 2, 75, 3, 100}));
    EXPECT_EQ(joined(rec.events), QStringLiteral("job 9/0 p2 sheet p3 sheet p2 sheet p3 end"));
    EXPECT_EQ(rec.titles, (std::vector<QString>{QStringLiteral("Corvina: Fatture")}));
    EXPECT_EQ(after, 1);
}

TEST_F(PrintPagesTest, UncollatedCopies) {
    auto report = test::a4Report(5);
    Recorder rec;
    report->ShowProgress = false;
    RunPrintJob(*report, rec, 2, 3, 2, false);
    EXPECT_EQ(rec.pages, (std::vector<int>{2, 2, 3, 3}));
    EXPECT_EQ(rec.titles, (std::vector<QString>{QStringLiteral("Corvina: Nessun nome")}));
}

TEST_F(PrintPagesTest, OneJobPerRunOfEqualPaper) {
    auto report = test::a4Report(5);
    report->ShowProgress = false;
    // portrait, landscape, landscape, portrait, portrait
    report->PreparedPages->Pages(1).Orientation = 1;
    report->PreparedPages->Pages(2).Orientation = 1;
    Recorder rec;
    RunPrintJob(*report, rec, 1, 5, 1, false);
    EXPECT_EQ(joined(rec.events), QStringLiteral("job 9/0 p1 end job 9/1 p2 sheet p3 end "
                                                 "job 9/0 p4 sheet p5 end"));
    // Every job carries the same title.
    EXPECT_EQ(rec.titles.size(), 3u);
    EXPECT_EQ(rec.titles.back(), QStringLiteral("Corvina: Nessun nome"));
}

TEST_F(PrintPagesTest, RangeStartingOnOtherPaperOpensAnEmptyFirstJob) {
    auto report = test::a4Report(3);
    report->ShowProgress = false;
    report->PreparedPages->Pages(1).Orientation = 1;
    report->PreparedPages->Pages(2).Orientation = 1;
    Recorder rec;
    RunPrintJob(*report, rec, 2, 3, 1, true);
    EXPECT_EQ(joined(rec.events), QStringLiteral("job 9/0 end job 9/1 p2 sheet p3 end"));
}

TEST_F(PrintPagesTest, CustomPaperChangesJobOnSizeOtherCodesOnlyOnCodeOrOrientation) {
    auto report = test::a4Report(4);
    report->ShowProgress = false;
    auto& p = *report->PreparedPages;
    // Custom 1000 x 2000, custom 1000 x 2000, custom 1200 x 2000, then A4
    // with other width/height fields (ignored for a standard code).
    for (int i = 0; i < 3; ++i) {
        p.Pages(i).PaperSize = 256;
        p.Pages(i).PaperWidth = i < 2 ? 1000 : 1200;
        p.Pages(i).PaperHeight = 2000;
    }
    Recorder rec;
    RunPrintJob(*report, rec, 1, 4, 1, false);
    EXPECT_EQ(joined(rec.events),
              QStringLiteral("job 256/0 p1 sheet p2 end job 256/0 p3 end job 9/0 p4 end"));

    auto a4 = test::a4Report(3);
    a4->ShowProgress = false;
    a4->PreparedPages->Pages(1).PaperWidth = 2000;
    a4->PreparedPages->Pages(2).PaperHeight = 1000;
    Recorder same;
    RunPrintJob(*a4, same, 1, 3, 1, false);
    EXPECT_EQ(joined(same.events), QStringLiteral("job 9/0 p1 sheet p2 sheet p3 end"));
}

TEST_F(PrintPagesTest, DialogPropertiesReachEveryJobAndTheChosenPaperItsJobs) {
    auto report = test::a4Report(3);
    report->ShowProgress = false;
    report->PreparedPages->Pages(1).Orientation = 1;
    PrintJobOptions options;
    options.Pages = {{1, 3}};
    options.Properties.ShownPaper = PaperChoice{9, 2100, 2970, 0};
    options.Properties.ChosenPaper = PaperChoice{1, 0, 0, 0}; // letter
    options.Properties.SystemOptions = {QStringLiteral("job-priority"), QStringLiteral("80")};
    std::vector<QString> events;
    std::vector<QStringList> received;
    struct Keep : Recorder {
        std::vector<QString>* out = nullptr;
        ~Keep() override { *out = events; }
    };
    printTargetFactory() = [&](const PrinterProperties& p) {
        received.push_back(p.SystemOptions);
        auto k = std::make_unique<Keep>();
        k->out = &events;
        return k;
    };
    PrintPages(*report, options);
    EXPECT_EQ(joined(events), QStringLiteral("job 1/0 p1 end job 9/1 p2 end job 1/0 p3 end"));
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], options.Properties.SystemOptions);
}

TEST_F(PrintPagesTest, PagesPlacedWithAndWithoutMargins) {
    auto report = test::a4Report(2);
    report->ShowProgress = false;
    report->PreparedPages->Pages(0).UseMargins = 1;
    report->PreparedPages->Pages(1).UseMargins = 0;
    Recorder rec;
    RunPrintJob(*report, rec, 1, 2, 1, false);
    ASSERT_EQ(rec.rects.size(), 2u);
    const int w = int(210 / 25.4 * 600 + 0.5);
    const int h = int(297 / 25.4 * 600 + 0.5);
    EXPECT_EQ(rec.rects[0].Left, -150);
    EXPECT_EQ(rec.rects[0].Top, -150);
    EXPECT_EQ(rec.rects[0].Right, w - 150);
    EXPECT_EQ(rec.rects[0].Bottom, h - 150);
    EXPECT_EQ(rec.rects[1].Left, 0);
    EXPECT_EQ(rec.rects[1].Right, w - 300);
    EXPECT_EQ(rec.rects[1].Bottom, h - 300);
    // The page's metrics are refreshed for the printer.
    EXPECT_EQ(report->PreparedPages->Pages(1).PageMetrics.PhysOffsetX, 150);
}

TEST_F(PrintPagesTest, BeforePrintRefusalPrintsNothing) {
    auto report = test::a4Report(2);
    report->ShowProgress = false;
    report->OnBeforePrint = [](bool& go) { go = false; };
    int after = 0;
    report->OnAfterPrint = [&] { ++after; };
    Recorder rec;
    EXPECT_FALSE(RunPrintJob(*report, rec, 1, 2, 1, false));
    EXPECT_TRUE(rec.events.empty());
    EXPECT_EQ(after, 0);
}

TEST_F(PrintPagesTest, CancelStopsAfterThePageInProgressWithoutAfterPrint) {
    auto report = test::a4Report(4);
    report->ShowProgress = false;
    int after = 0;
    report->OnAfterPrint = [&] { ++after; };
    Recorder rec;
    rec.onPage = [&](int k) {
        if (k == 1)
            report->Terminated = true;
    };
    EXPECT_FALSE(RunPrintJob(*report, rec, 1, 4, 1, false));
    EXPECT_EQ(joined(rec.events), QStringLiteral("job 9/0 p1 sheet p2 abort"));
    EXPECT_EQ(after, 0);
}

TEST_F(PrintPagesTest, ProgressWindowRunsTheJobAndItsCancelButtonStopsIt) {
    auto report = test::a4Report(4);
    report->Title = QStringLiteral("Fatture");
    int after = 0;
    report->OnAfterPrint = [&] { ++after; };
    auto* rec = new Recorder; // owned by the run through the factory below
    std::vector<QString> labels;
    rec->onPage = [&](int k) {
        labels.push_back(ProgressForm().windowTitle());
        if (k == 2)
            ProgressForm().Button1Click();
    };
    std::vector<QString> seen;
    struct Forward : PrintTarget {
        Recorder* r;
        std::vector<QString>* out;
        void beginJob(const QString& t) override { r->beginJob(t); }
        void newSheet() override { r->newSheet(); }
        void drawPage(const PreparedPageInfo& p, int k, const EdgeRect& d) override {
            r->drawPage(p, k, d);
        }
        void endJob() override { r->endJob(); }
        void abortJob() override { r->abortJob(); }
        ~Forward() override {
            *out = r->events;
            delete r;
        }
    };
    printTargetFactory() = [&](const PrinterProperties&) {
        auto f = std::make_unique<Forward>();
        f->r = rec;
        f->out = &seen;
        return f;
    };
    PrintPages(*report, 1, 4, 1, false);
    EXPECT_EQ(joined(seen), QStringLiteral("job 9/0 p1 sheet p2 sheet p3 abort"));
    EXPECT_EQ(after, 0);
    EXPECT_FALSE(report->Terminated); // cleared at the end
    EXPECT_FALSE(ProgressForm().isVisible());
    ASSERT_FALSE(labels.empty());
    EXPECT_EQ(labels.front(), QStringLiteral("Report in preparazione - Fatture"));
    EXPECT_EQ(ProgressForm().Label1->text(), QStringLiteral("Pagina in stampa:  3"));
    EXPECT_EQ(ProgressForm().Button1->text(), QStringLiteral("&Annulla"));
}

TEST_F(PrintPagesTest, PrinterErrorsReachTheCallerAndAbortTheJob) {
    auto report = test::a4Report(2);
    report->ShowProgress = false;
    Recorder rec;
    rec.onPage = [](int) { throw VxError(QStringLiteral("carta esaurita")); };
    EXPECT_THROW(RunPrintJob(*report, rec, 1, 2, 1, false), VxError);
    EXPECT_EQ(rec.events.back(), QStringLiteral("abort"));
}

// The print dialog of the preview (F2): its set-up, then the run with the
// choices made in it.
TEST_F(PrintPagesTest, PrintDialogOffersThePagesAndPrintsTheChoices) {
    auto report = test::a4Report(5);
    report->ShowProgress = false;
    std::vector<int> printed;
    collectPrintedPages(printed);
    struct Case {
        bool accept;
        bool range;
        int from, to, copies;
        bool collate;
        std::vector<int> pages;
    } cases[] = {
        {true, true, 2, 3, 2, true, {2, 3, 2, 3}},
        {true, true, 2, 3, 2, false, {2, 2, 3, 3}},
        {true, false, 0, 0, 1, false, {1, 2, 3, 4, 5}},
        {false, true, 2, 3, 2, true, {}},
    };
    for (const Case& c : cases) {
        printed.clear();
        int minPage = 0, maxPage = 0, from = 0, to = 0, copies = 0;
        printDialogRunner() = [&](QPrintDialog& dialog, QPrinter& printer) {
            minPage = dialog.minPage();
            maxPage = dialog.maxPage();
            from = printer.fromPage();
            to = printer.toPage();
            copies = printer.copyCount();
            if (c.range) {
                printer.setPrintRange(QPrinter::PageRange);
                printer.setFromTo(c.from, c.to);
            }
            printer.setCopyCount(c.copies);
            printer.setCollateCopies(c.collate);
            return c.accept ? int(QDialog::Accepted) : int(QDialog::Rejected);
        };
        EXPECT_EQ(ExecPrintDialog(*report), c.accept);
        EXPECT_EQ(minPage, 1);
        EXPECT_EQ(maxPage, 5);
        EXPECT_EQ(from, 1);
        EXPECT_EQ(to, 5);
        EXPECT_EQ(copies, 1);
        EXPECT_EQ(printed, c.pages) << c.from << "-" << c.to << " x" << c.copies;
    }
}

TEST_F(PrintPagesTest, PrintChoicesAreKeptWithinThePages) {
    auto report = test::a4Report(3);
    report->ShowProgress = false;
    std::vector<int> printed;
    collectPrintedPages(printed);
    struct {
        int from, to;
        std::vector<int> pages;
    } cases[] = {{2, 9, {2, 3}}, {7, 9, {3}}, {3, 1, {3}}, {0, 0, {1, 2, 3}}};
    for (const auto& c : cases) {
        PrintJobOptions options;
        options.Pages = {{c.from, c.to}};
        PrintWithOptions(*report, options);
        EXPECT_EQ(printed, c.pages) << c.from << "-" << c.to;
    }
}

TEST_F(PrintPagesTest, NoInstalledPrinterGivesAWarningInsteadOfTheDialog) {
    ReplacePrinterSettings(std::make_unique<TPrinterSettings>(nullptr));
    PrinterSettings().LoadPrinterList();
    auto report = test::a4Report(2);
    bool shown = false;
    printDialogRunner() = [&](QPrintDialog&, QPrinter&) {
        shown = true;
        return int(QDialog::Rejected);
    };
    MessageBoxInterceptor box;
    EXPECT_FALSE(ExecPrintDialog(*report));
    EXPECT_FALSE(shown);
    ASSERT_EQ(box.messages().size(), 1u);
    EXPECT_EQ(box.messages()[0].text, noPrinterMessage());
    EXPECT_EQ(box.messages()[0].icon, MessageIcon::Warning);
}

} // namespace
} // namespace vx
