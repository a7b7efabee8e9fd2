// The page an action goes to is the one scrolled into view: after Space
// (full screen), after a find hit, after Ctrl+Page Down into the last row
// in "Due pagine". The page box keeps its own rule (the page at the top
// margin, one less in "Due pagine"), so it may name a page above.

#include "platform/locale_settings.h"
#include "preview/find_form.h"
#include "preview/paint_panel.h"
#include "preview/standard_preview.h"
#include "tests/preview/preview_fixtures.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QPointer>

#include <gtest/gtest.h>

namespace vx {
namespace {

void settle() {
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

// A preview of `pages` A4 pages, the last three holding the word "Totale".
struct Window {
    // What a test installs or the dialog remembers is undone when it ends.
    const ScopedOverride<FindDialogRunner> runner_{findDialogRunner(), findDialogRunner()};
    const ScopedOverride<FindSettings> settings_{findSettings(), FindSettings{}};
    std::unique_ptr<TvxReport> report = std::make_unique<TvxReport>();
    QPointer<TStandardPreview> w;

    explicit Window(int pages) {
        setLocaleSettings(LocaleSettings::italian());
        for (int i = 0; i < pages; ++i)
            test::addPage(*report->PreparedPages, 2100, 2970, [i, pages](Canvas& c) {
                c.setFont(FontSpec{});
                c.textOut(100, 600,
                          i >= pages - 3 ? QStringLiteral("Totale") : QStringLiteral("x"));
            });
        w = new TStandardPreview();
        w->setReport(report.get());
        w->resize(1000, 800);
        w->show();
        settle();
    }
    ~Window() {
        if (w)
            w->close();
        settle();
        delete w.data();
        resetLocaleSettings();
    }
    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, k, m);
        QApplication::sendEvent(w, &press);
        settle();
    }
    // The panel rows page `index` (from 0) covers.
    std::pair<int, int> rowsOf(int index) const {
        const preview::Point o = w->PageOrigin(index);
        return {o.y, o.y + int(w->pageScale(index).h)};
    }
    // Whether page `index` stands in the panel: its top inside it, or the
    // page filling it.
    bool inView(int index) const {
        const auto [top, bottom] = rowsOf(index);
        const int height = w->paintPanel()->height();
        return (top >= 0 && top < height) || (top < 0 && bottom > height);
    }
};

TEST(PageInView, SpaceKeepsTheCurrentPageInView) {
    Window win(5);
    win.w->ShowPage(3);
    settle();
    ASSERT_TRUE(win.inView(2));
    win.key(Qt::Key_Space);
    EXPECT_TRUE(win.w->fullScreen());
    EXPECT_TRUE(win.inView(2));
    win.key(Qt::Key_Space);
    EXPECT_FALSE(win.w->fullScreen());
    EXPECT_TRUE(win.inView(2));
}

TEST(PageInView, FindHitIsScrolledIntoView) {
    Window win(6);
    findDialogRunner() = [](TFindForm& form) {
        form.FindText->setEditText(QStringLiteral("Totale"));
        return int(QDialog::Accepted);
    };
    FindInReport(*win.w);
    settle();
    ASSERT_TRUE(win.w->Search.Found);
    EXPECT_EQ(win.w->Search.HitPage, 3);
    EXPECT_TRUE(win.inView(3));
    const preview::Point o = win.w->PageOrigin(win.w->Search.HitPage);
    const QRect panel = win.w->paintPanel()->rect();
    EXPECT_TRUE(
        panel.contains(QPoint(o.x + win.w->Search.HitRect.Left, o.y + win.w->Search.HitRect.Top)));
    EXPECT_TRUE(panel.contains(
        QPoint(o.x + win.w->Search.HitRect.Right, o.y + win.w->Search.HitRect.Bottom)));
    // The page box may name a page above the hit, never one after it.
    EXPECT_LE(win.w->currentPage(), win.w->Search.HitPage + 1);
}

TEST(PageInView, CtrlPageDownIntoTheLastRowOfTwoPages) {
    for (const int pages : {5, 6}) {
        Window win(pages);
        win.w->ZoomTwoPages();
        settle();
        int target = 1;
        while (target + 2 <= pages) {
            win.key(Qt::Key_PageDown, Qt::ControlModifier);
            target += 2;
            EXPECT_TRUE(win.inView(target - 1)) << pages << " pages, page " << target;
            EXPECT_LE(win.w->currentPage(), target);
        }
        // In the last row now: the scroll range may stop short of its top,
        // and the page box names the page at the top margin.
        EXPECT_TRUE(win.inView(pages % 2 ? pages - 1 : pages - 2)) << pages;
    }
}

} // namespace
} // namespace vx
