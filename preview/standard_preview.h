#pragma once

// TStandardPreview: the preview window. A tool bar (zoom box and the Open,
// Save, Print, Find, full-screen and Close buttons), the paint panel with
// the pages, a vertical scroll bar with the previous/next page buttons
// below it, a bottom row with the page box and the horizontal scroll bar,
// and a floating page box shown in full screen.

#include "platform/process_state.h"
#include "preview/page_playback.h"
#include "preview/preview.h"
#include "preview/preview_geometry.h"
#include "preview/search_state.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QComboBox;
#include <QFrame>
class QMenu;
class QScrollBar;
class QTimer;
class QToolButton;
class QAction;

namespace vx {

class TPaintPanel;
class TStandardPreview;

// Work the printing and find modules supply; while a member is empty its
// button (and key) does nothing beyond applying the zoom text.
struct PreviewHooks : DefaultResetPart<PreviewHooks> {
    std::function<void(TStandardPreview&)> PrintReport;
    std::function<void(TStandardPreview&)> FindInReport;
};
PreviewHooks& previewHooks();

// A page box: "Pagina N/M" in the bottom row and in full screen.
class PageBox : public QWidget {
    Q_OBJECT
public:
    PageBox(TStandardPreview* preview, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TStandardPreview* preview_;
};

class TStandardPreview : public TvxPreview {
    Q_OBJECT
public:
    explicit TStandardPreview(QWidget* parent = nullptr);
    ~TStandardPreview() override;

    void DrawPage(Canvas& dc, int pageIndex, const EdgeRect& rect) override;

    // Operations of the window (buttons, keys, menu).
    virtual void OpenReport();
    virtual void SaveReport();
    virtual void PrintReport();
    virtual void FindInReport();
    void FirstPage();
    void LastPage();
    void NextPage();
    void PrevPage();
    void ZoomToWidth();
    void ZoomOnePage();
    void ZoomTwoPages();

    void ShowPage(int n);
    preview::Point PageOrigin(int pageIndex) const;
    void SetZoom(double z);
    void ApplyZoomMode();
    void ApplyZoomText();
    void UpdateZoomText();
    void SetFullScreen(bool on);
    // The keyboard table; returns whether the key was taken.
    bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    // One tick of the search hit's blinking.
    void TimerTimer();

    // The work behind the open and save dialogs (also for tests and hosts):
    // load a ".vxp" file into the shown report; save as ".vxp" (type 1),
    // the current page as ".emf" (type 2; ".emf" appended unless the name
    // ends with it, in any case), or export through registered export
    // filter number type - 3 (type 3 and later, the types the save dialog
    // lists after the two built-in ones).
    void OpenReportFile(const QString& fileName);
    void SaveReportFile(const QString& fileName, int filterIndex);
    // The save dialog's file types: ".vxp", ".emf", then one per
    // registered export filter ("Documento PDF (*.pdf)").
    static QStringList saveDialogFilters();
    // The name an ".emf" page is saved under.
    static QString emfFileName(const QString& chosen);

    // State read by tests, the find dialog and printing.
    int currentPage() const { return currentPage_; }
    int pageCount() const;
    double zoom() const { return zoom_; }
    TPreviewZoomMode zoomMode() const { return zoomMode_; }
    bool fullScreen() const { return fullScreen_; }
    double pageFraction() const { return pageFraction_; }
    QString pageBoxText() const;
    preview::ViewState viewState() const;
    const std::vector<preview::PageExtent>& pageExtents() const { return pages_; }
    preview::PageScale pageScale(int pageIndex) const;

    QComboBox* zoomBox() const { return ZoomBtn; }
    QScrollBar* verticalBar() const { return VScroll; }
    QScrollBar* horizontalBar() const { return HScroll; }
    TPaintPanel* paintPanel() const { return panel_; }
    QWidget* toolBar() const { return StatusBar; }
    QWidget* pagePanel() const { return PagePanel; }
    QMenu* popupMenu() const { return PopupMenu; }
    QToolButton* button(const QString& name) const;
    QTimer* blinkTimer() const { return Timer; }
    // Whether the zoom box holds the keyboard focus (the key table is then off).
    bool zoomBoxFocused() const;
    // Checks exactly one zoom item of the pop-up menu (the zoom box text in
    // zmPercent, else the mode's item); returns its caption.
    QString checkZoomMenuItem();

