#pragma once

// Picture objects: TvxCustomPictureView (base of picture-like objects) and
// TvxPictureView, which draws a bitmap, metafile or icon stored in the
// template or read from a blob field.

#include "report/view.h"

#include <QByteArray>
#include <QImage>

namespace vx {

// Option bits of Flags for picture objects.
enum : uint16_t {
    pfStretchPicture = 1, // "Adattato"
    pfCenterPicture = 2,  // "Centra immagine"
    pfKeepAspect = 4,     // "Mantieni le proporzioni"
};

// A picture as stored: its kind and the bytes in the kind's own file format
// (BMP file, enhanced metafile, ICO file).
struct PictureHolder {
    enum Kind : uint8_t { None = 0, Bitmap = 1, Metafile = 2, Icon = 3 };
    Kind kind = None;
    QByteArray data;

    bool isEmpty() const { return kind == None || data.isEmpty(); }
    void clear() { kind = None, data.clear(); }
    // Width and height in pixels (0 when unknown or empty).
    QSize size() const;
    // The picture as an image (bitmaps and icons); null for metafiles.
    QImage toImage() const;
    static PictureHolder fromImage(const QImage& image); // stored as a BMP file
    bool operator==(const PictureHolder&) const = default;
};

// Which picture kind a blob holds, and the offset of its data (0 or 8);
// throws VxError "Formato immagine sconosciuto." when none matches.
PictureHolder pictureFromBlob(const QByteArray& blob);

class TvxCustomPictureView : public TvxView {
public:
    explicit TvxCustomPictureView(TvxReport* report);
    void AddMenuItems(std::vector<MenuItem>& menu) override;
};

// Draws an enhanced metafile into a rectangle; installed by the layer that
// plays metafiles (nothing is drawn without it).
using MetafileDrawer = std::function<void(Canvas&, const QRect& dest, const QByteArray& emf)>;
void SetMetafileDrawer(MetafileDrawer drawer);
MetafileDrawer& metafileDrawer();

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

    // The rectangle the picture is drawn into (stretch / keep aspect /
    // centre rules); exposed for tests.
    EdgeRect PictureRect(int pictureWidth, int pictureHeight) const;

    PictureHolder Picture;
    PictureHolder FieldPicture;
    uint8_t LoadedFromField = 0;
};

} // namespace vx
