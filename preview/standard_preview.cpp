#include "preview/standard_preview.h"

#include "platform/atomic_file.h"
#include "platform/locale_settings.h"
#include "platform/message_box.h"
#include "platform/painter_canvas.h"
#include "preview/page_render.h"
#include "preview/paint_panel.h"
#include "preview/pdf_export.h"
#include "preview/preview_keys.h"
#include "preview/zoom_box.h"
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

namespace {} // namespace

PreviewHooks& previewHooks() {
    return libraryState().part<PreviewHooks>();
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
        Search.BlinkCount = kBlinkTicks - 1;
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
    const EdgeRect clipEdges = EdgeRect::fromQRect(clip);
    const PaintPass pass = layoutPaint(pages_, viewState(), clipEdges, panel_->DryRun);
    const BrushSpec black{BrushStyle::Solid, kBlack, 0};
    for (const PagePlacement& p : pass.pages) {
        canvas.setBrush(BrushSpec{BrushStyle::Solid, kWhite, 0});
        canvas.setPen(PenSpec{PenStyle::Solid, 1, kBlack});
        canvas.rectangle(p.frame.toQRect());
        const EdgeRect& f = p.frame;
        canvas.fillRect(rectFromEdges(f.Right, f.Top + kShadow, f.Right + 1, f.Bottom), black);
        canvas.fillRect(rectFromEdges(f.Left + kShadow, f.Bottom, f.Right + 1, f.Bottom + 1),
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

void TStandardPreview::DrawPage(Canvas& dc, int pageIndex, const EdgeRect& rect) {
    if (!report() || !report()->PreparedPages || pageIndex < 0 ||
        pageIndex >= report()->PreparedPages->Count())
        return;
    const PreparedPageInfo& info = report()->PreparedPages->Pages(pageIndex);
    // The scales are those of the page at the current zoom, whatever the
    // rectangle (a window used only for printing has no layout).
    PlaybackRequest req = pageRequest(info, pageIndex, zoom_, rect);
    req.onPanel = panelCanvas_ != nullptr && &dc == panelCanvas_;
    req.clip = panelClip_;
    req.highlight = Search.highlight();
    if (Search.Searching && Search.SearchRecord)
        req.search = Search.SearchRecord;
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
    if (z != zoom_ && Search.Found)
        Search.scaleHit(z / zoom_);
    panel_->DryRun = true;
    zoom_ = z;
    const PaintPass dry = layoutPaint(pages_, viewState(), EdgeRect{}, true);
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
    showZoomText(*ZoomBtn, formatZoomText(zoom_, localeSettings().decimalSeparator));
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

EdgeRect TStandardPreview::hitRectOnPanel() const {
    const Point o = PageOrigin(Search.HitPage);
    return {Search.HitRect.Left + o.x, Search.HitRect.Top + o.y, Search.HitRect.Right + o.x,
            Search.HitRect.Bottom + o.y};
}

void TStandardPreview::TimerTimer() {
    ++Search.BlinkCount;
    const QRect r = hitRectOnPanel().toQRect();
    panel_->update(r);
    if (Search.BlinkCount >= kBlinkTicks) {
        Timer->stop();
        Search.Found = false;
        panel_->update(r);
    }
}

bool TStandardPreview::FormKeyDown(int key, Qt::KeyboardModifiers modifiers) {
    if (zoomBoxFocused())
        return false;
    switch (keyAction(key, modifiers)) {
    case KeyAction::None:
        return false;
    case KeyAction::Escape:
        if (fullScreen_)
            SetFullScreen(false);
        else
            close();
        break;
    case KeyAction::ToggleFullScreen:
        SetFullScreen(!fullScreen_);
        break;
    case KeyAction::PrevPage:
        PrevPage();
        break;
    case KeyAction::NextPage:
        NextPage();
        break;
    case KeyAction::ScrollPageUp:
        VScroll->setValue(VScroll->value() - kLargeChange);
        break;
    case KeyAction::ScrollPageDown:
        VScroll->setValue(VScroll->value() + kLargeChange);
        break;
    case KeyAction::FirstPage:
        FirstPage();
        break;
    case KeyAction::LastPage:
        LastPage();
        break;
    case KeyAction::ScrollLeft:
        HScroll->setValue(HScroll->value() - kSmallChange);
        break;
    case KeyAction::ScrollRight:
        HScroll->setValue(HScroll->value() + kSmallChange);
        break;
    case KeyAction::ScrollUp:
        VScroll->setValue(VScroll->value() - kSmallChange);
        break;
    case KeyAction::ScrollDown:
        VScroll->setValue(VScroll->value() + kSmallChange);
        break;
    case KeyAction::Print:
        guarded([this] { PrintReport(); });
        break;
    case KeyAction::Find:
        guarded([this] { FindInReport(); });
        break;
    case KeyAction::Open:
        guarded([this] { OpenReport(); });
        break;
    case KeyAction::Save:
        guarded([this] { SaveReport(); });
        break;
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
