#include "preview/standard_preview.h"

#include "platform/atomic_file.h"
#include "platform/locale_settings.h"
#include "platform/message_box.h"
#include "platform/painter_canvas.h"
#include "preview/page_render.h"
#include "preview/paint_panel.h"
#include "preview/pdf_export.h"
#include "report/emf_pages.h"
#include "report/report.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

namespace vx {

using namespace vx::preview;

namespace {

constexpr int kToolBarHeight = 32;
constexpr int kPageBoxWidth = 80;
constexpr int kPageBoxHeight = 16;
constexpr int kPageBoxFontPixels = 11;
constexpr int kLargeChange = 200;
constexpr int kSmallChange = 10;
constexpr int kBlinkInterval = 250; // ms
constexpr int kBlinkTicks = 9;

const QString kOpenTitle = QStringLiteral("Apre un report.");
const QString kOpenFilter = QStringLiteral("Report files (*.vxp)");
const QString kSaveTitle = QStringLiteral("Salva il report.");
const QString kSaveVxpFilter = QStringLiteral("Report file (*.vxp)");
const QString kSaveEmfFilter = QStringLiteral("Enhanced Meta File - File Grafico (*.emf)");

QRect qrect(const Edges& e) {
    return rectFromEdges(e.left, e.top, e.right, e.bottom);
}

// Keeps the process's current folder across a file dialog.
class CurrentFolderGuard {
public:
    CurrentFolderGuard() : saved_(QDir::currentPath()) {}
    ~CurrentFolderGuard() { QDir::setCurrent(saved_); }

private:
    QString saved_;
};

} // namespace

PreviewHooks& previewHooks() {
    return libraryState().part<PreviewHooks>();
}

PageBox::PageBox(TStandardPreview* preview, QWidget* parent) : QWidget(parent), preview_(preview) {
    // The bottom row is only as high as a scroll bar: a small font keeps
    // the text whole in it.
    QFont small = font();
    small.setPixelSize(kPageBoxFontPixels);
    setFont(small);
}

void PageBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    p.setPen(palette().windowText().color());
    // Centred in the box itself: the bottom row's box is lower than the
    // floating one, and text centred on the floating box's height would
    // lose its bottom in it. The trailing blanks paint over a longer text.
    p.drawText(QRect(0, 0, width(), height()),
               Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, preview_->pageBoxText());
}

TStandardPreview::TStandardPreview(QWidget* parent) : TvxPreview(parent) {
    FormCreate();
}

TStandardPreview::~TStandardPreview() = default;

void TStandardPreview::FormCreate() {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    resize(564, 367);
    toolBarShown_ = true;
    pageBoxShown_ = true;
    buildToolBar();
    buildScrollArea();

    panel_ = new TPaintPanel(this, this);
    panel_->setCursor(Qt::OpenHandCursor);

    PagePanel = new QFrame(this);
    PagePanel->setObjectName(QStringLiteral("PagePanel"));
    PagePanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PagePanel->setAutoFillBackground(true);
    PagePanel->resize(kPageBoxWidth, kPageBoxHeight);
    PaintPage = new PageBox(this, PagePanel);
    PaintPage->setGeometry(PagePanel->contentsRect());
    PagePanel->installEventFilter(this);
    PagePanel->hide();
    PagePanel->raise();

    Timer = new QTimer(this);
    Timer->setInterval(kBlinkInterval);
    connect(Timer, &QTimer::timeout, this, [this] { TimerTimer(); });

    forceRepaint_ = false;
    lastZoom_ = 100.0;
    lastZoomMode_ = zmPercent;
    Searching = false;
    Found = false;
    buildPopupMenu();
    layoutComponents();
}

