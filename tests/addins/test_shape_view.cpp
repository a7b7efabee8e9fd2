// The shape object: defaults, record, registry row, and its drawing
// recorded into an EMF page and read back record by record.
#include "addins/shape/shape_view.h"
#include "platform/emf/recording_canvas.h"
#include "report/addin_registry.h"
#include "report/library_state.h"
#include "tests/support/emf_dump.h"
#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>

namespace vx::test {
namespace {

class ShapeView : public ::testing::Test {
protected:
    void SetUp() override { resetLibraryState(); }
    void TearDown() override { resetLibraryState(); }

    // A shape at (10, 20), 100 x 40, red 3-pixel outline, blue fill.
    static std::unique_ptr<TvxShapeView> makeShape(uint8_t type) {
        auto v = std::make_unique<TvxShapeView>(nullptr);
        v->Left = 10;
        v->Top = 20;
        v->Width = 100;
        v->Height = 40;
        v->ShapeType = type;
        v->FrameWidth = 3;
        v->FrameColor = rgb(255, 0, 0);
        v->FillColor = rgb(0, 0, 255);
        return v;
    }
    static QStringList record(TvxShapeView& v) {
        emf::RecordingCanvas canvas(QSize(200, 100));
        v.Draw(canvas);
        return DumpEmf(canvas.finish());
    }
};

TEST_F(ShapeView, NewShapeIsATransparentWhiteEllipse) {
    TvxShapeView v(nullptr);
    EXPECT_EQ(v.ShapeType, stEllipse);
    EXPECT_EQ(v.Transparent, 1);
    EXPECT_EQ(v.Flags, 1);
    EXPECT_EQ(v.FillColor, kWhite);
    EXPECT_EQ(v.ObjectType, otAddIn);
    EXPECT_EQ(v.Name, QStringLiteral("Shape1"));
}

struct ShapeCase {
    const char* name;
    uint8_t type;
    QStringList drawn; // the pen and brush are selected as the records need them
};

class ShapeTypes : public ShapeView, public ::testing::WithParamInterface<ShapeCase> {};

TEST_P(ShapeTypes, DrawsItsShapeWithTheFramePenAndFillBrushInsideItsBounds) {
    PrintMode = true;
    auto v = makeShape(GetParam().type);
    const QStringList lines = record(*v);
    const QStringList expected =
        QStringList{"save", "clip 10,20,111,61"} + GetParam().drawn + QStringList{"restore"};
    EXPECT_EQ(lines.mid(lines.indexOf("save")), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ShapeTypes,
    ::testing::Values(
        ShapeCase{
            "ellipse", stEllipse, {"pen 0 3 ff0000", "brush 0 0000ff", "ellipse 10,20,110,60"}},
        ShapeCase{"rectangle",
                  stRectangle,
                  {"pen 0 3 ff0000", "brush 0 0000ff", "rectangle 10,20,110,60"}},
        // 100 x 40: corners of min(100, 40) div 4 = 10
        ShapeCase{"rounded",
                  stRoundRect,
                  {"pen 0 3 ff0000", "brush 0 0000ff", "roundrect 10,20,110,60 10,10"}},
        ShapeCase{"first_diagonal", stDiagonal1, {"move 10,20", "pen 0 3 ff0000", "line 110,60"}},
        ShapeCase{"second_diagonal", stDiagonal2, {"move 10,60", "pen 0 3 ff0000", "line 110,20"}},
        ShapeCase{"unknown_type_draws_nothing", 7, {}}),
    [](const auto& info) { return std::string(info.param.name); });

struct BackgroundCase {
    const char* name;
    bool preparing;
    uint8_t transparent;
    bool white;
};

class ShapeBackground : public ShapeView, public ::testing::WithParamInterface<BackgroundCase> {};

TEST_P(ShapeBackground, WhiteOnlyWhileDesigningOrWhenNotTransparent) {
    PrintMode = GetParam().preparing;
    auto v = makeShape(stEllipse);
    v->Transparent = GetParam().transparent;
    const QStringList lines = record(*v);
    // The page starts with the white brush selected.
    const QStringList white = {"pen 0 1 ffffff", "rectangle 10,20,111,61"};
    EXPECT_EQ(lines.mid(0, 2) == white, GetParam().white) << lines.join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Cases, ShapeBackground,
                         ::testing::Values(BackgroundCase{"preparing_transparent", true, 1, false},
                                           BackgroundCase{"preparing_opaque", true, 0, true},
                                           BackgroundCase{"designing_transparent", false, 1, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ShapeView, WithoutFillColourOnlyTheOutlineIsDrawn) {
    PrintMode = true;
    auto v = makeShape(stRectangle);
    v->FillColor = kNoColor;
    EXPECT_TRUE(record(*v).contains("brush 1 ffffff"));
}

TEST_F(ShapeView, AFrameWidthOf255StaysClippedToTheBounds) {
    PrintMode = true;
    auto v = makeShape(stEllipse);
    v->FrameWidth = 255;
    const QStringList lines = record(*v);
    EXPECT_EQ(lines.mid(lines.indexOf("save"), 4),
              (QStringList{"save", "clip 10,20,111,61", "pen 0 255 ff0000", "brush 0 0000ff"}));
}

TEST_F(ShapeView, InvisibleShapeIsSkippedPreparingAndCrossedDesigning) {
    auto v = makeShape(stEllipse);
    v->Visible = 0;
    PrintMode = true;
    EXPECT_TRUE(record(*v).isEmpty());
    PrintMode = false;
    const QStringList lines = record(*v);
    EXPECT_EQ(
        lines.mid(lines.size() - 5),
        (QStringList{"move 10,20", "pen 0 2 ff0000", "line 110,60", "move 110,20", "line 10,60"}));
}

TEST_F(ShapeView, RecordIsTypeThenTransparentAndRoundTrips) {
    auto a = makeShape(stRoundRect);
    a->Transparent = 0;
    QByteArray common, whole;
    ByteWriter wc(&common), ww(&whole);
    a->TvxView::SaveToStream(wc);
    a->SaveToStream(ww);
    EXPECT_EQ(whole.mid(common.size()).toHex(), QByteArray("0200"));
    TvxShapeView b(nullptr);
    ByteReader r(whole);
    b.LoadFromStream(r);
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.remaining(), 0u);
    TvxShapeView c(nullptr);
    c.Assign(b);
    EXPECT_EQ(c.ShapeType, stRoundRect);
    EXPECT_EQ(c.Transparent, 0);
    EXPECT_EQ(c.FrameWidth, 3);
}

TEST_F(ShapeView, EditorShowsAndStoresTypeAndTransparency) {
    EXPECT_EQ(TVxShapeEditor::ShapeItems(),
              (QStringList{"Ellisse", "Rettangolo", "Rettangolo arrotondato",
                           "Linea del primo tipo", "Linea del secondo tipo"}));
    auto v = makeShape(stDiagonal2);
    v->Transparent = 0;
    TVxShapeEditor editor;
    editor.Open(*v);
    EXPECT_EQ(editor.ItemIndex, 4);
    EXPECT_FALSE(editor.TransparentBox);
    editor.ItemIndex = 1;
    editor.TransparentBox = true;
    editor.Confirm(*v);
    EXPECT_EQ(v->ShapeType, stRectangle);
    EXPECT_EQ(v->Transparent, 1);
}

TEST_F(ShapeView, RegisteredWithItsHintAndMadeByTheFactory) {
    EmptyAddInRegistryGuard emptyRegistry;
    RegisterShapeAddIn();
    RegisterShapeAddIn(); // a second call adds nothing
    ASSERT_EQ(AddInObjects().size(), 1u);
    EXPECT_EQ(AddInObjects()[0].ButtonHint, QStringLiteral("Inserisci forma geometrica"));
    EXPECT_FALSE(AddInObjects()[0].ButtonBitmap.isNull());
    const std::unique_ptr<TvxView> v = CreateObject(otAddIn, QStringLiteral("TvxShapeView"));
    EXPECT_NE(dynamic_cast<TvxShapeView*>(v.get()), nullptr);
}

} // namespace
} // namespace vx::test
