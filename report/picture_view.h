#pragma once

// Picture objects: TvxCustomPictureView (base of picture-like objects) and
// TvxPictureView, which draws a bitmap, metafile or icon stored in the
// template or read from a blob field.

#include "report/picture_data.h"
#include "report/view.h"

namespace vx {

// Option bits of Flags for picture objects.
enum : uint16_t {
    pfStretchPicture = 1, // "Adattato"
    pfCenterPicture = 2,  // "Centra immagine"
    pfKeepAspect = 4,     // "Mantieni le proporzioni"
};

// The rectangle a picture of pw x ph pixels is drawn into within the
// drawing rectangle `r` of an object of `width` x `height`: the whole of `r`
// when stretched; with keep aspect, with kx = width / pw and ky = height /
// ph, the left part (kx >= ky) or the top part (kx < ky) scaled by the
// smaller factor (rounded halves to even); unstretched, the picture's own
// size at r's top-left corner. Centring moves it by half the free room
// (truncating).
EdgeRect PictureRect(const EdgeRect& r, int32_t width, int32_t height, uint16_t flags, int pw,
                     int ph);

class TvxCustomPictureView : public TvxView {
public:
    explicit TvxCustomPictureView(TvxReport* report);
    void AddMenuItems(std::vector<MenuItem>& menu) override;
};

class TvxPictureView : public TvxCustomPictureView {
public:
    explicit TvxPictureView(TvxReport* report);
    ~TvxPictureView() override;

    QString ClassName() const override { return QStringLiteral("TvxPictureView"); }
    void Assign(const TvxView& source) override;
    void Draw(Canvas& canvas) override;
    void LoadFromStream(ByteReader& stream) override;
    void SaveToStream(ByteWriter& stream) const override;
    void LoadFromField(const QVariant& value) override;

    // The rectangle the picture is drawn into (PictureRect with this
    // object's DrawRect, size and Flags).
    EdgeRect PictureRect(int pictureWidth, int pictureHeight) const;

    PictureHolder Picture;
    PictureHolder FieldPicture;
    uint8_t LoadedFromField = 0;

private:
    void DrawPicture(Canvas& canvas, const PictureHolder& picture);
    void DrawPlaceholder(Canvas& canvas);
};

} // namespace vx