void TStandardPreview::buildToolBar() {
    StatusBar = new QWidget(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->installEventFilter(this);
    Bevel1 = new QFrame(StatusBar);
    Bevel1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    Bevel2 = new QFrame(StatusBar);
    Bevel2->setFrameStyle(QFrame::HLine | QFrame::Sunken);

    ZoomBtn = new QComboBox(StatusBar);
    ZoomBtn->setObjectName(QStringLiteral("ZoomBtn"));
    ZoomBtn->setEditable(true);
    ZoomBtn->setCompleter(nullptr);
    ZoomBtn->setInsertPolicy(QComboBox::NoInsert);
    ZoomBtn->addItems(zoomListEntries());
    ZoomBtn->setMaxVisibleItems(9);
    ZoomBtn->setFocusPolicy(Qt::ClickFocus); // no tab stop
    ZoomBtn->setGeometry(4, 6, 62, 21);
    ZoomBtn->setEditText(QStringLiteral("100%"));
    ZoomBtn->setToolTip(QStringLiteral("Ingrandimento"));
    // Keys reach the combo box or its line edit depending on the focus path.
    ZoomBtn->installEventFilter(this);
    ZoomBtn->lineEdit()->installEventFilter(this);
    connect(ZoomBtn, &QComboBox::activated, this,
            [this](int) { guarded([this] { ApplyZoomText(); }); });

    auto separator = [this](const char* name, int x) {
        auto* f = new QFrame(StatusBar);
        f->setObjectName(QLatin1String(name));
        f->setGeometry(x, 6, 4, 20);
        f->installEventFilter(this);
        return f;
    };
    auto button = [this](const char* name, int x, int w, const QString& caption,
                         const QString& hint) {
        auto* b = new QToolButton(StatusBar);
        b->setObjectName(QLatin1String(name));
        b->setText(caption);
        b->setToolTip(hint);
        b->setAutoRaise(true); // flat
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        b->setFocusPolicy(Qt::NoFocus);
        b->setGeometry(x, 4, w, 24);
        return b;
    };
    Panel0 = separator("Panel0", 71);
    OpenBtn = button("OpenBtn", 80, 64, QStringLiteral("&Apri"), QStringLiteral("Apre un report"));
    SaveBtn =
        button("SaveBtn", 146, 64, QStringLiteral("Sal&va"), QStringLiteral("Salva il report"));
    PrintBtn =
        button("PrintBtn", 212, 64, QStringLiteral("&Stampa"), QStringLiteral("Stampa il report"));
    FindBtn =
        button("FindBtn", 278, 64, QStringLiteral("&Trova"), QStringLiteral("Trova del testo"));
    Panel1 = separator("Panel1", 346);
    ScreenBtn = button("ScreenBtn", 354, 64, QStringLiteral("Sc&hermo"),
                       QStringLiteral("Visualizza l'anteprima a schermo intero"));
    Panel2 = separator("Panel2", 422);
    CloseBtn =
        button("CloseBtn", 430, 70, QStringLiteral("&Chiudi"), QStringLiteral("Chiude il report"));

    connect(OpenBtn, &QToolButton::clicked, this, [this] { guarded([this] { OpenReport(); }); });
    connect(SaveBtn, &QToolButton::clicked, this, [this] { guarded([this] { SaveReport(); }); });
    connect(PrintBtn, &QToolButton::clicked, this, [this] { guarded([this] { PrintReport(); }); });
    connect(FindBtn, &QToolButton::clicked, this, [this] { guarded([this] { FindInReport(); }); });
    connect(ScreenBtn, &QToolButton::clicked, this, [this] { SetFullScreen(!fullScreen_); });
    connect(CloseBtn, &QToolButton::clicked, this, [this] { close(); });
}

void TStandardPreview::buildScrollArea() {
    auto plain = [this](QWidget* parent, const char* name) {
        auto* w = new QWidget(parent);
        w->setObjectName(QLatin1String(name));
        return w;
    };
    VPanel = plain(this, "VPanel");
    VI_Panel = plain(VPanel, "VI_Panel");
    VScroll = new QScrollBar(Qt::Vertical, VI_Panel);
    VScroll->setObjectName(QStringLiteral("VScroll"));
    ButtonsPanel = plain(VPanel, "ButtonsPanel");
    auto arrow = [this](const char* name, Qt::ArrowType type, const QString& hint) {
        auto* b = new QToolButton(ButtonsPanel);
        b->setObjectName(QLatin1String(name));
        b->setArrowType(type);
        b->setToolTip(hint);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    PrevBtn = arrow("PrevBtn", Qt::UpArrow, QStringLiteral("Pagina precedente"));
    NextBtn = arrow("NextBtn", Qt::DownArrow, QStringLiteral("Pagina successiva"));

    HPanel = plain(this, "HPanel");
    LeftPanel = new QFrame(HPanel);
    LeftPanel->setObjectName(QStringLiteral("LeftPanel"));
    LeftPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    LeftPanel->installEventFilter(this);
    PaintPage2 = new PageBox(this, LeftPanel);
    HI_Panel = plain(HPanel, "HI_Panel");
    HScroll = new QScrollBar(Qt::Horizontal, HI_Panel);
    HScroll->setObjectName(QStringLiteral("HScroll"));
    RightPanel = plain(HPanel, "RightPanel");
    RightPanel->installEventFilter(this);

    for (QScrollBar* bar : {VScroll, HScroll}) {
        bar->setPageStep(kLargeChange);
        bar->setSingleStep(kSmallChange);
        bar->setRange(0, 0);
        // The keys of the window's table must reach the window.
        bar->setFocusPolicy(Qt::NoFocus);
    }
    connect(VScroll, &QScrollBar::valueChanged, this, [this](int v) { onVerticalScroll(v); });
    connect(HScroll, &QScrollBar::valueChanged, this, [this](int v) { onHorizontalScroll(v); });
    connect(PrevBtn, &QToolButton::clicked, this, [this] { PrevPage(); });
    connect(NextBtn, &QToolButton::clicked, this, [this] { NextPage(); });
}

void TStandardPreview::buildPopupMenu() {
    PopupMenu = new QMenu(this);
    for (QToolButton* b : {OpenBtn, SaveBtn, PrintBtn, FindBtn}) {
        QAction* a = PopupMenu->addAction(b->text());
        connect(a, &QAction::triggered, b, &QToolButton::click);
    }
    PopupMenu->addSeparator();
    for (const QString& entry : zoomListEntries()) {
        QAction* a = PopupMenu->addAction(entry);
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, entry] { ZoomMenuClick(entry); });
        zoomItems_.push_back(a);
    }
}

