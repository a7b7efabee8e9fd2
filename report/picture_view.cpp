#include "report/picture_view.h"

#include "report/picture_length.h"

#include "platform/errors.h"
#include "platform/fonts.h"
#include "report/library_state.h"
#include "report/report.h"
#include "report/template_messages.h"
#include "report/text_layout.h"
#include "report/value_expansion.h"

#include <algorithm>
#include <cmath>

namespace vx {

TvxCustomPictureView::TvxCustomPictureView(TvxReport* report) : TvxView(report) {}

void TvxCustomPictureView::AddMenuItems(std::vector<MenuItem>& menu) {
    auto isPicture = [](const TvxView& v) {
        return dynamic_cast<const TvxCustomPictureView*>(&v) != nullptr;
    };
    menu.push_back({QStringLiteral("-"), false, {}});
    menu.push_back(FlagMenuItem(*this, QStringLiteral("Adattato"), pfStretchPicture, isPicture));
    menu.push_back(
        FlagMenuItem(*this, QStringLiteral("Centra immagine"), pfCenterPicture, isPicture));
    menu.push_back(
        FlagMenuItem(*this, QStringLiteral("Mantieni le proporzioni"), pfKeepAspect, isPicture));
}

TvxPictureView::TvxPictureView(TvxReport* report) : TvxCustomPictureView(report) {
    ObjectType = otPicture;
    Flags = pfStretchPicture | pfKeepAspect;
    AssignDefaultName();
}

TvxPictureView::~TvxPictureView() = default;

void TvxPictureView::Assign(const TvxView& source) {
    TvxView::Assign(source);
    if (const auto* picture = dynamic_cast<const TvxPictureView*>(&source))
        Picture = picture->Picture;
}

void TvxPictureView::LoadFromStream(ByteReader& in) {
    TvxView::LoadFromStream(in);
    const uint8_t kind = in.u8();
    const int32_t end = in.i32();
    checkStream(in);
    // The end offset is an absolute position at or after the picture data.
    if (kind > PictureHolder::Icon || end < 0 || size_t(end) < in.pos() || size_t(end) > in.size())
        throw VxError(streamReadErrorMessage());
    Picture.clear();
    if (kind != PictureHolder::None) {
        // The picture is what its own header says, checked; bytes after it
        // up to the end offset are skipped, not kept as part of it.
        const QByteArray bytes = in.bytes(size_t(end) - in.pos());
        const qsizetype length = storedPictureLength(kind, bytes);
        if (length <= 0)
            throw VxError(streamReadErrorMessage());
        Picture.kind = PictureHolder::Kind(kind);
        Picture.data = bytes.left(length);
    }
    in.seek(size_t(end));
}

void TvxPictureView::SaveToStream(ByteWriter& out) const {
    TvxView::SaveToStream(out);
    const bool empty = Picture.isEmpty();
    out.u8(empty ? uint8_t(PictureHolder::None) : uint8_t(Picture.kind));
    const qsizetype at = out.size();
    out.i32(0); // end offset, filled in below
    if (!empty)
        out.bytes(Picture.data);
    out.patchU32(at, uint32_t(out.size()));
}

void TvxPictureView::LoadFromField(const QVariant& value) {
    if (value.isNull())
        FieldPicture.clear();
    else
        FieldPicture = pictureFromBlob(value.toByteArray());
    LoadedFromField = 1;
}

EdgeRect PictureRect(const EdgeRect& r, int32_t width, int32_t height, uint16_t flags, int pw,
                     int ph) {
    const bool center = flags & pfCenterPicture;
    const int64_t rw = int64_t(r.Right) - r.Left, rh = int64_t(r.Bottom) - r.Top;
    auto moved = [](const EdgeRect& p, int64_t dx, int64_t dy) {
        return EdgeRect{saturate32(p.Left + dx), saturate32(p.Top + dy), saturate32(p.Right + dx),
                        saturate32(p.Bottom + dy)};
    };
    if (flags & pfStretchPicture) {
        EdgeRect p = r;
        if (!(flags & pfKeepAspect) || pw <= 0 || ph <= 0)
            return p;
        const double kx = double(width) / pw;
        const double ky = double(height) / ph;
        auto scaled = [](double v) { return int64_t(std::nearbyint(std::clamp(v, -4e9, 4e9))); };
        if (kx >= ky)
            p.Right = saturate32(r.Left + scaled(pw * ky));
        else
            p.Bottom = saturate32(r.Top + scaled(ph * kx));
        if (!center)
            return p;
        return moved(p, (rw - (int64_t(p.Right) - p.Left)) / 2,
                     (rh - (int64_t(p.Bottom) - p.Top)) / 2);
    }
    const EdgeRect own{r.Left, r.Top, saturate32(int64_t(r.Left) + pw),
                       saturate32(int64_t(r.Top) + ph)};
    return center ? moved(own, (rw - pw) / 2, (rh - ph) / 2) : own;
}

EdgeRect TvxPictureView::PictureRect(int pw, int ph) const {
    return vx::PictureRect(DrawRect, Width, Height, Flags, pw, ph);
}

void TvxPictureView::Draw(Canvas& c) {
    if (PrintMode && Visible == 0)
        return;
    SetCanvas(&c);
    const PictureHolder* picture = &Picture;
    if (PrintMode && Report && Report->HasBlobValues) {
        LoadedFromField = 0;
        const QStringList lines = Lines;
        FillFromField(Report, lines, this);
        if (LoadedFromField)
            picture = &FieldPicture;
    }
    ComputeDrawRect();
    FillBackground();
    if (!picture->isEmpty()) {
        if (!SilentPass)
            DrawPicture(c, *picture);
    } else if (!PrintMode) {
        DrawPlaceholder(c);
    }
    DrawFrameLines();
    if (!PrintMode && Visible == 0)
        DrawInvisibleCross();
}

void TvxPictureView::DrawPicture(Canvas& c, const PictureHolder& picture) {
    const QSize size = picture.size();
    const EdgeRect p = PictureRect(size.width(), size.height());
    if (Flags & pfStretchPicture) {
        picture.draw(c, p.toQRect());
        return;
    }
    // At its own size the picture is cut at the object's bounds.
    const int64_t L = Left, T = Top;
    const int level = c.saveState();
    c.intersectClipRect(
        rectFromEdges(Left, Top, saturate32(L + Width + 1), saturate32(T + Height + 1)));
    picture.draw(c, p.toQRect());
    c.restoreState(level);
}

void TvxPictureView::DrawPlaceholder(Canvas& c) {
    FontSpec font; // Arial 8 points, black
    font.height = fontHeightForPoints(8);
    c.setFont(font);
    c.setTextColor(kBlack);
    c.setBackgroundMode(BackgroundMode::Transparent);
    c.setTextAlign(TextAlign::Left | TextAlign::Top);
    c.textOut(saturate32(int64_t(Left) + 2), saturate32(int64_t(Top) + 2),
              QStringLiteral("[Immagine]"), TextOutOption::Clipped, DrawRect.toQRect());
}

} // namespace vx
