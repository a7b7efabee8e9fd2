#include "preview/print_options.h"

#include "platform/printer_device.h"

#include <QPageLayout>
#include <QPageRanges>
#include <QPrintEngine>
#include <QPrinter>

#include <algorithm>
#include <cmath>

namespace vx {

namespace {

// Where Qt's print engine for CUPS keeps the print system's options of a
// printer (name, value, name, value, ...), as its print dialog writes them.
const auto kSystemOptionsKey = QPrintEngine::PrintEnginePropertyKey(0xfe00);

// The page choices among the print system's options. The run applies them
// itself; passed on they would select pages again from the pages sent.
const QStringList kPageOptionNames{QStringLiteral("page-ranges"), QStringLiteral("page-set"),
                                   QStringLiteral("outputorder")};

bool inSet(int page, PageSet set) {
    switch (set) {
    case PageSet::Odd:
        return page % 2 == 1;
    case PageSet::Even:
        return page % 2 == 0;
    case PageSet::All:
        break;
    }
    return true;
}

std::vector<int> chosenPages(const PrintJobOptions& options, int pageCount) {
    std::vector<PageRun> runs = options.Pages;
    if (runs.empty())
        runs.push_back({1, pageCount});
    std::vector<int> pages;
    for (const PageRun& run : runs) {
        if (run.First < 1 || run.First > run.Last)
            continue;
        const int last = std::min(run.Last, pageCount);
        for (int p = run.First; p <= last; ++p)
            if (inSet(p, options.Set))
                pages.push_back(p - 1);
    }
    if (options.Reverse)
        std::reverse(pages.begin(), pages.end());
    return pages;
}

PaperChoice paperOfLayout(const QPageLayout& layout) {
    PaperChoice paper;
    paper.Orientation = layout.orientation() == QPageLayout::Landscape ? 1 : 0;
    const QPageSize size = layout.pageSize();
    const int code = size.windowsId();
    if (code > 0 && code < kCustomPaper && QPageSize::id(code) == size.id()) {
        paper.PaperSize = code;
        return paper;
    }
    const QSizeF mm = size.size(QPageSize::Millimeter);
    paper.PaperSize = kCustomPaper;
    paper.PaperWidth = int(std::lround(mm.width() * 10));
    paper.PaperHeight = int(std::lround(mm.height() * 10));
    return paper;
}

} // namespace

bool samePaper(const PaperChoice& a, const PaperChoice& b) {
    if (a.PaperSize != b.PaperSize || a.Orientation != b.Orientation)
        return false;
    return a.PaperSize != kCustomPaper ||
           (a.PaperWidth == b.PaperWidth && a.PaperHeight == b.PaperHeight);
}

std::vector<int> printOrder(const PrintJobOptions& options, int pageCount) {
    std::vector<int> order;
    if (options.Copies < 1 || pageCount < 1)
        return order;
    const std::vector<int> pages = chosenPages(options, pageCount);
    order.reserve(pages.size() * size_t(options.Copies));
    if (options.Collate) {
        for (int c = 0; c < options.Copies; ++c)
            order.insert(order.end(), pages.begin(), pages.end());
    } else {
        for (const int p : pages)
            order.insert(order.end(), size_t(options.Copies), p);
    }
    return order;
}

PrintJobOptions rangeOptions(int first, int last, int copies, bool collate) {
    PrintJobOptions options;
    options.Pages = {{first, last}};
    options.Copies = copies;
    options.Collate = collate;
    return options;
}

std::vector<int> printOrder(int first, int last, int copies, bool collate, int pageCount) {
    return printOrder(rangeOptions(first, last, copies, collate), pageCount);
}

PaperChoice jobPaper(const PrinterProperties& properties, const PaperChoice& page) {
    if (properties.ShownPaper && properties.ChosenPaper && samePaper(*properties.ShownPaper, page))
        return *properties.ChosenPaper;
    return page;
}

PageSet chosenPageSet(const QString& systemValue, bool rangeStartsEven) {
    PageSet set = PageSet::All;
    if (systemValue == QLatin1String("odd"))
        set = PageSet::Odd;
    else if (systemValue == QLatin1String("even"))
        set = PageSet::Even;
    if (rangeStartsEven && set != PageSet::All)
        set = set == PageSet::Odd ? PageSet::Even : PageSet::Odd;
    return set;
}

PrintJobOptions printJobOptions(const QPrinter& printer, const PaperChoice& shown) {
    PrintJobOptions o;
    o.PrinterName = printer.printerName();
    const bool range = printer.printRange() == QPrinter::PageRange;
    if (range)
        for (const QPageRanges::Range& r : printer.pageRanges().toRangeList())
            o.Pages.push_back({r.from, r.to});
    o.Reverse = printer.pageOrder() == QPrinter::LastPageFirst;
    o.Copies = printer.copyCount();
    o.Collate = printer.collateCopies();

    QString pageSetValue;
    const QStringList options = printer.printEngine()->property(kSystemOptionsKey).toStringList();
    for (qsizetype i = 0; i + 1 < options.size(); i += 2) {
        if (options[i] == QLatin1String("page-set"))
            pageSetValue = options[i + 1];
        if (!kPageOptionNames.contains(options[i]))
            o.Properties.SystemOptions << options[i] << options[i + 1];
    }
    o.Set = chosenPageSet(pageSetValue, range && printer.fromPage() % 2 == 0);

    o.Properties.Duplex = int(printer.duplex());
    o.Properties.ColorMode = int(printer.colorMode());
    const PaperChoice chosen = paperOfLayout(printer.pageLayout());
    o.Properties.ShownPaper = shown;
    if (!samePaper(chosen, shown))
        o.Properties.ChosenPaper = chosen;
    return o;
}

void applyPaper(QPrinter& printer, const PaperChoice& paper) {
    if (const auto size = pageSizeOfPaper(paper.PaperSize, paper.PaperWidth, paper.PaperHeight))
        printer.setPageSize(*size);
    printer.setPageOrientation(paper.Orientation != 0 ? QPageLayout::Landscape
                                                      : QPageLayout::Portrait);
}

void applyProperties(QPrinter& printer, const PrinterProperties& properties) {
    if (properties.Duplex >= 0)
        printer.setDuplex(QPrinter::DuplexMode(properties.Duplex));
    if (properties.ColorMode >= 0)
        printer.setColorMode(QPrinter::ColorMode(properties.ColorMode));
    if (!properties.SystemOptions.isEmpty())
        printer.printEngine()->setProperty(kSystemOptionsKey, properties.SystemOptions);
}

} // namespace vx
