// The recording canvas's drawing records: text, shapes and images, each
// written with the objects and bounds it needs. Its state calls (objects,
// colours, saved states, clipping, transform) are in
// recording_canvas_state.cpp.
#include "platform/emf/recording_canvas.h"

#include "platform/emf/emf_records.h"
#include "platform/emf/emf_writer.h"
#include "platform/emf/recording_canvas_impl.h"
#include "platform/errors.h"
#include "platform/fonts.h"

#include <QPolygon>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

namespace vx::emf {

namespace {

constexpr uint32_t kPatCopy = 0x00F00021; // PATCOPY raster operation
constexpr uint32_t kSrcCopy = 0x00CC0020; // SRCCOPY
constexpr uint32_t kGmCompatible = 1;     // graphics mode of text records
constexpr uint32_t kDibRgbColors = 0;
// Bitmaps larger than this many pixels are not recorded (their record would
// not fit the 32-bit sizes of the format).
constexpr qint64 kMaxImagePixels = 64LL * 1024 * 1024;

bool fitsInt16(const QPoint& p) {
    return p.x() >= std::numeric_limits<int16_t>::min() &&
           p.x() <= std::numeric_limits<int16_t>::max() &&
           p.y() >= std::numeric_limits<int16_t>::min() &&
           p.y() <= std::numeric_limits<int16_t>::max();
}

} // namespace

int pixelsToFrameUnits(int pixels) {
    return toCoord(double(pixels) * 2540.0 / kReferenceDpi);
}

int frameUnitsToPixels(int frameUnits) {
    return toCoord(double(frameUnits) * kReferenceDpi / 2540.0);
}

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
        if (values.empty())
            return; // an empty span may have no data pointer at all
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
        d.s.position = toCoordPoint(turned ? turn.map(QPointF(double(width), 0))
                                           : QPointF(double(width) + origin.x(), origin.y()));

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

} // namespace vx::emf
