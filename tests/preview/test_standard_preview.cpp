// The preview window: paging, zoom box, keys, full screen, the pop-up menu,
// saving a page, and OpenPreview (modal and non-modal).
#include "preview/standard_preview.h"

#include "platform/emf/emf_reader.h"
#include "platform/locale_settings.h"
#include "preview/paint_panel.h"
#include "preview_fixtures.h"
#include "tests/support/modal.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace vx {
namespace {

using preview::roundEven;

void settle() {
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

// A shown preview of `pages` A4 pages on a window of a fixed size.
struct Shown {
    std::unique_ptr<TvxReport> report;
    QPointer<TStandardPreview> window;

    explicit Shown(int pages, QSize size = QSize(1000, 800)) : report(test::a4Report(pages)) {
        setLocaleSettings(LocaleSettings::italian());
        window = new TStandardPreview();
        window->setReport(report.get());
        window->resize(size);
        window->show();
        settle();
    }
    ~Shown() {
        if (window) {
            window->close();
            settle();
        }
        delete window.data();
        resetLocaleSettings();
    }
    TStandardPreview& w() { return *window; }
    void typeZoom(const QString& text) {
        w().zoomBox()->setFocus();
        w().zoomBox()->setEditText(text);
        w().ApplyZoomText();
        settle();
    }
};

TEST(StandardPreview, ComponentsCarryTheirItalianTexts) {
    Shown s(2);
    struct Row {
        const char* name;
        QString text;
        QString hint;
        int x;
    };
    const Row rows[] = {
        {"OpenBtn", "&Apri", "Apre un report", 80},
        {"SaveBtn", "Sal&va", "Salva il report", 146},
        {"PrintBtn", "&Stampa", "Stampa il report", 212},
        {"FindBtn", "&Trova", "Trova del testo", 278},
        {"ScreenBtn", "Sc&hermo", "Visualizza l'anteprima a schermo intero", 354},
        {"CloseBtn", "&Chiudi", "Chiude il report", 430},
        {"PrevBtn", "", "Pagina precedente", 0},
        {"NextBtn", "", "Pagina successiva", 0},
    };
    for (const Row& r : rows) {
        QToolButton* b = s.w().button(QLatin1String(r.name));
        ASSERT_NE(b, nullptr) << r.name;
        EXPECT_EQ(b->text(), r.text) << r.name;
        EXPECT_EQ(b->toolTip(), r.hint) << r.name;
        if (r.x) {
            EXPECT_EQ(b->x(), r.x) << r.name;
        }
    }
    EXPECT_EQ(s.w().zoomBox()->toolTip(), "Ingrandimento");
    QStringList items;
    for (int i = 0; i < s.w().zoomBox()->count(); ++i)
        items << s.w().zoomBox()->itemText(i);
    EXPECT_EQ(items, QStringList({"200%", "150%", "100%", "75%", "50%", "25%", "Larghezza",
                                  "Una pagina", "Due pagine"}));
    EXPECT_EQ(s.w().zoomBox()->currentText(), "100%");
    EXPECT_EQ(s.w().toolBar()->height(), 32);
    EXPECT_EQ(s.w().paintPanel()->y(), 32);
}

TEST(StandardPreview, PopupMenuIsBuiltFromTheButtonsAndZoomEntries) {
    Shown s(2);
    QStringList captions;
    for (QAction* a : s.w().popupMenu()->actions())
        captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(captions,
              QStringList({"&Apri", "Sal&va", "&Stampa", "&Trova", "-", "200%", "150%", "100%",
                           "75%", "50%", "25%", "Larghezza", "Una pagina", "Due pagine"}));
    auto checked = [&] {
        QStringList on;
        for (QAction* a : s.w().popupMenu()->actions())
            if (a->isChecked())
                on << a->text();
        return on;
    };
    s.w().checkZoomMenuItem();
    EXPECT_EQ(checked(), QStringList({"100%"}));
    s.w().ZoomToWidth();
    s.w().checkZoomMenuItem();
    EXPECT_EQ(checked(), QStringList({"Larghezza"}));
}

TEST(StandardPreview, PageBoxAndPaging) {
    Shown s(12);
    EXPECT_EQ(s.w().currentPage(), 1);
    s.w().ShowPage(3);
    EXPECT_EQ(s.w().pageBoxText(), QStringLiteral("Pagina 3/12") + QString(10, ' '));
    EXPECT_EQ(s.w().verticalBar()->value(), 2 * (1123 + 12));
    s.w().ShowPage(13); // outside: nothing
    s.w().ShowPage(0);
    EXPECT_EQ(s.w().currentPage(), 3);
    s.w().LastPage();
    EXPECT_EQ(s.w().currentPage(), 12);
    s.w().NextPage();
    EXPECT_EQ(s.w().currentPage(), 12);
    s.w().FirstPage();
    s.w().PrevPage();
    EXPECT_EQ(s.w().currentPage(), 1);
    // Scrolling by hand updates the current page through the paint.
    s.w().verticalBar()->setValue(1135 + 200);
    settle();
    EXPECT_EQ(s.w().currentPage(), 2);
}

TEST(StandardPreview, TwoPagesMoveByTwo) {
    Shown s(5);
    s.w().ZoomTwoPages();
    settle();
    EXPECT_EQ(s.w().zoomMode(), zmTwoPages);
    EXPECT_EQ(s.w().currentPage(), 1);
    s.w().NextPage();
    EXPECT_EQ(s.w().currentPage(), 3);
    s.w().NextPage();
    EXPECT_EQ(s.w().currentPage(), 5);
    s.w().PrevPage();
    EXPECT_EQ(s.w().currentPage(), 3);
}

TEST(StandardPreview, ZoomTextsAreApplied) {
    for (const QString& text :
         {QStringLiteral("150"), QStringLiteral("150%"), QStringLiteral("150,0")}) {
        Shown s(3);
        s.typeZoom(text);
        EXPECT_DOUBLE_EQ(s.w().zoom(), 150.0) << text.toStdString();
        EXPECT_EQ(s.w().zoomMode(), zmPercent);
        EXPECT_EQ(s.w().zoomBox()->currentText(), "150%"); // written by the queued update
        EXPECT_FALSE(s.w().zoomBoxFocused());              // the box gave the focus back
    }
}

TEST(StandardPreview, TypingInTheZoomBoxTakesOnlyNumberCharacters) {
    Shown s(3);
    s.w().zoomBox()->setFocus();
    s.w().zoomBox()->lineEdit()->selectAll();
    QWidget* target = s.w().focusWidget();
    ASSERT_NE(target, nullptr);
    auto type = [&](int key, const QString& text) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(target, &press);
    };
    type(Qt::Key_1, "1");
    type(Qt::Key_2, "2");
    type(Qt::Key_X, "x");      // discarded
    type(Qt::Key_Period, "."); // not the decimal separator here
    type(Qt::Key_Comma, ",");
    type(Qt::Key_5, "5");
    EXPECT_EQ(s.w().zoomBox()->currentText(), "12,5");
    type(Qt::Key_Return, "\r");
    settle();
    EXPECT_DOUBLE_EQ(s.w().zoom(), 12.5);
    EXPECT_EQ(s.w().zoomBox()->currentText(), "12,5%");
    EXPECT_EQ(s.w().zoomBox()->count(), 9); // Enter adds nothing to the list
}

TEST(StandardPreview, BadZoomTextRestoresTheBox) {
    Shown s(3);
    s.typeZoom("abc");
    EXPECT_DOUBLE_EQ(s.w().zoom(), 100.0);
    EXPECT_EQ(s.w().zoomBox()->currentText(), "100%");
    s.typeZoom("0");
    EXPECT_DOUBLE_EQ(s.w().zoom(), 100.0);
}

// Counts the paint events of a widget.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

TEST(StandardPreview, TypingTheCurrentZoomAgainRepaintsNothing) {
    Shown s(3);
    s.typeZoom("150");
    PaintCounter counter;
    s.w().paintPanel()->installEventFilter(&counter);
    s.typeZoom("150");
    EXPECT_EQ(counter.paints, 0);
    s.typeZoom("75");
    EXPECT_GT(counter.paints, 0);
}

TEST(StandardPreview, ZoomKeepsTheFractionOfTheCurrentPage) {
    Shown s(4);
    s.w().ShowPage(2);
    s.w().verticalBar()->setValue(s.w().verticalBar()->value() + 300);
    settle();
    ASSERT_EQ(s.w().currentPage(), 2);
    const double fraction = s.w().pageFraction();
    EXPECT_NEAR(fraction, 300.0 / (2970 * 794.0 / 2100.0), 1e-9);
    s.typeZoom("200");
    const double h200 = 2970 * 794.0 / 2100.0 * 2;
    const int pageTop = 2 * (roundEven(1122.97 * 2) / 2 + 0); // unused helper value
    (void)pageTop;
    const int rowsAbove = roundEven(h200) + 12;
    EXPECT_EQ(s.w().verticalBar()->value(), rowsAbove + roundEven(fraction * h200));
    settle();
    EXPECT_EQ(s.w().currentPage(), 2);
}

TEST(StandardPreview, HorizontalBarAfterZoom) {
    // Wide range: back to 0.
    {
        Shown s(1, QSize(600, 800));
        s.w().horizontalBar()->setValue(100);
        s.typeZoom("200");
        EXPECT_GT(s.w().horizontalBar()->maximum(), 70);
        EXPECT_EQ(s.w().horizontalBar()->value(), 0);
    }
    // Narrow range (40 or so): its middle.
    {
        Shown s(1, QSize(600, 800));
        const int panel = s.w().paintPanel()->width();
        // zoom so that round(794 x z / 100) - panel = 20: maximum 40.
        const double z = (panel + 20) * 100.0 / 794.0;
        s.typeZoom(QString::number(z, 'f', 6).replace('.', ','));
        EXPECT_EQ(s.w().horizontalBar()->maximum(), 40);
        EXPECT_EQ(s.w().horizontalBar()->value(), 20);
    }
}

TEST(StandardPreview, KeysAreIgnoredWhileTheZoomBoxHasTheFocus) {
    Shown s(5);
    s.w().zoomBox()->setFocus();
    ASSERT_TRUE(s.w().zoomBoxFocused());
    for (int key : {int(Qt::Key_PageDown), int(Qt::Key_Down), int(Qt::Key_End), int(Qt::Key_Space),
                    int(Qt::Key_Escape)}) {
        EXPECT_FALSE(s.w().FormKeyDown(key, Qt::NoModifier)) << key;
    }
    EXPECT_EQ(s.w().verticalBar()->value(), 0);
    EXPECT_EQ(s.w().currentPage(), 1);
    EXPECT_TRUE(s.w().isVisible());
    // Focus elsewhere: the table works.
    s.w().setFocus();
    EXPECT_TRUE(s.w().FormKeyDown(Qt::Key_PageDown, Qt::NoModifier));
    EXPECT_EQ(s.w().verticalBar()->value(), 200);
    EXPECT_TRUE(s.w().FormKeyDown(Qt::Key_Down, Qt::NoModifier));
    EXPECT_EQ(s.w().verticalBar()->value(), 210);
    EXPECT_TRUE(s.w().FormKeyDown(Qt::Key_PageDown, Qt::ControlModifier));
    EXPECT_EQ(s.w().currentPage(), 2);
    EXPECT_TRUE(s.w().FormKeyDown(Qt::Key_Equal, Qt::NoModifier));
    EXPECT_EQ(s.w().currentPage(), 3);
    EXPECT_TRUE(s.w().FormKeyDown(Qt::Key_Minus, Qt::NoModifier));
    EXPECT_EQ(s.w().currentPage(), 2);
}

TEST(StandardPreview, EscapeLeavesFullScreenThenCloses) {
    Shown s(2);
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
    QApplication::sendEvent(s.window, &space);
    settle();
    EXPECT_TRUE(s.w().fullScreen());
    EXPECT_FALSE(s.w().toolBar()->isVisible());
    EXPECT_FALSE(s.w().verticalBar()->isVisible());
    EXPECT_TRUE(s.w().pagePanel()->isVisible());
    EXPECT_EQ(s.w().pagePanel()->y(), s.w().height() - s.w().pagePanel()->height());

    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(s.window, &esc);
    settle();
    EXPECT_FALSE(s.w().fullScreen());
    EXPECT_TRUE(s.w().isVisible());
    EXPECT_TRUE(s.w().toolBar()->isVisible());
    EXPECT_FALSE(s.w().pagePanel()->isVisible());

    QApplication::sendEvent(s.window, &esc);
    settle();
    ASSERT_FALSE(s.window.isNull()); // not made by OpenPreview: its creator frees it
    EXPECT_FALSE(s.w().isVisible());
}

TEST(StandardPreview, SavesTheCurrentPageAsEmf) {
    EXPECT_EQ(TStandardPreview::emfFileName("a.emf"), "a.emf");
    EXPECT_EQ(TStandardPreview::emfFileName("A.EMF"), "A.EMF");
    EXPECT_EQ(TStandardPreview::emfFileName("a"), "a.emf");
    EXPECT_EQ(TStandardPreview::emfFileName("a.emf.bak"), "a.emf.bak.emf");
    EXPECT_EQ(TStandardPreview::emfFileName("a.EMFx"), "a.EMFx.emf");

    Shown s(3);
    s.w().ShowPage(2);
    QTemporaryDir dir;
    s.w().SaveReportFile(dir.filePath("pagina"), 2);
    QFile f(dir.filePath("pagina.emf"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_EQ(bytes, s.report->PreparedPages->Pages(1).Picture.bytes());
    EXPECT_NO_THROW(emf::EmfPicture::parse(bytes));
}

TEST(OpenPreview, NonModalWindowKeepsItsOwnCopy) {
    initPreviewModule();
    auto report = test::a4Report(3);
    report->ModalPreview = false;
    report->Title = QStringLiteral("Fattura");
    report->OpenPreview();
    ASSERT_EQ(OpenPreviews().size(), 1u);
    QPointer<TvxPreview> window = OpenPreviews().back();
    settle();
    EXPECT_EQ(window->windowTitle(), "Anteprima - Fattura");
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_NE(window->report(), report.get());
    // Prepared again (emptied) and then freed: the window still has its pages.
    report->PreparedPages->Clear();
    report.reset();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->report()->PreparedPages->Count(), 3);
    EXPECT_FALSE(window->grab().isNull()); // paints without the caller's report
    window->close();
    settle();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    EXPECT_TRUE(OpenPreviews().empty());
}

TEST(OpenPreview, ModalWindowReturnsWhenClosed) {
    initPreviewModule();
    auto report = test::a4Report(2);
    QString caption;
    const bool closed = test::whileModal(
        [&] {
            ASSERT_EQ(OpenPreviews().size(), 1u);
            TvxPreview* w = OpenPreviews().back();
            caption = w->windowTitle();
            EXPECT_EQ(w->report(), report.get());
            EXPECT_TRUE(w->isModal());
            w->close();
        },
        [&] { report->OpenPreview(); });
    EXPECT_TRUE(closed);
    EXPECT_EQ(caption, "Anteprima");
    EXPECT_TRUE(OpenPreviews().empty());
    settle();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The list lets go of a window deleted by someone else, so that freeing the
// list deletes each window once.
TEST(OpenPreview, WindowDeletedElsewhereIsNotFreedAgain) {
    initPreviewModule();
    auto report = test::a4Report(1);
    report->ModalPreview = false;
    report->OpenPreview();
    report->OpenPreview();
    ASSERT_EQ(OpenPreviews().size(), 2u);
    QPointer<TvxPreview> kept = OpenPreviews().back();
    delete OpenPreviews().front().data();
    ASSERT_EQ(OpenPreviews().size(), 1u);
    EXPECT_EQ(OpenPreviews().front(), kept);
    FreeOpenPreviews();
    EXPECT_TRUE(kept.isNull());
    EXPECT_TRUE(OpenPreviews().empty());
}

// Checks that stop early inside a modal loop, as a failed ASSERT does,
// leave no window open: the test goes on instead of waiting for ever.
TEST(ModalLoop, EndsWhenItsChecksStopEarly) {
    QDialog dialog;
    bool reached = false;
    const bool closed = test::whileModal([&] { reached = true; }, [&] { dialog.exec(); });
    EXPECT_TRUE(reached);
    EXPECT_FALSE(closed);
    EXPECT_FALSE(dialog.isVisible());
}

} // namespace
} // namespace vx
