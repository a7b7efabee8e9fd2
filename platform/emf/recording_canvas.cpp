#include "platform/emf/recording_canvas.h"

#include "platform/emf/emf_records.h"
#include "platform/emf/emf_writer.h"
#include "platform/errors.h"
#include "platform/fonts.h"

#include <QPolygon>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <variant>

namespace vx::emf {

namespace {

constexpr uint32_t kPatCopy = 0x00F00021; // PATCOPY raster operation
constexpr uint32_t kSrcCopy = 0x00CC0020; // SRCCOPY
constexpr uint32_t kRgnCopy = 5;          // RGN_COPY
constexpr uint32_t kGmCompatible = 1;     // graphics mode of text records
constexpr uint32_t kDibRgbColors = 0;
// EMR_EXTCREATEFONTINDIRECTW is written in the LogFontExDv form Windows
// writes: LOGFONTW (92), full name (128), style (64), script (64), then the
// design vector signature and an axis count of 0.
constexpr uint32_t kLogFontExDvSignature = 0x08007664;
constexpr int kLogFontFaceChars = 32;
// Bitmaps larger than this many pixels are not recorded (their record would
// not fit the 32-bit sizes of the format).
constexpr qint64 kMaxImagePixels = 64LL * 1024 * 1024;

bool fitsInt16(const QPoint& p) {
    return p.x() >= std::numeric_limits<int16_t>::min() &&
           p.x() <= std::numeric_limits<int16_t>::max() &&
           p.y() >= std::numeric_limits<int16_t>::min() &&
           p.y() <= std::numeric_limits<int16_t>::max();
}

// The selectable objects; a stock object is stored with its flag.
using ObjectSpec = std::variant<PenSpec, BrushSpec, FontSpec>;

std::optional<uint32_t> stockFor(const PenSpec& pen) {
    if (pen.style == PenStyle::Null)
        return kStockObjectFlag | NULL_PEN;
    if (pen.style == PenStyle::Solid && pen.width == 0 && pen.color == kBlack)
        return kStockObjectFlag | BLACK_PEN;
    return std::nullopt;
}

std::optional<uint32_t> stockFor(const BrushSpec& brush) {
    if (brush.style == BrushStyle::Null)
        return kStockObjectFlag | NULL_BRUSH;
    if (brush.style == BrushStyle::Solid && brush.color == kWhite)
        return kStockObjectFlag | WHITE_BRUSH;
    if (brush.style == BrushStyle::Solid && brush.color == kBlack)
        return kStockObjectFlag | BLACK_BRUSH;
    return std::nullopt;
}

} // namespace

int pixelsToFrameUnits(int pixels) {
    return int(std::lround(double(pixels) * 2540.0 / kReferenceDpi));
}

int frameUnitsToPixels(int frameUnits) {
    return int(std::lround(double(frameUnits) * kReferenceDpi / 2540.0));
}

// The part of the device-context state that SaveDC/RestoreDC keep.
struct RecordingCanvas::State {
    // What the canvas reports (set by setPen/...).
    PenSpec pen;
    BrushSpec brush;
    FontSpec font;
    // What is selected in the recorded DC: the handle and its spec. A DC
    // starts with BLACK_PEN, WHITE_BRUSH and the system font.
    uint32_t penHandle = kStockObjectFlag | BLACK_PEN;
    PenSpec penSelected{PenStyle::Solid, 0, kBlack};
    uint32_t brushHandle = kStockObjectFlag | WHITE_BRUSH;
    BrushSpec brushSelected{};
    uint32_t fontHandle = 0; // 0: the system font, never equal to a spec
    FontSpec fontSelected;

    Color textColor = kBlack;
    Color backgroundColor = kWhite;
    BackgroundMode backgroundMode = BackgroundMode::Opaque;
    uint32_t textAlign = 0;
    FillMode fillMode = FillMode::Alternate;
    QTransform world;
    QPoint position{0, 0};
};

struct RecordingCanvas::Impl {
    Impl(const QRect& frame, const ReferenceDevice& device) : w(frame, device) {}

    EmfWriter w;
    State s;
    std::vector<State> saved;
    std::vector<uint32_t> pendingDelete; // replaced objects still held by saved states
    bool finished = false;
    QByteArray result;
    std::vector<int> textAdvances; // the advances of the text being written