void TStandardPreview::layoutComponents() {
    const int W = width();
    const int H = height();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int tb = (toolBarShown_ && !fullScreen_) ? kToolBarHeight : 0;
    const bool bars = !fullScreen_;
    StatusBar->setGeometry(0, 0, W, tb);
    StatusBar->setVisible(tb > 0);
    Bevel1->setGeometry(0, 0, W, 2);
    Bevel2->setGeometry(0, kToolBarHeight - 2, W, 2);

    const int hh = bars ? bar : 0;
    const int vw = bars ? bar : 0;
    const int vph = std::max(0, H - tb - hh);
    VPanel->setGeometry(W - vw, tb, vw, vph);
    VI_Panel->setGeometry(0, 0, vw, std::max(0, vph - 2 * hh));
    VScroll->setGeometry(0, 0, VI_Panel->width(), VI_Panel->height());
    ButtonsPanel->setGeometry(0, std::max(0, vph - 2 * hh), vw, 2 * hh);
    PrevBtn->setGeometry(0, 0, vw, hh);
    NextBtn->setGeometry(0, hh, vw, hh);

    HPanel->setGeometry(0, H - hh, W, hh);
    LeftPanel->setGeometry(0, 0, kPageBoxWidth, hh);
    PaintPage2->setGeometry(LeftPanel->contentsRect());
    HI_Panel->setGeometry(kPageBoxWidth, 0, std::max(0, W - kPageBoxWidth - vw), hh);
    HScroll->setGeometry(0, 0, HI_Panel->width(), HI_Panel->height());
    RightPanel->setGeometry(W - vw, 0, vw, hh);

    panel_->setGeometry(0, tb, std::max(0, W - vw), std::max(0, H - tb - hh));
    if (PagePanel->isVisibleTo(this))
        PagePanel->move(0, H - PagePanel->height());
}

