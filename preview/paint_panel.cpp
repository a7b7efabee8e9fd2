#include "preview/paint_panel.h"

#include "preview/standard_preview.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

namespace vx {

TPaintPanel::TPaintPanel(TStandardPreview* preview, QWidget* parent)
    : QWidget(parent), preview_(preview) {
    setObjectName(QStringLiteral("PaintPanel"));
    // The paint fills what it repaints, so scrolling can move the pixels
    // and repaint only the uncovered strip.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
    setFocusPolicy(Qt::NoFocus);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    setPalette(pal);
}

void TPaintPanel::paintEvent(QPaintEvent* event) {
    preview_->paintPanel(event);
}

void TPaintPanel::mousePressEvent(QMouseEvent* event) {
    preview_->panelMousePress(event);
}

void TPaintPanel::mouseMoveEvent(QMouseEvent* event) {
    preview_->panelMouseMove(event);
}

void TPaintPanel::mouseReleaseEvent(QMouseEvent* event) {
    preview_->panelMouseRelease(event);
}

void TPaintPanel::wheelEvent(QWheelEvent* event) {
    // The wheel scrolls like the vertical bar.
    QApplication::sendEvent(preview_->verticalBar(), event);
}

} // namespace vx
