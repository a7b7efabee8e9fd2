#include "report/picture_view.h"

#include "report/value_expansion.h"

#include "platform/errors.h"
#include "report/library_state.h"
#include "report/picture_data.h"
#include "report/report.h"
#include "report/template_messages.h"

#include <QBuffer>

#include <cmath>

namespace vx {

namespace {
// The pictures' part of the library state: the player that draws a
// metafile picture, installed by the layer that has one.
struct PictureDrawerState : DefaultResetPart<PictureDrawerState> {
    MetafileDrawer drawer;
};

uint16_t word(const QByteArray& b, qsizetype at) {
    if (at + 2 > b.size())
        return 0xFFFF; // matches no signature
    return uint16_t(uint8_t(b[at]) | (uint8_t(b[at + 1]) << 8));
}

int32_t int32At(const QByteArray& b, qsizetype at) {
    if (at + 4 > b.size())
        return 0;
    return int32_t(uint32_t(uint8_t(b[at])) | (uint32_t(uint8_t(b[at + 1])) << 8) |
                   (uint32_t(uint8_t(b[at + 2])) << 16) | (uint32_t(uint8_t(b[at + 3])) << 24));
}
} // namespace

MetafileDrawer& metafileDrawer() {
    return libraryState().part<PictureDrawerState>().drawer;
}

void SetMetafileDrawer(MetafileDrawer drawer) {
    metafileDrawer() = std::move(drawer);
}

QSize PictureHolder::size() const {
    if (isEmpty())
        return QSize();
    if (kind == Metafile) {
        // EMF header: bounds (inclusive) at offset 8.
        const int64_t w = int64_t(int32At(data, 16)) - int32At(data, 8) + 1;
        const int64_t h = int64_t(int32At(data, 20)) - int32At(data, 12) + 1;
        if (w <= 0 || h <= 0 || w > INT32_MAX || h > INT32_MAX)
            return QSize();
        return QSize(int(w), int(h));
    }
    return toImage().size();
}

QImage PictureHolder::toImage() const {
    if (isEmpty() || kind == Metafile)
        return QImage();
    return QImage::fromData(data, kind == Bitmap ? "BMP" : "ICO");
}

PictureHolder PictureHolder::fromImage(const QImage& image) {
    PictureHolder p;
    if (image.isNull())
        return p;
    QBuffer buffer(&p.data);
    buffer.open(QIODevice::WriteOnly);
    if (image.save(&buffer, "BMP"))
        p.kind = Bitmap;
    else
        p.data.clear();
    return p;
}

PictureHolder pictureFromBlob(const QByteArray& blob) {
    const uint16_t w0 = word(blob, 0), w1 = word(blob, 2), w4 = word(blob, 8), w5 = word(blob, 10);
    constexpr uint16_t kBM = 19778;
    PictureHolder p;
    qsizetype offset = 0;
    if (w0 == kBM || w4 == kBM) {
        p.kind = PictureHolder::Bitmap;
        offset = w4 == kBM ? 8 : 0;
    } else if ((w0 == 0 && w1 == 1) || (w4 == 0 && w5 == 1)) {
        p.kind = PictureHolder::Icon;
        offset = (w4 == 0 && w5 == 1) ? 8 : 0;
    } else if (w0 == 0 || w0 == 1 || (w0 == 52695 && w1 == 39622)) {
        p.kind = PictureHolder::Metafile;
    } else if (w4 == 0 || w4 == 1 || (w4 == 52695 && w5 == 39622)) {
        p.kind = PictureHolder::Metafile;
        offset = 8;
    } else {
        throw VxError(QStringLiteral("Formato immagine sconosciuto."));
    }
    p.data = blob.mid(offset);
    return p;
}

TvxCustomPictureView::TvxCustomPictureView(TvxReport* report) : TvxView(report) {}

void TvxCustomPictureView::AddMenuItems(std::vector<MenuItem>& menu) {
    auto toggle = [this](uint16_t bit) { return [this, bit] { Flags ^= bit; }; };
    menu.push_back({QStringLiteral("-"), false, {}});
    menu.push_back(
        {QStringLiteral("Adattato"), bool(Flags & pfStretchPicture), toggle(pfStretchPicture)});
    menu.push_back({QStringLiteral("Centra immagine"), bool(Flags & pfCenterPicture),
                    toggle(pfCenterPicture)});
    menu.push_back({QStringLiteral("Mantieni le proporzioni"), bool(Flags & pfKeepAspect),
                    toggle(pfKeepAspect)});
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

EdgeRect TvxPictureView::PictureRect(int pw, int ph) const {
    const EdgeRect r = DrawRect;
    const bool center = Flags & pfCenterPicture;
    if (Flags & pfStretchPicture) {
        EdgeRect p = r;
        if ((Flags & pfKeepAspect) && pw > 0 && ph > 0) {
            const double kx = double(Width) / pw;
            const double ky = double(Height) / ph;
            if (kx >= ky)
                p.Right = r.Left + int32_t(std::nearbyint(pw * ky));
            else
                p.Bottom = r.Top + int32_t(std::nearbyint(ph * kx));
            if (center) {
                const int32_t dx = ((r.Right - r.Left) - (p.Right - p.Left)) / 2;
                const int32_t dy = ((r.Bottom - r.Top) - (p.Bottom - p.Top)) / 2;
                p = {p.Left + dx, p.Top + dy, p.Right + dx, p.Bottom + dy};
            }
        }
        return p;
    }
    int32_t x = r.Left, y = r.Top;
    if (center) {
        x += ((r.Right - r.Left) - pw) / 2;
        y += ((r.Bottom - r.Top) - ph) / 2;
    }
    return {x, y, x + pw, y + ph};
}

void TvxPictureView::Draw(Canvas& c) {
    if (PrintMode && Visible == 0)
        return;
    SetCanvas(&c);
    const PictureHolder* picture = &Picture;
    if (PrintMode && Report && Report->HasBlobValues) {
        LoadedFromField = 0;
        FillFromField(Report, Lines, this);
        if (LoadedFromField)
            picture = &FieldPicture;
    }
    ComputeDrawRect();
    FillBackground();
    if (!picture->isEmpty() && !SilentPass) {
        const QSize size = picture->size();
        const EdgeRect p = PictureRect(size.width(), size.height());
        const bool stretch = Flags & pfStretchPicture;
        int level = 0;
        if (!stretch) {
            level = c.saveState();
            c.intersectClipRect(rectFromEdges(Left, Top, Left + Width + 1, Top + Height + 1));
        }
        if (picture->kind == PictureHolder::Metafile) {
            if (metafileDrawer())
                metafileDrawer()(c, p.toQRect(), picture->data);
        } else {
            c.drawImage(p.toQRect(), picture->toImage());
        }
        if (!stretch)
            c.restoreState(level);
    } else if (picture->isEmpty() && !PrintMode) {
        FontSpec font;
        font.face = QStringLiteral("Arial");
        font.height = -11; // 8 points at 96 pixels per inch
        c.setFont(font);
        c.setTextColor(kBlack);
        c.setBackgroundMode(BackgroundMode::Transparent);
        c.textOut(Left + 2, Top + 2, QStringLiteral("[Immagine]"), TextOutOption::Clipped,
                  DrawRect.toQRect());
    }
    DrawFrameLines();
    if (!PrintMode && Visible == 0)
        DrawInvisibleCross();
}

} // namespace vx
