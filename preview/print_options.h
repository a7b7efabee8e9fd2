#pragma once

// What a print run prints and how, as the print dialog leaves it: the pages
// (runs of pages, odd or even ones, in reverse order), the copies and their
// collation, and the printer properties every print job of the run gets.

#include <QStringList>

#include <optional>
#include <vector>

class QPrinter;

namespace vx {

// Pages first..last, numbered from 1.
struct PageRun {
    int First = 1;
    int Last = 1;
    bool operator==(const PageRun&) const = default;
};

// Which pages of the chosen ones print, by their number in the report.
enum class PageSet { All, Odd, Even };

// A paper as prepared pages and the printer settings name it: the paper
// code (256 custom), the custom size in tenths of a millimetre, the
// orientation (0 portrait, 1 landscape).
struct PaperChoice {
    int PaperSize = 9;
    int PaperWidth = 0;
    int PaperHeight = 0;
    int Orientation = 0;
    bool operator==(const PaperChoice&) const = default;
};

// Whether two papers are the same for the printer: code and orientation,
// and the size too for a custom paper.
bool samePaper(const PaperChoice& a, const PaperChoice& b);

// The printer properties set in the print dialog. Each print job of the run
// (one per run of pages on equal paper) gets them.
struct PrinterProperties {
    // The paper the dialog showed (the report's first page) and the one the
    // user chose instead: the jobs on the shown paper use the chosen one.
    std::optional<PaperChoice> ShownPaper;
    std::optional<PaperChoice> ChosenPaper;
    // QPrinter::DuplexMode and QPrinter::ColorMode; -1 leaves the printer's.
    int Duplex = -1;
    int ColorMode = -1;
    // The print system's options the dialog set (job options, pages per
    // sheet, the driver's own settings) as name, value, name, value, ...;
    // the page choices are not among them (the run applies those itself).
    QStringList SystemOptions;
};

struct PrintJobOptions {
    QString PrinterName;        // empty: the current printer stays
    std::vector<PageRun> Pages; // in this order; empty: every page
    PageSet Set = PageSet::All;
    bool Reverse = false;
    int Copies = 1;
    bool Collate = false;
    PrinterProperties Properties;
};

// Pages first..last, `copies` times, collated or not.
PrintJobOptions rangeOptions(int first, int last, int copies, bool collate);

// The page indices (from 0) in the order they are printed: the runs of
// pages (cut to the page count; a run starting below 1 or after its end
// prints nothing) filtered by the page set, reversed when asked, `Copies`
// times, collated (1,2,3,1,2,3) or not (1,1,2,2,3,3).
std::vector<int> printOrder(const PrintJobOptions& options, int pageCount);

// The same for pages first..last, the form PrintPages takes.
std::vector<int> printOrder(int first, int last, int copies, bool collate, int pageCount);

// The paper a page is printed on: the chosen paper when the page is on
// the paper the dialog showed, else its own.
PaperChoice jobPaper(const PrinterProperties& properties, const PaperChoice& page);

// The print dialog's answer left on its printer. `shown` is the paper the
// dialog was opened with.
PrintJobOptions printJobOptions(const QPrinter& printer, const PaperChoice& shown);

// The page set the user chose from the print system's "page-set" value.
// The dialog counts odd and even from the first page of a page range it
// passes on, so for a range starting on an even page it stores the other
// value.
PageSet chosenPageSet(const QString& systemValue, bool rangeStartsEven);

// Sets up `printer` for the paper (page size and orientation).
void applyPaper(QPrinter& printer, const PaperChoice& paper);

// Gives a job's printer the properties of the dialog (duplex, colour,
// the print system's options).
void applyProperties(QPrinter& printer, const PrinterProperties& properties);

} // namespace vx
