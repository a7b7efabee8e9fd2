// The picture object: the rectangle rules, every picture kind drawn through
// the canvas (bitmap, icon, enhanced and Windows metafiles), blob fields,
// damaged pictures, the designer's placeholder and menu.
#include "page_recorder.h"
#include "report_fixture.h"
#include "tests/support/wmf_test_builder.h"

#include "platform/emf/wmf_reader.h"
#include "platform/errors.h"
#include "platform/painter_canvas.h"
#include "report/page.h"
#include "report/picture_view.h"
#include "report/report.h"

#include <QBuffer>
#include <QPainter>

namespace vx::test {
namespace {

QImage solid(QSize size, QColor color) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(color);
    return img;
}

QByteArray encoded(const QImage& img, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, format);
    return bytes;
}

// An enhanced metafile of 100 x 50 pixels, its left half blue.
QByteArray blueHalfEmf() {
    emf::RecordingCanvas c(QSize(100, 50));
    c.fillRect(QRect(0, 0, 50, 50), BrushSpec{BrushStyle::Solid, rgb(0, 0, 255), 0});
    return c.finish();
}

// A placeable Windows metafile of 100 x 50 pixels, its left half green.
QByteArray greenHalfWmf() {
    WmfTestBuilder b;
    b.placeable(0, 0, 1000, 500, 960)
        .rec(emf::META_SETWINDOWEXT, {500, 1000})
        .rec(emf::META_CREATEBRUSHINDIRECT, {0, 0xFF00, 0, 0})
        .rec(emf::META_CREATEPENINDIRECT, {5, 0, 0, 0, 0})
        .rec(emf::META_SELECTOBJECT, {0})
        .rec(emf::META_SELECTOBJECT, {1})
        .rec(emf::META_RECTANGLE, {501, 501, 0, 0})
        .eof();
    return b.build();
}

