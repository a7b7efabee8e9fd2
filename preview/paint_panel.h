#pragma once

// TPaintPanel: the panel the preview draws its pages on. Its paint, mouse
// dragging and right-button menu are answered by the preview window; the
// panel itself only keeps the flags of a paint and of a drag.

#include <QWidget>

namespace vx {

class TStandardPreview;

class TPaintPanel : public QWidget {
    Q_OBJECT
public:
    explicit TPaintPanel(TStandardPreview* preview, QWidget* parent);

    bool DryRun = false;       // a paint only computes the scroll ranges
    bool Dragging = false;     // the left button is held down on the panel
    bool KeepPosition = false; // SetZoom must not scroll back to the current page
    int LastX = 0;
    int LastY = 0;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    TStandardPreview* preview_;
};

} // namespace vx
