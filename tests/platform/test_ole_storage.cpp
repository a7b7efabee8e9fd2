// Embedded OLE objects: the container's stream kept byte for byte, the
// compound file read for the class name and the presentation picture, and
// the picture (or the placeholder) drawn.
#include "platform/byte_writer.h"
#include "platform/emf/emf_reader.h"
#include "platform/emf/recording_canvas.h"
#include "platform/ole/ole_picture.h"
#include "platform/ole/ole_storage.h"
#include "platform/painter_canvas.h"
#include "tests/support/compound_file.h"
#include "tests/support/fake_canvas.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace vx;
using namespace vx::ole;

namespace {

const QByteArray kPresentation = QByteArray("\x02OlePres000", 11);
const QByteArray kCompObj = QByteArray("\x01"
                                       "CompObj",
                                       8);

// A 2 x 1 DIB of 24 bits (blue, green).
QByteArray smallDib() {
    QByteArray b;
    ByteWriter out(&b);
    out.u32(40);
    out.i32(2);
    out.i32(1);
    out.u16(1);
    out.u16(24);
    out.zeros(24);
    out.bytes(QByteArray("\xFF\x00\x00\x00\xFF\x00\x00\x00", 8));
    return b;
}

QByteArray excelObject() {
    return test::makeCompoundFile(
        {{kCompObj, test::makeCompObj("Foglio di lavoro", "Excel.Sheet.8")},
         {kPresentation, test::makePresentationStream(CF_ENHMETAFILE, kAspectContent, 5080, 2540,
                                                      test::makeRedMetafile())}});
}

} // namespace

struct ContainerCase {
    const char* name;
    QByteArray bytes;
    bool ok;
};

class OleContainerStream : public ::testing::TestWithParam<ContainerCase> {};

