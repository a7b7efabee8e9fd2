// The recording canvas's state calls: the objects and colours it draws
// with, saved states, clipping and the world transform, each written as the
// record that sets it in the recorded DC.
#include "platform/emf/recording_canvas.h"

#include "platform/emf/recording_canvas_impl.h"
#include "platform/fonts.h"

#include <QRegion>

namespace vx::emf {

namespace {

constexpr uint32_t kRgnCopy = 5; // RGN_COPY

} // namespace

void RecordingCanvas::setPen(const PenSpec& pen) {
    d_->s.pen = pen;
}
void RecordingCanvas::setBrush(const BrushSpec& brush) {
    d_->s.brush = brush;
}
void RecordingCanvas::setFont(const FontSpec& font) {
    d_->s.font = font;
}
const PenSpec& RecordingCanvas::pen() const {
    return d_->s.pen;
}
const BrushSpec& RecordingCanvas::brush() const {
    return d_->s.brush;
}
const FontSpec& RecordingCanvas::font() const {
    return d_->s.font;
}

void RecordingCanvas::setTextColor(Color color) {
    color = color.rgbOnly();
    if (d_->finished || d_->s.textColor == color)
        return;
    d_->s.textColor = color;
    d_->w.simpleRecord(EMR_SETTEXTCOLOR, {color.value()});
}

void RecordingCanvas::setBackgroundColor(Color color) {
    color = color.rgbOnly();
    if (d_->finished || d_->s.backgroundColor == color)
        return;
    d_->s.backgroundColor = color;
    d_->w.simpleRecord(EMR_SETBKCOLOR, {color.value()});
}

void RecordingCanvas::setBackgroundMode(BackgroundMode mode) {
    if (d_->finished || d_->s.backgroundMode == mode)
        return;
    d_->s.backgroundMode = mode;
    d_->w.simpleRecord(EMR_SETBKMODE, {uint32_t(mode)});
}

void RecordingCanvas::setTextAlign(uint32_t flags) {
    if (d_->finished || d_->s.textAlign == flags)
        return;
    d_->s.textAlign = flags;
    d_->w.simpleRecord(EMR_SETTEXTALIGN, {flags});
}

void RecordingCanvas::setFillMode(FillMode mode) {
    if (d_->finished || d_->s.fillMode == mode)
        return;
    d_->s.fillMode = mode;
    d_->w.simpleRecord(EMR_SETPOLYFILLMODE, {uint32_t(mode)});
}

TextMetrics RecordingCanvas::textMetrics() {
    return fontTextMetrics(d_->s.font);
}
int RecordingCanvas::textWidth(const QString& text) {
    return fontTextWidth(d_->s.font, text);
}
std::vector<int> RecordingCanvas::charAdvances(const QString& text) {
    return fontCharAdvances(d_->s.font, text);
}
std::vector<double> RecordingCanvas::designAdvances(const QString& text) {
    return fontDesignAdvances(d_->s.font, text);
}

int RecordingCanvas::saveState() {
    if (d_->finished)
        return int(d_->saved.size());
    d_->saved.push_back(d_->s);
    d_->w.simpleRecord(EMR_SAVEDC, {});
    return int(d_->saved.size());
}

void RecordingCanvas::restoreState(int level) {
    if (d_->finished)
        return;
    const int depth = int(d_->saved.size());
    // Level as GDI counts it: positive = absolute (1 = the first SaveDC),
    // negative = relative to the current one.
    const int target = level < 0 ? depth + level + 1 : level;
    if (target < 1 || target > depth)
        return; // GDI fails the call and leaves the state alone
    // EMR_RESTOREDC holds a level relative to the current one, always
    // negative (-1 the last SaveDC): readers refuse other values.
    const int32_t relative = target - depth - 1;
    d_->w.simpleRecord(EMR_RESTOREDC, {uint32_t(relative)});
    // Objects selected in the states dropped here are deselected by RestoreDC.
    std::vector<uint32_t> dropped = {d_->s.penHandle, d_->s.brushHandle, d_->s.fontHandle};
    for (size_t i = size_t(target); i < d_->saved.size(); ++i) {
        const State& st = d_->saved[i];
        dropped.insert(dropped.end(), {st.penHandle, st.brushHandle, st.fontHandle});
    }
    d_->s = d_->saved[size_t(target - 1)];
    d_->saved.resize(size_t(target - 1));
    d_->releasePending();
    for (uint32_t h : dropped)
        d_->release(h);
}

void RecordingCanvas::intersectClipRect(const QRect& r) {
    if (d_->finished)
        return;
    d_->w.beginRecord(EMR_INTERSECTCLIPRECT);
    writeEdgeRect(d_->w.out(), r);
    d_->w.endRecord();
}

void RecordingCanvas::excludeClipRect(const QRect& r) {
    if (d_->finished)
        return;
    d_->w.beginRecord(EMR_EXCLUDECLIPRECT);
    writeEdgeRect(d_->w.out(), r);
    d_->w.endRecord();
}

void RecordingCanvas::setClipRegion(const QRegion& region) {
    if (d_->finished)
        return;
    if (region.isEmpty()) {
        resetClip();
        return;
    }
    // RGNDATA: a 32-byte header (size, RDH_RECTANGLES, count, bytes, bounds),
    // then the rectangles with exclusive right/bottom edges.
    const uint32_t count = uint32_t(region.rectCount());
    const uint32_t dataSize = 32 + 16 * count;
    ByteWriter& o = d_->w.out();
    d_->w.beginRecord(EMR_EXTSELECTCLIPRGN);
    o.u32(dataSize);
    o.u32(kRgnCopy);
    o.u32(32);
    o.u32(1);
    o.u32(count);
    o.u32(16 * count);
    writeEdgeRect(o, region.boundingRect());
    for (const QRect& r : region)
        writeEdgeRect(o, r);
    d_->w.endRecord();
}

void RecordingCanvas::resetClip() {
    if (d_->finished)
        return;
    d_->w.simpleRecord(EMR_EXTSELECTCLIPRGN, {0, kRgnCopy});
}

void RecordingCanvas::setWorldTransform(const QTransform& t) {
    if (d_->finished || d_->s.world == t)
        return;
    d_->s.world = t;
    ByteWriter& o = d_->w.out();
    d_->w.beginRecord(EMR_SETWORLDTRANSFORM);
    o.f32(float(t.m11()));
    o.f32(float(t.m12()));
    o.f32(float(t.m21()));
    o.f32(float(t.m22()));
    o.f32(float(t.dx()));
    o.f32(float(t.dy()));
    d_->w.endRecord();
}

QTransform RecordingCanvas::worldTransform() const {
    return d_->s.world;
}

} // namespace vx::emf