    bool referenced(uint32_t h) const {
        auto uses = [h](const State& st) {
            return st.penHandle == h || st.brushHandle == h || st.fontHandle == h;
        };
        if (uses(s))
            return true;
        return std::any_of(saved.begin(), saved.end(), uses);
    }

    // Deletes an object that was deselected: at once when no state refers to
    // it; when only saved states do, after the RestoreDC that drops them.
    void release(uint32_t h) {
        if (h == 0 || (h & kStockObjectFlag) || !w.isHandleLive(h))
            return;
        if (s.penHandle == h || s.brushHandle == h || s.fontHandle == h)
            return; // still selected: released when it is replaced
        if (referenced(h)) {
            if (std::find(pendingDelete.begin(), pendingDelete.end(), h) == pendingDelete.end())
                pendingDelete.push_back(h);
            return;
        }
        w.simpleRecord(EMR_DELETEOBJECT, {h});
        w.freeHandle(h);
    }

    void releasePending() {
        std::vector<uint32_t> pending;
        pending.swap(pendingDelete);
        for (uint32_t h : pending)
            release(h);
    }

    void writePen(uint32_t h, const PenSpec& p) {
        w.beginRecord(EMR_CREATEPEN);
        w.out().u32(h);
        w.out().u32(uint32_t(p.style));
        w.out().i32(p.width);
        w.out().i32(0);
        w.out().u32(p.color.rgbOnly().value());
        w.endRecord();
    }

    void writeBrush(uint32_t h, const BrushSpec& b) {
        w.beginRecord(EMR_CREATEBRUSHINDIRECT);
        w.out().u32(h);
        w.out().u32(uint32_t(b.style));
        w.out().u32(b.color.rgbOnly().value());
        w.out().u32(b.hatch);
        w.endRecord();
    }

    void writeFont(uint32_t h, const FontSpec& f) {
        w.beginRecord(EMR_EXTCREATEFONTINDIRECTW);
        ByteWriter& o = w.out();
        o.u32(h);
        o.i32(f.height);
        o.i32(f.width);
        o.i32(f.escapement);
        o.i32(f.orientation);
        o.i32(f.weight);
        o.u8(f.italic ? 1 : 0);
        o.u8(f.underline ? 1 : 0);
        o.u8(f.strikeOut ? 1 : 0);
        o.u8(f.charSet);
        o.u8(0); // OUT_DEFAULT_PRECIS
        o.u8(0); // CLIP_DEFAULT_PRECIS
        o.u8(0); // DEFAULT_QUALITY
        o.u8(f.pitchAndFamily);
        const QString face = f.face.left(kLogFontFaceChars - 1);
        for (int i = 0; i < kLogFontFaceChars; ++i)
            o.u16(i < face.size() ? face.at(i).unicode() : 0);
        o.zeros(128 + 64 + 64); // full name, style, script
        o.u32(kLogFontExDvSignature);
        o.u32(0); // no design axes
        w.endRecord();
    }

    void select(uint32_t h) { w.simpleRecord(EMR_SELECTOBJECT, {h}); }

    void ensurePen(const PenSpec& want) {
        if (s.penSelected == want && s.penHandle != 0)
            return;
        const uint32_t old = s.penHandle;
        uint32_t h = 0;
        if (auto stock = stockFor(want)) {
            h = *stock;
        } else {
            h = w.allocateHandle();
            writePen(h, want);
        }
        select(h);
        s.penHandle = h;
        s.penSelected = want;
        release(old);
    }

    void ensureBrush(const BrushSpec& want) {
        if (s.brushSelected == want && s.brushHandle != 0)
            return;
        const uint32_t old = s.brushHandle;
        uint32_t h = 0;
        if (auto stock = stockFor(want)) {
            h = *stock;
        } else {
            h = w.allocateHandle();
            writeBrush(h, want);
        }
        select(h);
        s.brushHandle = h;
        s.brushSelected = want;
        release(old);
    }

    void ensureFont(const FontSpec& want) {
        if (s.fontHandle != 0 && s.fontSelected == want)
            return;
        const uint32_t old = s.fontHandle;
        const uint32_t h = w.allocateHandle();
        writeFont(h, want);
        select(h);
        s.fontHandle = h;
        s.fontSelected = want;
        release(old);
    }

