// The preview window's components: the tool bar with the zoom box and the
// buttons, the scroll bars with the page buttons, the page boxes and the
// pop-up menu, built in code with their Italian texts, and their layout.

#include "preview/standard_preview.h"

#include "platform/locale_settings.h"
#include "preview/paint_panel.h"
#include "preview/zoom_box.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

namespace vx {

using namespace vx::preview;

namespace {

// The page box's font (pixels): its text fits the bottom row's height.
constexpr int kPageBoxFontPixels = 11;

} // namespace

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
    Search.Searching = false;
    Search.Found = false;
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
    // At this width the style's font would cut "156,9%" and the captions.
    fitZoomBox(*ZoomBtn, zoomBoxTexts(localeSettings().decimalSeparator));
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
    auto plain = [](QWidget* parent, const char* name) {
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

} // namespace vx