void TStandardPreview::computePageExtents() {
    pages_.clear();
    if (report() && report()->PreparedPages) {
        const TvxEMFPages& prepared = *report()->PreparedPages;
        pages_.reserve(size_t(prepared.Count()));
        for (int i = 0; i < prepared.Count(); ++i) {
            const PreparedPageInfo& info = prepared.Pages(i);
            PageExtent e{info.PaperWidth, info.PaperHeight, info.PictureSize.width(),
                         info.PictureSize.height()};
            if ((e.pictureWidth <= 0 || e.pictureHeight <= 0) && !info.Picture.isNull()) {
                const QRectF frame = info.Picture.frameInDevicePixels();
                e.pictureWidth = roundEven(frame.width());
                e.pictureHeight = roundEven(frame.height());
            }
            pages_.push_back(e);
        }
    }
    largest_ = largestPage(pages_);
}

int TStandardPreview::pageCount() const {
    return int(pages_.size());
}

ViewState TStandardPreview::viewState() const {
    ViewState v;
    v.zoom = zoom_;
    v.mode = zoomMode_;
    v.panelWidth = panel_->width();
    v.panelHeight = panel_->height();
    v.vpos = VScroll->value();
    v.hpos = HScroll->value();
    v.widestPage = largest_.widest;
    return v;
}

PageScale TStandardPreview::pageScale(int pageIndex) const {
    if (pageIndex < 0 || pageIndex >= int(pages_.size()))
        return {};
    return preview::pageScale(pages_[size_t(pageIndex)], zoom_);
}

QString TStandardPreview::pageBoxText() const {
    return preview::pageBoxText(currentPage_, pageCount());
}

QToolButton* TStandardPreview::button(const QString& name) const {
    return findChild<QToolButton*>(name);
}

bool TStandardPreview::zoomBoxFocused() const {
    const QWidget* fw = focusWidget();
    return fw && (fw == ZoomBtn || ZoomBtn->isAncestorOf(fw));
}