// A stream is read to the end its size gives, whatever follows it.
TEST_P(OleContainerStream, ReadsExactlyTheStoredBytes) {
    const ContainerCase& c = GetParam();
    const QByteArray stored = c.bytes + "tail"; // the reader only borrows its bytes
    ByteReader in(stored);
    const QByteArray raw = readContainerStream(in);
    EXPECT_EQ(in.ok(), c.ok);
    if (c.ok) {
        EXPECT_EQ(raw, c.bytes);
        EXPECT_EQ(in.remaining(), 4u);
        EXPECT_EQ(parseContainerStream(raw)->storage, c.bytes.mid(12));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OleContainerStream,
    ::testing::Values(
        ContainerCase{"made_here", makeContainerStream("abc", kAspectIcon), true},
        ContainerCase{"empty_storage", makeContainerStream(QByteArray()), true},
        ContainerCase{"wrong_signature", QByteArray("XDOC\1\0\0\0\0\0\0\0", 12), false},
        ContainerCase{"size_past_the_end", QByteArray("BDOC\1\0\0\0\xFF\xFF\0\0", 12), false},
        ContainerCase{"cut_header", QByteArray("BDOC\1\0", 6), false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OleStorage, ReadsClassNameAndPresentation) {
    const EmbeddedObject object = readEmbeddedObject(excelObject());
    EXPECT_TRUE(object.compoundFile);
    EXPECT_EQ(object.className, QStringLiteral("Excel.Sheet.8"));
    ASSERT_TRUE(object.presentation);
    EXPECT_EQ(object.presentation->format, PictureFormat::Emf);
    // 50.8 mm on a 96 dpi screen is 192 pixels.
    EXPECT_EQ(naturalSize(*object.presentation), QSize(192, 96));
}

struct StorageCase {
    const char* name;
    QByteArray storage;
    uint32_t aspect;
    QString className;
    PictureFormat format; // None: no presentation
};

class OleStorageCases : public ::testing::TestWithParam<StorageCase> {};

TEST_P(OleStorageCases, GivesWhatCanBeRead) {
    const StorageCase& c = GetParam();
    const EmbeddedObject object = readEmbeddedObject(c.storage, c.aspect);
    EXPECT_EQ(object.className, c.className);
    EXPECT_EQ(object.presentation ? object.presentation->format : PictureFormat::None, c.format);
    if (object.presentation && c.format != PictureFormat::None) {
        EXPECT_EQ(object.presentation->aspect == c.aspect,
                  c.name != std::string("fallback_aspect"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OleStorageCases,
    ::testing::Values(
        StorageCase{"user_type_when_no_prog_id",
                    test::makeCompoundFile({{kCompObj, test::makeCompObj("Documento", "")}}),
                    kAspectContent, "Documento", PictureFormat::None},
        StorageCase{"clsid_when_no_comp_obj",
                    test::makeCompoundFile({}, QByteArray("\x10\x32\x54\x76\x98\xBA\xDC\xFE\x01\x23"
                                                          "\x45\x67\x89\xAB\xCD\xEF",
                                                          16)),
                    kAspectContent, "{76543210-BA98-FEDC-0123-456789ABCDEF}", PictureFormat::None},
        StorageCase{"presentation_of_the_draw_aspect",
                    test::makeCompoundFile(
                        {{kPresentation,
                          test::makePresentationStream(CF_DIB, kAspectIcon, 0, 0, smallDib())},
                         {QByteArray("\x02OlePres001", 11),
                          test::makePresentationStream(CF_ENHMETAFILE, kAspectContent, 0, 0,
                                                       test::makeRedMetafile())}}),
                    kAspectContent, "", PictureFormat::Emf},
        StorageCase{"fallback_aspect",
                    test::makeCompoundFile({{kPresentation,
                                             test::makePresentationStream(CF_DIB, kAspectIcon, 0, 0,
                                                                          smallDib())}}),
                    kAspectContent, "", PictureFormat::Dib},
        StorageCase{"static_metafile_in_contents",
                    test::makeCompoundFile({{"CONTENTS", test::makeRedMetafile()}}), kAspectContent,
                    "", PictureFormat::Emf},
        StorageCase{"arbitrary_bytes", QByteArray(600, 'x'), kAspectContent, "",
                    PictureFormat::None},
        StorageCase{"truncated_compound_file", excelObject().left(700), kAspectContent, "",
                    PictureFormat::None}),
    [](const auto& info) { return std::string(info.param.name); });

// Damaged or foreign presentation streams are not pictures.
TEST(OleStorage, RefusesDamagedPresentationStreams) {
    QByteArray good = test::makePresentationStream(CF_DIB, kAspectContent, 0, 0, smallDib());
    EXPECT_TRUE(parsePresentationStream(good));
    QByteArray longData = good;
    longData[39] = '\x7F'; // data size far beyond the stream
    EXPECT_FALSE(parsePresentationStream(longData));
    QByteArray smallDevice = good;
    smallDevice[8] = '\x02'; // a target device size below its own 4 bytes
    EXPECT_FALSE(parsePresentationStream(smallDevice));
    EXPECT_FALSE(parsePresentationStream(
        test::makePresentationStream(1 /* CF_TEXT */, kAspectContent, 0, 0, "testo")));
    EXPECT_FALSE(parsePresentationStream(good.left(20)));
}

TEST(OlePicture, DrawsTheMetafileAndTheBitmap) {
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        PainterCanvas canvas(painter);
        Presentation emf{PictureFormat::Emf, kAspectContent, 0, 0, test::makeRedMetafile()};
        EXPECT_EQ(naturalSize(emf), QSize(40, 20));
        EXPECT_TRUE(drawPresentation(canvas, emf, QRect(0, 0, 40, 20)));
    }
    EXPECT_EQ(image.pixel(20, 10), qRgb(255, 0, 0));
    test::FakeCanvas fake;
    Presentation dib{PictureFormat::Dib, kAspectContent, 0, 0, smallDib()};
    EXPECT_EQ(naturalSize(dib), QSize(2, 1));
    EXPECT_TRUE(drawPresentation(fake, dib, QRect(5, 5, 20, 10)));
    EXPECT_EQ(fake.only("image"), QStringList{"image 5,5,25,15 2x1"});
    EXPECT_EQ(fake.lastImage.pixel(0, 0), qRgb(0, 0, 255));
    Presentation broken{PictureFormat::Emf, kAspectContent, 0, 0, "not a metafile"};
    EXPECT_FALSE(drawPresentation(fake, broken, QRect(0, 0, 10, 10)));
}

TEST(OlePicture, PlaceholderShowsTheClassName) {
    test::FakeCanvas fake;
    drawPlaceholder(fake, QRect(0, 0, 200, 40), QStringLiteral("Excel.Sheet.8"));
    drawPlaceholder(fake, QRect(0, 0, 200, 40), QString());
    const QStringList texts = fake.only("text");
    ASSERT_EQ(texts.size(), 2);
    EXPECT_TRUE(texts[0].contains("\"Excel.Sheet.8\""));
    EXPECT_TRUE(texts[1].contains("\"Oggetto OLE\""));
    EXPECT_EQ(fake.only("rectangle").size(), 2);
}

// A damaged picture can map its drawing far outside the int range; the page
// records it with bounded coordinates instead of overflowing.
TEST(OlePicture, PictureFarOutsideThePageIsRecordedBounded) {
    emf::RecordingCanvas huge(QSize(40, 20));
    huge.setWorldTransform(QTransform::fromScale(1e9, 1e9));
    huge.fillRect(QRect(0, 0, 40, 20), BrushSpec{BrushStyle::Solid, rgb(255, 0, 0), 0});
    const QByteArray picture = huge.finish();
    emf::RecordingCanvas page(QSize(200, 100));
    Presentation emf{PictureFormat::Emf, kAspectContent, 0, 0, picture};
    EXPECT_TRUE(drawPresentation(page, emf, QRect(0, 0, 200, 100)));
    EXPECT_NO_THROW(emf::EmfPicture::parse(page.finish()));
}
