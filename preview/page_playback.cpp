#include "preview/page_playback.h"

#include "platform/emf/dib.h"
#include "platform/emf/emf_constants.h"
#include "platform/emf/emf_records.h"
#include "platform/fonts.h"

#include <QByteArray>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vx::preview {

using namespace vx::emf;

bool adjustTextFor(double sx, double sy) {
    const int px = roundEven(sx * 100);
    const int py = roundEven(sy * 100);
    if (px == 100 && py == 100)
        return false;
    return px > 75 || py > 75;
}

bool recordVisible(const QRect& clip, const RectL& bounds, int penWidth, double sx, double sy,
                   const EdgeRect& dest) {
    const int cl = clip.left() - 1;
    const int ct = clip.top() - 1;
    const int cr = clip.left() + clip.width() + 1; // GDI right edge (exclusive) + 1
    const int cb = clip.top() + clip.height() + 1;
    const int e = 4 + penWidth / 2;
    const int l = roundEven((double(bounds.left) - e) * sx) + dest.Left;
    const int t = roundEven((double(bounds.top) - e) * sy) + dest.Top;
    const int r = roundEven((double(bounds.right) + e) * sx) + dest.Left;
    const int b = roundEven((double(bounds.bottom) + e) * sy) + dest.Top;
    return !(r < cl || l > cr || b < ct || t > cb);
}

SpacedAdvances spaceAdvances(const std::vector<int32_t>& recorded, int boundsWidth,
                             int boundsHeight, double angle, double sx, double originX) {
    SpacedAdvances out;
    const int n = int(recorded.size());
    if (n == 0)
        return out;
    int64_t limit = boundsWidth;
    if (angle != 0)
        limit = roundEven(std::sin(angle) * boundsHeight + std::cos(angle) * boundsWidth);
    // The first character is always taken; the next ones while the recorded
    // advances taken so far stay below the limit.
    int c = 1;
    int64_t u = recorded[0];
    while (u < limit && c < n) {
        u += recorded[size_t(c)];
        ++c;
    }
    out.count = c;
    out.recordedSum = u;
    // Each character starts where the recorded advances before it put it,
    // scaled: the exact position is rounded, never a rounded advance
    // summed, so equal letters stand evenly at any zoom.
    out.advances.resize(size_t(c));
    int64_t before = 0;
    int placed = roundEven(originX);
    for (int k = 0; k < c; ++k) {
        before += recorded[size_t(k)];
        const int end = roundEven(originX + sx * double(before));
        out.advances[size_t(k)] = end - placed;
        placed = end;
    }
    return out;
}

namespace {

bool isDrawingRecord(uint32_t type) {
    switch (type) {
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
    case 15:
    case 41:
    case 42:
    case 43:
    case 44:
    case 45:
    case 46:
    case 47:
    case 53:
    case 55:
    case 56:
    case 71:
    case 72:
    case 73:
    case 74:
    case 76:
    case 77:
    case 78:
    case 79:
    case 81:
    case 83:
    case 84:
    case 85:
    case 86:
    case 87:
    case 88:
    case 89:
    case 90:
    case 91:
    case 92:
    case 96:
    case 97:
        return true;
    default:
        return false;
    }
}

// The area a drawing record may touch, in reference pixels; nothing when it
// is not known (the record is then always drawn).
std::optional<RectL> drawingBounds(const EmfRecord& rec) {
    ByteReader r = rec.payload();
    switch (rec.type) {
    case EMR_SETPIXELV: {
        const int32_t x = r.i32();
        const int32_t y = r.i32();
        if (!r.ok())
            return std::nullopt;
        return RectL{x, y, x, y};
    }
    case EMR_ANGLEARC: {
        const int32_t x = r.i32();
        const int32_t y = r.i32();
        const uint32_t radius = r.u32();
        if (!r.ok() || radius > uint32_t(kCoordinateLimit))
            return std::nullopt;
        const int32_t rad = int32_t(radius);
        return RectL{x - rad, y - rad, x + rad, y + rad};
    }
    case EMR_EXTFLOODFILL:
        return std::nullopt; // a flood fill may reach anywhere
    default: {
        RectL b = readRectL(r);
        if (!r.ok() || b.isNullBounds())
            return std::nullopt;
        return b;
    }
    }
}

class PagePlayer {
public:
    PagePlayer(Canvas& canvas, const EmfPicture& picture, const PlaybackRequest& req)
        : canvas_(canvas), picture_(picture), req_(req), adjust_(adjustTextFor(req.sx, req.sy)),
          baseWorld_(canvas.worldTransform()) {}