void TStandardPreview::showEvent(QShowEvent* event) {
    TvxPreview::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TStandardPreview::FormShow() {
    shown_ = true;
    fullScreen_ = false;
    PagePanel->hide();
    PagePanel->move(PagePanel->x(), 0);
    VPanel->show();
    HPanel->show();
    computePageExtents();
    {
        const QSignalBlocker bv(VScroll);
        const QSignalBlocker bh(HScroll);
        VScroll->setValue(0);
        HScroll->setValue(0);
    }
    lastV_ = 0;
    lastH_ = 0;
    layoutComponents();
    currentPage_ = pages_.empty() ? 0 : 1;
    ShowPage(1);
    zoomMode_ = zmPercent;
    SetZoom(100);
}

void TStandardPreview::resizeEvent(QResizeEvent* event) {
    TvxPreview::resizeEvent(event);
    layoutComponents();
    FormResize();
}

void TStandardPreview::FormResize() {
    if (!shown_)
        return;
    forceRepaint_ = zoomMode_ == zmOnePage || zoomMode_ == zmTwoPages;
    ApplyZoomMode();
    if (PagePanel->isVisibleTo(this))
        PagePanel->move(0, height() - PagePanel->height());
}

void TStandardPreview::closeEvent(QCloseEvent* event) {
    if (Timer->isActive()) {
        BlinkCount = kBlinkTicks - 1;
        TimerTimer();
    }
    TvxPreview::closeEvent(event);
}

void TStandardPreview::applyScrollRanges(const ScrollRange& v, const ScrollRange& h) {
    VScroll->setRange(0, v.maximum);
    VScroll->setEnabled(v.enabled);
    HScroll->setRange(0, h.maximum);
    HScroll->setEnabled(h.enabled);
}

void TStandardPreview::onVerticalScroll(int value) {
    const int dy = lastV_ - value;
    lastV_ = value;
    if (dy != 0)
        panel_->scroll(0, dy); // moves the pixels; only the uncovered strip repaints
    ApplyZoomText();
}

void TStandardPreview::onHorizontalScroll(int value) {
    const int dx = lastH_ - value;
    lastH_ = value;
    if (dx != 0)
        panel_->scroll(dx, 0);
    ApplyZoomText();
}

void TStandardPreview::paintPanel(QPaintEvent* event) {
    QPainter painter(panel_);
    const QRect clip = event->rect();
    painter.fillRect(clip, QColor(0xC0, 0xC0, 0xC0));
    if (pages_.empty() || !report())
        return;
    PainterCanvas canvas(painter);
    panelCanvas_ = &canvas;
    panelClip_ = clip;
    const Edges clipEdges{clip.left(), clip.top(), clip.left() + clip.width(),
                          clip.top() + clip.height()};
    const PaintPass pass = layoutPaint(pages_, viewState(), clipEdges, panel_->DryRun);
    const BrushSpec black{BrushStyle::Solid, kBlack, 0};
    for (const PagePlacement& p : pass.pages) {
        canvas.setBrush(BrushSpec{BrushStyle::Solid, kWhite, 0});
        canvas.setPen(PenSpec{PenStyle::Solid, 1, kBlack});
        canvas.rectangle(qrect(p.frame));
        const Edges& f = p.frame;
        canvas.fillRect(rectFromEdges(f.right, f.top + kShadow, f.right + 1, f.bottom), black);
        canvas.fillRect(rectFromEdges(f.left + kShadow, f.bottom, f.right + 1, f.bottom + 1),
                        black);
        DrawPage(canvas, p.index, p.picture);
    }
    panelCanvas_ = nullptr;
    if (panel_->DryRun)
        return;
    if (pass.hasFraction)
        pageFraction_ = pass.pageFraction;
    if (pass.topPage != currentPage_) {
        currentPage_ = pass.topPage;
        repaintPageBoxes();
    }
    // A resize can change the ranges; they are set after the paint, since
    // clamping a scroll position inside a paint would scroll the panel.
    if (VScroll->maximum() != pass.vertical.maximum ||
        HScroll->maximum() != pass.horizontal.maximum) {
        const ScrollRange v = pass.vertical;
        const ScrollRange h = pass.horizontal;
        QMetaObject::invokeMethod(
            this, [this, v, h] { applyScrollRanges(v, h); }, Qt::QueuedConnection);
    }
}

void TStandardPreview::DrawPage(Canvas& dc, int pageIndex, const Edges& rect) {
    if (!report() || !report()->PreparedPages || pageIndex < 0 ||
        pageIndex >= report()->PreparedPages->Count())
        return;
    const PreparedPageInfo& info = report()->PreparedPages->Pages(pageIndex);
    // The scales are those of the page at the current zoom, whatever the
    // rectangle (a window used only for printing has no layout).
    PlaybackRequest req = pageRequest(info, pageIndex, zoom_, rect);
    req.onPanel = panelCanvas_ != nullptr && &dc == panelCanvas_;
    req.clip = panelClip_;
    req.highlight = HitHighlight{Found, HitPage, RecordNumber, BlinkCount};
    if (Searching && SearchRecord)
        req.search = SearchRecord;
    playPage(dc, info.Picture, req);
}

void TStandardPreview::ShowPage(int n) {
    if (n < 1 || n > pageCount())
        return;
    const int y = rowsAbove(pages_, viewState(), n);
    if (VScroll->value() != y)
        VScroll->setValue(y);
    currentPage_ = n;
    repaintPageBoxes();
}

Point TStandardPreview::PageOrigin(int pageIndex) const {
    return pageOrigin(pages_, viewState(), pageIndex);
}

void TStandardPreview::SetZoom(double z) {
    if (z != zoom_ && Found) {
        const double f = z / zoom_;
        HitRect = {roundEven(HitRect.left * f), roundEven(HitRect.top * f),
                   roundEven(HitRect.right * f), roundEven(HitRect.bottom * f)};
    }
    panel_->DryRun = true;
    zoom_ = z;
    const PaintPass dry = layoutPaint(pages_, viewState(), Edges{}, true);
    applyScrollRanges(dry.vertical, dry.horizontal);
    if (!panel_->KeepPosition && isVisible()) {
        ShowPage(currentPage_);
        if (currentPage_ >= 1 && currentPage_ <= pageCount()) {
            const double h = pageScale(currentPage_ - 1).h;
            const QSignalBlocker block(VScroll); // nothing scrolls: the panel repaints
            VScroll->setValue(VScroll->value() + roundEven(pageFraction_ * h));
        }
        lastV_ = VScroll->value();
    }
    postUpdateZoomText();
    HScroll->setValue(horizontalPositionAfterZoom(HScroll->maximum()));
    panel_->DryRun = false;
    if (zoom_ != lastZoom_ || zoomMode_ != lastZoomMode_ || forceRepaint_) {
        panel_->update();
        lastZoom_ = zoom_;
        lastZoomMode_ = zoomMode_;
        forceRepaint_ = false;
    }
}

void TStandardPreview::ApplyZoomMode() {
    SetZoom(zoomForMode(zoomMode_, zoom_, panel_->width(), panel_->height(), largest_));
}

void TStandardPreview::ApplyZoomText() {
    if (!zoomBoxFocused())
        return;
    // Disabling the box also takes the keyboard focus from it, so that the
    // window's keys work again.
    ZoomBtn->setEnabled(false);
    const ZoomRequest req =
        parseZoomText(ZoomBtn->currentText(), localeSettings().decimalSeparator);
    switch (req.kind) {
    case ZoomRequest::Kind::Mode:
        zoomMode_ = req.mode;
        ApplyZoomMode();
        break;
    case ZoomRequest::Kind::Percent:
        if (zoomMode_ != zmPercent || req.zoom != zoom_) {
            zoomMode_ = zmPercent;
            SetZoom(req.zoom);
        } else {
            postUpdateZoomText();
        }
        break;
    case ZoomRequest::Kind::Invalid:
        QApplication::beep();
        postUpdateZoomText();
        break;
    }
    ZoomBtn->setEnabled(true);
    if (zoomBoxFocused())
        setFocus();
}

void TStandardPreview::postUpdateZoomText() {
    QMetaObject::invokeMethod(this, &TStandardPreview::UpdateZoomText, Qt::QueuedConnection);
}

void TStandardPreview::UpdateZoomText() {
    ZoomBtn->setEditText(formatZoomText(zoom_, localeSettings().decimalSeparator));
}

void TStandardPreview::ZoomMenuClick(const QString& caption) {
    ZoomBtn->setEditText(caption);
    ZoomBtn->setFocus();
    ApplyZoomText();
}

QString TStandardPreview::checkZoomMenuItem() {
    QString target;
    switch (zoomMode_) {
    case zmPercent:
        target = ZoomBtn->currentText();
        break;
    case zmPageWidth:
        target = kZoomPageWidth;
        break;
    case zmOnePage:
        target = kZoomOnePage;
        break;
    case zmTwoPages:
        target = kZoomTwoPages;
        break;
    }
    for (QAction* a : zoomItems_)
        a->setChecked(a->text() == target);
    return target;
}

void TStandardPreview::repaintPageBoxes() {
    PaintPage->update();
    PaintPage2->update();
}

void TStandardPreview::FirstPage() {
    ShowPage(1);
}

void TStandardPreview::LastPage() {
    ShowPage(pageCount());
}

void TStandardPreview::NextPage() {
    if (currentPage_ < pageCount())
        ShowPage(currentPage_ + (zoomMode_ == zmTwoPages ? 2 : 1));
    ApplyZoomText();
}

void TStandardPreview::PrevPage() {
    if (currentPage_ > 1)
        ShowPage(currentPage_ - (zoomMode_ == zmTwoPages ? 2 : 1));
    ApplyZoomText();
}

void TStandardPreview::ZoomToWidth() {
    ZoomBtn->setEditText(kZoomPageWidth);
    zoomMode_ = zmPageWidth;
    ApplyZoomMode();
}

void TStandardPreview::ZoomOnePage() {
    ZoomBtn->setEditText(kZoomOnePage);
    zoomMode_ = zmOnePage;
    ApplyZoomMode();
}

void TStandardPreview::ZoomTwoPages() {
    ZoomBtn->setEditText(kZoomTwoPages);
    zoomMode_ = zmTwoPages;
    ApplyZoomMode();
}

void TStandardPreview::SetFullScreen(bool on) {
    if (on != fullScreen_) {
        fullScreen_ = on;
        if (on) {
            savedWindowState_ = windowState();
            savedToolBar_ = toolBarShown_;
            VPanel->hide();
            HPanel->hide();
            showFullScreen();
            if (pageBoxShown_) {
                PagePanel->show();
                PagePanel->raise();
            }
        } else {
            toolBarShown_ = savedToolBar_;
            PagePanel->hide();
            PagePanel->move(0, 0);
            VPanel->show();
            HPanel->show();
            LeftPanel->show();
            setWindowState(savedWindowState_);
        }
        layoutComponents();
        if (on && pageBoxShown_)
            PagePanel->move(0, height() - PagePanel->height());
    }
    if (HScroll->value() != 0 || HScroll->maximum() <= kCentreScrollLimit) {
        panel_->KeepPosition = true;
        lastZoom_ = 0;
        ApplyZoomMode();
        panel_->KeepPosition = false;
    }
    fullScreen_ = on;
}

Edges TStandardPreview::hitRectOnPanel() const {
    const Point o = PageOrigin(HitPage);
    return {HitRect.left + o.x, HitRect.top + o.y, HitRect.right + o.x, HitRect.bottom + o.y};
}

void TStandardPreview::TimerTimer() {
    ++BlinkCount;
    const QRect r = qrect(hitRectOnPanel());
    panel_->update(r);
    if (BlinkCount >= kBlinkTicks) {
        Timer->stop();
        Found = false;
        panel_->update(r);
    }
}

bool TStandardPreview::FormKeyDown(int key, Qt::KeyboardModifiers modifiers) {
    if (zoomBoxFocused())
        return false;
    const bool ctrl = modifiers & Qt::ControlModifier;
    switch (key) {
    case Qt::Key_Escape:
        if (fullScreen_)
            SetFullScreen(false);
        else
            close();
        break;
    case Qt::Key_Space:
        SetFullScreen(!fullScreen_);
        break;
    case Qt::Key_PageUp:
        if (ctrl)
            PrevPage();
        else
            VScroll->setValue(VScroll->value() - kLargeChange);
        break;
    case Qt::Key_PageDown:
        if (ctrl)
            NextPage();
        else
            VScroll->setValue(VScroll->value() + kLargeChange);
        break;
    case Qt::Key_Home:
        FirstPage();
        break;
    case Qt::Key_End:
        LastPage();
        break;
    case Qt::Key_Left:
        HScroll->setValue(HScroll->value() - kSmallChange);
        break;
    case Qt::Key_Right:
        HScroll->setValue(HScroll->value() + kSmallChange);
        break;
    case Qt::Key_Up:
        VScroll->setValue(VScroll->value() - kSmallChange);
        break;
    case Qt::Key_Down:
        VScroll->setValue(VScroll->value() + kSmallChange);
        break;
    case Qt::Key_F2:
        guarded([this] { PrintReport(); });
        break;
    case Qt::Key_F3:
        guarded([this] { FindInReport(); });
        break;
    case Qt::Key_F10:
        guarded([this] { OpenReport(); });
        break;
    case Qt::Key_F11:
        guarded([this] { SaveReport(); });
        break;
    case Qt::Key_Equal: // the "=" / "+" key of the main keyboard
    case Qt::Key_Plus:
        if (modifiers & Qt::KeypadModifier)
            return false;
        NextPage();
        break;
    case Qt::Key_Minus: // the "-" key of the main keyboard
    case Qt::Key_Underscore:
        if (modifiers & Qt::KeypadModifier)
            return false;
        PrevPage();
        break;
    default:
        return false;
    }
    return true;
}

void TStandardPreview::keyPressEvent(QKeyEvent* event) {
    if (FormKeyDown(event->key(), event->modifiers()))
        event->accept();
    else
        TvxPreview::keyPressEvent(event);
}

bool TStandardPreview::eventFilter(QObject* watched, QEvent* event) {
    if (ZoomBtn && (watched == ZoomBtn || watched == ZoomBtn->lineEdit()) &&
        event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            guarded([this] { ApplyZoomText(); });
            return true;
        }
        const QString text = key->text();
        // Only digits, "%", backspace and the decimal separator are typed;
        // keys without a character (arrows, Delete) are left alone.
        if (text.size() == 1 && text[0].isPrint() &&
            !zoomBoxAccepts(text[0], localeSettings().decimalSeparator))
            return true;
        return false;
    }
    if (event->type() == QEvent::MouseButtonPress &&
        (watched == StatusBar || watched == Panel0 || watched == Panel1 || watched == Panel2 ||
         watched == LeftPanel || watched == RightPanel || watched == PagePanel)) {
        guarded([this] { ApplyZoomText(); });
        return false;
    }
    return TvxPreview::eventFilter(watched, event);
}

