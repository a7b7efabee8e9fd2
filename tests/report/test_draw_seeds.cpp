// Writes the fuzzing seeds of the object drawing (fuzz/corpus/draw/: templates
// with text and picture objects of every option and kind) and of the Windows
// metafile reader (fuzz/corpus/wmf/) when VX_WRITE_FUZZ_SEEDS is set;
// otherwise checks that the committed seeds load.
#include "report_fixture.h"
#include "tests/support/paths.h"
#include "tests/support/wmf_test_builder.h"

#include "platform/emf/recording_canvas.h"
#include "platform/emf/wmf_reader.h"
#include "report/band_view.h"
#include "report/memo_view.h"
#include "report/page.h"
#include "report/picture_view.h"
#include "report/report.h"

#include <QBuffer>
#include <QDir>
#include <QFile>

namespace vx::test {
namespace {

class DrawSeeds : public ReportTest {};

QByteArray logoWmf() {
    QByteArray text;
    ByteWriter t(&text);
    t.u16(4);
    t.bytes("Logo", 4);
    t.i16(40);
    t.i16(20);
    WmfTestBuilder b;
    b.placeable(0, 0, 2000, 1000, 1440)
        .rec(emf::META_SETWINDOWORG, {0, 0})
        .rec(emf::META_SETWINDOWEXT, {1000, 2000})
        .rec(emf::META_CREATEBRUSHINDIRECT, {0, 0x8040, 0x00C0, 0})
        .rec(emf::META_CREATEPENINDIRECT, {0, 20, 0, 0, 0})
        .rec(emf::META_SELECTOBJECT, {0})
        .rec(emf::META_SELECTOBJECT, {1})
        .rec(emf::META_ELLIPSE, {900, 1900, 100, 100})
        .rec(emf::META_POLYGON, {3, 100, 900, 1000, 100, 1900, 900})
        .raw(emf::META_TEXTOUT, text)
        .rec(emf::META_DELETEOBJECT, {0})
        .eof();
    return b.build();
}

QByteArray drawSeed() {
    TvxReport report;
    TvxPage& page = report.Pages->Pages(0);
    const uint32_t alignments[] = {0, 1, 2, 3, 4 | 3, 8, 16 | 1, 4 | 2 | 16};
    int top = 0;
    for (uint32_t alignment : alignments) {
        auto memo = std::make_unique<TvxMemoView>(&report);
        memo->Top = top += 60;
        memo->Left = 20;
        memo->Width = 180;
        memo->Height = 50;
        memo->Alignment = alignment;
        memo->Flags = uint16_t(mfWordWrap | (alignment & 1 ? mfStretched : 0) |
                               (alignment == 8 ? mfAutoWidth : 0));
        memo->FrameLines = uint16_t(alignment & 15);
        memo->Lines = {"Totale: [1+2] e [[x]]", "parole, divise-da. segni e a capo"};
        memo->HighlightOn = alignment == 2;
        memo->HighlightCondition = "1 = 1";
        page.Add(std::move(memo));
    }
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::blue);
    emf::RecordingCanvas emf(QSize(20, 10));
    emf.fillRect(QRect(0, 0, 10, 10), BrushSpec{BrushStyle::Solid, rgb(0, 0, 255), 0});
    QByteArray icon;
    QBuffer buffer(&icon);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "ICO");
    const PictureHolder pictures[] = {
        PictureHolder::fromImage(image),
        {PictureHolder::Metafile, emf.finish()},
        {PictureHolder::Metafile, logoWmf()},
        {PictureHolder::Icon, icon},
    };
    uint16_t flags = 0;
    for (const PictureHolder& p : pictures) {
        auto picture = std::make_unique<TvxPictureView>(&report);
        picture->Left = 300;
        picture->Top = top += 60;
        picture->Width = 100;
        picture->Height = 50;
        picture->Flags = flags++;
        picture->Picture = p;
        page.Add(std::move(picture));
    }
    auto band = std::make_unique<TvxBandView>(&report);
    band->SetBandType(btCrossData);
    page.Add(std::move(band));
    return report.SaveToBytes();
}

TEST_F(DrawSeeds, SeedsLoad) {
    const bool write = qEnvironmentVariableIsSet("VX_WRITE_FUZZ_SEEDS");
    const std::tuple<const char*, const char*, QByteArray> seeds[] = {
        {"draw", "objects.vxf", drawSeed()},
        {"wmf", "logo.wmf", logoWmf()},
        {"wmf", "half-red.wmf",
         WmfTestBuilder()
             .rec(emf::META_SETWINDOWEXT, {50, 100})
             .rec(emf::META_CREATEBRUSHINDIRECT, {0, 0xFF, 0, 0})
             .rec(emf::META_SELECTOBJECT, {0})
             .rec(emf::META_RECTANGLE, {50, 50, 0, 0})
             .eof()
             .build()},
    };
    for (const auto& [folder, name, bytes] : seeds) {
        const QString path = sourceDir() + "/fuzz/corpus/" + folder + "/" + name;
        if (write) {
            QDir().mkpath(sourceDir() + "/fuzz/corpus/" + folder);
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(bytes);
            continue;
        }
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        const QByteArray committed = file.readAll();
        if (QString(folder) == "wmf") {
            EXPECT_NO_THROW(emf::WmfPicture::parse(committed)) << name;
            continue;
        }
        TvxReport report;
        report.LoadFromBytes(committed);
        EXPECT_TRUE(messages().empty());
        EXPECT_EQ(report.Pages->Pages(0).Count(), 13);
    }
}

} // namespace
} // namespace vx::test
