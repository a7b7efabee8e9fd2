#pragma once

// The recording canvas's own state: the part of the device context that
// SaveDC/RestoreDC keep, and the table of the objects (pens, brushes,
// fonts) selected in the recorded DC, created on first use and deleted once
// no state refers to them. Shared by the canvas's state calls and its
// drawing records.

#include "platform/emf/emf_constants.h"
#include "platform/emf/emf_writer.h"
#include "platform/emf/recording_canvas.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace vx::emf {

namespace recording {

// EMR_EXTCREATEFONTINDIRECTW is written in the LogFontExDv form Windows
// writes: LOGFONTW (92), full name (128), style (64), script (64), then the
// design vector signature and an axis count of 0.
inline constexpr uint32_t kLogFontExDvSignature = 0x08007664;
inline constexpr int kLogFontFaceChars = 32;

// A stock object is stored with its flag.
inline std::optional<uint32_t> stockFor(const PenSpec& pen) {
    if (pen.style == PenStyle::Null)
        return kStockObjectFlag | NULL_PEN;
    if (pen.style == PenStyle::Solid && pen.width == 0 && pen.color == kBlack)
        return kStockObjectFlag | BLACK_PEN;
    return std::nullopt;
}

inline std::optional<uint32_t> stockFor(const BrushSpec& brush) {
    if (brush.style == BrushStyle::Null)
        return kStockObjectFlag | NULL_BRUSH;
    if (brush.style == BrushStyle::Solid && brush.color == kWhite)
        return kStockObjectFlag | WHITE_BRUSH;
    if (brush.style == BrushStyle::Solid && brush.color == kBlack)
        return kStockObjectFlag | BLACK_BRUSH;
    return std::nullopt;
}

// Fonts have no stock object a page would use.
inline std::optional<uint32_t> stockFor(const FontSpec&) {
    return std::nullopt;
}

} // namespace recording

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
        const QString face = f.face.left(recording::kLogFontFaceChars - 1);
        for (int i = 0; i < recording::kLogFontFaceChars; ++i)
            o.u16(i < face.size() ? face.at(i).unicode() : 0);
        o.zeros(128 + 64 + 64); // full name, style, script
        o.u32(recording::kLogFontExDvSignature);
        o.u32(0); // no design axes
        w.endRecord();
    }

    void select(uint32_t h) { w.simpleRecord(EMR_SELECTOBJECT, {h}); }

    // Selects an object of `want`'s kind: the one selected already when it is
    // the same, else the stock object that matches, else a new one; the
    // object it replaces is released.
    template <class Spec>
    void ensureObject(uint32_t State::*handle, Spec State::*selected, const Spec& want,
                      void (Impl::*write)(uint32_t, const Spec&)) {
        if (s.*handle != 0 && s.*selected == want)
            return;
        const uint32_t old = s.*handle;
        uint32_t h = 0;
        if (auto stock = recording::stockFor(want)) {
            h = *stock;
        } else {
            h = w.allocateHandle();
            (this->*write)(h, want);
        }
        select(h);
        s.*handle = h;
        s.*selected = want;
        release(old);
    }

    void ensurePen(const PenSpec& want) {
        ensureObject(&State::penHandle, &State::penSelected, want, &Impl::writePen);
    }
    void ensureBrush(const BrushSpec& want) {
        ensureObject(&State::brushHandle, &State::brushSelected, want, &Impl::writeBrush);
    }
    void ensureFont(const FontSpec& want) {
        ensureObject(&State::fontHandle, &State::fontSelected, want, &Impl::writeFont);
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
        // A damaged picture played onto the page can map to coordinates far
        // outside the int range; they are limited instead of overflowing.
        return toCoordAlignedRect(s.world.mapRect(logical).adjusted(-grow, -grow, grow, grow));
    }
};

} // namespace vx::emf