void TStandardPreview::panelMousePress(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        panel_->Dragging = true;
        panel_->LastX = event->position().toPoint().x();
        panel_->LastY = event->position().toPoint().y();
    }
}

void TStandardPreview::panelMouseMove(QMouseEvent* event) {
    if (!panel_->Dragging)
        return;
    const QPoint p = event->position().toPoint();
    VScroll->setValue(VScroll->value() + panel_->LastY - p.y());
    HScroll->setValue(HScroll->value() + panel_->LastX - p.x());
    panel_->LastX = p.x();
    panel_->LastY = p.y();
}

void TStandardPreview::panelMouseRelease(QMouseEvent* event) {
    panel_->Dragging = false;
    ApplyZoomText();
    if (event->button() == Qt::RightButton) {
        checkZoomMenuItem();
        PopupMenu->popup(event->globalPosition().toPoint());
    }
}

void TStandardPreview::guarded(const std::function<void()>& work) {
    runGuarded(work);
}

void TStandardPreview::OpenReport() {
    ApplyZoomText();
    const CurrentFolderGuard folder;
    QFileDialog dialog(this, kOpenTitle, QString(), kOpenFilter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    QApplication::processEvents();
    OpenReportFile(dialog.selectedFiles().constFirst());
}

void TStandardPreview::OpenReportFile(const QString& fileName) {
    if (!report())
        return;
    try {
        report()->LoadPreparedFile(fileName);
    } catch (...) {
        // The pages read before the damage stay: the window must not keep
        // the layout of pages that are gone.
        lastZoom_ = 0;
        FormShow();
        throw;
    }
    lastZoom_ = 0;
    FormShow();
}

void TStandardPreview::SaveReport() {
    ApplyZoomText();
    const CurrentFolderGuard folder;
    QFileDialog dialog(this, kSaveTitle);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const QStringList filters = saveDialogFilters();
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.constFirst());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    QApplication::processEvents();
    const int type = int(filters.indexOf(dialog.selectedNameFilter())) + 1;
    SaveReportFile(dialog.selectedFiles().constFirst(), type < 1 ? 1 : type);
}