    // Device bounds of a logical rectangle (inclusive pixels), widened by
    // `grow` pixels on every side (half a pen).
    void addLogicalBounds(const QRectF& logical, double grow) {
        w.addBounds(deviceRect(logical, grow));
    }

    double penGrow() const {
        if (s.pen.style == PenStyle::Null)
            return 0.0;
        // A pen of width w is centred on the outline: (w - 1) / 2 pixels
        // outside it, so a 1-pixel pen stays inside the shape's pixels.
        return std::ceil((std::max(1, s.pen.width) - 1) / 2.0);
    }

    // Bounds of a record (inclusive device pixels) for the record's own field.
    QRect deviceRect(const QRectF& logical, double grow) const {
        const QRectF dev = s.world.mapRect(logical).adjusted(-grow, -grow, grow, grow);
        return QRect(
            QPoint(boundedPixel(std::floor(dev.left())), boundedPixel(std::floor(dev.top()))),
            QPoint(boundedPixel(std::ceil(dev.right())) - 1,
                   boundedPixel(std::ceil(dev.bottom())) - 1));
    }
    // A damaged picture played onto the page can map to coordinates far
    // outside the int range; they are limited instead of overflowing.
    static int boundedPixel(double v) {
        constexpr double kLimit = 1 << 30;
        return std::isnan(v) ? 0 : int(std::clamp(v, -kLimit, kLimit));
    }
};

RecordingCanvas::RecordingCanvas(QSize pageSize) : pageSize_(pageSize) {
    const QRect frame(QPoint(0, 0), QPoint(pixelsToFrameUnits(pageSize.width()),
                                           pixelsToFrameUnits(pageSize.height())));
    const ReferenceDevice device{QSize(kReferenceWidthPx, kReferenceHeightPx),
                                 QSize(kReferenceWidthMm, kReferenceHeightMm),
                                 QSize(kReferenceWidthMm * 1000, kReferenceHeightMm * 1000)};
    d_ = std::make_unique<Impl>(frame, device);
}

RecordingCanvas::~RecordingCanvas() = default;

QByteArray RecordingCanvas::finish() {
    if (d_->finished)
        return d_->result;
    // Back to the DC's first level so that every object can be deleted.
    if (!d_->saved.empty())
        restoreState(1);
    for (uint32_t h : {d_->s.penHandle, d_->s.brushHandle, d_->s.fontHandle}) {
        if (h != 0 && !(h & kStockObjectFlag) && d_->w.isHandleLive(h)) {
            d_->w.simpleRecord(EMR_DELETEOBJECT, {h});
            d_->w.freeHandle(h);
        }
    }
    d_->result = d_->w.finish();
    d_->finished = true;
    return d_->result;
}

bool RecordingCanvas::isFinished() const {
    return d_->finished;
}
int RecordingCanvas::recordCount() const {
    return d_->w.recordCount();
}

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

namespace {

// Little-endian fields written in place into a record composed at once.
class FieldWriter {
public:
    explicit FieldWriter(char* p) : p_(p) {}
    void u32(uint32_t v) {
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(p_, &v, 4);
            p_ += 4;
        } else {
            for (int b = 0; b < 4; ++b)
                *p_++ = char((v >> (8 * b)) & 0xFF);
        }
    }
    void i32(int32_t v) { u32(uint32_t(v)); }
    // RECTL with inclusive right/bottom, as bounds are stored.
    void inclusiveRect(const QRect& r) {
        i32(r.left());
        i32(r.top());
        i32(r.right());
        i32(r.bottom());
    }
    // RECTL with exclusive right/bottom (a GDI rectangle).
    void edgeRect(const QRect& r) {
        i32(r.left());
        i32(r.top());
        i32(r.right() + 1);
        i32(r.bottom() + 1);
    }
    // The string as UTF-16 padded with zeros to `bytes`.
    void utf16(const QString& text, uint32_t bytes) {
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(p_, text.constData(), size_t(text.size()) * 2);
            p_ += text.size() * 2;
        } else {
            for (QChar c : text) {
                *p_++ = char(c.unicode() & 0xFF);
                *p_++ = char(c.unicode() >> 8);
            }
        }
        for (qsizetype i = text.size() * 2; i < qsizetype(bytes); ++i)
            *p_++ = 0;
    }
    void i32s(std::span<const int> values) {
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(p_, values.data(), values.size() * 4);
            p_ += values.size() * 4;
        } else {
            for (int v : values)
                i32(v);
        }
    }