    void run() {
        EmfPlayer player(picture_);
        const QRectF dest(req_.dest.Left, req_.dest.Top, req_.dest.Right - req_.dest.Left,
                          req_.dest.Bottom - req_.dest.Top);
        player.play(canvas_, dest,
                    [this](EmfPlayer& p, const EmfRecord& rec, int) { return onRecord(p, rec); });
    }

private:
    RecordAction onRecord(EmfPlayer& player, const EmfRecord& rec) {
        if (rec.type == EMR_HEADER)
            recordNumber_ = req_.pageIndex * kRecordsPerPage;
        else
            ++recordNumber_;
        if (req_.search)
            return searchRecord(player, rec);
        if (adjust_)
            trackState(rec);
        switch (rec.type) {
        case EMR_EXTCREATEFONTINDIRECTW:
            if (adjust_ && identityMapping())
                return createScaledFont(player, rec);
            return RecordAction::Play;
        default:
            break;
        }
        if (!isDrawingRecord(rec.type))
            return RecordAction::Play;
        bool highlighted = false;
        if (req_.onPanel) {
            if (!visible(player, rec))
                return RecordAction::Skip;
            highlighted = highlightHolds();
        }
        switch (rec.type) {
        case EMR_BITBLT:
        case EMR_STRETCHBLT:
            return drawBitmap(player, rec);
        case EMR_EXTTEXTOUTA:
        case EMR_EXTTEXTOUTW:
            return drawSpacedText(player, rec, highlighted);
        default:
            return RecordAction::Play;
        }
    }

    // Search mode: drawing records are skipped, state records still build
    // the object table (the hit rectangle needs the current pen), text
    // records go to the search.
    RecordAction searchRecord(EmfPlayer& player, const EmfRecord& rec) {
        if (rec.type == EMR_EXTTEXTOUTA || rec.type == EMR_EXTTEXTOUTW)
            return req_.search(player, rec, recordNumber_) ? RecordAction::Stop
                                                           : RecordAction::Skip;
        return isDrawingRecord(rec.type) ? RecordAction::Skip : RecordAction::Play;
    }

    void trackState(const EmfRecord& rec) {
        ByteReader r = rec.payload();
        switch (rec.type) {
        case EMR_SELECTOBJECT: {
            const uint32_t handle = r.u32();
            if (r.ok()) {
                const auto it = angles_.find(handle);
                if (it != angles_.end())
                    angle_ = it->second;
            }
            break;
        }
        case EMR_DELETEOBJECT: {
            const uint32_t handle = r.u32();
            if (r.ok() && angles_.erase(handle) > 0 && angles_.empty())
                angle_ = 0;
            break;
        }
        case EMR_SETWINDOWEXTEX:
        case EMR_SETWINDOWORGEX:
        case EMR_SETVIEWPORTEXTEX:
        case EMR_SETVIEWPORTORGEX: {
            const int32_t x = r.i32();
            const int32_t y = r.i32();
            if (!r.ok())
                break;
            const QPoint p(x, y);
            if (rec.type == EMR_SETWINDOWEXTEX)
                windowExt_ = p;
            else if (rec.type == EMR_SETWINDOWORGEX)
                windowOrg_ = p;
            else if (rec.type == EMR_SETVIEWPORTEXTEX)
                viewportExt_ = p;
            else
                viewportOrg_ = p;
            break;
        }
        default:
            break;
        }
    }