QStringList TStandardPreview::saveDialogFilters() {
    QStringList filters{kSaveVxpFilter, kSaveEmfFilter};
    for (const TvxExportFilterInfo& f : ExportFilters())
        filters << f.NameFilter();
    return filters;
}

QString TStandardPreview::emfFileName(const QString& chosen) {
    const qsizetype p = chosen.toUpper().indexOf(QStringLiteral(".EMF"));
    if (p >= 0 && p + 4 == chosen.size())
        return chosen;
    return chosen + QStringLiteral(".emf");
}

void TStandardPreview::SaveReportFile(const QString& fileName, int filterIndex) {
    if (!report())
        return;
    if (filterIndex == 1) {
        report()->SavePreparedFile(fileName);
        return;
    }
    if (filterIndex == 2) {
        const int index = currentPage_ - 1;
        if (index < 0 || index >= report()->PreparedPages->Count())
            return;
        const emf::EmfPicture& picture = report()->PreparedPages->Pages(index).Picture;
        QByteArray bytes = picture.bytes();
        if (!picture.isNull() && picture.header().bytes <= uint32_t(bytes.size()))
            bytes.truncate(qsizetype(picture.header().bytes));
        writeFileAtomically(emfFileName(fileName), bytes);
        return;
    }
    // The registered export filters follow the two built-in types.
    const std::vector<TvxExportFilterInfo>& exportFilters = ExportFilters();
    const int filter = filterIndex - 3;
    if (filter >= 0 && filter < int(exportFilters.size())) {
        // A copy: the table may grow while the export window runs.
        const TvxExportFilterInfo info = exportFilters[size_t(filter)];
        ExportReport(*report(), info, fileName, this);
    }
}

void TStandardPreview::PrintReport() {
    ApplyZoomText();
    if (previewHooks().PrintReport)
        previewHooks().PrintReport(*this);
}

void TStandardPreview::FindInReport() {
    if (previewHooks().FindInReport)
        previewHooks().FindInReport(*this);
}

} // namespace vx