private:
    char* p_;
};

} // namespace

void RecordingCanvas::textOut(int x, int y, const QString& text, uint32_t options,
                              const QRect& clip, const std::vector<int>& advances) {
    if (d_->finished)
        return;
    Impl& d = *d_;
    // The record is written with a rectangle, wide characters and x advances
    // only: options that would change that layout for a reader are dropped.
    options &= ~(kEtoPdy | kEtoGlyphIndex | kEtoSmallChars | kEtoNoRect);
    d.ensureFont(d.s.font);
    // The caller's advances, or the font's measured into a buffer kept
    // from one text to the next.
    std::span<const int> dx(advances);
    if (advances.size() != size_t(text.size())) {
        d.textAdvances.resize(size_t(text.size()));
        fontCharAdvances(d.s.font, text, d.textAdvances);
        dx = d.textAdvances;
    }
    const bool hasRect = (options & (TextOutOption::Clipped | TextOutOption::Opaque)) != 0;

    // Bounds: the text box placed by the alignment, turned by the escapement.
    const TextMetrics tm = fontTextMetrics(d.s.font);
    qint64 width = 0;
    for (int a : dx)
        width += a;
    double left = 0;
    switch (d.s.textAlign & TextAlign::Center) {
    case TextAlign::Right:
        left = -double(width);
        break;
    case TextAlign::Center:
        left = -double(width) / 2;
        break;
    default:
        break;
    }
    double top = 0;
    switch (d.s.textAlign & TextAlign::Baseline) {
    case TextAlign::Baseline:
        top = -tm.ascent;
        break;
    case TextAlign::Bottom:
        top = -tm.height;
        break;
    default:
        break;
    }
    const QPoint origin = (d.s.textAlign & TextAlign::UpdateCP) ? d.s.position : QPoint(x, y);
    // Text that is not turned is only moved to its origin (as the turning
    // transform would move it, without its cost per word).
    const bool turned = d.s.font.escapement != 0;
    QTransform turn;
    if (turned) {
        turn.translate(origin.x(), origin.y());
        turn.rotate(-d.s.font.escapement / 10.0);
    }
    QRectF box = turned ? turn.mapRect(QRectF(left, top, double(width), tm.height))
                        : QRectF(left + origin.x(), top + origin.y(), double(width), tm.height);
    if (options & TextOutOption::Clipped)
        box = box.intersected(QRectF(clip.left(), clip.top(), clip.width(), clip.height()));
    if (options & TextOutOption::Opaque)
        box = box.united(QRectF(clip.left(), clip.top(), clip.width(), clip.height()));
    QRect bounds = d.deviceRect(box, 0);
    if (text.isEmpty() && !(options & TextOutOption::Opaque))
        bounds = QRect();
    if (!bounds.isEmpty())
        d.w.addBounds(bounds);
    if (d.s.textAlign & TextAlign::UpdateCP)
        d.s.position = turned ? turn.map(QPointF(double(width), 0)).toPoint()
                              : QPointF(double(width) + origin.x(), origin.y()).toPoint();

    // EMR_EXTTEXTOUTW, composed in one piece: a page holds one per word.
    constexpr uint32_t kFixed = 76; // record fields before the string
    const uint32_t chars = uint32_t(text.size());
    const uint32_t stringBytes = (chars * 2 + 3) & ~3u;
    const QRect none(QPoint(0, 0), QPoint(-1, -1));
    FieldWriter o(d.w.appendRecord(EMR_EXTTEXTOUTW, kFixed + stringBytes + chars * 4));
    o.inclusiveRect(bounds.isEmpty() ? none : bounds);
    o.u32(kGmCompatible);
    o.u32(0); // exScale, eyScale: unused in compatible mode (0.0f)
    o.u32(0);
    // EmrText
    o.i32(x);
    o.i32(y);
    o.u32(chars);
    o.u32(kFixed);
    o.u32(options);
    if (hasRect)
        o.edgeRect(clip);
    else
        o.inclusiveRect(none);
    o.u32(kFixed + stringBytes);
    o.utf16(text, stringBytes);
    o.i32s(dx);
}