    // Text search (filled by the find module, read by the playback).
    preview::SearchState Search;

    // Panel painting (called by TPaintPanel).
    void paintPanel(QPaintEvent* event);
    void panelMousePress(QMouseEvent* event);
    void panelMouseMove(QMouseEvent* event);
    void panelMouseRelease(QMouseEvent* event);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static constexpr int kToolBarHeight = 32;
    static constexpr int kPageBoxWidth = 80;
    static constexpr int kPageBoxHeight = 16;
    static constexpr int kLargeChange = 200; // scroll bars' large change (pixels)
    static constexpr int kSmallChange = 10;
    static constexpr int kBlinkInterval = 250; // ms
    static constexpr int kBlinkTicks = 9;

    void FormCreate();
    void FormShow();
    void FormResize();
    void buildToolBar();
    void buildScrollArea();
    void buildPopupMenu();
    void layoutComponents();
    void computePageExtents();
    void applyScrollRanges(const preview::ScrollRange& v, const preview::ScrollRange& h);
    void onVerticalScroll(int value);
    void onHorizontalScroll(int value);
    void ZoomMenuClick(const QString& caption);
    void repaintPageBoxes();
    void postUpdateZoomText();
    void guarded(const std::function<void()>& work);
    EdgeRect hitRectOnPanel() const;

    // Components.
    QWidget* StatusBar = nullptr;
    QFrame* Bevel1 = nullptr;
    QFrame* Bevel2 = nullptr;
    QComboBox* ZoomBtn = nullptr;
    QFrame* Panel0 = nullptr;
    QToolButton* OpenBtn = nullptr;
    QToolButton* SaveBtn = nullptr;
    QToolButton* PrintBtn = nullptr;
    QToolButton* FindBtn = nullptr;
    QFrame* Panel1 = nullptr;
    QToolButton* ScreenBtn = nullptr;
    QFrame* Panel2 = nullptr;
    QToolButton* CloseBtn = nullptr;
    QWidget* VPanel = nullptr;
    QWidget* VI_Panel = nullptr;
    QScrollBar* VScroll = nullptr;
    QWidget* ButtonsPanel = nullptr;
    QToolButton* PrevBtn = nullptr;
    QToolButton* NextBtn = nullptr;
    QWidget* HPanel = nullptr;
    QFrame* LeftPanel = nullptr;
    PageBox* PaintPage2 = nullptr;
    QWidget* HI_Panel = nullptr;
    QScrollBar* HScroll = nullptr;
    QWidget* RightPanel = nullptr;
    QFrame* PagePanel = nullptr;
    PageBox* PaintPage = nullptr;
    QTimer* Timer = nullptr;
    QMenu* PopupMenu = nullptr;
    std::vector<QAction*> zoomItems_;

    TPaintPanel* panel_ = nullptr;
    Canvas* panelCanvas_ = nullptr; // while the panel paints
    QRect panelClip_;

    // Fields of the window.
    int lastV_ = 0;
    int lastH_ = 0;
    int currentPage_ = 1;
    double zoom_ = 100.0;
    bool forceRepaint_ = false;
    Qt::WindowStates savedWindowState_ = Qt::WindowMaximized;
    double pageFraction_ = 0;
    double lastZoom_ = 100.0;
    TPreviewZoomMode zoomMode_ = zmPercent;
    TPreviewZoomMode lastZoomMode_ = zmPercent;
    bool toolBarShown_ = true;
    bool fullScreen_ = false;
    bool pageBoxShown_ = true;
    bool savedToolBar_ = true;
    preview::LargestPage largest_;
    std::vector<preview::PageExtent> pages_;
    bool shown_ = false;
};

} // namespace vx
