// The picture, band and sub-report objects: defaults, options, geometry.
#include "report_fixture.h"
#include "template_builder.h"

#include "platform/errors.h"
#include "report/band_view.h"
#include "report/dataset.h"
#include "report/memo_view.h"
#include "report/picture_view.h"
#include "report/report.h"

namespace vx::test {
namespace {

class ModelClasses : public ReportTest {};

TEST_F(ModelClasses, PictureRectangleFollowsStretchAspectAndCentre) {
    TvxPictureView v(nullptr);
    EXPECT_EQ(v.Flags, 5); // stretched, keeping proportions
    v.Left = 0;
    v.Top = 0;
    v.Width = 200;
    v.Height = 200;
    v.ComputeDrawRect(); // no frame: (0, 0, 201, 201)
    EXPECT_EQ(v.PictureRect(100, 50), (EdgeRect{0, 0, 201, 100}));
    v.Flags |= pfCenterPicture; // moved down by half the free height
    EXPECT_EQ(v.PictureRect(100, 50), (EdgeRect{0, 50, 201, 150}));
    v.Flags = pfStretchPicture;
    EXPECT_EQ(v.PictureRect(100, 50), v.DrawRect);
    v.Flags = 0; // own size at the top-left corner
    EXPECT_EQ(v.PictureRect(300, 20), (EdgeRect{0, 0, 300, 20}));
    v.Flags = pfCenterPicture;
    EXPECT_EQ(v.PictureRect(101, 51), (EdgeRect{50, 75, 151, 126}));
}

TEST_F(ModelClasses, BlobSignaturesChooseThePictureKind) {
    struct Row {
        QByteArray blob;
        PictureHolder::Kind kind;
        qsizetype offset;
    };
    const QByteArray pad8(8, 'h');
    const Row rows[] = {
        {QByteArray("BM") + QByteArray(20, 0), PictureHolder::Bitmap, 0},
        {pad8 + "BM" + QByteArray(20, 0), PictureHolder::Bitmap, 8},
        {QByteArray("\0\0\1\0xxxx", 8), PictureHolder::Icon, 0},
        {QByteArray("\x01\0\0\0xxxxxxxx", 12), PictureHolder::Metafile, 0},
        {QByteArray("\xD7\xCD\xC6\x9Axxxx", 8), PictureHolder::Metafile, 0},
        {pad8 + QByteArray("\x01\0zz", 4), PictureHolder::Metafile, 8},
        // A plain icon file has the words 0 and 1 at byte 8 too: byte 0 wins.
        {QByteArray("\0\0\1\0\1\0\x20\x20\0\0\1\0", 12), PictureHolder::Icon, 0},
        {QByteArray("BMxxxxxxBMxx"), PictureHolder::Bitmap, 0},
    };
    for (const Row& row : rows) {
        const BlobPicture p = blobPictureKind(row.blob);
        EXPECT_EQ(p.kind, row.kind);
        EXPECT_EQ(p.offset, row.offset);
    }
    try {
        blobPictureKind(QByteArray("GIF89a-not-known"));
        FAIL();
    } catch (const VxError& e) {
        EXPECT_EQ(e.message(), "Formato immagine sconosciuto.");
    }
}

TEST_F(ModelClasses, BandOptionsCountOnlyWhereTheyApply) {
    TvxBandView band(nullptr);
    band.Flags =
        bfFitToContent | bfNewPageAfter | bfPrintWhenDetailEmpty | bfSplitAllowed | bfFillList;
    band.SetBandType(btMasterData);
    EXPECT_TRUE(band.UsesDataSet());
    EXPECT_TRUE(band.FitToContent());
    EXPECT_TRUE(band.FillList());
    band.SetBandType(btPageFooter);
    EXPECT_FALSE(band.UsesDataSet());
    EXPECT_FALSE(band.FitToContent());
    EXPECT_FALSE(band.NewPageAfter());
    EXPECT_FALSE(band.SplitAllowed());
    band.SetBandType(btCrossHeader);
    EXPECT_TRUE(band.FitToContent());
    EXPECT_FALSE(band.SplitAllowed());
    EXPECT_EQ(band.FormatCode, 0);
    std::vector<MenuItem> menu;
    band.SetBandType(btDetailData);
    band.AddMenuItems(menu);
    ASSERT_EQ(menu.size(), 6u);
    EXPECT_EQ(menu[0].Caption, "-");
    EXPECT_EQ(menu[5].Caption, "Completa l'elenco");
}

TEST_F(ModelClasses, MemoAlignmentAccessors) {
    TvxMemoView m(nullptr);
    m.Alignment = 24; // both vertical bits read as bottom
    EXPECT_EQ(m.VertAlign(), 2);
    m.SetVertAlign(1);
    m.SetHorzAlign(3);
    m.SetTurned(true);
    EXPECT_EQ(m.Alignment, 8u | 3u | 4u);
    EXPECT_EQ(m.Font.toFontSpec().height, -13);
}

TEST_F(ModelClasses, MemoMeasuresItsLinesAndCrossesOutWhenHidden) {
    TvxMemoView m(nullptr);
    m.Left = 0;
    m.Top = 0;
    m.Width = 300;
    m.Height = 100;
    m.Lines = {"uno", "due", "tre"};
    FakeCanvas canvas = styleRecorder();
    m.Draw(canvas); // 10 points: height -13, line step 15, GapY 1
    EXPECT_EQ(MeasuredTextHeight, 47);
    EXPECT_EQ(m.LineHeight, 15);
    EXPECT_TRUE(canvas.drewText(2, 1, "uno"));
    EXPECT_TRUE(canvas.drewText(2, 31, "tre"));

    m.Visible = 0;
    canvas.calls.clear();
    m.Draw(canvas);
    EXPECT_EQ(canvas.calls.back(), "lineTo 0,100"); // second diagonal of the red cross
    EXPECT_TRUE(canvas.calls.contains("pen 2 #0000ff"));
    canvas.calls.clear();
    PrintMode = true;
    m.Draw(canvas);
    EXPECT_TRUE(canvas.calls.isEmpty());
}

TEST_F(ModelClasses, OldTemplatesFindDataBandDatasetsByComponentName) {
    Component form(nullptr, "Form1");
    TvxDataset righe(&form);
    righe.setName("Righe");
    for (const char* name : {"Righe", "Manca"}) {
        StreamBuilder s;
        s.u8(22).b16(true).b16(false).oldList({}).page(false);
        s.u8(2).u8(0).i32(0).i32(40).i32(700).i32(30).u16(0).u16(btMasterData).i32(1).i32(0);
        s.u16(0).i32(0x1FFFFFFF).i32(0).oldList({name}).oldList({});
        clearMessages();
        TvxReport report(&form);
        report.LoadFromBytes(s.bytes);
        if (QString(name) == "Righe") {
            EXPECT_TRUE(messages().empty());
            EXPECT_EQ(report.DataSets.Find("Righe"), &righe);
        } else {
            ASSERT_EQ(messages().size(), 1u);
            EXPECT_EQ(messages()[0].caption, "Attenzione");
            EXPECT_EQ(messages()[0].text, "Non è stato trovato il vxDataset: Manca");
        }
        report.Clear(); // the owned dataset is only unlisted
    }
    EXPECT_EQ(righe.owner(), &form);
}

} // namespace
} // namespace vx::test