void RecordingCanvas::rectangle(const QRect& r) {
    if (d_->finished)
        return;
    d_->ensurePen(d_->s.pen);
    d_->ensureBrush(d_->s.brush);
    d_->addLogicalBounds(QRectF(r.left(), r.top(), r.width(), r.height()), d_->penGrow());
    d_->w.beginRecord(EMR_RECTANGLE);
    writeEdgeRect(d_->w.out(), r);
    d_->w.endRecord();
}

void RecordingCanvas::fillRect(const QRect& r, const BrushSpec& brush) {
    if (d_->finished || r.isEmpty())
        return;
    Impl& d = *d_;
    d.ensureBrush(brush);
    const QRect bounds = d.deviceRect(QRectF(r.left(), r.top(), r.width(), r.height()), 0);
    d.w.addBounds(bounds);
    // FillRect is recorded as a pattern fill (BitBlt with PATCOPY and no
    // source), as GDI records it.
    ByteWriter& o = d.w.out();
    d.w.beginRecord(EMR_BITBLT);
    writeInclusiveRect(o, bounds);
    o.i32(r.left());
    o.i32(r.top());
    o.i32(r.width());
    o.i32(r.height());
    o.u32(kPatCopy);
    o.i32(0); // xSrc, ySrc
    o.i32(0);
    o.f32(1.0f); // source transform (identity)
    o.f32(0.0f);
    o.f32(0.0f);
    o.f32(1.0f);
    o.f32(0.0f);
    o.f32(0.0f);
    o.u32(0); // source background colour
    o.u32(kDibRgbColors);
    o.u32(0); // no source bitmap
    o.u32(0);
    o.u32(0);
    o.u32(0);
    d.w.endRecord();
}

void RecordingCanvas::ellipse(const QRect& r) {
    if (d_->finished)
        return;
    d_->ensurePen(d_->s.pen);
    d_->ensureBrush(d_->s.brush);
    d_->addLogicalBounds(QRectF(r.left(), r.top(), r.width(), r.height()), d_->penGrow());
    d_->w.beginRecord(EMR_ELLIPSE);
    writeEdgeRect(d_->w.out(), r);
    d_->w.endRecord();
}

void RecordingCanvas::roundRect(const QRect& r, int cornerWidth, int cornerHeight) {
    if (d_->finished)
        return;
    d_->ensurePen(d_->s.pen);
    d_->ensureBrush(d_->s.brush);
    d_->addLogicalBounds(QRectF(r.left(), r.top(), r.width(), r.height()), d_->penGrow());
    d_->w.beginRecord(EMR_ROUNDRECT);
    writeEdgeRect(d_->w.out(), r);
    d_->w.out().i32(cornerWidth);
    d_->w.out().i32(cornerHeight);
    d_->w.endRecord();
}

namespace {

// EMR_POLYGON/POLYLINE in the 16-bit form when every point fits.
void writePoly(EmfWriter& w, uint32_t type16, uint32_t type32, const std::vector<QPoint>& points,
               const QRect& bounds) {
    const bool small = std::all_of(points.begin(), points.end(), fitsInt16);
    w.beginRecord(small ? type16 : type32);
    if (bounds.isEmpty())
        writeInclusiveRect(w.out(), QRect(QPoint(0, 0), QPoint(-1, -1)));
    else
        writeInclusiveRect(w.out(), bounds);
    w.out().u32(uint32_t(points.size()));
    for (const QPoint& p : points) {
        if (small) {
            w.out().i16(int16_t(p.x()));
            w.out().i16(int16_t(p.y()));
        } else {
            w.out().i32(p.x());
            w.out().i32(p.y());
        }
    }
    w.endRecord();
}

} // namespace

void RecordingCanvas::polygon(const std::vector<QPoint>& points) {
    if (d_->finished || points.empty())
        return;
    d_->ensurePen(d_->s.pen);
    d_->ensureBrush(d_->s.brush);
    const QRect poly = QPolygon(QList<QPoint>(points.begin(), points.end())).boundingRect();
    const QRect bounds =
        d_->deviceRect(QRectF(poly.left(), poly.top(), poly.width(), poly.height()), d_->penGrow());
    d_->w.addBounds(bounds);
    writePoly(d_->w, EMR_POLYGON16, EMR_POLYGON, points, bounds);
}