    bool identityMapping() const {
        return windowExt_ == QPoint(1, 1) && windowOrg_ == QPoint(0, 0) &&
               viewportExt_ == QPoint(1, 1) && viewportOrg_ == QPoint(0, 0);
    }

    bool visible(const EmfPlayer& player, const EmfRecord& rec) const {
        // Inside a path a record only adds to the figure; its bounds say
        // nothing about what the later fill or stroke covers.
        if (player.state().inPath)
            return true;
        const std::optional<RectL> bounds = drawingBounds(rec);
        if (!bounds)
            return true;
        return recordVisible(req_.clip, *bounds, player.state().dc.pen.width, req_.sx, req_.sy,
                             req_.dest);
    }

    bool highlightHolds() const {
        const HitHighlight& h = req_.highlight;
        return h.found && h.hitPage == req_.pageIndex && h.hitRecord == recordNumber_ &&
               (h.blinkCount % 2) != 0;
    }

    // A font record played with its height (and width) scaled to the zoom;
    // the picture's bytes are not changed.
    RecordAction createScaledFont(EmfPlayer& player, const EmfRecord& rec) {
        const std::optional<FontRecord> fr = readExtCreateFont(rec);
        if (!fr || rec.size < 20)
            return RecordAction::Play;
        const FontSpec& font = fr->font;
        if (font.escapement != 0 && font.orientation != 0)
            angles_[fr->handle] = double(font.orientation) / 10.0 * std::numbers::pi / 180.0;
        const int sxp = roundEven(req_.sx * 100);
        const int syp = roundEven(req_.sy * 100);
        int height = 0;
        // A font recorded with its own width is widened with the zoom; one
        // with the face's width gets the width that keeps the glyphs'
        // proportions at the two scales.
        int width = font.width != 0 ? roundEven(req_.sx * font.width) : 0;
        if (sxp == syp) {
            height = roundEven(req_.sy * font.height);
        } else {
            FontSpec probe = font;
            probe.height = roundEven(req_.sy * font.height * 10);
            probe.width = 0;
            const TextMetrics tm = fontTextMetrics(probe);
            height = roundEven(font.height * req_.sy);
            if (font.width == 0)
                width = roundEven(req_.sx / req_.sy * tm.aveCharWidth / 10.0);
        }
        QByteArray copy(rec.data, qsizetype(rec.size));
        qToLittleEndian<int32_t>(height, copy.data() + 12);
        qToLittleEndian<int32_t>(width, copy.data() + 16);
        EmfRecord scaled = rec;
        scaled.data = copy.constData();
        player.playRecord(scaled);
        return RecordAction::Done;
    }

    // BITBLT and STRETCHBLT that carry a bitmap: the bitmap is decoded from
    // the record and drawn into the destination, without an intermediate
    // bitmap object. Other raster operations are left to the player.
    RecordAction drawBitmap(EmfPlayer&, const EmfRecord& rec) {
        const std::optional<BltRecord> blt =
            rec.type == EMR_BITBLT ? readBitBlt(rec) : readStretchBlt(rec);
        constexpr uint32_t kSrcCopy = 0x00CC0020;
        if (!blt || !blt->dib.present() || blt->rop != kSrcCopy || blt->dest.width() <= 0 ||
            blt->dest.height() <= 0)
            return RecordAction::Play;
        const QImage image = decodeDib(blt->dib.info, blt->dib.infoSize, blt->dib.bits,
                                       blt->dib.bitsSize, blt->dib.usage)
                                 .valueOr(QImage());
        if (image.isNull())
            return RecordAction::Skip;
        QRect source = blt->source;
        if (rec.type == EMR_BITBLT)
            source.setSize(blt->dest.size());
        const QRect part = source.intersected(image.rect());
        if (part.isEmpty())
            return RecordAction::Skip;
        canvas_.drawImage(blt->dest, part == image.rect() ? image : image.copy(part));
        return RecordAction::Done;
    }

