// The print dialog's choices made in its own widgets and printed on the
// run's private CUPS PDF queue: the PDF holds the pages asked for, in the
// order asked for.

#include "preview/print_dialog.h"
#include "tests/preview/cups_printer.h"
#include "tests/preview/preview_fixtures.h"
#include "tests/support/cups_queue.h"
#include "tests/support/modal.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include <gtest/gtest.h>

namespace vx {
namespace {

// The choices, as a user makes them in the dialog.
struct Choice {
    const char* what;
    const char* pageList; // "Pagine" field; empty: see from/to
    int from = 0;         // "Pagine da ... a"; 0: all pages
    int to = 0;
    int pageSet = 0; // 0 all, 1 odd, 2 even (the order of the dialog's list)
    bool reverse = false;
    int copies = 1;
    bool collate = false;
    std::vector<int> pages; // printed, in order
};

template <typename W> W* child(QPrintDialog& dialog, const char* name) {
    W* w = dialog.findChild<W*>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << "the print dialog has no " << name;
    return w;
}

int makeChoices(QPrintDialog& dialog, const Choice& c) {
    dialog.show();
    if (*c.pageList) {
        child<QRadioButton>(dialog, "pagesRadioButton")->setChecked(true);
        child<QLineEdit>(dialog, "pagesLineEdit")->setText(QString::fromLatin1(c.pageList));
    } else if (c.from > 0) {
        child<QRadioButton>(dialog, "printRange")->setChecked(true);
        child<QSpinBox>(dialog, "from")->setValue(c.from);
        child<QSpinBox>(dialog, "to")->setValue(c.to);
    }
    child<QComboBox>(dialog, "pageSetCombo")->setCurrentIndex(c.pageSet);
    child<QCheckBox>(dialog, "reverse")->setChecked(c.reverse);
    child<QSpinBox>(dialog, "copies")->setValue(c.copies);
    child<QCheckBox>(dialog, "collate")->setChecked(c.collate);
    dialog.accept();
    return dialog.result();
}

// A report of `count` A4 pages, page N marked by a black bar N x 40 pixels
// wide (the queue's PDFs hold glyphs, not text a reader could extract).
std::unique_ptr<TvxReport> barReport(int count) {
    auto report = std::make_unique<TvxReport>();
    for (int n = 1; n <= count; ++n)
        test::addPage(*report->PreparedPages, 2100, 2970, [n](Canvas& c) {
            c.fillRect(rectFromEdges(100, 300, 100 + 40 * n, 340),
                       BrushSpec{BrushStyle::Solid, kBlack});
        });
    return report;
}

// The page numbers the PDF's pages show: the bar's length at 24 dpi (10
// pixels per page number).
std::vector<int> printedPages(const QString& pdf) {
    std::vector<int> pages;
    for (const QImage& page : test::pdfPageImages(pdf, 24)) {
        const int row = page.height() * 320 / 1123; // the bar's middle
        int dark = 0;
        for (int x = 0; x < page.width(); ++x)
            dark += qGray(page.pixel(x, row)) < 128;
        pages.push_back((dark + 5) / 10);
    }
    return pages;
}

// The run's private queue as the current printer (skipped without one).
class PrintDialog : public testing::Test {
protected:
    void SetUp() override {
        QString whyNot;
        queue = test::CupsQueue::fromEnvironment(whyNot);
        if (!queue)
            GTEST_SKIP() << whyNot.toStdString();
        printer = std::make_unique<test::CupsPrinterSelected>(*queue);
        ASSERT_TRUE(printer->selected);
    }
    // Whatever runner a test installs is undone when it ends.
    const ScopedOverride<PrintDialogRunner> runner_{printDialogRunner(), printDialogRunner()};
    std::optional<test::CupsQueue> queue;
    std::unique_ptr<test::CupsPrinterSelected> printer;
};

TEST_F(PrintDialog, ChoicesReachThePrinterAsChosen) {
    const Choice choices[] = {
        {"a list of pages in reverse order", "1,3", 0, 0, 0, true, 1, false, {3, 1}},
        {"odd pages of a range starting on an even page", "", 2, 5, 1, false, 1, false, {3, 5}},
        {"even pages, two collated copies", "", 0, 0, 2, false, 2, true, {2, 4, 6, 2, 4, 6}},
    };
    auto report = barReport(6);
    report->ShowProgress = false;
    std::vector<QString> titles;
    for (const Choice& c : choices) {
        report->Title = QStringLiteral("%1 %2")
                            .arg(QLatin1String(c.what))
                            .arg(QCoreApplication::applicationPid());
        titles.push_back(report->Title);
        printDialogRunner() = [&c](QPrintDialog& dialog, QPrinter&) {
            return makeChoices(dialog, c);
        };
        EXPECT_TRUE(ExecPrintDialog(*report)) << c.what;
    }

    for (size_t i = 0; i < titles.size(); ++i) {
        const auto jobs = queue->waitForJobs(QStringLiteral("Corvina: ") + titles[i], 1);
        ASSERT_EQ(jobs.size(), 1u) << choices[i].what << "\n" << queue->describeJobs();
        EXPECT_EQ(jobs[0].state, QStringLiteral("completed"));
        EXPECT_EQ(printedPages(queue->pdfOf(jobs[0])), choices[i].pages) << choices[i].what;
    }
}

// A page's place on the sheet follows its own margins flag: the page set-up
// under the dialog's properties offers no margins to type.
TEST_F(PrintDialog, PageSetupOffersNoMargins) {
    auto report = test::a4Report(2);
    int marginFields = 0;
    printDialogRunner() = [&](QPrintDialog& dialog, QPrinter&) {
        dialog.show();
        QPushButton* properties = child<QPushButton>(dialog, "properties");
        if (!properties)
            return int(QDialog::Rejected);
        test::whileModal(
            [&] {
                QWidget* setup = QApplication::activeModalWidget();
                ASSERT_NE(setup, nullptr);
                for (const QDoubleSpinBox* field : setup->findChildren<QDoubleSpinBox*>())
                    if (field->objectName().endsWith(QLatin1String("Margin"))) {
                        ++marginFields;
                        EXPECT_FALSE(field->isEnabled()) << field->objectName().toStdString();
                    }
            },
            [&] { properties->click(); });
        return int(QDialog::Rejected);
    };
    EXPECT_FALSE(ExecPrintDialog(*report));
    EXPECT_EQ(marginFields, 4);
}

} // namespace
} // namespace vx