void RecordingCanvas::polyline(const std::vector<QPoint>& points) {
    if (d_->finished || points.empty())
        return;
    d_->ensurePen(d_->s.pen);
    const QRect poly = QPolygon(QList<QPoint>(points.begin(), points.end())).boundingRect();
    const QRect bounds =
        d_->deviceRect(QRectF(poly.left(), poly.top(), poly.width(), poly.height()), d_->penGrow());
    if (d_->s.pen.style != PenStyle::Null)
        d_->w.addBounds(bounds);
    writePoly(d_->w, EMR_POLYLINE16, EMR_POLYLINE, points, bounds);
}

void RecordingCanvas::moveTo(int x, int y) {
    if (d_->finished)
        return;
    d_->s.position = QPoint(x, y);
    d_->w.simpleRecord(EMR_MOVETOEX, {uint32_t(x), uint32_t(y)});
}

void RecordingCanvas::lineTo(int x, int y) {
    if (d_->finished)
        return;
    d_->ensurePen(d_->s.pen);
    const QPoint from = d_->s.position;
    const QRect r = QRect(from, QPoint(x, y)).normalized();
    if (d_->s.pen.style != PenStyle::Null)
        d_->addLogicalBounds(QRectF(r.left(), r.top(), r.width(), r.height()), d_->penGrow());
    d_->s.position = QPoint(x, y);
    d_->w.simpleRecord(EMR_LINETO, {uint32_t(x), uint32_t(y)});
}

void RecordingCanvas::drawImage(const QRect& dest, const QImage& image) {
    if (d_->finished || image.isNull() || dest.isEmpty())
        return;
    if (qint64(image.width()) * image.height() > kMaxImagePixels)
        throw VxError(QStringLiteral("Immagine troppo grande per la pagina."));
    const bool alpha = image.hasAlphaChannel();
    const QImage src = image.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB888);
    const int bpp = alpha ? 32 : 24;
    const uint32_t stride = uint32_t(((src.width() * bpp + 31) / 32) * 4);
    const uint32_t bitsSize = stride * uint32_t(src.height());
    constexpr uint32_t kFixed = 80;
    constexpr uint32_t kBmiSize = 40;

    const QRect bounds =
        d_->deviceRect(QRectF(dest.left(), dest.top(), dest.width(), dest.height()), 0);
    d_->w.addBounds(bounds);
    EmfWriter& w = d_->w;
    ByteWriter& o = w.out();
    w.beginRecord(EMR_STRETCHDIBITS);
    writeInclusiveRect(o, bounds);
    o.i32(dest.left());
    o.i32(dest.top());
    o.i32(0); // xSrc, ySrc
    o.i32(0);
    o.i32(src.width());
    o.i32(src.height());
    o.u32(kFixed);
    o.u32(kBmiSize);
    o.u32(kFixed + kBmiSize);
    o.u32(bitsSize);
    o.u32(kDibRgbColors);
    o.u32(kSrcCopy);
    o.i32(dest.width());
    o.i32(dest.height());
    // BITMAPINFOHEADER, bottom-up rows.
    o.u32(kBmiSize);
    o.i32(src.width());
    o.i32(src.height());
    o.u16(1);
    o.u16(uint16_t(bpp));
    o.u32(0); // BI_RGB
    o.u32(bitsSize);
    o.i32(3780); // 96 dpi in pixels per metre
    o.i32(3780);
    o.u32(0);
    o.u32(0);
    QByteArray row(qsizetype(stride), '\0');
    for (int yy = src.height() - 1; yy >= 0; --yy) {
        const uchar* line = src.constScanLine(yy);
        char* out = row.data();
        if (alpha) {
            // ARGB32 is stored B, G, R, A in memory on little-endian hosts.
            const QRgb* px = reinterpret_cast<const QRgb*>(line);
            for (int xx = 0; xx < src.width(); ++xx) {
                out[4 * xx] = char(qBlue(px[xx]));
                out[4 * xx + 1] = char(qGreen(px[xx]));
                out[4 * xx + 2] = char(qRed(px[xx]));
                out[4 * xx + 3] = char(qAlpha(px[xx]));
            }
        } else {
            for (int xx = 0; xx < src.width(); ++xx) {
                out[3 * xx] = char(line[3 * xx + 2]);
                out[3 * xx + 1] = char(line[3 * xx + 1]);
                out[3 * xx + 2] = char(line[3 * xx]);
            }
        }
        o.bytes(row);
    }
    w.endRecord();
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
