// The pages a print run prints for the print dialog's choices, and the
// paper of each job.

#include "preview/print_options.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

TEST(PrintOptions, PagesForRunsPageSetOrderAndCopies) {
    struct Case {
        const char* what;
        std::vector<PageRun> runs;
        PageSet set;
        bool reverse;
        int copies;
        bool collate;
        std::vector<int> expected; // page numbers from 1
    } cases[] = {
        {"every page", {}, PageSet::All, false, 1, false, {1, 2, 3, 4, 5, 6}},
        {"a list 1,3 is two runs, not 1 to 3",
         {{1, 1}, {3, 3}},
         PageSet::All,
         false,
         1,
         false,
         {1, 3}},
        {"runs keep their order", {{2, 3}, {5, 6}}, PageSet::All, false, 1, false, {2, 3, 5, 6}},
        {"reverse order", {{1, 1}, {3, 4}}, PageSet::All, true, 1, false, {4, 3, 1}},
        {"odd pages by their number", {{2, 6}}, PageSet::Odd, false, 1, false, {3, 5}},
        {"even pages", {}, PageSet::Even, false, 1, false, {2, 4, 6}},
        {"even pages reversed", {}, PageSet::Even, true, 1, false, {6, 4, 2}},
        {"reversed, collated copies", {{1, 3}}, PageSet::All, true, 2, true, {3, 2, 1, 3, 2, 1}},
        {"reversed, copies together", {{1, 2}}, PageSet::All, true, 2, false, {2, 2, 1, 1}},
        {"a run cut to the page count", {{5, 99}}, PageSet::All, false, 1, false, {5, 6}},
        {"a run starting below 1 or after its end prints nothing",
         {{0, 2}, {4, 3}, {6, 6}},
         PageSet::All,
         false,
         1,
         false,
         {6}},
        {"no copies", {}, PageSet::All, false, 0, true, {}},
    };
    for (const Case& c : cases) {
        PrintJobOptions o;
        o.Pages = c.runs;
        o.Set = c.set;
        o.Reverse = c.reverse;
        o.Copies = c.copies;
        o.Collate = c.collate;
        std::vector<int> pages;
        for (const int index : printOrder(o, 6))
            pages.push_back(index + 1);
        EXPECT_EQ(pages, c.expected) << c.what;
    }
}

TEST(PrintOptions, PageSetTakenBackFromTheDialogsValue) {
    struct Case {
        const char* value;
        bool rangeStartsEven;
        PageSet expected;
    } cases[] = {
        {"", false, PageSet::All},         {"all", true, PageSet::All},
        {"odd", false, PageSet::Odd},      {"even", false, PageSet::Even},
        {"odd", true, PageSet::Even},      {"even", true, PageSet::Odd},
        {"nonsense", false, PageSet::All},
    };
    for (const Case& c : cases)
        EXPECT_EQ(chosenPageSet(QString::fromLatin1(c.value), c.rangeStartsEven), c.expected)
            << c.value << " " << c.rangeStartsEven;
}

TEST(PrintOptions, ChosenPaperReplacesOnlyTheShownPaper) {
    const PaperChoice a4{9, 2100, 2970, 0};
    const PaperChoice a4Landscape{9, 2970, 2100, 1};
    const PaperChoice letter{1, 2159, 2794, 0};
    const PaperChoice custom{256, 1000, 2000, 0};
    PrinterProperties p;
    EXPECT_EQ(jobPaper(p, a4), a4); // nothing chosen
    p.ShownPaper = a4;
    p.ChosenPaper = letter;
    struct Case {
        PaperChoice page;
        PaperChoice expected;
    } cases[] = {
        {a4, letter},
        {{9, 2000, 1000, 0}, letter}, // the size fields of a standard code play no part
        {a4Landscape, a4Landscape},
        {custom, custom},
    };
    for (const Case& c : cases)
        EXPECT_EQ(jobPaper(p, c.page), c.expected) << c.page.PaperSize << "/" << c.page.Orientation;
    p.ShownPaper = custom;
    EXPECT_EQ(jobPaper(p, PaperChoice{256, 1000, 2100, 0}), (PaperChoice{256, 1000, 2100, 0}));
    EXPECT_EQ(jobPaper(p, custom), letter);
}

} // namespace
} // namespace vx