    // Text records: respaced so that the string spans its recorded width at
    // the zoom (when fonts are scaled), or played as recorded; the hit is
    // drawn white on black (blue where the text is white).
    RecordAction drawSpacedText(EmfPlayer& player, const EmfRecord& rec, bool highlighted) {
        const std::optional<TextRecord> tr = readExtTextOut(rec, rec.type == EMR_EXTTEXTOUTW);
        if (!tr)
            return RecordAction::Play;
        if (tr->text.isEmpty())
            return RecordAction::Skip;
        const bool spaced = adjust_ && identityMapping() && !tr->dx.empty() &&
                            (tr->options & kEtoGlyphIndex) == 0 && (tr->options & kEtoPdy) == 0;
        if (!spaced && !highlighted)
            return RecordAction::Play;

        const DcState& dc = player.state().dc;
        canvas_.setFont(dc.font);
        canvas_.setTextAlign(dc.textAlign);
        if (highlighted) {
            // White text turns 0xFF0000 (white exclusive-or 0x00FFFF) to stay
            // visible on the black background.
            canvas_.setTextColor(dc.textColor == kWhite ? Color(kWhite.value() ^ 0x00FFFF)
                                                        : kWhite);
            canvas_.setBackgroundColor(kBlack);
            canvas_.setBackgroundMode(BackgroundMode::Opaque);
        } else {
            canvas_.setTextColor(dc.textColor);
            canvas_.setBackgroundColor(dc.backgroundColor);
            canvas_.setBackgroundMode(dc.backgroundMode);
        }
        const QRect recordRect = tr->hasRect ? rectFromEdges(tr->rect.left, tr->rect.top,
                                                             tr->rect.right, tr->rect.bottom)
                                             : QRect();
        // Only the opaque and clipping options reach the canvas, and only
        // with a rectangle.
        const uint32_t options =
            recordRect.isEmpty() ? 0
                                 : tr->options & (TextOutOption::Opaque | TextOutOption::Clipped);
        if (!spaced) {
            // As recorded, in the player's own coordinates.
            std::vector<int> dx(tr->dx.begin(), tr->dx.end());
            canvas_.textOut(tr->reference.x(), tr->reference.y(), tr->text, options, recordRect,
                            dx);
            player.syncCanvas();
            return RecordAction::Done;
        }

        // Device pixels from here on: the destination's corner is the origin
        // and the font already has its zoomed size.
        canvas_.setWorldTransform(QTransform::fromTranslate(req_.dest.Left, req_.dest.Top) *
                                  baseWorld_);
        const double originX = tr->reference.x() * req_.sx;
        const SpacedAdvances spacing = spaceAdvances(
            tr->dx, clampCoord(int64_t(tr->bounds.right) - tr->bounds.left + 1),
            clampCoord(int64_t(tr->bounds.bottom) - tr->bounds.top + 1), angle_, req_.sx, originX);
        QRect rect;
        if (tr->hasRect)
            rect = rectFromEdges(
                roundEven(tr->rect.left * req_.sx), roundEven(tr->rect.top * req_.sy),
                roundEven(tr->rect.right * req_.sx), roundEven(tr->rect.bottom * req_.sy));
        canvas_.textOut(roundEven(originX), roundEven(tr->reference.y() * req_.sy),
                        tr->text.left(spacing.count), rect.isEmpty() ? 0 : options, rect,
                        spacing.advances);
        player.syncCanvas();
        return RecordAction::Done;
    }

    Canvas& canvas_;
    const EmfPicture& picture_;
    const PlaybackRequest& req_;
    const bool adjust_;
    const QTransform baseWorld_;
    int recordNumber_ = 0;
    std::map<uint32_t, double> angles_; // font object number -> angle (radians)
    double angle_ = 0;
    QPoint windowExt_{1, 1};
    QPoint windowOrg_{0, 0};
    QPoint viewportExt_{1, 1};
    QPoint viewportOrg_{0, 0};
};

} // namespace

void playPage(Canvas& canvas, const EmfPicture& picture, const PlaybackRequest& request) {
    if (picture.isNull())
        return;
    PagePlayer(canvas, picture, request).run();
}

} // namespace vx::preview
