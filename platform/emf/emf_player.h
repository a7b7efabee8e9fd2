#pragma once

// Playback of enhanced metafiles onto a vx::Canvas, as a whole into a
// destination rectangle (the picture frame is mapped onto the rectangle, as
// PlayEnhMetaFile does) or record by record with a callback that may skip a
// record, play it, or draw something in its place.
//
// The player keeps the object table (pens, brushes, fonts; handle reuse;
// stock objects selected with the high bit) and the device-context state:
// mapping mode, window/viewport origin and extent, world transform, clipping,
// text and background settings, current position, fill mode, paths and the
// SaveDC stack. The canvas receives logical coordinates of the picture with a
// world transform that maps them onto the destination.

#include "platform/canvas.h"
#include "platform/emf/emf_constants.h"
#include "platform/emf/emf_reader.h"

#include <QImage>
#include <QPainterPath>
#include <QPointF>
#include <QTransform>

#include <functional>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

namespace vx::emf {

// A pattern brush from a DIB (EMR_CREATEDIBPATTERNBRUSHPT / MONOBRUSH).
struct PatternBrush {
    QImage pattern;
    BrushSpec fallback; // solid brush of the pattern's average colour
};

// One entry of the metafile's object table.
struct EmfObject {
    enum class Kind { Empty, Pen, Brush, Font, Palette, Other };
    Kind kind = Kind::Empty;
    PenSpec pen;
    BrushSpec brush;
    FontSpec font;
    std::shared_ptr<const PatternBrush> pattern; // brushes from a DIB
};

// The graphics state that SaveDC/RestoreDC save and restore.
struct DcState {
    uint32_t mapMode = MM_TEXT;
    QPoint windowOrg{0, 0};
    QSize windowExt{1, 1};
    QPoint viewportOrg{0, 0};
    QSize viewportExt{1, 1};
    QTransform worldTransform; // GM_ADVANCED world transform (XFORM)

    PenSpec pen;                                 // selected pen (BLACK_PEN)
    BrushSpec brush;                             // selected brush (WHITE_BRUSH)
    FontSpec font;                               // selected font
    std::shared_ptr<const PatternBrush> pattern; // when the brush is a pattern
    Color textColor = kBlack;
    Color backgroundColor = kWhite;
    BackgroundMode backgroundMode = BackgroundMode::Opaque;
    uint32_t textAlign = 0;
    FillMode fillMode = FillMode::Alternate;
    uint32_t stretchBltMode = 1;
    uint32_t rop2 = 13; // R2_COPYPEN
    QPoint currentPosition{0, 0};
    bool clockwiseArcs = false; // SETARCDIRECTION AD_CLOCKWISE

    // Clip in reference-device pixels; nullopt = no clip.
    std::optional<QPainterPath> clip;
};

// The whole playback state, readable by a record callback.
struct PlaybackState {
    DcState dc;
    std::vector<DcState> saved;     // SaveDC stack
    std::vector<EmfObject> objects; // object table, index 0 unused
    bool inPath = false;            // between BEGINPATH and ENDPATH
    QPainterPath path;              // path being built / last closed path (device pixels)
    int recordIndex = -1;           // index of the record being played
};

// What a record callback decides for the record it is handed.
enum class RecordAction {
    Play, // the player plays the record as recorded
    Skip, // nothing is drawn; no state changes
    Done, // the callback handled the record itself (e.g. drew it via playRecord)
    Stop, // stop the enumeration (nothing more is played)
};

class EmfPlayer {
public:
    using RecordCallback =
        std::function<RecordAction(EmfPlayer& player, const EmfRecord& record, int index)>;

    explicit EmfPlayer(EmfPicture picture);
    ~EmfPlayer();
    EmfPlayer(const EmfPlayer&) = delete;
    EmfPlayer& operator=(const EmfPlayer&) = delete;

    // Plays every record onto the canvas with the frame mapped onto `dest`
    // (canvas logical units at the canvas's current world transform). The
    // canvas's state (clip, objects, transform) is restored afterwards.
    void play(Canvas& canvas, const QRectF& dest);
    // The same, asking `callback` about every record first.
    void play(Canvas& canvas, const QRectF& dest, const RecordCallback& callback);

    // Stepwise playback: begin, then playRecord() for records in order, then end.
    void begin(Canvas& canvas, const QRectF& dest);
    // Plays one record (also from inside a callback, e.g. a modified copy of a
    // font record: `record` may point into any buffer that outlives the call).
    void playRecord(const EmfRecord& record);
    void end();

    const EmfPicture& picture() const { return picture_; }
    const PlaybackState& state() const;
    Canvas* canvas() const { return canvas_; }

    // Transform from the picture's reference-device pixels onto the
    // destination in the canvas's base space (frame mapped onto dest).
    QTransform deviceToDestination() const;
    // Transform from the picture's current logical units onto the canvas's
    // base space (mapping mode, window/viewport, world transform, then the
    // device-to-destination mapping). It is the canvas's world transform
    // while records are played.
    QTransform logicalToDestination() const;
    // Logical units to reference-device pixels with the current DC state.
    QTransform logicalToDevice() const;

    // Re-applies the playback's transform, objects and colours to the canvas
    // (after a callback drew with other settings).
    void syncCanvas();

private:
    struct Impl;
    EmfPicture picture_;
    Canvas* canvas_ = nullptr;
    std::unique_ptr<Impl> impl_;
};

} // namespace vx::emf