class PictureDraw : public ReportTest {
protected:
    void SetUp() override {
        ReportTest::SetUp();
        view_.Left = 10;
        view_.Top = 10;
        view_.Width = 200;
        view_.Height = 100;
        view_.FrameLines = frAll; // no corner marks
        view_.FrameColor = kWhite;
    }
    QImage render() {
        QImage img(240, 140, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter painter(&img);
        PainterCanvas canvas(painter);
        view_.Draw(canvas);
        return img;
    }
    static bool near(QRgb a, QColor b) {
        return std::abs(qRed(a) - b.red()) < 8 && std::abs(qGreen(a) - b.green()) < 8 &&
               std::abs(qBlue(a) - b.blue()) < 8;
    }
    TvxPictureView view_{nullptr};
};

TEST(PictureRectangle, StretchKeepAspectAndCentre) {
    const EdgeRect r{0, 0, 201, 201}; // a 200 x 200 object without frame
    struct Row {
        uint16_t flags;
        int pw, ph;
        EdgeRect expected;
    };
    const Row rows[] = {
        {pfStretchPicture, 100, 50, r},
        {pfStretchPicture | pfKeepAspect, 100, 50, {0, 0, 201, 100}}, // 200 x 100 at the top
        {pfStretchPicture | pfKeepAspect | pfCenterPicture, 100, 50, {0, 50, 201, 150}},
        {pfStretchPicture | pfKeepAspect, 50, 100, {0, 0, 100, 201}},
        {pfStretchPicture | pfKeepAspect, 3, 2, {0, 0, 201, 133}}, // 2 x 66.67, rounded
        {pfStretchPicture | pfKeepAspect, 0, 10, r},               // no size: the whole
        {0, 300, 20, {0, 0, 300, 20}},                             // own size, cut later
        {pfCenterPicture, 101, 51, {50, 75, 151, 126}},            // truncating halves
        {pfCenterPicture, 301, 20, {-50, 90, 251, 110}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(PictureRect(r, 200, 200, row.flags, row.pw, row.ph), row.expected)
            << row.flags << " " << row.pw << "x" << row.ph;
}

TEST_F(PictureDraw, EveryKindDrawsThroughTheCanvas) {
    struct Row {
        const char* name;
        PictureHolder::Kind kind;
        QByteArray data;
        QColor left; // the picture's left half
    };
    const Row rows[] = {
        {"bitmap", PictureHolder::Bitmap, encoded(solid({100, 50}, Qt::red), "BMP"), Qt::red},
        {"icon", PictureHolder::Icon, encoded(solid({32, 16}, Qt::magenta), "ICO"), Qt::magenta},
        {"enhanced metafile", PictureHolder::Metafile, blueHalfEmf(), Qt::blue},
        {"windows metafile", PictureHolder::Metafile, greenHalfWmf(), Qt::green},
    };
    for (const Row& row : rows) {
        view_.Picture.kind = row.kind;
        view_.Picture.data = row.data;
        ASSERT_TRUE(view_.Picture.isValid()) << row.name;
        view_.Flags = pfStretchPicture; // stretched over the whole object
        const QImage img = render();
        EXPECT_TRUE(near(img.pixel(30, 60), row.left)) << row.name;
        EXPECT_TRUE(near(img.pixel(5, 60), Qt::white)) << row.name;
    }
    EXPECT_EQ(PictureHolder({PictureHolder::Metafile, blueHalfEmf()}).size(), QSize(100, 50));
    EXPECT_EQ(PictureHolder({PictureHolder::Metafile, greenHalfWmf()}).size(), QSize(100, 50));
}

TEST_F(PictureDraw, UnstretchedPictureIsCutAtTheBounds) {
    view_.Picture = PictureHolder::fromImage(solid({400, 300}, Qt::red));
    view_.Flags = 0;
    const QImage img = render();
    EXPECT_TRUE(near(img.pixel(200, 100), Qt::red));
    EXPECT_TRUE(near(img.pixel(215, 60), Qt::white)); // right of Left + Width + 1
    EXPECT_TRUE(near(img.pixel(100, 115), Qt::white));
    // Centred, a smaller picture sits in the middle.
    view_.Picture = PictureHolder::fromImage(solid({20, 10}, Qt::red));
    view_.Flags = pfCenterPicture;
    const QImage centred = render();
    EXPECT_TRUE(near(centred.pixel(110, 60), Qt::red));
    EXPECT_TRUE(near(centred.pixel(20, 20), Qt::white));
}

TEST_F(PictureDraw, BlobsLoadByTheirSignatures) {
    const QByteArray bmp = encoded(solid({7, 5}, Qt::red), "BMP");
    struct Row {
        QByteArray blob;
        PictureHolder::Kind kind;
    };
    const Row rows[] = {
        {bmp, PictureHolder::Bitmap},
        {QByteArray(8, 'x') + bmp, PictureHolder::Bitmap}, // a database's header skipped
        {encoded(solid({16, 16}, Qt::red), "ICO"), PictureHolder::Icon},
        {blueHalfEmf(), PictureHolder::Metafile},
        {greenHalfWmf(), PictureHolder::Metafile},
    };
    for (const Row& row : rows) {
        view_.LoadFromField(QVariant(row.blob));
        EXPECT_EQ(view_.FieldPicture.kind, row.kind);
        EXPECT_TRUE(view_.FieldPicture.isValid());
        EXPECT_EQ(view_.LoadedFromField, 1);
    }
    EXPECT_EQ(view_.FieldPicture.size(), QSize(100, 50));
    view_.LoadFromField(QVariant());
    EXPECT_TRUE(view_.FieldPicture.isEmpty());
    // No signature, or a signature over bytes that are no picture.
    for (const QByteArray& bad :
         {QByteArray("GIF89a-not-known"), QByteArray("BM") + QByteArray(60, '\x7f'),
          QByteArray("\x01\0\0\0garbage-after-the-type", 26)}) {
        try {
            view_.LoadFromField(QVariant(bad));
            ADD_FAILURE() << bad.toStdString();
        } catch (const VxError& e) {
            EXPECT_EQ(e.message(), "Formato immagine sconosciuto.");
        }
    }
}

TEST_F(PictureDraw, HostilePicturesAreRefusedBeforeAllocating) {
    // A bitmap header that claims 100000 x 100000 pixels.
    QByteArray huge = encoded(solid({2, 2}, Qt::red), "BMP");
    ByteWriter w(&huge);
    w.patchU32(18, 100000);
    w.patchU32(22, 100000);
    PictureHolder p{PictureHolder::Bitmap, huge};
    EXPECT_FALSE(p.isValid());
    EXPECT_EQ(p.size(), QSize());
    view_.Picture = p;
    EXPECT_TRUE(near(render().pixel(100, 60), Qt::white)); // nothing drawn, no failure
    // Every cut of a metafile either draws or is refused.
    const QByteArray wmf = greenHalfWmf();
    for (qsizetype n = 0; n < wmf.size(); ++n) {
        view_.Picture = PictureHolder{PictureHolder::Metafile, wmf.left(n)};
        render();
    }
}

TEST_F(PictureDraw, PictureRecordWithAHostileSizeFailsTheLoad) {
    TvxReport report;
    auto picture = std::make_unique<TvxPictureView>(&report);
    picture->Picture = PictureHolder::fromImage(solid({4, 3}, Qt::red));
    report.Pages->Pages(0).Add(std::move(picture));
    const QByteArray good = report.SaveToBytes();
    const qsizetype data = good.indexOf("BM"); // the end offset is the word before
    for (uint32_t end : {0x7FFFFFFFu, 0xFFFFFFFFu, uint32_t(data - 1)}) {
        QByteArray bad = good;
        ByteWriter(&bad).patchU32(data - 4, end);
        clearMessages();
        TvxReport loaded;
        loaded.LoadFromBytes(bad);
        ASSERT_EQ(messages().size(), 1u) << end;
        EXPECT_TRUE(messages()[0].text.startsWith("Non è stato possibile terminare"));
        EXPECT_EQ(loaded.Pages->Pages(0).Count(), 0);
    }
}

TEST_F(PictureDraw, DesignerPlaceholderAndHiddenObjects) {
    view_.FrameLines = 0;
    FakeCanvas canvas = styleRecorder();
    view_.Draw(canvas);
    EXPECT_TRUE(canvas.drewText(12, 12, "[Immagine]"));
    EXPECT_EQ(canvas.calls.front(), "brush 0 #ffffff"); // white background while designing
    view_.Visible = 0;
    view_.Draw(canvas);
    EXPECT_EQ(canvas.calls.back(), "lineTo 10,110"); // the red cross
    PrintMode = true; // an empty or hidden picture draws nothing while preparing
    canvas.calls.clear();
    view_.Draw(canvas);
    view_.Visible = 1;
    view_.Draw(canvas);
    EXPECT_TRUE(canvas.calls.isEmpty());
}

TEST_F(PictureDraw, MenuEntriesToggleTheOptionsOfSelectedPictures) {
    TvxReport report;
    TvxPage& page = report.Pages->Pages(0);
    auto* a = static_cast<TvxPictureView*>(page.Add(std::make_unique<TvxPictureView>(&report)));
    auto* b = static_cast<TvxPictureView*>(page.Add(std::make_unique<TvxPictureView>(&report)));
    b->Selected = 1;
    std::vector<MenuItem> menu;
    a->AddMenuItems(menu);
    QStringList captions;
    for (const MenuItem& m : menu)
        captions << m.Caption + (m.Checked ? "*" : "");
    EXPECT_EQ(captions,
              QStringList({"-", "Adattato*", "Centra immagine", "Mantieni le proporzioni*"}));
    menu[2].Action();
    EXPECT_EQ(a->Flags, pfStretchPicture | pfKeepAspect | pfCenterPicture);
    EXPECT_EQ(b->Flags, pfStretchPicture | pfKeepAspect | pfCenterPicture);
}

} // namespace
} // namespace vx::test
