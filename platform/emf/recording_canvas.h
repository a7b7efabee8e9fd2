#pragma once

// The metafile recorder: a vx::Canvas that writes every call as enhanced
// metafile (EMF) records. Prepared pages are drawn on it; finish() returns the
// complete metafile bytes.
//
// Coordinates are logical pixels of 1/96 inch, mapped one to one onto the
// reference device (MM_TEXT, no window/viewport scaling), so record
// coordinates, header bounds and device pixels agree.
//
// Reference device (documented in the header of every picture): a 96-dpi
// screen of 1920 x 1440 pixels, 508 x 381 millimetres (508000 x 381000
// micrometres). 1920 x 1440 is chosen because both sides are a whole number of
// millimetres at 96 dpi (480 pixels = 127 mm), so a reader that converts the
// frame through the millimetre size gets exactly 96 dpi.
//
// The picture frame is the page: (0, 0) to (width x 2540 / 96, height x 2540
// / 96) in 0.01 mm, rounded, so that the frame converted back to pixels gives
// the page size the canvas was created with.
//
// Text is measured on the reference device (platform/fonts.h) and every text
// record carries its advance array.

#include "platform/canvas.h"

#include <QByteArray>
#include <QSize>

#include <memory>

namespace vx::emf {

class EmfWriter;

// Reference device of recorded pictures.
inline constexpr int kReferenceDpi = 96;
inline constexpr int kReferenceWidthPx = 1920;
inline constexpr int kReferenceHeightPx = 1440;
inline constexpr int kReferenceWidthMm = 508;
inline constexpr int kReferenceHeightMm = 381;

// The frame (0.01 mm, right/bottom as recorded) of a page of `pixels` 1/96-inch
// pixels, and back; round trips for every size.
int pixelsToFrameUnits(int pixels);
int frameUnitsToPixels(int frameUnits);

class RecordingCanvas final : public Canvas {
public:
    // A picture of `pageSize` pixels of 1/96 inch (the frame).
    explicit RecordingCanvas(QSize pageSize);
    ~RecordingCanvas() override;
    RecordingCanvas(const RecordingCanvas&) = delete;
    RecordingCanvas& operator=(const RecordingCanvas&) = delete;

    QSize pageSize() const { return pageSize_; }

    // Ends the recording: deletes the objects still alive, writes the EOF
    // record, completes the header and returns the metafile. Further drawing
    // calls are ignored; a second call returns the same bytes.
    QByteArray finish();
    bool isFinished() const;

    // Number of records written so far (header included).
    int recordCount() const;

    // Canvas.
    int dpiX() const override { return kReferenceDpi; }
    int dpiY() const override { return kReferenceDpi; }

    void setPen(const PenSpec& pen) override;
    void setBrush(const BrushSpec& brush) override;
    void setFont(const FontSpec& font) override;
    const PenSpec& pen() const override;
    const BrushSpec& brush() const override;
    const FontSpec& font() const override;
    void setTextColor(Color color) override;
    void setBackgroundColor(Color color) override;
    void setBackgroundMode(BackgroundMode mode) override;
    void setTextAlign(uint32_t flags) override;
    void setFillMode(FillMode mode) override;

    TextMetrics textMetrics() override;
    int textWidth(const QString& text) override;
    std::vector<int> charAdvances(const QString& text) override;
    std::vector<double> designAdvances(const QString& text) override;

    void textOut(int x, int y, const QString& text, uint32_t options = 0,
                 const QRect& clip = QRect(), const std::vector<int>& advances = {}) override;

    void rectangle(const QRect& r) override;
    void fillRect(const QRect& r, const BrushSpec& brush) override;
    void ellipse(const QRect& r) override;
    void roundRect(const QRect& r, int cornerWidth, int cornerHeight) override;
    void polygon(const std::vector<QPoint>& points) override;
    void polyline(const std::vector<QPoint>& points) override;
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;

    void drawImage(const QRect& dest, const QImage& image) override;

    int saveState() override;
    void restoreState(int level) override;
    void intersectClipRect(const QRect& r) override;
    void excludeClipRect(const QRect& r) override;
    void setClipRegion(const QRegion& region) override;
    void resetClip() override;

    void setWorldTransform(const QTransform& t) override;
    QTransform worldTransform() const override;

private:
    struct State;
    struct Impl;
    QSize pageSize_;
    std::unique_ptr<Impl> d_;
};

} // namespace vx::emf
